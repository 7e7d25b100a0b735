#include "module/ModulePelloraProfileEditor.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "main/MainWindow.h"
#include "module/ModuleCommonKeyConfigPanel.h"
#include "module/ModuleEventDeployData.h"
#include "module/ModulePelloraDialog.h"
#include "module/ModuleRecordWriter.h"
#include "module/PelloraDeployData.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "scene/MainSceneActionConfigWidget.h"
#include "store/StoreUtils.h"
#include "widgets/BaseWidget.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"
#include "widgets/ToastWidget.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace OV {

namespace {

constexpr const char* kTag = "ModulePelloraProfileEditor";

QString textOf(const nlohmann::json& object, const char* key)
{
    const auto found = object.is_object() ? object.find(key) : object.end();
    return object.is_object() && found != object.end() && found->is_string()
               ? OV::fromStdText(found->get<std::string>())
               : QString();
}

QGroupBox* comboGroup(const QString& title, QComboBox* combo, const QMargins& margins, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    box->setContentsMargins(margins);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 16, 4, 8);
    combo->setParent(box);
    combo->setFixedHeight(32);
    layout->addWidget(combo);
    return box;
}

} // namespace

ModulePelloraProfileEditor::ModulePelloraProfileEditor(QWidget* parent, std::shared_ptr<ProjectDbModuleBean> bean)
    : ModuleProfileEditor(parent, bean)
{
    if (!m_bean || m_bean->productId != ProjectModuleUseCase::kPelloraProductId)
        throw std::invalid_argument("invalid bean product");
    titleLabel()->setText(tr("Pellora"));

    auto* device = new QWidget(contentWidget());
    device->setObjectName(QStringLiteral("pelloraDevice"));
    device->setAttribute(Qt::WA_StyledBackground);
    device->setFixedSize(140, 140);
    auto* screen = new QWidget(device);
    screen->setObjectName(QStringLiteral("pelloraScreen"));
    screen->setAttribute(Qt::WA_StyledBackground);
    screen->setGeometry(20, 20, 100, 100);
    m_screenLabel = new QLabel(screen);
    m_screenLabel->setGeometry(0, 0, 100, 100);
    m_screenLabel->setAlignment(Qt::AlignCenter);

    QGroupBox* configBox = createConfigButton();
    m_layerCombo = new QComboBox();
    QGroupBox* layerBox = comboGroup(QStringLiteral("Layer"), m_layerCombo, QMargins(8, 16, 8, 8), contentWidget());
    m_widgetCombo = new QComboBox();
    m_widgetCombo->setIconSize(QSize(20, 20));
    QGroupBox* widgetBox = comboGroup(QStringLiteral("Widget"), m_widgetCombo, QMargins(8, 10, 8, 8), contentWidget());
    QGroupBox* events = makeButtonGroup(QStringLiteral("Event"),
                                        {{tr("Click"), QStringLiteral("click")},
                                         {tr("Double Click"), QStringLiteral("doubleClick")},
                                         {tr("Long Press"), QStringLiteral("longPress")}},
                                        &m_eventGroup);
    m_panel = new ModuleCommonKeyConfigPanel(contentWidget(), watcher());
    buildLayout(device, {configBox, layerBox, widgetBox, events}, m_panel);

    connect(m_layerCombo, &QComboBox::currentIndexChanged, this, &ModulePelloraProfileEditor::onLayerSelected);
    connect(m_widgetCombo, &QComboBox::currentIndexChanged, this, &ModulePelloraProfileEditor::onWidgetSelected);
    connect(m_eventGroup, &QButtonGroup::buttonToggled, this, [this](QAbstractButton* b, bool on) {
        if (on)
            selectEvent(b->property("id").toString().toStdString());
    });
    reloadLayers();
    watcher()->setWatching(true);
}

QGroupBox* ModulePelloraProfileEditor::createConfigButton()
{
    auto* configBox = new QGroupBox(contentWidget());
    configBox->setContentsMargins(8, 30, 8, 8);
    auto* configLayout = new QVBoxLayout(configBox);
    configLayout->setContentsMargins(4, 4, 4, 4);
    m_configButton = new QPushButton(tr("Config"), configBox);
    m_configButton->setFixedHeight(28);
    configLayout->addWidget(m_configButton);
    connect(m_configButton, &QPushButton::clicked, this, &ModulePelloraProfileEditor::onClickConfig);
    return configBox;
}

void ModulePelloraProfileEditor::reloadLayers()
{
    m_layerCombo->clear();
    m_layerIndex = -1;
    m_widgetCombo->clear();
    m_widgetIndex = -1;
    try {
        m_layers = nlohmann::json::array();
        const nlohmann::json& data = m_bean->data;
        if (data.is_object() && data.contains("dataConfig") && data["dataConfig"].is_object() &&
            data["dataConfig"].contains("layers") && data["dataConfig"]["layers"].is_array())
            m_layers = data["dataConfig"]["layers"];
        for (const nlohmann::json& layer : m_layers)
            m_layerCombo->addItem(textOf(layer, "name"));
    } catch (const std::exception& e) {
        Logger::error(kTag, "init UI error: %s", e.what());
    }
}

void ModulePelloraProfileEditor::onLayerSelected(int index)
{
    m_layerIndex = index;
    if (index < 0 || index >= int(m_layers.size()))
        return;
    m_widgetCombo->blockSignals(true);
    m_widgetCombo->clear();
    m_widgetIndex = -1;
    m_widgetCombo->blockSignals(false);
    const nlohmann::json& layer = m_layers[size_t(index)];
    const auto widgets = layer.is_object() ? layer.find("widgets") : layer.end();
    if (layer.is_object() && widgets != layer.end() && widgets->is_array()) {
        for (const nlohmann::json& widget : *widgets) {
            const QPixmap icon = loadModuleImage(m_bean->id, textOf(widget, "icon"));
            m_widgetCombo->addItem(icon.isNull() ? QIcon() : QIcon(icon), textOf(widget, "name"));
        }
    }
    if (m_widgetCombo->count() == 0)
        onWidgetSelected(-1);
}

const nlohmann::json* ModulePelloraProfileEditor::selectedWidget() const
{
    if (m_layerIndex < 0 || m_layerIndex >= int(m_layers.size()) || m_widgetIndex < 0)
        return nullptr;
    const nlohmann::json& layer = m_layers[size_t(m_layerIndex)];
    const auto widgets = layer.is_object() ? layer.find("widgets") : layer.end();
    if (!layer.is_object() || widgets == layer.end() || !widgets->is_array() || m_widgetIndex >= int(widgets->size()))
        return nullptr;
    return &(*widgets)[size_t(m_widgetIndex)];
}

void ModulePelloraProfileEditor::onWidgetSelected(int index)
{
    m_widgetIndex = index;
    const nlohmann::json* widget = selectedWidget();
    if (!widget) {
        // No widget, no event to bind: nothing of one shown before (deleted in the cube's
        // window, perhaps) stays on screen.
        m_screenLabel->clear();
        m_panel->detachEvent();
        m_panel->hide();
        return;
    }
    const QPixmap icon = loadModuleImage(m_bean->id, textOf(*widget, "icon"));
    const auto scale = widget->find("iconScalePercent");
    const int percent = scale != widget->end() && scale->is_number_integer() ? scale->get<int>() : 100;
    const int side = int(m_screenLabel->width() * percent / 100.0);
    if (icon.isNull() || side <= 0)
        m_screenLabel->clear();
    else
        m_screenLabel->setPixmap(icon.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    loadWidgetOptions();
}

void ModulePelloraProfileEditor::selectEvent(const std::string& event)
{
    Logger::debug(kTag, "select event:%s", event.c_str());
    m_event = event;
    loadWidgetOptions();
}

void ModulePelloraProfileEditor::loadWidgetOptions()
{
    const nlohmann::json* widget = selectedWidget();
    const QString profileKey = currentProfileKey();
    if (!widget || profileKey.isEmpty())
        return;
    const std::string uniqueId = textOf(*widget, "uniqueId").toStdString();
    const auto id = widget->find("id");
    if (uniqueId.empty() || id == widget->end() || !id->is_number_integer())
        return;
    const QString label =
        QStringLiteral("%1-%2").arg(textOf(m_layers[size_t(m_layerIndex)], "name"), textOf(*widget, "name"));
    nlohmann::json& keyConfig = ensureConfigPath({"profiles", profileKey.toStdString(), uniqueId});
    const QString iconName =
        QStringLiteral("widget/%1/%2-promptIcon").arg(id->get<int64_t>()).arg(OV::fromStdText(m_event));
    m_panel->setKeyConfig(label, m_event, m_bean->id, promptIconPath(iconName), keyConfig);
    m_panel->show();
}

void ModulePelloraProfileEditor::onResetEdit()
{
    if (m_layerIndex >= 0)
        onLayerSelected(m_layerIndex);
}

nlohmann::json ModulePelloraProfileEditor::buildDeployConfig(const nlohmann::json& cfg,
                                                             const nlohmann::json& storedData)
{
    // The layers as stored now: widgets removed in the cube's window since this editor opened
    // are not deployed.
    return buildPelloraDeployConfig(pelloraLayersOf(storedData), cfg);
}

QList<ModuleEventPanel*> ModulePelloraProfileEditor::eventPanels() const
{
    return {m_panel};
}

QList<MainSceneActionConfigWidget*> ModulePelloraProfileEditor::actionWidgets() const
{
    return {m_panel->configWidget()};
}

void ModulePelloraProfileEditor::onClickConfig()
{
    // Saved as "Save" saves; the window opens only on what was just stored.
    QPointer<ModulePelloraProfileEditor> self(this);
    saveEdit([self] {
        if (!self)
            return;
        ModulePelloraDialog* dialog = nullptr;
        try {
            dialog = new ModulePelloraDialog(self->m_bean->id);
        } catch (const std::exception& e) {
            MessageDialog::error(QString::fromUtf8(e.what()), true);
            return;
        }
        self->m_dialog = dialog;
        dialog->setClosedHandler([self] {
            if (self)
                self->reloadBean();
        });
        dialog->show();
    });
}

void ModulePelloraProfileEditor::reloadBean()
{
    // The shown event is written back and forgotten before the lists are rebuilt.
    m_panel->detachEvent();
    // Refreshed in place: the tile holds the same record, and the editors it builds later
    // start from it.
    if (!ModuleRecordWriter::refreshFromStore(*m_bean))
        return;
    // The window opens only after a save, so the prompt pictures held here are stored ones; the
    // window may have dropped some since (a widget deleted, its number given to a new one), so
    // they are read again rather than shown or stored from here.
    m_panel->configWidget()->imageMap().clear();
    reloadLayers();
}

} // namespace OV
