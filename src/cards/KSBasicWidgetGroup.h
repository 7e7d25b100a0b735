#pragma once

#include "cards/SimpleWidgetListGroupItem.h"

namespace OV {

// The Basic group: clock, world clock, weather, timer and white noise.
class KSBasicWidgetGroup : public SimpleWidgetListGroupItem
{
public:
    using SimpleWidgetListGroupItem::SimpleWidgetListGroupItem;

    int itemCount() override;
    void createItem(std::vector<SimpleWidgetListContentItem*>& rows, QWidget* parent) override;
};

} // namespace OV
