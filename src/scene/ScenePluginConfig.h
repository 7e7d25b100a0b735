#pragma once

#include "scene/SceneActionExPanel.h"

#include <QString>

#include <memory>

class QListWidget;

namespace OV {

class BaseWidget;
class BaseWidgetSelectGroup;
class ProjectDbPluginBean;

// Picks one widget of an installed widget plug-in for a hub action that runs it on the PC.
class ScenePluginConfig : public SceneActionExPanel
{
    Q_OBJECT
public:
    static constexpr const char* kTag = "ScenePluginConfig";

    explicit ScenePluginConfig(const nlohmann::json& node, QWidget* parent = nullptr);

    nlohmann::json buildActionJson(bool showError) override;
    void reset() override;

    void onPluginSelected(std::shared_ptr<ProjectDbPluginBean> plugin);
    void onDataLoaded(std::shared_ptr<ProjectDbPluginBean> plugin);

    QListWidget* pluginList() const { return m_pluginList; }
    QListWidget* widgetList() const { return m_widgetList; }
    BaseWidgetSelectGroup* pluginGroup() const { return m_pluginGroup; }
    BaseWidgetSelectGroup* widgetGroup() const { return m_widgetGroup; }
    const nlohmann::json& selectedWidget() const { return m_selectedWidget; }
    const QString& selectedName() const { return m_selectedName; }

private:
    void addRow(QListWidget* list, BaseWidget* row);

    QListWidget* m_pluginList = nullptr;
    QListWidget* m_widgetList = nullptr;
    BaseWidgetSelectGroup* m_pluginGroup = nullptr;
    BaseWidgetSelectGroup* m_widgetGroup = nullptr;
    nlohmann::json m_selectedWidget;
    QString m_selectedName;
    // Counts the plug-in choices; an unpack's answer names the choice it was started for.
    quint64 m_choice = 0;
};

} // namespace OV
