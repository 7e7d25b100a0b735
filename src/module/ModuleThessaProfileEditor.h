#pragma once

#include "module/ModuleProfileEditor.h"

namespace OV {

class TapDetailConfigPanel;

// The sensor cube's five tap rhythms, each bound to an action list.
class ModuleThessaProfileEditor : public ModuleProfileEditor
{
    Q_OBJECT
public:
    ModuleThessaProfileEditor(QWidget* parent, std::shared_ptr<ProjectDbModuleBean> bean);

    void reloadMode();
    void selectMode(const std::string& mode);

    const std::string& selectedMode() const { return m_mode; }
    TapDetailConfigPanel* panel() const { return m_panel; }
    QButtonGroup* modeGroup() const { return m_modeGroup; }

protected:
    void onResetEdit() override;
    nlohmann::json buildDeployConfig(const nlohmann::json& cfg, const nlohmann::json& storedData) override;
    QList<ModuleEventPanel*> eventPanels() const override;
    QList<MainSceneActionConfigWidget*> actionWidgets() const override;

private:
    std::string m_mode = "mode1";
    TapDetailConfigPanel* m_panel = nullptr;
    QButtonGroup* m_modeGroup = nullptr;
};

} // namespace OV
