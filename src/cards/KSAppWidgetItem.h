#pragma once

#include "cards/SimpleWidgetListContentItem.h"

#include <nlohmann/json.hpp>

namespace OV {

// A row of the App group: one of the hub's applications, as the hub listed it.
class KSAppWidgetItem : public SimpleWidgetListContentItem
{
    Q_OBJECT
public:
    KSAppWidgetItem(QWidget* parent, const nlohmann::json& entry);

    bool canDrag(QMouseEvent* event) override;
};

} // namespace OV
