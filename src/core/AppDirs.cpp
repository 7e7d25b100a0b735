#include "core/AppDirs.h"

#include "core/FileUtils.h"

#include <QCoreApplication>

#include <stdexcept>

namespace OV {

QString AppDirs::appDir()
{
    static const QString dir = QCoreApplication::applicationDirPath();
    return dir;
}

QString AppDirs::path(const char* name, const QString& sub)
{
    QString result = appDir() + QLatin1Char('/') + QLatin1String(name);
    if (!sub.isEmpty())
        result += QLatin1Char('/') + sub;
    if (!createDirectories(result))
        throw std::runtime_error("create directory failed, path:" + result.toStdString());
    return result;
}

QString AppDirs::cacheDir(const QString& sub)
{
    return path("cache", sub);
}

QString AppDirs::projectDir(const QString& sub)
{
    return path("project", sub);
}

QString AppDirs::pluginDir(const QString& sub)
{
    return path("plugin", sub);
}

QString AppDirs::tempDir(const QString& sub)
{
    return path("temp", sub);
}

void AppDirs::ensureAll()
{
    cacheDir();
    projectDir();
    pluginDir();
    clearDirectory(tempDir());
}

} // namespace OV
