#include "os/platform/QtClipboardService.h"

#include "core/Logger.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QThread>

namespace OV {

bool QtClipboardService::setText(const QString& text)
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app) {
        Logger::warn("QtClipboardService", "no GUI application: the clipboard is not available");
        return false;
    }
    // The clipboard belongs to the GUI thread; another thread hands the text over and waits.
    auto set = [text] {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(text, QClipboard::Clipboard);
        if (clipboard->supportsSelection())
            clipboard->setText(text, QClipboard::Selection);
    };
    if (QThread::currentThread() == app->thread())
        set();
    else
        QMetaObject::invokeMethod(app, set, Qt::BlockingQueuedConnection);
    return true;
}

} // namespace OV
