#include "os/StartupProviderWin.h"

#include "core/Logger.h"
#include "os/platform/AutostartStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace OV {

namespace {
const char* const kAutostartArg = "--autostart";
}

StartupProviderWin::StartupProviderWin(QString name, std::shared_ptr<AutostartStore> store, QString executablePath,
                                       QString workingDirectory)
    : m_name(std::move(name)), m_executablePath(std::move(executablePath)),
      m_workingDirectory(std::move(workingDirectory)), m_store(std::move(store))
{
    if (m_executablePath.isEmpty())
        m_executablePath = QCoreApplication::applicationFilePath();
    if (m_workingDirectory.isEmpty())
        m_workingDirectory = QDir::currentPath();
    m_executablePath = QDir::toNativeSeparators(m_executablePath);
    m_commandLine = m_executablePath + QLatin1Char(' ') + QLatin1String(kAutostartArg);
}

bool StartupProviderWin::isEnabled()
{
    const auto stored = m_store->read(m_name);
    if (!stored)
        return false;
    // The session refuses an entry whose folder is gone (removed, renamed, or a file now), so
    // nothing would start; an entry naming none starts in the home folder.
    if (!stored->workingDirectory.isEmpty() && !QFileInfo(stored->workingDirectory).isDir())
        return false;
    QString text = stored->arguments.join(QLatin1Char(' ')).trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    return text.startsWith(m_commandLine, Qt::CaseInsensitive);
}

bool StartupProviderWin::enable()
{
    const bool ok = m_store->write(m_name, {m_executablePath, QLatin1String(kAutostartArg)}, m_workingDirectory);
    if (!ok)
        Logger::error("StartupProvider", "enable failed for %s", m_name.toUtf8().constData());
    return ok;
}

bool StartupProviderWin::disable()
{
    return m_store->remove(m_name);
}

} // namespace OV
