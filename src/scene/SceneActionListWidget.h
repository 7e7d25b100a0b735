#pragma once

#include "scene/BaseListWidget.h"

#include <nlohmann/json.hpp>

#include <functional>

namespace OV {

class EditStateWatcher;

// An ordered list of action records (a module event's or a multi-action card's): one row per
// action, reordered by dragging, deleted from a row's menu, added through the shared picker
// with the "Add Action" row at the end. The owner sets the array, calls updateActionList and
// reads actions() back when saving.
class SceneActionListWidget : public BaseListWidget
{
    Q_OBJECT
public:
    static constexpr const char* kTag = "SceneActionListItemWidget";

    // Throws std::invalid_argument "editStateWatcher is null" for a null watcher.
    SceneActionListWidget(QWidget* parent, EditStateWatcher* watcher);

    std::function<void(int fromRow, int toRow)> dropSortCallback;

    const nlohmann::json& actions() const { return m_actions; }
    // Replaces the array (not yet shown: call updateActionList).
    void setActions(nlohmann::json actions);

    void updateActionList();
    void insertActionListItem(const nlohmann::json& action, int index);
    void onClickAddAction();

    EditStateWatcher* editStateWatcher() const { return m_watcher; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    void moveAction(int fromRow, int toRow);
    bool isBeyondActions(const QPoint& pos) const;
    bool isOwnPlace(const QDropEvent* event) const;
    void removeActionOfItem(QListWidgetItem* item);

    EditStateWatcher* m_watcher = nullptr;
    // The row under the last press on the list (-1: none).
    int m_pressRow = -1;
    nlohmann::json m_actions = nlohmann::json::array();
};

} // namespace OV
