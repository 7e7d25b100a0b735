#include "main/MainDeviceListItem.h"

#include "project/ProjectDbProfileBean.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

namespace OV {

MainDeviceListItem::MainDeviceListItem(QWidget* parent) : BaseWidget(parent)
{
    setAttribute(Qt::WA_MouseTracking);
}

void MainDeviceListItem::reloadEditor() {}

void MainDeviceListItem::onCurrentProfileChanged(std::shared_ptr<ProjectDbProfileBean> profile)
{
    m_currentProfile = std::move(profile);
    reloadEditor();
}

QByteArray MainDeviceListItem::dragIdentity() const
{
    return QByteArray::number(static_cast<quint64>(reinterpret_cast<quintptr>(this)));
}

void MainDeviceListItem::startDrag()
{
    auto* mime = new QMimeData;
    mime->setData(QLatin1String(kMimeType), dragIdentity());
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    QPointer<MainDeviceListItem> self(this);
    drag->exec(Qt::MoveAction);
    if (self)
        self->setOpacity(1.0f);
}

void MainDeviceListItem::onPressedChanged(bool pressed)
{
    setOpacity(pressed ? 0.7f : 1.0f);
}

void MainDeviceListItem::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton || m_keepEveryPress)
        m_pressPos = event->position().toPoint();
    BaseWidget::mousePressEvent(event);
}

void MainDeviceListItem::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        if (m_draggable)
            startDrag();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

} // namespace OV
