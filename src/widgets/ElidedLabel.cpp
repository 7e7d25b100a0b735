#include "widgets/ElidedLabel.h"

#include <QFontMetrics>

namespace OV {

void ElidedLabel::updateText()
{
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

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    updateText();
    QLabel::resizeEvent(event);
}

} // namespace OV
