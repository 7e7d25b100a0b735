#pragma once

#include <QStandardItem>

#include <nlohmann/json.hpp>

#include <memory>

namespace OV {

// One node of a tree the hub hands out level by level. Groups are not selectable and carry a
// placeholder child until their children are asked for; leaves are loaded from the start.
class LoadedTreeItem : public QStandardItem
{
public:
    enum LoadState {
        NotLoaded = 0,
        Loading = 1,
        Loaded = 2,
        LoadFailed = 3,
    };

    // Throws the JSON library's type error for a node without a string "name", a boolean
    // "last" or, for a group, a string "id".
    explicit LoadedTreeItem(const nlohmann::json& node);
    ~LoadedTreeItem() override;

    // The root each dialog starts from: empty name, id and type, a group.
    static nlohmann::json rootNode();
    // The row offered after a failed load of a group's children.
    static nlohmann::json retryNode();

    const nlohmann::json& node() const { return m_node; }
    bool isLast() const { return m_last; }
    const QString& name() const { return m_name; }
    const QString& id() const { return m_id; }
    LoadState loadState() const { return m_state; }
    void setLoadState(LoadState state) { m_state = state; }
    // Set on a retry row: the group whose load failed.
    LoadedTreeItem* failedItem() const { return m_failedItem; }
    void setFailedItem(LoadedTreeItem* item) { m_failedItem = item; }

    // False once the item is destroyed; completions that outlive it look here first.
    std::weak_ptr<const bool> liveness() const { return m_alive; }
    // Numbers the loads of this item's children, so a stale answer is told from the current one.
    quint64 beginLoad() { return ++m_loadSerial; }
    quint64 loadSerial() const { return m_loadSerial; }

private:
    nlohmann::json m_node;
    bool m_last = false;
    QString m_name;
    QString m_id;
    LoadState m_state = NotLoaded;
    LoadedTreeItem* m_failedItem = nullptr;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    quint64 m_loadSerial = 0;
};

} // namespace OV
