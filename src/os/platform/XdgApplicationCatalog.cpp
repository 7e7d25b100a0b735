#include "os/platform/XdgApplicationCatalog.h"

#include "os/platform/DesktopEntry.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace OV {

QStringList XdgApplicationCatalog::dataDirs()
{
    QStringList dirs;
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home))
        home = QDir::homePath() + QLatin1String("/.local/share");
    dirs << home;
    QString system = qEnvironmentVariable("XDG_DATA_DIRS");
    if (system.isEmpty())
        system = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& dir : system.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir) && !dirs.contains(dir))
            dirs << dir;
    }
    return dirs;
}

std::vector<OSInstalledApp> XdgApplicationCatalog::installedApps()
{
    std::vector<OSInstalledApp> result;
    QSet<QString> seen;
    for (const QString& base : dataDirs()) {
        const QDir appsDir(base + QLatin1String("/applications"));
        if (!appsDir.exists())
            continue;
        QStringList files;
        QDirIterator it(appsDir.path(), {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << appsDir.relativeFilePath(it.next());
        std::sort(files.begin(), files.end());
        for (const QString& relative : files) {
            // The desktop-file id: the path below "applications" with "/" turned into "-".
            QString id = relative;
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seen.contains(id))
                continue;
            seen.insert(id);
            const auto entry = DesktopEntry::load(appsDir.filePath(relative));
            if (!entry || entry->value(QStringLiteral("Type")) != QLatin1String("Application"))
                continue;
            // A hidden entry takes the id away from the folders after it.
            if (entry->isTrue(QStringLiteral("Hidden")) || entry->isTrue(QStringLiteral("NoDisplay")))
                continue;
            const QString name = entry->value(QStringLiteral("Name"));
            if (name.isEmpty())
                continue;
            const QString executable = entry->executable();
            if (!entry->value(QStringLiteral("TryExec")).isEmpty() && executable.isEmpty())
                continue; // not installed after all
            QString location = entry->value(QStringLiteral("Path"));
            if (location.isEmpty() && !executable.isEmpty())
                location = QFileInfo(executable).absolutePath();
            result.push_back({id.toStdString(), name.toStdString(), location.toStdString()});
        }
    }
    return result;
}

} // namespace OV
