#include "module/ModuleRollaneProfileEditor.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "module/ModuleCommonKeyConfigPanel.h"
#include "module/ModuleCommonKnobConfigPanel.h"
#include "module/ModuleEventDeployData.h"
#include "project/ProjectDbModuleBean.h"
#include "widgets/BaseWidget.h"
#include "widgets/EditStateWatcher.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>

#include <stdexcept>

namespace OV {

namespace {

constexpr const char* kTag = "ModuleRollaneProfileEditor";

} // namespace

ModuleRollaneProfileEditor::ModuleRollaneProfileEditor(QWidget* parent, std::shared_ptr<ProjectDbModuleBean> bean)
    : ModuleProfileEditor(parent, bean)
{
    if (!m_bean || m_bean->productId != ProjectModuleUseCase::kRollaneProductId)
        throw std::invalid_argument("invalid bean product");
    titleLabel()->setText(tr("Rollane"));

    auto* device = new QWidget(contentWidget());
    device->setObjectName(QStringLiteral("rollaneDevice"));
    device->setAttribute(Qt::WA_StyledBackground);
    device->setFixedSize(140, 140);
    m_itemGroup = new QButtonGroup(this);
    m_itemGroup->setExclusive(true);
    auto* knob = new QPushButton(device);
    knob->setObjectName(QStringLiteral("rollaneKnob"));
    knob->setCheckable(true);
    knob->setProperty("id", QStringLiteral("knob"));
    knob->setGeometry(8, 8, 124, 124);
    auto* button = new QPushButton(device);
    button->setObjectName(QStringLiteral("rollaneBtn"));
    button->setCheckable(true);
    button->setProperty("id", QStringLiteral("button"));
    button->setGeometry(45, 45, 50, 50);
    button->setChecked(true);
    m_itemGroup->addButton(knob);
    m_itemGroup->addButton(button);

    m_groupStack = new QStackedWidget(contentWidget());
    m_groupStack->addWidget(makeButtonGroup(tr("Event"),
                                            {{tr("Click"), QStringLiteral("click")},
                                             {tr("Double Click"), QStringLiteral("doubleClick")},
                                             {tr("Long Press"), QStringLiteral("longPress")}},
                                            &m_buttonEventGroup));
    QGroupBox* turns = makeButtonGroup(
        tr("Event"), {{tr("Turn Left"), QStringLiteral("turnLeft")}, {tr("Turn Right"), QStringLiteral("turnRight")}},
        &m_knobEventGroup);
    turns->setFixedHeight(130);
    m_groupStack->addWidget(turns);
    m_groupStack->setFixedHeight(170);

    m_panelStack = new QStackedWidget(contentWidget());
    m_keyPanel = new ModuleCommonKeyConfigPanel(m_panelStack, watcher());
    m_knobPanel = new ModuleCommonKnobConfigPanel(m_panelStack, watcher());
    m_panelStack->addWidget(m_keyPanel);
    m_panelStack->addWidget(m_knobPanel);
    buildLayout(device, {m_groupStack}, m_panelStack);

    connect(m_itemGroup, &QButtonGroup::buttonToggled, this, [this](QAbstractButton* b, bool on) {
        if (on)
            selectItem(b->property("id").toString().toStdString());
    });
    connect(m_buttonEventGroup, &QButtonGroup::buttonToggled, this, [this](QAbstractButton* b, bool on) {
        if (on)
            selectButtonEvent(b->property("id").toString().toStdString());
    });
    connect(m_knobEventGroup, &QButtonGroup::buttonToggled, this, [this](QAbstractButton* b, bool on) {
        if (on)
            selectKnobEvent(b->property("id").toString().toStdString());
    });
    selectItem(m_item);
    watcher()->setWatching(true);
}

void ModuleRollaneProfileEditor::selectItem(const std::string& item)
{
    Logger::debug(kTag, "select item:%s", item.c_str());
    m_item = item;
    if (item == "knob") {
        m_groupStack->setCurrentIndex(1);
        m_panelStack->setCurrentIndex(1);
        showKnobConfig();
    } else {
        m_groupStack->setCurrentIndex(0);
        m_panelStack->setCurrentIndex(0);
        showButtonConfig();
    }
}

void ModuleRollaneProfileEditor::selectButtonEvent(const std::string& event)
{
    Logger::debug(kTag, "select button event:%s", event.c_str());
    m_buttonEvent = event;
    showButtonConfig();
}

void ModuleRollaneProfileEditor::selectKnobEvent(const std::string& event)
{
    Logger::debug(kTag, "select knob event:%s", event.c_str());
    m_knobEvent = event;
    showKnobConfig();
}

void ModuleRollaneProfileEditor::showButtonConfig()
{
    const QString profileKey = currentProfileKey();
    if (profileKey.isEmpty())
        return;
    nlohmann::json& keyConfig = ensureConfigPath({"profiles", profileKey.toStdString(), "button"});
    const QString iconName =
        QStringLiteral("%1-button-%2-promptIcon").arg(m_bean->id).arg(OV::fromStdText(m_buttonEvent));
    m_keyPanel->setKeyConfig(tr("Button"), m_buttonEvent, m_bean->id, promptIconPath(iconName), keyConfig);
}

void ModuleRollaneProfileEditor::showKnobConfig()
{
    const QString profileKey = currentProfileKey();
    if (profileKey.isEmpty())
        return;
    nlohmann::json& knobConfig = ensureConfigPath({"profiles", profileKey.toStdString(), "knob"});
    m_knobPanel->setKnobConfig(tr("Knob"), m_knobEvent, knobConfig);
}

void ModuleRollaneProfileEditor::onResetEdit()
{
    selectItem(m_item);
}

nlohmann::json ModuleRollaneProfileEditor::buildDeployConfig(const nlohmann::json& cfg, const nlohmann::json&)
{
    return buildRollaneDeployConfig(cfg);
}

QList<ModuleEventPanel*> ModuleRollaneProfileEditor::eventPanels() const
{
    return {m_keyPanel, m_knobPanel};
}

QList<MainSceneActionConfigWidget*> ModuleRollaneProfileEditor::actionWidgets() const
{
    return {m_keyPanel->configWidget()};
}

} // namespace OV
