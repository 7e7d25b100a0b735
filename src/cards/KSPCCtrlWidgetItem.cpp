#include "cards/KSPCCtrlWidgetItem.h"

namespace OV {

KSPCCtrlWidgetItem::KSPCCtrlWidgetItem(QWidget* parent, const QString& typeId, const QString& icon, const QString& name,
                                       const QString& extCmd)
    : SimpleWidgetListContentItem(parent)
{
    setMimeType(QString::fromLatin1(kMimeType));
    setSourceTag(QString::fromLatin1(kFromConfigPanel));
    setWidgetType(QStringLiteral("pcCtrl"));
    setIcon(QPixmap(icon));
    setName(name);
    setData(nlohmann::json{{"name", name.toStdString()},
                           {"typeId", typeId.toStdString()},
                           {"icon", icon.toStdString()},
                           {"extCmd", extCmd.toStdString()}});
}

bool KSPCCtrlWidgetItem::canDrag(QMouseEvent* /*event*/)
{
    return true;
}

} // namespace OV
