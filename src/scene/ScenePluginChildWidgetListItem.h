#pragma once

#include "scene/ScenePluginListItem.h"

#include <nlohmann/json.hpp>

#include <memory>

namespace OV {

class ProjectDbPluginBean;

// A row of the widget list of the plug-in widget editor: one widget ("button") of a plug-in.
class ScenePluginChildWidgetListItem : public ScenePluginListItem
{
    Q_OBJECT
public:
    ScenePluginChildWidgetListItem(std::shared_ptr<ProjectDbPluginBean> plugin, const nlohmann::json& widget,
                                   QWidget* parent = nullptr);

    const nlohmann::json& widgetJson() const { return m_widget; }
    const QString& name() const { return m_name; }

private:
    std::shared_ptr<ProjectDbPluginBean> m_plugin;
    nlohmann::json m_widget;
    QString m_name;
    QString m_icon;
    nlohmann::json m_param;
};

} // namespace OV
