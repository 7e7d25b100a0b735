#pragma once

#include "cards/WidgetListGroupItem.h"

#include <vector>

namespace OV {

class SimpleWidgetListContentItem;

// A group whose rows come from a fixed table.
class SimpleWidgetListGroupItem : public WidgetListGroupItem
{
public:
    using WidgetListGroupItem::WidgetListGroupItem;

    double contentHeight() override;
    QWidget* contentWidget(QWidget* parent) override;
    virtual int itemCount() = 0;
    virtual void createItem(std::vector<SimpleWidgetListContentItem*>& rows, QWidget* parent) = 0;

private:
    QPointer<QWidget> m_content;
};

} // namespace OV
