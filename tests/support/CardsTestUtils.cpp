#include "support/CardsTestUtils.h"

#include "cards/KestrinDeviceScreenUI.h"
#include "cards/KestrinDragWidget.h"
#include "core/TokenScrambler.h"
#include "device/KestrinDevice.h"
#include "project/ProjectDbHostBean.h"
#include "project/ProjectDbPluginBean.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "project/ProjectPluginUseCase.h"
#include "support/DeployTestUtils.h"
#include "support/StandinHub.h"

#include <QApplication>
#include <QBuffer>
#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QTest>

namespace OV::Test {

QByteArray dragPayload(KestrinDragWidget* widget, int distance)
{
    QByteArray payload;
    KestrinDragWidget::setDragRunner([&payload](QDrag* drag) {
        payload = drag->mimeData()->data(QString::fromLatin1(KestrinDragWidget::kMimeType));
    });
    const QPoint start(5, 5);
    const QPoint end = start + QPoint(distance < 0 ? QApplication::startDragDistance() : distance, 0);
    QMouseEvent press(QEvent::MouseButtonPress, start, widget->mapToGlobal(start), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent move(QEvent::MouseMove, end, widget->mapToGlobal(end), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, end, widget->mapToGlobal(end), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
    KestrinDragWidget::setDragRunner({});
    return payload;
}

void dropOnStrip(KestrinDeviceScreenUI* strip, const QByteArray& payload, QPoint pos, const QString& mimeType)
{
    QMimeData mime;
    mime.setData(mimeType, payload);
    QDragEnterEvent enter(pos, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &enter);
    QDropEvent drop(QPointF(pos), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &drop);
    settleStrip(strip);
}

void settleStrip(KestrinDeviceScreenUI* strip)
{
    QCoreApplication::processEvents();
    strip->layout()->activate();
    QCoreApplication::processEvents();
}

bool connectStandinHub(StandinHub& hub)
{
    hub.setValidToken(QStringLiteral("valid"));
    auto host = std::make_shared<ProjectDbHostBean>();
    host->connType = QStringLiteral("tcp");
    host->ip = StandinHub::address();
    host->port = hub.port();
    host->sn = QStringLiteral("KS-CARDS");
    host->token = encodeToken(QStringLiteral("valid"));
    // Stored as well, so that screens reading the project's hub find this one.
    if (!ProjectManager::instance()->getHostUseCase()->saveHost(*host).isOk())
        return false;
    ProjectManager::instance()->setCurrentKestrin(host);
    ProjectManager::instance()->getCurrentKestrin()->start(nullptr);
    // A screen may replace the session with its own for the same hub: wait for the current one.
    return QTest::qWaitFor(
        [] {
            const auto device = ProjectManager::instance()->getCurrentKestrin();
            return device && device->isReady();
        },
        5000);
}

int64_t installTestPlugin(const QString& uuid, const QString& name, const QByteArray& buttonsJson,
                          const QString& workDir)
{
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(QColor(0x3D, 0x7E, 0xFF));
    QByteArray iconPng;
    QBuffer buffer(&iconPng);
    buffer.open(QIODevice::WriteOnly);
    icon.save(&buffer, "PNG");
    const QByteArray config = "{\"name\":\"" + name.toUtf8() + "\",\"button\":" + buttonsJson + "}";
    const QString packagePath = workDir + QLatin1Char('/') + uuid + QStringLiteral(".zip");
    QFile file(packagePath);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(makeZip({{QStringLiteral("config.json"), config}, {QStringLiteral("icons/key.png"), iconPng}})) < 0)
        return -1;
    file.close();
    ProjectDbPluginBean plugin;
    plugin.k1 = uuid;
    plugin.k2 = QStringLiteral("0");
    plugin.pluginType = 0;
    plugin.name = name;
    plugin.icon = QStringLiteral("https://127.0.0.1:9/icon.png");
    plugin.versionCode = 1;
    const BaseResult<void> saved =
        ProjectManager::instance()->getPluginUseCase()->saveOrUpdate(plugin, QPixmap::fromImage(icon), packagePath);
    return saved.isOk() ? plugin.id : -1;
}

} // namespace OV::Test
