#pragma once

#include "os/StartupProvider.h"

#include <QString>

namespace OV {

class AutostartStore;

// Keeps one start-at-log-on entry whose command line is this program's path and "--autostart",
// started in this program's working directory, so that it reads the same "settings.json".
class StartupProviderWin : public StartupProvider
{
public:
    // executablePath defaults to the running program, workingDirectory to its working directory.
    StartupProviderWin(QString name, std::shared_ptr<AutostartStore> store, QString executablePath = {},
                       QString workingDirectory = {});

    // On only when the entry would start this program: its command line names it, and the folder
    // it names, where it names one, exists.
    bool isEnabled() override;
    bool enable() override;
    bool disable() override;

    const QString& commandLine() const { return m_commandLine; }

private:
    QString m_name;
    QString m_executablePath;
    QString m_workingDirectory;
    QString m_commandLine;
    std::shared_ptr<AutostartStore> m_store;
};

} // namespace OV
