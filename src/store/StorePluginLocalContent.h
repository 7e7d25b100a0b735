#pragma once

#include "store/StoreCategoryContentWidget.h"

#include <vector>

namespace OV {

class PluginCloudItem;

// The installed page of the plug-in category; it lists nothing.
class StorePluginLocalContent : public StoreCategoryContentWidget
{
    Q_OBJECT
public:
    using StoreCategoryContentWidget::StoreCategoryContentWidget;

private:
    std::vector<PluginCloudItem*> m_items;
};

} // namespace OV
