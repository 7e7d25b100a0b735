#include "widgets/ElidedLabel.h"

#include <QEvent>
#include <QFontMetrics>

namespace OV {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

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
    const QFont current = font();
    if (m_measuredText != fullText || m_measuredFont != current) {
        m_measuredText = fullText;
        m_measuredFont = current;
        m_textWidth = QFontMetrics(current).horizontalAdvance(fullText);
        m_cutWidth = -1;
    }
    if (width() >= 1 && m_textWidth > width()) {
        if (m_cutWidth != width() || m_cutMode != elideMode) {
            m_cutWidth = width();
            m_cutMode = elideMode;
            m_cutText = QFontMetrics(current).elidedText(fullText, elideMode, width());
        }
        setMinimumWidth(width());
        setText(m_cutText);
    } else {
        setMinimumWidth(m_textWidth);
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
