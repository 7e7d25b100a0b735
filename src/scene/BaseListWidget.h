#pragma once

#include <QListWidget>
#include <QPoint>

namespace OV {

// A list whose rows are widgets: a drag shows the pressed row's widget, half transparent,
// held where it was pressed.
class BaseListWidget : public QListWidget
{
    Q_OBJECT
public:
    explicit BaseListWidget(QWidget* parent = nullptr);

    QPoint pressOffset() const { return m_pressOffset; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    QPoint m_pressOffset;
};

} // namespace OV
