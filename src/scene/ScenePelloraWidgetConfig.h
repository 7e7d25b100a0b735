#pragma once

#include "scene/SceneActionExPanel.h"

#include <memory>

class QComboBox;
class QLabel;

namespace OV {

class ProjectDbModuleBean;

// Picks a page of the screen cube (a layer and one of its widgets) for a hub action that
// switches the cube's page.
class ScenePelloraWidgetConfig : public SceneActionExPanel
{
    Q_OBJECT
public:
    static constexpr const char* kTag = "ScenePelloraWidgetConfig";

    // id: the screen cube's module record id as decimal text. Throws for text that is not a
    // number and std::invalid_argument "invalid pelloraId:<id>" when no such module is stored.
    ScenePelloraWidgetConfig(const std::string& id, const nlohmann::json& node, QWidget* parent = nullptr);

    nlohmann::json buildActionJson(bool showError) override;
    void reset() override;
    void setEditStateWatcher(EditStateWatcher* watcher) override;

    QComboBox* layerBox() const { return m_layerBox; }
    QComboBox* widgetBox() const { return m_widgetBox; }
    QLabel* previewLabel() const { return m_preview; }

private:
    void onLayerChosen(int index);
    void onWidgetChosen(int index);
    QPixmap storedPicture(const nlohmann::json& widget) const;
    const nlohmann::json* chosenWidget() const;

    int64_t m_moduleId = 0;
    std::shared_ptr<ProjectDbModuleBean> m_module;
    nlohmann::json m_layers = nlohmann::json::array();
    int m_layerIndex = -1;
    int m_widgetIndex = -1;
    QComboBox* m_layerBox = nullptr;
    QComboBox* m_widgetBox = nullptr;
    QLabel* m_preview = nullptr;
};

} // namespace OV
