#include "module/TapDetailConfigPanel.h"

#include "module/ModuleEventTables.h"
#include "module/ModuleThessaRhythmWidget.h"
#include "scene/MainSceneActionConfigWidget.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace OV {

TapDetailConfigPanel::TapDetailConfigPanel(QWidget* parent, EditStateWatcher* watcher)
    : ModuleEventPanel(parent, watcher)
{
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(10, 10, 10, 10);
    auto* preview = new QGroupBox(tr("Tap Rhythm Preview"), content);
    preview->setFixedHeight(70);
    auto* previewLayout = new QHBoxLayout(preview);
    previewLayout->setContentsMargins(8, 12, 8, 4);
    m_rhythm = new ModuleThessaRhythmWidget(preview);
    m_rhythm->setFixedSize(300, 50);
    previewLayout->addWidget(m_rhythm);
    m_playButton = new QPushButton(tr("Play"), preview);
    m_playButton->setFixedHeight(28);
    previewLayout->addWidget(m_playButton);
    previewLayout->addStretch();
    layout->addWidget(preview);
    m_config = new MainSceneActionConfigWidget(content, watcher);
    m_config->createActionListGroup();
    layout->addWidget(m_config, 1);
    m_contentLayout->addWidget(content, 1);

    m_rhythm->onPlayStateChanged = [this](bool finished) { m_playButton->setEnabled(finished); };
    connect(m_playButton, &QPushButton::clicked, this, &TapDetailConfigPanel::onClickPlay);
    connect(m_enabledBox, &QCheckBox::toggled, this, [this](bool on) {
        m_config->setEnabled(on);
        markChanged();
    });
}

void TapDetailConfigPanel::setTapConfig(const std::string& mode, int64_t ownerId, const QString& promptIconPath,
                                        nlohmann::json& tapConfig)
{
    saveCurrentEvent();
    if (!tapConfig.is_object())
        tapConfig = nlohmann::json::object();
    if (!tapConfig.contains(mode))
        tapConfig[mode] = nlohmann::json::object();
    m_event = &tapConfig[mode];
    const QString title = tr("Tap-%1").arg(ModuleEventTables::tapModeLabel(mode));
    m_titleLabel->setText(title);
    m_enabledBox->setChecked(enabledOf(*m_event));
    m_config->setEnabled(m_enabledBox->isChecked());
    // Another mode's rhythm never keeps playing into this one.
    m_rhythm->stop();
    m_rhythm->setDelays(ModuleEventTables::tapRhythmDelays(mode));
    m_config->loadEventConfig(ownerId, promptIconPath, title, m_event);
}

void TapDetailConfigPanel::saveCurrentEvent()
{
    if (!m_event)
        return;
    m_config->saveEventConfig();
    (*m_event)["enabled"] = m_enabledBox->isChecked();
}

void TapDetailConfigPanel::forgetEvent()
{
    m_config->detachEvent();
    m_event = nullptr;
}

void TapDetailConfigPanel::onClickPlay()
{
    m_rhythm->play();
}

} // namespace OV
