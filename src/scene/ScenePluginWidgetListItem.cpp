#include "scene/ScenePluginWidgetListItem.h"

#include "project/ProjectDbPluginBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectPluginUseCase.h"
#include "store/MainUtils.h"
#include "store/StoreUtils.h"

#include <QPixmap>

#include <stdexcept>

namespace OV {

namespace {

constexpr int kWidgetPluginType = 0;
constexpr int kIconSide = 32;

// The plug-in's name; refuses anything but a widget plug-in before a row is built for it.
const QString& widgetPluginName(const std::shared_ptr<ProjectDbPluginBean>& plugin)
{
    if (!plugin || plugin->pluginType != kWidgetPluginType)
        throw std::invalid_argument("invalid ProjectDbPluginBean type");
    return plugin->name;
}

} // namespace

ScenePluginWidgetListItem::ScenePluginWidgetListItem(std::shared_ptr<ProjectDbPluginBean> plugin, QWidget* parent)
    : ScenePluginListItem(widgetPluginName(plugin), kIconSide, parent), m_plugin(std::move(plugin))
{
    showIcon(trimTransparentEdges(MainUtils::loadPluginIcon(*ProjectManager::instance()->getPluginUseCase(), *m_plugin),
                                  StoreUtils::kTrimThreshold));
}

} // namespace OV
