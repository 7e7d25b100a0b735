#pragma once

#include "widgets/BaseWindow.h"

#include <memory>

class QButtonGroup;
class QStackedWidget;

namespace OV {

class ModulePelloraLayer;
class ModulePelloraNetwork;
class ProjectDbModuleBean;

// The screen cube's configuration window: "Network" (its Wi-Fi) and "Layer and Widget" (its
// pages and buttons). Throws std::runtime_error from the constructor when the module record
// cannot be loaded.
class ModulePelloraDialog : public BaseWindow
{
    Q_OBJECT
public:
    ModulePelloraDialog(qint64 moduleRecordId, QWidget* parent = nullptr);

    void onTapSelected(int index);

    std::shared_ptr<ProjectDbModuleBean> bean() const { return m_bean; }
    ModulePelloraNetwork* networkPage() const { return m_network; }
    ModulePelloraLayer* layerPage() const { return m_layer; }
    QButtonGroup* tabGroup() const { return m_tabs; }

protected:
    void onThemeChanged(ThemeLoader* loader) override;
    void onClose() override;

private:
    std::shared_ptr<ProjectDbModuleBean> m_bean;
    QButtonGroup* m_tabs = nullptr;
    QStackedWidget* m_stack = nullptr;
    ModulePelloraNetwork* m_network = nullptr;
    ModulePelloraLayer* m_layer = nullptr;
};

} // namespace OV
