#include "widgets/WheelHorizontalScrollArea.h"

#include <QScrollBar>
#include <QWheelEvent>

namespace OV {

void WheelHorizontalScrollArea::wheelEvent(QWheelEvent* event)
{
    if (!m_wheelScrolling) {
        event->ignore();
        return;
    }
    QScrollBar* bar = horizontalScrollBar();
    bar->setValue(bar->value() - event->angleDelta().y());
    event->accept();
}

} // namespace OV
