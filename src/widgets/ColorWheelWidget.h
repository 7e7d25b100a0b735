#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>

namespace OV {

// A colour picker that samples a colour-wheel picture: a press or drag picks the colour the
// picture holds under the pointer, pulled onto the wheel's rim when outside it.
class ColorWheelWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ColorWheelWidget(QWidget* parent = nullptr);

    QColor currentColor() const { return m_color; }
    QPoint markerPosition() const { return m_marker; }
    bool isMarkerVisible() const { return m_markerVisible; }

signals:
    void colorChanged(const QColor& color);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void pickAt(const QPoint& pos);

    QImage m_panel;
    QImage m_scaledPanel;
    QColor m_color = Qt::white;
    QPoint m_marker;
    bool m_markerVisible = false;
    bool m_dragging = false;
};

} // namespace OV
