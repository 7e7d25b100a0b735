#include "os/platform/ThemeFileIconSource.h"

#include "core/Logger.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>
#include <QStyle>
#include <QThread>

namespace OV {

QPixmap ThemeFileIconSource::icon(const QString& path, int extent)
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    // Pixmaps exist only on the GUI thread of a GUI application.
    if (!app || QThread::currentThread() != app->thread()) {
        Logger::warn("ThemeFileIconSource", "file icons need the GUI thread of a GUI application");
        return {};
    }
    const QFileInfo info(path);
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info);
    QIcon icon;
    if (mime.isValid()) {
        icon = QIcon::fromTheme(mime.iconName());
        if (icon.isNull())
            icon = QIcon::fromTheme(mime.genericIconName());
    }
    if (icon.isNull() && qobject_cast<QApplication*>(app))
        icon = QApplication::style()->standardIcon(info.isDir() ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    if (icon.isNull())
        return {};
    return icon.pixmap(QSize(extent, extent));
}

} // namespace OV
