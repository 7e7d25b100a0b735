#pragma once

#include "store/StoreCategoryPanel.h"

namespace OV {

// The "Plugin" category: installed plug-ins (an empty page) and the cloud listing.
class StorePluginPanel : public StoreCategoryPanel
{
    Q_OBJECT
public:
    using StoreCategoryPanel::StoreCategoryPanel;

protected:
    StoreCategoryContentWidget* createLocalContent() override;
    StoreCategoryContentWidget* createCloudContent() override;
};

} // namespace OV
