#include "main/MainDeviceListAddingItem.h"

namespace OV {

MainDeviceListAddingItem::MainDeviceListAddingItem(QWidget* parent) : MainDeviceListItem(parent)
{
    setObjectName(QStringLiteral("deviceListAddingItem"));
    setFixedSize(180, 180);
    setBackgroundMargin(2);
    setSelectable(false);
    setDraggable(false);
    m_keepEveryPress = true;
    setBackgroundImage(QStringLiteral(":/main/image/icon_device_adding.png"));
}

} // namespace OV
