#include "scene/BaseLoadedTreeView.h"

#include "scene/LoadedTreeItem.h"
#include "scene/LoadedTreeModel.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace OV {

BaseLoadedTreeView::BaseLoadedTreeView(QWidget* parent) : QTreeView(parent)
{
    setExpandsOnDoubleClick(false);
    setHeaderHidden(true);
    setFrameShape(QFrame::NoFrame);
    setRootIsDecorated(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIndentation(16);
}

void BaseLoadedTreeView::setLoadedModel(LoadedTreeModel* model)
{
    m_model = model;
    setModel(model);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (m_model)
            m_model->loadChildren(m_model->loadedItem(index));
    });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        LoadedTreeItem* item = m_model ? m_model->loadedItem(index) : nullptr;
        if (item && item->loadState() == LoadedTreeItem::LoadFailed)
            m_model->loadChildren(item);
    });
}

void BaseLoadedTreeView::restartFromRoot()
{
    if (!m_model)
        return;
    m_model->clear();
    LoadedTreeItem* root = m_model->appendRootNode();
    const QModelIndex index = root->index();
    setCurrentIndex(index);
    expand(index);
    // Expanding already asked for the children; this covers a root that was expanded before.
    m_model->loadChildren(root);
}

void BaseLoadedTreeView::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        QTreeView::mousePressEvent(event);
        return;
    }
    LoadedTreeItem* item = m_model ? m_model->loadedItem(index) : nullptr;
    if (!item) {
        event->accept();
        return;
    }
    if (LoadedTreeItem* failed = item->failedItem()) {
        // Loading again removes the retry row, and with it the pressed item: touch neither.
        event->accept();
        m_model->loadChildren(failed);
        return;
    }
    if (!item->isLast()) {
        setExpanded(index, !isExpanded(index));
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

} // namespace OV
