#include "main/DragFlowLayoutContainer.h"

#include "widgets/DragFlowLayout.h"

#include <QDebug>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

namespace OV {

DragFlowLayoutContainer::DragFlowLayoutContainer(QWidget* parent, int margin, int hSpacing, int vSpacing)
    : QWidget(parent)
{
    setAcceptDrops(true);
    m_layout = new DragFlowLayout(this, margin, hSpacing, vSpacing);
}

bool DragFlowLayoutContainer::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::PolishRequest:
    case QEvent::Polish:
    case QEvent::FontChange:
    case QEvent::StyleChange:
        qDebug() << "EVENT:" << event->type();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void DragFlowLayoutContainer::dragEnterEvent(QDragEnterEvent* event)
{
    event->acceptProposedAction();
}

void DragFlowLayoutContainer::dragMoveEvent(QDragMoveEvent* event)
{
    const QPoint pos = event->position().toPoint();
    int index = -1;
    for (int i = 0; i < m_layout->count(); ++i) {
        if (m_layout->itemAt(i)->geometry().contains(pos)) {
            index = i;
            break;
        }
    }
    if (m_layout->hasFixedLastItem() && index >= m_layout->count() - 1)
        index = m_layout->count() - 2;
    m_dropIndex = index;
    event->acceptProposedAction();
    update();
}

void DragFlowLayoutContainer::dropEvent(QDropEvent* event)
{
    // An index from a drag that started on another widget of this process names no tile here.
    auto* source = qobject_cast<QWidget*>(event->source());
    bool ok = false;
    const int from = event->mimeData()->data(QLatin1String(kSourceIndexKey)).toInt(&ok);
    if (ok && (!source || isAncestorOf(source)) && m_dropIndex >= 0) {
        m_layout->moveItem(from, m_dropIndex);
        event->acceptProposedAction();
    }
    m_dropIndex = -1;
    update();
}

} // namespace OV
