#pragma once

#include "cards/SimpleWidgetListContentItem.h"

namespace OV {

// The row of the Multi-Action group.
class KSMultiActionItem : public SimpleWidgetListContentItem
{
    Q_OBJECT
public:
    KSMultiActionItem(QWidget* parent, const QString& typeId, const QString& icon, const QString& name);

    bool canDrag(QMouseEvent* event) override;
};

} // namespace OV
