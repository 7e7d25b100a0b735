#include "module/ModulePelloraWidget.h"

#include "core/Utils.h"
#include "main/DragFlowLayoutContainer.h"
#include "module/ModulePelloraWidgetEditor.h"
#include "module/PelloraAddingItem.h"
#include "module/PelloraDeployData.h"
#include "module/PelloraWidgetItem.h"
#include "project/ProjectDbModuleBean.h"
#include "widgets/DragFlowLayout.h"
#include "widgets/MessageDialog.h"

#include <QVBoxLayout>

#include <set>

namespace OV {

namespace {

// The image the widget's "icon" names among the images the editor handed back; null if none.
QPixmap iconImage(const PelloraWidgetInfo& info)
{
    const auto icon = info.widget.find("icon");
    if (icon == info.widget.end() || !icon->is_string())
        return {};
    const auto found = info.images.find(OV::fromStdText(icon->get<std::string>()));
    return found != info.images.end() ? found->second : QPixmap();
}

} // namespace

ModulePelloraWidget::ModulePelloraWidget(ProjectDbModuleBean* bean, int layerId, nlohmann::json& layers,
                                         QWidget* parent)
    : QWidget(parent), m_bean(bean), m_layerId(layerId), m_layers(layers)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    m_container = new DragFlowLayoutContainer(this, 0, 20, 16);
    m_container->dragFlowLayout()->setFixedLastItem(true);
    layout->addWidget(m_container, 1);

    m_addingItem = new PelloraAddingItem(m_container);
    m_container->dragFlowLayout()->addWidget(m_addingItem);
    connect(m_addingItem, &BaseWidget::clicked, this, &ModulePelloraWidget::onClickAddingItem);

    const int64_t ownerId = bean ? bean->id : -1;
    if (const nlohmann::json* widgets = layerWidgets()) {
        for (const nlohmann::json& widget : *widgets) {
            const auto icon = widget.is_object() ? widget.find("icon") : widget.end();
            QPixmap image;
            if (widget.is_object() && icon != widget.end() && icon->is_string())
                image = loadModuleImage(ownerId, OV::fromStdText(icon->get<std::string>()));
            addNewItemToLayout(widget, image, {});
        }
    }
}

nlohmann::json* ModulePelloraWidget::layerWidgets()
{
    if (!m_layers.is_array())
        return nullptr;
    for (nlohmann::json& layer : m_layers) {
        if (!layer.is_object())
            continue;
        const auto id = layer.find("id");
        if (id == layer.end() || !id->is_number_integer() || id->get<int64_t>() != m_layerId)
            continue;
        nlohmann::json& widgets = layer["widgets"];
        if (!widgets.is_array())
            widgets = nlohmann::json::array();
        return &widgets;
    }
    return nullptr;
}

void ModulePelloraWidget::markChanged()
{
    if (changedCallback)
        changedCallback();
}

QList<PelloraWidgetItem*> ModulePelloraWidget::items() const
{
    QList<PelloraWidgetItem*> out;
    DragFlowLayout* layout = m_container->dragFlowLayout();
    for (int i = 0; i < layout->count(); ++i) {
        if (auto* item = qobject_cast<PelloraWidgetItem*>(layout->itemAt(i)->widget()))
            out << item;
    }
    return out;
}

int64_t ModulePelloraWidget::nextWidgetId(int layerId, const nlohmann::json& widgets)
{
    std::set<int64_t> used;
    if (widgets.is_array()) {
        for (const nlohmann::json& widget : widgets) {
            const auto id = widget.is_object() ? widget.find("id") : widget.end();
            if (widget.is_object() && id != widget.end() && id->is_number_integer())
                used.insert(id->get<int64_t>());
        }
    }
    for (int n = 1; n <= kMaxWidgets; ++n) {
        const int64_t candidate = int64_t(layerId) * 100 + n;
        if (used.count(candidate) == 0)
            return candidate;
    }
    return int64_t(layerId) * 100 + 1;
}

void ModulePelloraWidget::addNewItemToLayout(const nlohmann::json& widget, const QPixmap& icon, PelloraImageMap images)
{
    auto* item = new PelloraWidgetItem(m_container);
    item->updateItem(widget, icon, std::move(images));
    QPointer<PelloraWidgetItem> guard(item);
    item->menuCallback = [this, guard](int code) {
        if (code == 0 && guard)
            deleteItem(guard, guard->widgetId());
    };
    connect(item, &BaseWidget::clicked, this, [this, guard] {
        if (guard)
            onEditItem(guard);
    });
    // Placed just before the "Add Widget" tile, which stays last.
    DragFlowLayout* layout = m_container->dragFlowLayout();
    layout->addWidget(item);
    layout->setFixedLastItem(false);
    layout->moveItem(layout->count() - 1, layout->count() - 2);
    layout->setFixedLastItem(true);
}

void ModulePelloraWidget::onClickAddingItem()
{
    nlohmann::json* widgets = layerWidgets();
    if (!widgets)
        return;
    if (int(widgets->size()) >= kMaxWidgets) {
        MessageDialog::error(tr("Maximum of %1 widget items allowed").arg(kMaxWidgets), true);
        return;
    }
    const int64_t id = nextWidgetId(m_layerId, *widgets);
    const nlohmann::json widget = {
        {"uniqueId", createUuid().toStdString()}, {"id", id}, {"name", tr("Widget %1").arg(id % 100).toStdString()}};
    auto* editor = new ModulePelloraWidgetEditor(m_bean, widget, {});
    QPointer<ModulePelloraWidget> self(this);
    editor->saveCallback = [self](const PelloraWidgetInfo& info) {
        if (!self)
            return;
        nlohmann::json* target = self->layerWidgets();
        if (!target)
            return;
        self->addNewItemToLayout(info.widget, iconImage(info), info.images);
        target->push_back(info.widget);
        self->markChanged();
    };
    m_openEditor = editor;
    editor->show();
}

void ModulePelloraWidget::onEditItem(PelloraWidgetItem* item)
{
    if (!item)
        return;
    auto* editor = new ModulePelloraWidgetEditor(m_bean, item->widget(), item->images());
    QPointer<ModulePelloraWidget> self(this);
    QPointer<PelloraWidgetItem> guard(item);
    editor->saveCallback = [self, guard](const PelloraWidgetInfo& info) {
        if (!self || !guard)
            return;
        guard->updateItem(info.widget, iconImage(info), info.images);
        self->markChanged();
    };
    m_openEditor = editor;
    editor->show();
}

void ModulePelloraWidget::deleteItem(PelloraWidgetItem* item, int64_t widgetId)
{
    if (!item)
        return;
    DragFlowLayout* layout = m_container->dragFlowLayout();
    layout->removeWidget(item);
    item->hide();
    item->deleteLater();
    // The remaining tiles close the gap at once.
    layout->invalidate();
    layout->activate();
    if (nlohmann::json* widgets = layerWidgets()) {
        for (auto it = widgets->begin(); it != widgets->end(); ++it) {
            const auto id = it->is_object() ? it->find("id") : it->end();
            if (it->is_object() && id != it->end() && id->is_number_integer() && id->get<int64_t>() == widgetId) {
                widgets->erase(it);
                break;
            }
        }
    }
    markChanged();
}

PelloraImageMap ModulePelloraWidget::collectWidgets()
{
    PelloraImageMap images;
    nlohmann::json rebuilt = nlohmann::json::array();
    for (PelloraWidgetItem* item : items()) {
        rebuilt.push_back(item->widget());
        for (const auto& [name, pixmap] : item->images())
            images[name] = pixmap;
    }
    if (nlohmann::json* widgets = layerWidgets())
        *widgets = std::move(rebuilt);
    return images;
}

} // namespace OV
