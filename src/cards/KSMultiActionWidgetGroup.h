#pragma once

#include "cards/SimpleWidgetListGroupItem.h"

namespace OV {

// The Multi-Action group.
class KSMultiActionWidgetGroup : public SimpleWidgetListGroupItem
{
public:
    using SimpleWidgetListGroupItem::SimpleWidgetListGroupItem;

    int itemCount() override;
    void createItem(std::vector<SimpleWidgetListContentItem*>& rows, QWidget* parent) override;
};

} // namespace OV
