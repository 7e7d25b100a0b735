#include "scene/LoadedTreeModel.h"

#include "core/Logger.h"
#include "core/Utils.h"
#include "scene/LoadedTreeItem.h"

#include <QCoreApplication>
#include <QFont>
#include <QPointer>

#include <exception>

namespace OV {

namespace {

const QColor kNoMoreItemsColor(0x8e, 0x91, 0x94);

QStandardItem* plainRow(const QString& text)
{
    auto* row = new QStandardItem(text);
    row->setEditable(false);
    row->setSelectable(false);
    return row;
}

} // namespace

LoadedTreeModel::LoadedTreeModel(QObject* parent) : QStandardItemModel(parent) {}

LoadedTreeItem* LoadedTreeModel::appendRootNode()
{
    auto* root = new LoadedTreeItem(LoadedTreeItem::rootNode());
    appendRow(root);
    return root;
}

LoadedTreeItem* LoadedTreeModel::loadedItem(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return dynamic_cast<LoadedTreeItem*>(itemFromIndex(index));
}

void LoadedTreeModel::loadChildren(LoadedTreeItem* item)
{
    if (!item || !m_loader)
        return;
    const auto state = item->loadState();
    if (state != LoadedTreeItem::NotLoaded && state != LoadedTreeItem::LoadFailed)
        return;
    item->setLoadState(LoadedTreeItem::Loading);
    item->removeRows(0, item->rowCount());
    item->appendRow(plainRow(tr("Loading...")));

    const quint64 serial = item->beginLoad();
    QPointer<LoadedTreeModel> model(this);
    std::weak_ptr<const bool> alive = item->liveness();
    auto answered = std::make_shared<bool>(false);
    // Guarded twice: the model may be gone, or the item removed (a reload clears the model).
    m_loader(item, [model, item, alive, serial, answered](const BaseResult<nlohmann::json>& result) {
        if (*answered)
            return;
        *answered = true;
        const auto itemAlive = alive.lock();
        if (!model || !itemAlive || !*itemAlive)
            return;
        if (item->loadSerial() != serial || item->loadState() != LoadedTreeItem::Loading)
            return;
        model->complete(item, result);
    });
}

void LoadedTreeModel::complete(LoadedTreeItem* item, const BaseResult<nlohmann::json>& result)
{
    item->removeRows(0, item->rowCount());
    const bool isArray = result.isOk() && result.data && result.data->is_array();
    if (!isArray) {
        // A success without an array is as unusable as a failure: offer the retry.
        item->setLoadState(LoadedTreeItem::LoadFailed);
        auto* retry = new LoadedTreeItem(LoadedTreeItem::retryNode());
        retry->setFailedItem(item);
        // Why it failed, for the pointer resting on the retry row.
        const ErrorCode error = result.isOk() ? Errors::KestrinReplyError : result.error;
        const QString detail = result.isOk() ? tr("the reply holds no list") : result.message;
        const QString text = QCoreApplication::translate("OV::ErrorCode", error.text);
        retry->setToolTip(plainToolTip(detail.isEmpty() ? text : tr("%1, details: %2").arg(text, detail)));
        item->appendRow(retry);
        return;
    }
    item->setLoadState(LoadedTreeItem::Loaded);
    for (const nlohmann::json& node : *result.data) {
        try {
            item->appendRow(new LoadedTreeItem(node));
        } catch (const std::exception& e) {
            Logger::error(kTag, "loadChildren error:%s", e.what());
        }
    }
    if (result.data->empty()) {
        QStandardItem* none = plainRow(tr("No more items"));
        none->setForeground(kNoMoreItemsColor);
        QFont font = none->font();
        font.setItalic(true);
        none->setFont(font);
        item->appendRow(none);
    }
}

} // namespace OV
