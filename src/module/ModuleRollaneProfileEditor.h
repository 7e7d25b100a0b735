#pragma once

#include "module/ModuleProfileEditor.h"

class QStackedWidget;

namespace OV {

class ModuleCommonKeyConfigPanel;
class ModuleCommonKnobConfigPanel;

// The knob module's events: its button's click, double click and long press, and the device
// each turn direction drives.
class ModuleRollaneProfileEditor : public ModuleProfileEditor
{
    Q_OBJECT
public:
    ModuleRollaneProfileEditor(QWidget* parent, std::shared_ptr<ProjectDbModuleBean> bean);

    void selectItem(const std::string& item);
    void showButtonConfig();
    void showKnobConfig();
    void selectButtonEvent(const std::string& event);
    void selectKnobEvent(const std::string& event);

    const std::string& selectedItem() const { return m_item; }
    ModuleCommonKeyConfigPanel* keyPanel() const { return m_keyPanel; }
    ModuleCommonKnobConfigPanel* knobPanel() const { return m_knobPanel; }
    QButtonGroup* itemGroup() const { return m_itemGroup; }

protected:
    void onResetEdit() override;
    nlohmann::json buildDeployConfig(const nlohmann::json& cfg, const nlohmann::json& storedData) override;
    QList<ModuleEventPanel*> eventPanels() const override;
    QList<MainSceneActionConfigWidget*> actionWidgets() const override;

private:
    std::string m_item = "button";
    std::string m_buttonEvent = "click";
    std::string m_knobEvent = "turnLeft";
    ModuleCommonKeyConfigPanel* m_keyPanel = nullptr;
    ModuleCommonKnobConfigPanel* m_knobPanel = nullptr;
    QStackedWidget* m_groupStack = nullptr;
    QStackedWidget* m_panelStack = nullptr;
    QButtonGroup* m_itemGroup = nullptr;
    QButtonGroup* m_buttonEventGroup = nullptr;
    QButtonGroup* m_knobEventGroup = nullptr;
};

} // namespace OV
