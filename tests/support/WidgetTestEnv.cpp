#include "support/WidgetTestEnv.h"

#include "core/ThemeLoader.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace OV::Test {

QString useOffscreenScreen(QSize size)
{
    // One file per process: tests run in parallel and each reads its own at start.
    const QString path =
        QDir::temp().filePath(QStringLiteral("orvel-offscreen-%1.json").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(QStringLiteral("{\"screens\":[{\"name\":\"test\",\"x\":0,\"y\":0,\"width\":%1,\"height\":%2,"
                                  "\"logicalDpi\":96,\"dpr\":1}]}")
                       .arg(size.width())
                       .arg(size.height())
                       .toUtf8());
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
