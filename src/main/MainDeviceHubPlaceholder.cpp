#include "main/MainDeviceHubPlaceholder.h"

#include "main/MainWindow.h"

namespace OV {

MainDeviceHubPlaceholder::MainDeviceHubPlaceholder(QWidget* parent, BaseWidgetSelectGroup*) : MainDeviceListItem(parent)
{
    setObjectName(QStringLiteral("deviceListItem"));
    setFixedSize(180, 180);
    setBackgroundMargin(2);
    setToolTip(QStringLiteral("Kestrin"));
    setBackgroundImage(QStringLiteral(":/main/image/icon_device_kestrin.png"));
}

void MainDeviceHubPlaceholder::onSelectedChanged(bool selected)
{
    if (selected)
        MainWindow::clearEditPanel();
}

} // namespace OV
