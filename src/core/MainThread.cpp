#include "core/MainThread.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace OV {

void runOnMainThread(std::function<void()> fn)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !fn)
        return;
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

} // namespace OV
