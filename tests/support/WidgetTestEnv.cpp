#include "support/WidgetTestEnv.h"

#include "core/ThemeLoader.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>

namespace OV::Test {

QString useOffscreenScreen(QSize size)
{
    return useOffscreenScreens({QRect(QPoint(0, 0), size)});
}

QString useOffscreenScreens(const QList<QRect>& screens)
{
    QStringList entries;
    for (const QRect& screen : screens) {
        entries << QStringLiteral("{\"name\":\"test%1\",\"x\":%2,\"y\":%3,\"width\":%4,\"height\":%5,"
                                  "\"logicalDpi\":96,\"dpr\":1}")
                       .arg(entries.size())
                       .arg(screen.x())
                       .arg(screen.y())
                       .arg(screen.width())
                       .arg(screen.height());
    }
    // One file per process: tests run in parallel and each reads its own at start.
    const QString path =
        QDir::temp().filePath(QStringLiteral("orvel-offscreen-%1.json").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(QStringLiteral("{\"screens\":[%1]}").arg(entries.join(QLatin1Char(','))).toUtf8());
        file.close();
    }
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + path.toLocal8Bit());
    return path;
}

void applyBaseTheme()
{
    qApp->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("base")));
}

QString screenshotDir()
{
    const QString dir = qEnvironmentVariable("ORVEL_SCREENSHOTS");
    if (dir.isEmpty())
        return {};
    QDir().mkpath(dir);
    return dir;
}

} // namespace OV::Test
