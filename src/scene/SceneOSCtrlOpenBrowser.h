#pragma once

#include "scene/SceneOSCtrlLineEditPanel.h"

namespace OV {

// PC control "openBrowser": opens a web page.
class SceneOSCtrlOpenBrowser : public SceneOSCtrlLineEditPanel
{
    Q_OBJECT
public:
    explicit SceneOSCtrlOpenBrowser(const nlohmann::json& node, QWidget* parent = nullptr);

    nlohmann::json buildActionJson(bool showError) override;
};

} // namespace OV
