#include "main/EnabledWatcher.h"

#include <QEvent>
#include <QWidget>

namespace OV {

bool EnabledWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && handler) {
        if (auto* widget = qobject_cast<QWidget*>(watched))
            handler(widget->isEnabled());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace OV
