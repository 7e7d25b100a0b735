#pragma once

#include "scene/ScenePluginListItem.h"

#include <memory>

namespace OV {

class ProjectDbPluginBean;

// A row of the plug-in list of the plug-in widget editor: the plug-in's icon and name.
class ScenePluginWidgetListItem : public ScenePluginListItem
{
    Q_OBJECT
public:
    // Throws std::invalid_argument "invalid ProjectDbPluginBean type" for a plug-in that is
    // not a widget plug-in.
    explicit ScenePluginWidgetListItem(std::shared_ptr<ProjectDbPluginBean> plugin, QWidget* parent = nullptr);

    const std::shared_ptr<ProjectDbPluginBean>& plugin() const { return m_plugin; }

private:
    std::shared_ptr<ProjectDbPluginBean> m_plugin;
};

} // namespace OV
