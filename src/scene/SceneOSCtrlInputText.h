#pragma once

#include "scene/SceneActionExPanel.h"

class QPlainTextEdit;

namespace OV {

// PC control "inputText": types a text on the PC, as written (blanks kept).
class SceneOSCtrlInputText : public SceneActionExPanel
{
    Q_OBJECT
public:
    explicit SceneOSCtrlInputText(const nlohmann::json& node, QWidget* parent = nullptr);

    nlohmann::json buildActionJson(bool showError) override;
    void reset() override;
    void bindData(const nlohmann::json& params) override;
    void setEditStateWatcher(EditStateWatcher* watcher) override;

    QPlainTextEdit* textEdit() const { return m_edit; }

private:
    QPlainTextEdit* m_edit = nullptr;
};

} // namespace OV
