#include "cards/KSAppWidgetItem.h"
#include "core/Utils.h"

#include "core/Logger.h"

namespace OV {

KSAppWidgetItem::KSAppWidgetItem(QWidget* parent, const nlohmann::json& entry) : SimpleWidgetListContentItem(parent)
{
    setMimeType(QString::fromLatin1(kMimeType));
    setSourceTag(QString::fromLatin1(kFromConfigPanel));
    setWidgetType(QStringLiteral("app"));
    try {
        const std::string name = entry.at("name").get<std::string>();
        const std::string icon = entry.at("icon").get<std::string>();
        setIcon(QPixmap(QStringLiteral(":/image/image_loading.png")));
        setName(OV::fromStdText(name));
        setData(nlohmann::json{{"name", name},
                               {"iconUrl", icon},
                               {"package", entry.value("id", nlohmann::json())},
                               {"type", entry.value("type", nlohmann::json())}});
        loadIcon(OV::fromStdText(icon));
    } catch (const std::exception& e) {
        Logger::error("KSAppWidgetItem", "%s", e.what());
    }
}

bool KSAppWidgetItem::canDrag(QMouseEvent* /*event*/)
{
    return true;
}

} // namespace OV
