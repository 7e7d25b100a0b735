#include "module/ModuleThessaProfileEditor.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "module/ModuleEventDeployData.h"
#include "module/ModuleEventTables.h"
#include "module/TapDetailConfigPanel.h"
#include "project/ProjectDbModuleBean.h"
#include "widgets/BaseWidget.h"
#include "widgets/EditStateWatcher.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>

#include <stdexcept>

namespace OV {

namespace {

constexpr const char* kTag = "ModuleThessaProfileEditor";

} // namespace

ModuleThessaProfileEditor::ModuleThessaProfileEditor(QWidget* parent, std::shared_ptr<ProjectDbModuleBean> bean)
    : ModuleProfileEditor(parent, bean)
{
    if (!m_bean || m_bean->productId != ProjectModuleUseCase::kThessaProductId)
        throw std::invalid_argument("invalid bean product");
    titleLabel()->setText(tr("Thessa"));

    auto* device = new QWidget(contentWidget());
    device->setObjectName(QStringLiteral("thessaDevice"));
    device->setAttribute(Qt::WA_StyledBackground);
    device->setFixedSize(140, 140);
    auto* line = new QWidget(device);
    line->setObjectName(QStringLiteral("thessaLine"));
    line->setAttribute(Qt::WA_StyledBackground);
    line->setGeometry(140 - 26 - 6, 2, 6, 136);
    auto* circle = new QWidget(device);
    circle->setObjectName(QStringLiteral("thessaCircle"));
    circle->setAttribute(Qt::WA_StyledBackground);
    circle->setGeometry(12, 66, 8, 8);

    QList<std::pair<QString, QString>> modes;
    for (int i = 1; i <= 5; ++i) {
        const std::string mode = "mode" + std::to_string(i);
        modes.append({ModuleEventTables::tapModeLabel(mode), OV::fromStdText(mode)});
    }
    QGroupBox* group = makeButtonGroup(QStringLiteral("Tap Event"), modes, &m_modeGroup);
    m_panel = new TapDetailConfigPanel(contentWidget(), watcher());
    buildLayout(device, {group}, m_panel);

    connect(m_modeGroup, &QButtonGroup::buttonToggled, this, [this](QAbstractButton* b, bool on) {
        if (on)
            selectMode(b->property("id").toString().toStdString());
    });
    reloadMode();
    watcher()->setWatching(true);
}

void ModuleThessaProfileEditor::selectMode(const std::string& mode)
{
    Logger::debug(kTag, "select button event:%s", mode.c_str());
    m_mode = mode;
    reloadMode();
}

void ModuleThessaProfileEditor::reloadMode()
{
    const QString profileKey = currentProfileKey();
    if (profileKey.isEmpty())
        return;
    nlohmann::json& tapConfig = ensureConfigPath({"profiles", profileKey.toStdString(), "tap"});
    const QString iconName = QStringLiteral("%1-tap-%2-promptIcon").arg(m_bean->id).arg(OV::fromStdText(m_mode));
    m_panel->setTapConfig(m_mode, m_bean->id, promptIconPath(iconName), tapConfig);
    watcher()->markDirty();
}

void ModuleThessaProfileEditor::onResetEdit()
{
    reloadMode();
}

nlohmann::json ModuleThessaProfileEditor::buildDeployConfig(const nlohmann::json& cfg, const nlohmann::json&)
{
    return buildThessaDeployConfig(cfg);
}

QList<ModuleEventPanel*> ModuleThessaProfileEditor::eventPanels() const
{
    return {m_panel};
}

QList<MainSceneActionConfigWidget*> ModuleThessaProfileEditor::actionWidgets() const
{
    return {m_panel->configWidget()};
}

} // namespace OV
