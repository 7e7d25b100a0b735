#pragma once

#include "cards/SimpleWidgetListContentItem.h"

#include <nlohmann/json.hpp>

#include <memory>

namespace OV {

class ProjectDbPluginBean;

// A row of a plug-in's group: one of the plug-in's buttons, dragged as a PC-control card.
class KSPluginWidgetItem : public SimpleWidgetListContentItem
{
    Q_OBJECT
public:
    // Throws std::invalid_argument("unknown widget type") for a button whose output or action
    // has no PC-control card, and the JSON library's error for a malformed button.
    KSPluginWidgetItem(QWidget* parent, std::shared_ptr<ProjectDbPluginBean> plugin, const nlohmann::json& button);

    // The PC-control typeId of a button's "param"; throws for one without a card.
    static QString typeIdOf(const nlohmann::json& param);

    bool canDrag(QMouseEvent* event) override;

private:
    std::shared_ptr<ProjectDbPluginBean> m_plugin;
};

} // namespace OV
