#include "cards/KSModuleWidgetItem.h"

#include "core/Logger.h"

namespace OV {

KSModuleWidgetItem::KSModuleWidgetItem(QWidget* parent, const QString& typeId, const QString& icon, const QString& name)
    : SimpleWidgetListContentItem(parent)
{
    setMimeType(QString::fromLatin1(kMimeType));
    setSourceTag(QString::fromLatin1(kFromConfigPanel));
    setWidgetType(QStringLiteral("module"));
    setIcon(QPixmap(icon));
    setName(name);
    try {
        setData(nlohmann::json{
            {"name", name.toStdString()}, {"typeId", typeId.toStdString()}, {"icon", icon.toStdString()}});
    } catch (const std::exception& e) {
        Logger::error("KSModuleWidgetItem", "new KSModuleWidgetItem error:%s", e.what());
    }
}

bool KSModuleWidgetItem::canDrag(QMouseEvent* /*event*/)
{
    return true;
}

} // namespace OV
