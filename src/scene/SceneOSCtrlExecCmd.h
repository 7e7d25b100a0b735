#pragma once

#include "scene/SceneOSCtrlLineEditPanel.h"

namespace OV {

// PC control "execCmd": runs a command line through the shell.
class SceneOSCtrlExecCmd : public SceneOSCtrlLineEditPanel
{
    Q_OBJECT
public:
    explicit SceneOSCtrlExecCmd(const nlohmann::json& node, QWidget* parent = nullptr);

    nlohmann::json buildActionJson(bool showError) override;
};

} // namespace OV
