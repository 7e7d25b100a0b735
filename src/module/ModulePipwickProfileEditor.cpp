#include "module/ModulePipwickProfileEditor.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "module/ModuleCommonKeyConfigPanel.h"
#include "module/ModuleEventDeployData.h"
#include "project/ProjectDbModuleBean.h"
#include "widgets/BaseWidget.h"
#include "widgets/EditStateWatcher.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <stdexcept>

namespace OV {

namespace {

constexpr const char* kTag = "ModulePipwickProfileEditor";

} // namespace

ModulePipwickProfileEditor::ModulePipwickProfileEditor(QWidget* parent, std::shared_ptr<ProjectDbModuleBean> bean)
    : ModuleProfileEditor(parent, bean)
{
    if (!m_bean || m_bean->productId != ProjectModuleUseCase::kPipwickProductId)
        throw std::invalid_argument("invalid bean product");
    titleLabel()->setText(tr("Pipwick"));

    auto* device = new QWidget(contentWidget());
    device->setObjectName(QStringLiteral("pipwickDevice"));
    device->setAttribute(Qt::WA_StyledBackground);
    device->setFixedSize(140, 140);
    m_keyGroup = new QButtonGroup(this);
    m_keyGroup->setExclusive(true);
    const auto addKey = [&](const char* id, QRect rect) {
        auto* button = new QPushButton(device);
        button->setObjectName(QStringLiteral("pipwickBtn"));
        button->setCheckable(true);
        button->setProperty("id", QString::fromLatin1(id));
        button->setGeometry(rect);
        m_keyGroup->addButton(button);
        return button;
    };
    addKey("button1", QRect(11, 11, 56, 56))->setChecked(true);
    addKey("button2", QRect(11, 73, 56, 56));
    addKey("button3", QRect(73, 11, 56, 118));

    QGroupBox* events = makeButtonGroup(tr("Event"),
                                        {{tr("Click"), QStringLiteral("click")},
                                         {tr("Double Click"), QStringLiteral("doubleClick")},
                                         {tr("Long Press"), QStringLiteral("longPress")}},
                                        &m_eventGroup);
    m_panel = new ModuleCommonKeyConfigPanel(contentWidget(), watcher());
    buildLayout(device, {events}, m_panel);

    connect(m_keyGroup, &QButtonGroup::buttonToggled, this, [this](QAbstractButton* button, bool on) {
        if (on)
            selectKey(button->property("id").toString().toStdString());
    });
    connect(m_eventGroup, &QButtonGroup::buttonToggled, this, [this](QAbstractButton* button, bool on) {
        if (on)
            selectEvent(button->property("id").toString().toStdString());
    });
    reloadKey();
    watcher()->setWatching(true);
}

void ModulePipwickProfileEditor::selectKey(const std::string& key)
{
    Logger::debug(kTag, "select button:%s", key.c_str());
    m_key = key;
    reloadKey();
}

void ModulePipwickProfileEditor::selectEvent(const std::string& event)
{
    Logger::debug(kTag, "select event:%s", event.c_str());
    m_event = event;
    reloadKey();
}

void ModulePipwickProfileEditor::reloadKey()
{
    const QString profileKey = currentProfileKey();
    if (profileKey.isEmpty())
        return;
    const QString label = m_key == "button1" ? tr("Button1") : m_key == "button2" ? tr("Button2") : tr("Button3");
    nlohmann::json& keyConfig = ensureConfigPath({"profiles", profileKey.toStdString(), m_key});
    const QString iconName =
        QStringLiteral("%1-%2-%3-promptIcon").arg(m_bean->id).arg(OV::fromStdText(m_key), OV::fromStdText(m_event));
    m_panel->setKeyConfig(label, m_event, m_bean->id, promptIconPath(iconName), keyConfig);
}

void ModulePipwickProfileEditor::onResetEdit()
{
    reloadKey();
}

nlohmann::json ModulePipwickProfileEditor::buildDeployConfig(const nlohmann::json& cfg, const nlohmann::json&)
{
    return buildPipwickDeployConfig(cfg);
}

QList<ModuleEventPanel*> ModulePipwickProfileEditor::eventPanels() const
{
    return {m_panel};
}

QList<MainSceneActionConfigWidget*> ModulePipwickProfileEditor::actionWidgets() const
{
    return {m_panel->configWidget()};
}

} // namespace OV
