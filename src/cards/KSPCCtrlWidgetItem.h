#pragma once

#include "cards/SimpleWidgetListContentItem.h"

namespace OV {

// A row of the System group: a PC figure (extCmd names it) or a PC action.
class KSPCCtrlWidgetItem : public SimpleWidgetListContentItem
{
    Q_OBJECT
public:
    KSPCCtrlWidgetItem(QWidget* parent, const QString& typeId, const QString& icon, const QString& name,
                       const QString& extCmd);

    bool canDrag(QMouseEvent* event) override;
};

} // namespace OV
