#pragma once

#include "module/ModuleProfileEditor.h"

#include <QPointer>

class QComboBox;
class QLabel;
class QPushButton;

namespace OV {

class ModuleCommonKeyConfigPanel;
class ModulePelloraDialog;

// The screen cube's button widgets, each with click, double click and long press, chosen by
// layer and widget. "Config" saves and then opens the cube's configuration window; when that
// closes the editor reads the module again.
class ModulePelloraProfileEditor : public ModuleProfileEditor
{
    Q_OBJECT
public:
    ModulePelloraProfileEditor(QWidget* parent, std::shared_ptr<ProjectDbModuleBean> bean);

    void reloadLayers();
    void onLayerSelected(int index);
    void onWidgetSelected(int index);
    void loadWidgetOptions();
    void selectEvent(const std::string& event);
    void onClickConfig();
    // Reads the module record again, after its window stored layers and widgets.
    void reloadBean();

    const nlohmann::json& layers() const { return m_layers; }
    int layerIndex() const { return m_layerIndex; }
    int widgetIndex() const { return m_widgetIndex; }
    QComboBox* layerCombo() const { return m_layerCombo; }
    QComboBox* widgetCombo() const { return m_widgetCombo; }
    QPushButton* configButton() const { return m_configButton; }
    QLabel* screenLabel() const { return m_screenLabel; }
    ModuleCommonKeyConfigPanel* panel() const { return m_panel; }
    ModulePelloraDialog* openDialog() const { return m_dialog; }

protected:
    void onResetEdit() override;
    nlohmann::json buildDeployConfig(const nlohmann::json& cfg, const nlohmann::json& storedData) override;
    QList<ModuleEventPanel*> eventPanels() const override;
    QList<MainSceneActionConfigWidget*> actionWidgets() const override;

private:
    // The "Config" button in its group box; a click saves and opens the cube's window.
    QGroupBox* createConfigButton();
    const nlohmann::json* selectedWidget() const;

    std::string m_event = "click";
    nlohmann::json m_layers = nlohmann::json::array();
    int m_layerIndex = -1;
    int m_widgetIndex = -1;
    QComboBox* m_layerCombo = nullptr;
    QComboBox* m_widgetCombo = nullptr;
    QPushButton* m_configButton = nullptr;
    QLabel* m_screenLabel = nullptr;
    QButtonGroup* m_eventGroup = nullptr;
    ModuleCommonKeyConfigPanel* m_panel = nullptr;
    QPointer<ModulePelloraDialog> m_dialog;
};

} // namespace OV
