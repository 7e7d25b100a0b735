#include "widgets/PlainTextEdit.h"

#include <QMimeData>

namespace OV {

namespace {

bool offersText(const QMimeData* source)
{
    return source && source->hasText();
}

} // namespace

PlainTextEdit::PlainTextEdit(QWidget* parent) : QPlainTextEdit(parent) {}

bool PlainTextEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return offersText(source) && QPlainTextEdit::canInsertFromMimeData(source);
}

void PlainTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (offersText(source))
        QPlainTextEdit::insertFromMimeData(source);
}

} // namespace OV
