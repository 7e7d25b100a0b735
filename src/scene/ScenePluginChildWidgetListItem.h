#pragma once

#include "widgets/BaseWidget.h"

#include <nlohmann/json.hpp>

#include <memory>

class QLabel;

namespace OV {

class ProjectDbPluginBean;

// A row of the widget list of the plug-in widget editor: one widget ("button") of a plug-in.
class ScenePluginChildWidgetListItem : public BaseWidget
{
    Q_OBJECT
public:
    ScenePluginChildWidgetListItem(std::shared_ptr<ProjectDbPluginBean> plugin, const nlohmann::json& widget,
                                   QWidget* parent = nullptr);

    const nlohmann::json& widgetJson() const { return m_widget; }
    const QString& name() const { return m_name; }
    QLabel* iconLabel() const { return m_iconLabel; }
    QLabel* nameLabel() const { return m_nameLabel; }

protected:
    void onSelectedChanged(bool selected) override;

private:
    void showPicture(const QPixmap& picture);

    std::shared_ptr<ProjectDbPluginBean> m_plugin;
    nlohmann::json m_widget;
    QString m_name;
    QString m_icon;
    nlohmann::json m_param;
    QLabel* m_iconLabel = nullptr;
    QLabel* m_nameLabel = nullptr;
};

} // namespace OV
