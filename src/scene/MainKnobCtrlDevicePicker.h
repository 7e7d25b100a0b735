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

// "Device Choose": the hub's knob-control devices as a tree; "Choose" hands the selected
// device's node to onDeviceChosen. One picker serves the process; the caller hides it.
class MainKnobCtrlDevicePicker : public BaseWindow
{
    Q_OBJECT
public:
    static constexpr const char* kTag = "KnobCtrlDevicePicker";

    static std::shared_ptr<MainKnobCtrlDevicePicker> instance();

    explicit MainKnobCtrlDevicePicker(QWidget* parent = nullptr);

    std::function<void(const nlohmann::json& node)> onDeviceChosen;

    void onClickAdd();

    BaseLoadedTreeView* treeView() const { return m_view; }
    LoadedTreeModel* treeModel() const { return m_model; }
    QPushButton* chooseButton() const { return m_chooseButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    LoadedTreeItem* selectedItem() const;

protected:
    void onThemeChanged(ThemeLoader* loader) override;
    void showEvent(QShowEvent* event) override;

private:
    BaseLoadedTreeView* m_view = nullptr;
    LoadedTreeModel* m_model = nullptr;
    LoadedTreeItem* m_selectedItem = nullptr;
    std::weak_ptr<const bool> m_selectedAlive;
    QPushButton* m_chooseButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

} // namespace OV
