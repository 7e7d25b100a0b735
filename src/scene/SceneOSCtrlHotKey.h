#pragma once

#include "scene/SceneActionExPanel.h"

namespace OV {

class HotKeyRecorder;

// PC control "hotKey": a key combination the hub presses on the PC, as HID codes.
class SceneOSCtrlHotKey : public SceneActionExPanel
{
    Q_OBJECT
public:
    explicit SceneOSCtrlHotKey(const nlohmann::json& node, QWidget* parent = nullptr);

    nlohmann::json buildActionJson(bool showError) override;
    void reset() override;
    // Loads the stored hotkey value {"keys": [codes...]}; codes the key table lacks show as
    // "[unknown]".
    void bindData(const nlohmann::json& params) override;
    void setEditStateWatcher(EditStateWatcher* watcher) override;

    HotKeyRecorder* recorder() const { return m_recorder; }

private:
    HotKeyRecorder* m_recorder = nullptr;
};

} // namespace OV
