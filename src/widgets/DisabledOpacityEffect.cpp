#include "widgets/DisabledOpacityEffect.h"

#include <QEvent>
#include <QWidget>

namespace OV {

DisabledOpacityEffect::DisabledOpacityEffect(QWidget* widget, qreal disabledOpacity)
    : QGraphicsOpacityEffect(widget), m_widget(widget), m_disabledOpacity(disabledOpacity)
{
    widget->setGraphicsEffect(this);
    widget->installEventFilter(this);
    follow();
}

bool DisabledOpacityEffect::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_widget && event->type() == QEvent::EnabledChange)
        follow();
    return QGraphicsOpacityEffect::eventFilter(watched, event);
}

void DisabledOpacityEffect::follow()
{
    setOpacity(m_widget->isEnabled() ? 1.0 : m_disabledOpacity);
}

} // namespace OV
