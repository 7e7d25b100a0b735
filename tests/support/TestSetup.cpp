#include "support/TestSetup.h"

#include "core/TokenScrambler.h"
#include "device/KestrinDevice.h"
#include "project/ProjectDbHostBean.h"
#include "project/ProjectManager.h"
#include "support/StandinHub.h"

#include <QBuffer>
#include <QColor>
#include <QImage>

namespace OV::Test {

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray solidPng(const QColor& color, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return pngBytes(image);
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
