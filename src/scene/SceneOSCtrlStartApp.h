#pragma once

#include "scene/SceneActionExPanel.h"

#include <QString>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace OV {

class OSController;

// PC control "startApp": starts an application, as a single instance (bring a running one to
// the front) or a new one each time.
class SceneOSCtrlStartApp : public SceneActionExPanel
{
    Q_OBJECT
public:
    explicit SceneOSCtrlStartApp(const nlohmann::json& node, QWidget* parent = nullptr);

    // Set by a host that wants the chosen application (the PC-control card takes its icon).
    std::function<void(const QString& path)> onPathChosen;

    nlohmann::json buildActionJson(bool showError) override;
    void reset() override;
    void bindData(const nlohmann::json& params) override;
    void setEditStateWatcher(EditStateWatcher* watcher) override;

    QLineEdit* lineEdit() const { return m_edit; }
    QPushButton* browseButton() const { return m_browseButton; }
    QPushButton* runningListButton() const { return m_runningButton; }
    QCheckBox* singleInstanceBox() const { return m_single; }
    QCheckBox* newInstanceBox() const { return m_new; }

    // The controller the running-application list reads; null (the default) is the process's.
    void setController(OSController* controller) { m_controller = controller; }

private:
    void openRunningList();

    QLineEdit* m_edit = nullptr;
    QPushButton* m_browseButton = nullptr;
    QPushButton* m_runningButton = nullptr;
    QCheckBox* m_single = nullptr;
    QCheckBox* m_new = nullptr;
    OSController* m_controller = nullptr;
};

} // namespace OV
