#pragma once

#include "cards/SimpleWidgetListContentItem.h"

namespace OV {

// A row of the Module group: a card that shows a module's readings.
class KSModuleWidgetItem : public SimpleWidgetListContentItem
{
    Q_OBJECT
public:
    KSModuleWidgetItem(QWidget* parent, const QString& typeId, const QString& icon, const QString& name);

    bool canDrag(QMouseEvent* event) override;
};

} // namespace OV
