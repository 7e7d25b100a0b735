#include "cards/KSPluginWidgetItem.h"

#include "core/Utils.h"
#include "project/ProjectDbPluginBean.h"
#include "store/MainUtils.h"

#include <QPointer>

#include <stdexcept>

namespace OV {

QString KSPluginWidgetItem::typeIdOf(const nlohmann::json& param)
{
    const int output = param.at("output").get<int>();
    if (output == 5)
        return QStringLiteral("hotKey");
    if (output == 10) {
        const std::string action = param.at("payload").at("action").get<std::string>();
        if (action == "inputText" || action == "openBrowser" || action == "execCmd")
            return OV::fromStdText(action);
        if (action == "openFileOrFolder")
            return QStringLiteral("openFile");
    }
    throw std::invalid_argument("unknown widget type");
}

KSPluginWidgetItem::KSPluginWidgetItem(QWidget* parent, std::shared_ptr<ProjectDbPluginBean> plugin,
                                       const nlohmann::json& button)
    : SimpleWidgetListContentItem(parent), m_plugin(std::move(plugin))
{
    setMimeType(QString::fromLatin1(kMimeType));
    setSourceTag(QString::fromLatin1(kFromConfigPanel));
    setWidgetType(QStringLiteral("pcCtrl"));
    const std::string name = button.at("name").get<std::string>();
    const std::string icon = button.at("icon").get<std::string>();
    const int iconScale = button.value("iconScale", 50);
    const nlohmann::json& param = button.at("param");
    setName(OV::fromStdText(name));
    setIcon(QPixmap(QStringLiteral(":/image/image_loading.png")));
    const QString typeId = typeIdOf(param);
    QPointer<KSPluginWidgetItem> self(this);
    MainUtils::asyncLoadPluginImage(m_plugin->k1, OV::fromStdText(icon), [self](const QPixmap& image) {
        if (self)
            self->showLoadedIcon(image);
    });
    nlohmann::json deploy = {{"id", createUuid().toStdString()}, {"type", "PC_CONTROL"}, {"name", name},
                             {"iconScale", iconScale},           {"icon", icon},         {"param", param}};
    setData(nlohmann::json{{"pluginUuid", m_plugin->k1.toStdString()},
                           {"name", name},
                           {"icon", icon},
                           {"iconScale", iconScale},
                           {"typeId", typeId.toStdString()},
                           {"iconName", ""},
                           {"extCmd", ""},
                           {"deploymentData", deploy}});
}

bool KSPluginWidgetItem::canDrag(QMouseEvent* /*event*/)
{
    return true;
}

} // namespace OV
