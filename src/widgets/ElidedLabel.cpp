#include "widgets/ElidedLabel.h"

#include <QEvent>
#include <QFontMetrics>

namespace OV {

void ElidedLabel::updateText()
{
    // Inside a window, the label's font is not the one the sheets give it until it is polished:
    // measuring before would load a font nothing draws with. It is measured once polished.
    if (parentWidget() && !testAttribute(Qt::WA_WState_Polished)) {
        m_measureWhenPolished = true;
        setText(fullText);
        return;
    }
    m_measureWhenPolished = false;
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(fullText);
    if (width() >= 1 && textWidth > width()) {
        setMinimumWidth(width());
        setText(metrics.elidedText(fullText, elideMode, width()));
    } else {
        setMinimumWidth(textWidth);
        setText(fullText);
    }
}

bool ElidedLabel::event(QEvent* event)
{
    const bool handled = QLabel::event(event);
    if (event->type() == QEvent::Polish && m_measureWhenPolished)
        updateText();
    return handled;
}

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    updateText();
    QLabel::resizeEvent(event);
}

} // namespace OV
