#pragma once

#include <QPlainTextEdit>

namespace OV {

// The program's multi-line text box. A paste (keys, middle click, menu) or drop that offers no
// text inserts nothing: Qt 6.4 crashes on a clipboard or selection with no format at all, which
// is what a desktop without a clipboard owner hands out.
class PlainTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit PlainTextEdit(QWidget* parent = nullptr);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace OV
