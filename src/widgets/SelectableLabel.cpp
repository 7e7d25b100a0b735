#include "widgets/SelectableLabel.h"

namespace OV {

SelectableLabel::SelectableLabel(QWidget* parent) : QLabel(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setTextFormat(Qt::PlainText);
}

void SelectableLabel::focusInEvent(QFocusEvent* event)
{
    emit selectedChanged(true);
    QLabel::focusInEvent(event);
}

void SelectableLabel::focusOutEvent(QFocusEvent* event)
{
    emit selectedChanged(false);
    QLabel::focusOutEvent(event);
}

void SelectableLabel::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::OtherFocusReason);
    QLabel::mousePressEvent(event);
}

} // namespace OV
