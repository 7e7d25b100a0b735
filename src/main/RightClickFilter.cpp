#include "main/RightClickFilter.h"

#include <QMouseEvent>

namespace OV {

bool RightClickFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && handler) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            handler(watched, mouse);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace OV
