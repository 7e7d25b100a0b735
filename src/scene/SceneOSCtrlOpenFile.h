#pragma once

#include "scene/SceneActionExPanel.h"

class QLineEdit;
class QPushButton;

namespace OV {

// PC control "openFileOrFolder": opens a file or folder on the PC (the action "openFile").
class SceneOSCtrlOpenFile : public SceneActionExPanel
{
    Q_OBJECT
public:
    explicit SceneOSCtrlOpenFile(const nlohmann::json& node, QWidget* parent = nullptr);

    nlohmann::json buildActionJson(bool showError) override;
    void reset() override;
    void bindData(const nlohmann::json& params) override;
    void setEditStateWatcher(EditStateWatcher* watcher) override;

    QLineEdit* lineEdit() const { return m_edit; }
    QPushButton* fileButton() const { return m_fileButton; }
    QPushButton* folderButton() const { return m_folderButton; }
    bool isFolder() const { return m_folder; }

private:
    QLineEdit* m_edit = nullptr;
    QPushButton* m_fileButton = nullptr;
    QPushButton* m_folderButton = nullptr;
    bool m_folder = false;
};

} // namespace OV
