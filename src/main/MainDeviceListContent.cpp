#include "main/MainDeviceListContent.h"

#include "main/MainDeviceListAddingItem.h"
#include "main/MainDeviceListItem.h"

#include <QDropEvent>
#include <QEvent>
#include <QHBoxLayout>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>

#include <cmath>

namespace OV {

MainDeviceListContent::MainDeviceListContent(QScrollArea* scrollArea, QWidget* parent)
    : QWidget(parent), m_scrollArea(scrollArea)
{
    setAcceptDrops(true);
    setAttribute(Qt::WA_StyledBackground);
    m_layout = new QHBoxLayout(this);
    m_layout->setSpacing(0);
    m_layout->setContentsMargins(16, 0, 16, 0);
    m_layout->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_addingItem = new MainDeviceListAddingItem(this);
    m_layout->addWidget(m_addingItem);
    // The hub's tile narrows or widens with the row's visible width.
    if (m_scrollArea)
        m_scrollArea->viewport()->installEventFilter(this);
    updateWidth();
    reportOrder();
}

bool MainDeviceListContent::eventFilter(QObject* watched, QEvent* event)
{
    if (m_scrollArea && watched == m_scrollArea->viewport() && event->type() == QEvent::Resize)
        updateWidth();
    return QWidget::eventFilter(watched, event);
}

QList<MainDeviceListItem*> MainDeviceListContent::tiles() const
{
    QList<MainDeviceListItem*> result;
    for (int i = 0; i < m_layout->count(); ++i) {
        if (auto* tile = qobject_cast<MainDeviceListItem*>(m_layout->itemAt(i)->widget()))
            result.append(tile);
    }
    return result;
}

void MainDeviceListContent::insertTile(MainDeviceListItem* tile)
{
    m_layout->insertWidget(m_layout->count() - 1, tile);
}

void MainDeviceListContent::updateWidth()
{
    // The margins count too, or the last tile ("+") would be clipped at the right.
    const QMargins margins = m_layout->contentsMargins();
    // A tile that fits itself to the room (the hub's) takes what the visible row leaves beside
    // the others, so that a module and "+" are in view next to it in a window of the first size.
    if (m_scrollArea) {
        int others = margins.left() + margins.right();
        MainDeviceListItem* fitting = nullptr;
        for (int i = 0; i < m_layout->count(); ++i) {
            QWidget* widget = m_layout->itemAt(i)->widget();
            auto* tile = qobject_cast<MainDeviceListItem*>(widget);
            if (tile && tile->fitsToRoom() && !fitting)
                fitting = tile;
            else if (widget)
                others += widget->width() + m_layout->spacing();
        }
        if (fitting)
            fitting->fitToRoom(m_scrollArea->viewport()->width() - others);
    }
    int sum = margins.left() + margins.right();
    int widgets = 0;
    for (int i = 0; i < m_layout->count(); ++i) {
        if (QWidget* widget = m_layout->itemAt(i)->widget()) {
            sum += widget->width();
            ++widgets;
        }
    }
    if (widgets > 1)
        sum += m_layout->spacing() * (widgets - 1);
    setMinimumWidth(sum);
    if (m_scrollArea)
        m_scrollArea->horizontalScrollBar()->setRange(0, sum);
}

void MainDeviceListContent::reportOrder()
{
    if (!orderCallback)
        return;
    std::vector<int64_t> ids;
    for (MainDeviceListItem* tile : tiles()) {
        if (tile->deviceId() != MainDeviceListItem::kAddingId)
            ids.push_back(tile->deviceId());
    }
    orderCallback(std::move(ids));
}

void MainDeviceListContent::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(QLatin1String(MainDeviceListItem::kMimeType)))
        event->acceptProposedAction();
}

void MainDeviceListContent::dragMoveEvent(QDragMoveEvent* event)
{
    event->acceptProposedAction();
}

void MainDeviceListContent::dropEvent(QDropEvent* event)
{
    const QString mime = QLatin1String(MainDeviceListItem::kMimeType);
    if (!event->mimeData()->hasFormat(mime))
        return;
    // The payload names a tile by its address; only a tile of this row matches, and it is
    // found by comparison, never by following the number.
    bool ok = false;
    const quint64 identity = event->mimeData()->data(mime).trimmed().toULongLong(&ok);
    if (!ok)
        return;
    int from = -1;
    for (int i = 0; i < m_layout->count(); ++i) {
        auto* tile = qobject_cast<MainDeviceListItem*>(m_layout->itemAt(i)->widget());
        if (tile && static_cast<quint64>(reinterpret_cast<quintptr>(tile)) == identity) {
            from = i;
            break;
        }
    }
    if (from < 0)
        return;
    const int count = m_layout->count();
    // The adding tile is last and stays there.
    if (from == count - 1)
        return;
    const int x = static_cast<int>(std::lround(event->position().x()));
    int index = count;
    for (int i = 0; i < count; ++i) {
        QWidget* widget = m_layout->itemAt(i)->widget();
        if (widget && widget->geometry().center().x() > x) {
            index = i;
            break;
        }
    }
    if (from < index)
        --index;
    index = std::min(index, count - 2);
    QWidget* tile = m_layout->itemAt(from)->widget();
    m_layout->removeWidget(tile);
    m_layout->insertWidget(index, tile);
    updateWidth();
    event->acceptProposedAction();
    reportOrder();
}

} // namespace OV
