#include "module/ModuleCommonKeyConfigPanel.h"

#include "scene/MainSceneActionConfigWidget.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

#include <stdexcept>

namespace OV {

ModuleCommonKeyConfigPanel::ModuleCommonKeyConfigPanel(QWidget* parent, EditStateWatcher* watcher)
    : ModuleEventPanel(parent, watcher)
{
    m_contentLayout->addSpacing(10);
    auto* container = new QWidget(this);
    auto* layout = new QVBoxLayout(container);
    layout->setContentsMargins(10, 0, 10, 0);
    m_config = new MainSceneActionConfigWidget(container, watcher);
    m_config->createActionListGroup();
    layout->addWidget(m_config);
    m_contentLayout->addWidget(container, 1);
    connect(m_enabledBox, &QCheckBox::toggled, this, [this](bool on) {
        m_config->setEnabled(on);
        markChanged();
    });
}

QString ModuleCommonKeyConfigPanel::eventLabel(const std::string& eventId)
{
    if (eventId == "click")
        return tr("Click");
    if (eventId == "doubleClick")
        return tr("Double Click");
    if (eventId == "longPress")
        return tr("Long Press");
    throw std::invalid_argument("invalid eventId: " + eventId);
}

void ModuleCommonKeyConfigPanel::setKeyConfig(const QString& keyLabel, const std::string& eventId, int64_t ownerId,
                                              const QString& promptIconPath, nlohmann::json& keyConfig)
{
    const QString label = eventLabel(eventId);
    saveCurrentEvent();
    if (!keyConfig.is_object())
        keyConfig = nlohmann::json::object();
    if (!keyConfig.contains(eventId))
        keyConfig[eventId] = nlohmann::json::object();
    m_event = &keyConfig[eventId];
    const QString title = QStringLiteral("%1-%2").arg(keyLabel, label);
    m_titleLabel->setText(title);
    m_enabledBox->setChecked(enabledOf(*m_event));
    m_config->setEnabled(m_enabledBox->isChecked());
    m_config->loadEventConfig(ownerId, promptIconPath, title, m_event);
    markChanged();
}

void ModuleCommonKeyConfigPanel::saveCurrentEvent()
{
    if (!m_event)
        return;
    m_config->saveEventConfig();
    (*m_event)["enabled"] = m_enabledBox->isChecked();
}

void ModuleCommonKeyConfigPanel::forgetEvent()
{
    m_config->detachEvent();
    m_event = nullptr;
}

} // namespace OV
