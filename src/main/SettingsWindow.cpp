#include "main/SettingsWindow.h"

#include "core/Logger.h"
#include "core/Settings.h"
#include "core/ThemeLoader.h"
#include "widgets/MessageDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace OV {

SettingsWindow::SettingsWindow(QWidget* parent) : BaseWindow(parent)
{
    setWindowModality(Qt::ApplicationModal);
    setFixedWindowSize(400, 200);
    setTitle(tr("Settings"));
    hideMinimizeButton();
    hideMaximizeButton();

    auto* layout = new QVBoxLayout(contentArea());
    auto* row = new QWidget(contentArea());
    row->setFixedHeight(40);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->addWidget(new QLabel(tr("Launch at startup"), row));
    rowLayout->addSpacing(16);
    m_autoStart = new QCheckBox(row);
    rowLayout->addWidget(m_autoStart);
    rowLayout->addStretch(1);
    layout->addWidget(row, 0);
    layout->addStretch(1);

    m_autoStart->setChecked(Settings::instance()->isAutoStartEnabled());
    connect(m_autoStart, &QCheckBox::toggled, this, &SettingsWindow::onAutoStartToggled);
}

void SettingsWindow::onThemeChanged(ThemeLoader* loader)
{
    m_autoStart->setStyleSheet(loader->load(QStringLiteral("settings_window")));
}

void SettingsWindow::onAutoStartToggled(bool enabled)
{
    const bool ok = Settings::instance()->setAutoStartEnabled(enabled);
    if (ok) {
        Logger::debug("SettingsWindow", "Set Auto start: %d", ok ? 1 : 0);
        return;
    }
    // The box shows what is in effect: the entry did not change.
    Logger::error("SettingsWindow", "Set Auto start failed, wanted: %d", enabled ? 1 : 0);
    {
        const QSignalBlocker blocker(m_autoStart);
        m_autoStart->setChecked(!enabled);
    }
    MessageDialog::error(enabled ? tr("The program could not be set to launch at startup.")
                                 : tr("The program could not be removed from launch at startup."),
                         true);
}

} // namespace OV
