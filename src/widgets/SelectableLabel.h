#pragma once

#include <QLabel>

namespace OV {

// A label of plain text that takes the keyboard focus when pressed and reports gaining and losing
// it.
class SelectableLabel : public QLabel
{
    Q_OBJECT
public:
    explicit SelectableLabel(QWidget* parent = nullptr);

signals:
    void selectedChanged(bool selected);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace OV
