#include "cards/KSBasicWidgetItem.h"

#include "core/Logger.h"
#include "core/PngPicture.h"

namespace OV {

KSBasicWidgetItem::KSBasicWidgetItem(QWidget* parent, const QString& typeId, const QString& icon, const QString& name)
    : SimpleWidgetListContentItem(parent)
{
    setMimeType(QString::fromLatin1(kMimeType));
    setSourceTag(QString::fromLatin1(kFromConfigPanel));
    setWidgetType(QStringLiteral("basic"));
    setIcon(PngPicture::pixmap(icon));
    setName(name);
    try {
        setData(nlohmann::json{{"typeId", typeId.toStdString()}});
    } catch (const std::exception& e) {
        Logger::error("KSBasicWidgetItem", "new KSBasicWidgetItem error:%s", e.what());
    }
}

bool KSBasicWidgetItem::canDrag(QMouseEvent* /*event*/)
{
    return true;
}

} // namespace OV
