#pragma once

#include "cards/SimpleWidgetListContentItem.h"

namespace OV {

// A row of the Basic group: a clock, world clock, weather, timer or white-noise card.
class KSBasicWidgetItem : public SimpleWidgetListContentItem
{
    Q_OBJECT
public:
    KSBasicWidgetItem(QWidget* parent, const QString& typeId, const QString& icon, const QString& name);

    bool canDrag(QMouseEvent* event) override;
};

} // namespace OV
