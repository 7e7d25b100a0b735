#include "scene/BaseListWidget.h"

#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace OV {

BaseListWidget::BaseListWidget(QWidget* parent) : QListWidget(parent) {}

void BaseListWidget::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (QListWidgetItem* item = itemAt(pos)) {
        if (QWidget* row = itemWidget(item))
            m_pressOffset = row->mapFrom(viewport(), pos);
    }
    QListWidget::mousePressEvent(event);
}

void BaseListWidget::startDrag(Qt::DropActions supportedActions)
{
    QListWidgetItem* item = currentItem();
    QWidget* row = item ? itemWidget(item) : nullptr;
    if (!row) {
        QListWidget::startDrag(supportedActions);
        return;
    }
    const QModelIndexList indexes = selectedIndexes();
    QMimeData* data = model()->mimeData(indexes.isEmpty() ? QModelIndexList{indexFromItem(item)} : indexes);
    if (!data)
        return;
    QPixmap rendered(row->size() * row->devicePixelRatioF());
    rendered.setDevicePixelRatio(row->devicePixelRatioF());
    rendered.fill(Qt::transparent);
    row->render(&rendered, QPoint(), QRegion(), QWidget::DrawChildren);
    QPixmap picture(rendered.size());
    picture.setDevicePixelRatio(rendered.devicePixelRatio());
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setOpacity(0.5);
        painter.drawPixmap(0, 0, rendered);
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(picture);
    drag->setHotSpot(m_pressOffset);
    drag->exec(supportedActions, Qt::MoveAction);
}

} // namespace OV
