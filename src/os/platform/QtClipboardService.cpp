#include "os/platform/QtClipboardService.h"

#include "core/Logger.h"
#include "os/platform/X11SelectionFetchWatcher.h"

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
    auto set = [this, app, text] {
        if (!m_watcher && !m_notX11) {
            m_watcher = X11SelectionFetchWatcher::create(app);
            m_notX11 = !m_watcher;
        }
        if (m_watcher)
            m_watcher->offered();
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

bool QtClipboardService::notifyWhenFetched(std::function<void()> onFetched)
{
    if (!m_watcher)
        return false;
    m_watcher->watch(std::move(onFetched));
    return true;
}

} // namespace OV
