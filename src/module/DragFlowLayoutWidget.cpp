#include "module/DragFlowLayoutWidget.h"

#include "main/DragFlowLayoutContainer.h"

#include <QDrag>
#include <QLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace OV {

DragFlowLayoutWidget::DragFlowLayoutWidget(QWidget* parent) : BaseWidget(parent) {}

int DragFlowLayoutWidget::layoutIndex() const
{
    QWidget* parent = parentWidget();
    if (!parent || !parent->layout())
        return -1;
    return parent->layout()->indexOf(const_cast<DragFlowLayoutWidget*>(this));
}

QPixmap DragFlowLayoutWidget::dragPixmap()
{
    const QPixmap grabbed = grab();
    const QSize size(qRound(grabbed.width() * 0.7), qRound(grabbed.height() * 0.7));
    QPixmap out(size);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setOpacity(0.8);
    painter.drawPixmap(out.rect(), grabbed.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return out;
}

void DragFlowLayoutWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressPos = event->position().toPoint();
        m_pressed = true;
    }
    BaseWidget::mousePressEvent(event);
}

void DragFlowLayoutWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed && m_draggable && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - m_pressPos).manhattanLength() >= kDragDistance) {
        m_pressed = false;
        startDrag();
        return;
    }
    BaseWidget::mouseMoveEvent(event);
}

void DragFlowLayoutWidget::mouseReleaseEvent(QMouseEvent* event)
{
    m_pressed = false;
    BaseWidget::mouseReleaseEvent(event);
}

QMimeData* DragFlowLayoutWidget::createMimeData() const
{
    const int index = layoutIndex();
    if (index < 0)
        return nullptr;
    auto* mime = new QMimeData();
    mime->setData(QLatin1String(DragFlowLayoutContainer::kSourceIndexKey), QByteArray::number(index));
    return mime;
}

void DragFlowLayoutWidget::startDrag()
{
    QMimeData* mime = createMimeData();
    if (!mime)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const QPixmap picture = dragPixmap();
    drag->setPixmap(picture);
    drag->setHotSpot(QPoint(picture.width() / 2, picture.height() / 2));
    drag->exec(Qt::MoveAction);
}

} // namespace OV
