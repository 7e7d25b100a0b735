#include "scene/SceneActionExPanel.h"

#include <stdexcept>

namespace OV {

SceneActionExPanel::SceneActionExPanel(const nlohmann::json& node, QWidget* parent) : QWidget(parent), m_node(node) {}

void SceneActionExPanel::bindData(const nlohmann::json& /*data*/) {}

void SceneActionExPanel::setEditStateWatcher(EditStateWatcher* watcher)
{
    if (!watcher)
        throw std::invalid_argument("editStateWatcher is null");
    m_watcher = watcher;
}

} // namespace OV
