#pragma once

#include "cards/SimpleWidgetListGroupItem.h"

namespace OV {

// The Module group: cards that show a module's readings.
class KSModuleWidgetGroup : public SimpleWidgetListGroupItem
{
public:
    using SimpleWidgetListGroupItem::SimpleWidgetListGroupItem;

    int itemCount() override;
    void createItem(std::vector<SimpleWidgetListContentItem*>& rows, QWidget* parent) override;
};

} // namespace OV
