#include "cards/KSMultiActionItem.h"

#include "core/Logger.h"

namespace OV {

KSMultiActionItem::KSMultiActionItem(QWidget* parent, const QString& typeId, const QString& icon, const QString& name)
    : SimpleWidgetListContentItem(parent)
{
    setMimeType(QString::fromLatin1(kMimeType));
    setSourceTag(QString::fromLatin1(kFromConfigPanel));
    setWidgetType(QStringLiteral("multiAction"));
    setIcon(QPixmap(icon));
    setName(name);
    try {
        setData(nlohmann::json{{"name", name.toStdString()}, {"typeId", typeId.toStdString()}});
    } catch (const std::exception& e) {
        Logger::error("KSMultiActionItem", "new KSMultiActionItem error:%s", e.what());
    }
}

bool KSMultiActionItem::canDrag(QMouseEvent* /*event*/)
{
    return true;
}

} // namespace OV
