#pragma once

#include <QColor>
#include <QPen>
#include <QRectF>
#include <QTimer>
#include <QWidget>

namespace OV {

// A spinning 220-degree arc, advanced every 16 ms from construction until destruction.
class BusyIndicator : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor pcolor READ color WRITE setColor)
public:
    explicit BusyIndicator(QWidget* parent = nullptr);

    void setColor(const QColor& color);
    QColor color() const { return m_color; }
    void setAngleStep(int degrees) { m_angleStep = degrees; }
    int angle() const { return m_angle; }
    QRectF arcRect() const { return m_arcRect; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void tick();

    QTimer m_timer;
    int m_angle = 0;
    QColor m_color;
    int m_penWidth = 3;
    int m_angleStep = 4;
    QPen m_pen;
    QRectF m_arcRect;
};

} // namespace OV
