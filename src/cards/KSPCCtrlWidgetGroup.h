#pragma once

#include "cards/SimpleWidgetListGroupItem.h"

namespace OV {

// The System group: the PC's figures and the PC actions.
class KSPCCtrlWidgetGroup : public SimpleWidgetListGroupItem
{
public:
    using SimpleWidgetListGroupItem::SimpleWidgetListGroupItem;

    int itemCount() override;
    void createItem(std::vector<SimpleWidgetListContentItem*>& rows, QWidget* parent) override;
};

} // namespace OV
