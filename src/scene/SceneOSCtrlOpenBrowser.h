#pragma once

#include "scene/SceneActionExPanel.h"

class QLineEdit;

namespace OV {

// PC control "openBrowser": opens a web page.
class SceneOSCtrlOpenBrowser : public SceneActionExPanel
{
    Q_OBJECT
public:
    explicit SceneOSCtrlOpenBrowser(const nlohmann::json& node, QWidget* parent = nullptr);

    nlohmann::json buildActionJson(bool showError) override;
    void reset() override;
    void bindData(const nlohmann::json& params) override;
    void setEditStateWatcher(EditStateWatcher* watcher) override;

    QLineEdit* lineEdit() const { return m_edit; }

private:
    QLineEdit* m_edit = nullptr;
};

} // namespace OV
