#pragma once

#include "core/BaseResult.h"

#include <QStandardItemModel>

#include <nlohmann/json.hpp>

#include <functional>

namespace OV {

class LoadedTreeItem;

// A tree model whose groups fetch their children through a loader the first time they are
// expanded, with a "Loading..." row while waiting, "No more items" for an empty answer and a
// retry row after a failure.
class LoadedTreeModel : public QStandardItemModel
{
    Q_OBJECT
public:
    using Done = std::function<void(const BaseResult<nlohmann::json>&)>;
    // Fetches the children of the item's id and calls done exactly once, at once or later on
    // the GUI thread, with the array of child nodes on success.
    using Loader = std::function<void(LoadedTreeItem* item, Done done)>;

    static constexpr const char* kTag = "ActionTreeModel";

    explicit LoadedTreeModel(QObject* parent = nullptr);

    void setLoader(Loader loader) { m_loader = std::move(loader); }
    bool hasLoader() const { return bool(m_loader); }

    // Starts loading the children of a group that is not loaded yet or whose load failed.
    void loadChildren(LoadedTreeItem* item);
    // Appends a fresh root group and returns it.
    LoadedTreeItem* appendRootNode();

    // The loaded item at an index, or null for anything else (the "Loading..." and "No more
    // items" rows, an invalid index).
    LoadedTreeItem* loadedItem(const QModelIndex& index) const;

private:
    void complete(LoadedTreeItem* item, const BaseResult<nlohmann::json>& result);

    Loader m_loader;
};

} // namespace OV
