#include "widgets/BaseImageButton.h"

#include <QPainter>

namespace OV {

void BaseImageButton::setPixmap(const QPixmap& pixmap)
{
    m_pixmap = pixmap;
    update();
}

void BaseImageButton::setScaleMode(int mode)
{
    m_scaleMode = mode;
    update();
}

void BaseImageButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    QPainter painter(this);
    if (m_pixmap.isNull()) {
        painter.fillRect(rect(), Qt::transparent);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    switch (m_scaleMode) {
    case Stretch:
        painter.drawPixmap(rect(), m_pixmap);
        break;
    case Fit:
    case 3: {
        const QPixmap scaled = m_pixmap.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        painter.drawPixmap((width() - scaled.width()) / 2, (height() - scaled.height()) / 2, scaled);
        break;
    }
    case Fill: {
        const QPixmap scaled = m_pixmap.scaled(size(), Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
        const QRect source((scaled.width() - width()) / 2, (scaled.height() - height()) / 2, width(), height());
        painter.drawPixmap(rect(), scaled, source);
        break;
    }
    default:
        break;
    }
}

} // namespace OV
