#pragma once

#include "widgets/BaseWindow.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>

class QPushButton;

namespace OV {

class BaseLoadedTreeView;
class LoadedTreeItem;
class LoadedTreeModel;
class SceneActionConfigPanel;

// The dialog in which the user picks one action from the hub's action tree and configures it.
// One picker serves the whole process: the opener sets onActionSelected and a close request
// handler each time it shows it; "Add" hands the finished action record to onActionSelected.
class SceneActionPicker : public BaseWindow
{
    Q_OBJECT
public:
    static constexpr const char* kTag = "SceneActionPicker";

    // The process's picker, made without parent on first use.
    static std::shared_ptr<SceneActionPicker> instance();

    explicit SceneActionPicker(QWidget* parent = nullptr);

    std::function<void(const nlohmann::json&)> onActionSelected;

    void onItemSelected(LoadedTreeItem* item);
    void onClickAdd();
    void reload();

    BaseLoadedTreeView* treeView() const { return m_view; }
    LoadedTreeModel* treeModel() const { return m_model; }
    SceneActionConfigPanel* configPanel() const { return m_panel; }
    QPushButton* addButton() const { return m_addButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QPushButton* reloadButton() const { return m_reloadButton; }

protected:
    void onThemeChanged(ThemeLoader* loader) override;
    void showEvent(QShowEvent* event) override;

private:
    BaseLoadedTreeView* m_view = nullptr;
    LoadedTreeModel* m_model = nullptr;
    QWidget* m_contentHost = nullptr;
    SceneActionConfigPanel* m_panel = nullptr;
    QPushButton* m_reloadButton = nullptr;
    QPushButton* m_addButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

} // namespace OV
