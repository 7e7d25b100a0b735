#include "support/TestSetup.h"

#include "core/TokenScrambler.h"
#include "device/KestrinDevice.h"
#include "project/ProjectDbHostBean.h"
#include "project/ProjectImageUtils.h"
#include "project/ProjectManager.h"
#include "support/StandinHub.h"

#include <QColor>
#include <QPixmap>

namespace OV::Test {

QByteArray solidPng(const QColor& color, int width, int height)
{
    QPixmap picture(width, height);
    picture.fill(color);
    return pixmapToPng(picture);
}

std::shared_ptr<ProjectDbHostBean> standinHost(const StandinHub& hub, const QString& serial, const QString& token)
{
    auto host = std::make_shared<ProjectDbHostBean>();
    host->connType = QStringLiteral("tcp");
    host->ip = hub.listenAddress();
    host->port = hub.port();
    host->sn = serial;
    if (!token.isEmpty())
        host->token = encodeToken(token);
    return host;
}

bool startCurrentHub(ProjectManager& manager, const std::shared_ptr<ProjectDbHostBean>& host, int timeoutMs)
{
    manager.setCurrentKestrin(host);
    const std::shared_ptr<KestrinDevice> device = manager.getCurrentKestrin();
    if (!device)
        return false;
    device->start(nullptr);
    return QTest::qWaitFor([&] { return device->isReady(); }, timeoutMs);
}

} // namespace OV::Test
