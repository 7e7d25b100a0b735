#pragma once

#include "module/ModulePelloraWidgetEditor.h"
#include "module/PelloraWidget.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace OV {

class DragFlowLayoutContainer;
class PelloraAddingItem;
class PelloraWidgetItem;
class ProjectDbModuleBean;

// The widget grid of one screen-cube layer: up to six tiles the user adds, edits, deletes and
// drags into order, and the "Add Widget" tile last. It edits its layer inside the layer editor's
// working copy, found by layer id each time, so adding or deleting other layers never leaves
// it pointing at a moved array.
class ModulePelloraWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMaxWidgets = 6;

    ModulePelloraWidget(ProjectDbModuleBean* bean, int layerId, nlohmann::json& layers, QWidget* parent = nullptr);

    void addNewItemToLayout(const nlohmann::json& widget, const QPixmap& icon, PelloraImageMap images);
    void onClickAddingItem();
    void onEditItem(PelloraWidgetItem* item);
    void deleteItem(PelloraWidgetItem* item, int64_t widgetId);
    // Rewrites the layer's "widgets" from the tiles in their shown order; returns their images.
    PelloraImageMap collectWidgets();

    // The smallest free id of layerId x 100 + 1 .. 6, or layerId x 100 + 1 when all are taken.
    static int64_t nextWidgetId(int layerId, const nlohmann::json& widgets);

    int layerId() const { return m_layerId; }
    QList<PelloraWidgetItem*> items() const;
    PelloraAddingItem* addingItem() const { return m_addingItem; }
    DragFlowLayoutContainer* container() const { return m_container; }
    // The widget editor opened last, while it is open.
    ModulePelloraWidgetEditor* openEditor() const { return m_openEditor; }
    // Called after every change of the grid.
    std::function<void()> changedCallback;

private:
    nlohmann::json* layerWidgets();
    void markChanged();

    ProjectDbModuleBean* m_bean;
    int m_layerId;
    nlohmann::json& m_layers;
    DragFlowLayoutContainer* m_container = nullptr;
    PelloraAddingItem* m_addingItem = nullptr;
    QPointer<ModulePelloraWidgetEditor> m_openEditor;
};

} // namespace OV
