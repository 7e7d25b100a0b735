#include "widgets/ColorWheelWidget.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace OV {

ColorWheelWidget::ColorWheelWidget(QWidget* parent) : QWidget(parent)
{
    m_panel = QImage(QStringLiteral(":/image/color_picker_panel.png"));
    setMouseTracking(true);
    setMinimumSize(120, 120);
}

void ColorWheelWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_scaledPanel =
        m_panel.isNull() ? QImage() : m_panel.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void ColorWheelWidget::mousePressEvent(QMouseEvent* event)
{
    m_dragging = true;
    pickAt(event->position().toPoint());
}

void ColorWheelWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging)
        pickAt(event->position().toPoint());
}

void ColorWheelWidget::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

void ColorWheelWidget::pickAt(const QPoint& pos)
{
    if (m_scaledPanel.isNull() || width() <= 0 || height() <= 0)
        return;
    const int cx = width() / 2;
    const int cy = height() / 2;
    const double dx = pos.x() - cx;
    const double dy = pos.y() - cy;
    const double d = std::sqrt(dx * dx + dy * dy);
    const double r = static_cast<int>((std::min(width(), height()) / 2) * 0.95);
    double px = pos.x();
    double py = pos.y();
    if (d > r) {
        px = cx + dx * r / d;
        py = cy + dy * r / d;
    }
    const int ix = static_cast<int>(m_scaledPanel.width() * px / width());
    const int iy = static_cast<int>(m_scaledPanel.height() * py / height());
    if (!m_scaledPanel.valid(ix, iy))
        return;
    const QColor color = m_scaledPanel.pixelColor(ix, iy);
    if (color.alpha() == 0)
        return;
    m_color = color;
    m_marker = QPoint(static_cast<int>(std::round(px)), static_cast<int>(std::round(py)));
    m_markerVisible = true;
    emit colorChanged(color);
    update();
}

void ColorWheelWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_scaledPanel.isNull())
        painter.drawImage(rect(), m_scaledPanel);
    if (m_markerVisible) {
        QPen pen(Qt::white, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(m_marker, 6, 6);
    }
}

} // namespace OV
