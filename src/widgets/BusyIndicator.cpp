#include "widgets/BusyIndicator.h"

#include <QPainter>

#include <algorithm>

namespace OV {

BusyIndicator::BusyIndicator(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground, true);
    setAttribute(Qt::WA_NoSystemBackground, true);
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    m_pen.setCapStyle(Qt::RoundCap);
    m_pen.setJoinStyle(Qt::RoundJoin);
    m_color = QColor::fromRgb(0xA7C442);
    m_pen.setColor(m_color);
    m_timer.setInterval(16);
    connect(&m_timer, &QTimer::timeout, this, &BusyIndicator::tick);
    m_timer.start();
}

void BusyIndicator::setColor(const QColor& color)
{
    m_color = color;
    m_pen.setColor(color);
    update();
}

void BusyIndicator::tick()
{
    m_angle = (m_angle + m_angleStep) % 360;
    update();
}

void BusyIndicator::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_pen.setWidth(m_penWidth);
    const int p = m_penWidth;
    const int side = std::min(width(), height()) - 2 * p;
    m_arcRect = QRectF(p, p, side, side);
}

void BusyIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int cx = width() / 2;
    const int cy = height() / 2;
    painter.translate(cx, cy);
    painter.rotate(m_angle);
    painter.translate(-cx, -cy);
    painter.setPen(m_pen);
    painter.drawArc(m_arcRect, 0, 220 * 16);
}

} // namespace OV
