#pragma once

#include "module/ModuleProfileEditor.h"

namespace OV {

class ModuleCommonKeyConfigPanel;

// The key-button module's events: three buttons with click, double click and long press each.
class ModulePipwickProfileEditor : public ModuleProfileEditor
{
    Q_OBJECT
public:
    ModulePipwickProfileEditor(QWidget* parent, std::shared_ptr<ProjectDbModuleBean> bean);

    void reloadKey();
    void selectKey(const std::string& key);
    void selectEvent(const std::string& event);

    const std::string& selectedKey() const { return m_key; }
    const std::string& selectedEvent() const { return m_event; }
    ModuleCommonKeyConfigPanel* panel() const { return m_panel; }
    QButtonGroup* keyGroup() const { return m_keyGroup; }
    QButtonGroup* eventGroup() const { return m_eventGroup; }

protected:
    void onResetEdit() override;
    nlohmann::json buildDeployConfig(const nlohmann::json& cfg, const nlohmann::json& storedData) override;
    bool removesFromProfileList() const override { return false; }
    QList<ModuleEventPanel*> eventPanels() const override;
    QList<MainSceneActionConfigWidget*> actionWidgets() const override;

private:
    std::string m_key = "button1";
    std::string m_event = "click";
    ModuleCommonKeyConfigPanel* m_panel = nullptr;
    QButtonGroup* m_keyGroup = nullptr;
    QButtonGroup* m_eventGroup = nullptr;
};

} // namespace OV
