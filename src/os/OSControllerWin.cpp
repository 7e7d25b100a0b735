#include "os/OSControllerWin.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "os/SystemMonitors.h"
#include "os/platform/ApplicationCatalog.h"
#include "os/platform/AudioMixer.h"
#include "os/platform/Backlight.h"
#include "os/platform/ClipboardService.h"
#include "os/platform/DesktopEntry.h"
#include "os/platform/FileIconSource.h"
#include "os/platform/ProcessLauncher.h"
#include "os/platform/ProcessTable.h"
#include "os/platform/SystemStats.h"
#include "os/platform/WindowSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

namespace OV {

namespace {

const char* const kTag = "OSController";
const QString kShell = QStringLiteral("/bin/sh");
const QString kOpener = QStringLiteral("xdg-open");

bool isDesktopEntryPath(const QString& path)
{
    const QLatin1String suffix(".desktop");
    return path.size() > suffix.size() && path.endsWith(suffix, Qt::CaseInsensitive);
}

// People type "www.example.org" or "example.org/docs" into a URL field; such an address is
// opened over http, as a desktop shell does. Returns the address to open, or empty when the text
// has a scheme of its own, or names no valid host with a dot (a local path, "~", an option), or
// carries a user part. What is returned starts with "http://", so never reads as an option.
QString webAddressAsTyped(const QString& text)
{
    const QString typed = text.trimmed();
    const QUrl web(QStringLiteral("http://") + typed, QUrl::TolerantMode);
    // "example.org:8080" parses as the scheme "example.org"; a port after the host says otherwise.
    const bool hasScheme = !QUrl(typed, QUrl::TolerantMode).scheme().isEmpty() && web.port() == -1;
    if (hasScheme || !web.userInfo().isEmpty() || !web.host().contains(QLatin1Char('.')))
        return {};
    return QString::fromLatin1(web.toEncoded());
}

} // namespace

OSControllerWin::OSControllerWin() : OSControllerWin(OSPlatform::system(), SystemMonitors::instance()) {}

OSControllerWin::OSControllerWin(OSPlatform platform, SystemMonitors* monitors)
    : m_platform(std::move(platform)), m_monitors(monitors)
{
    if (m_monitors) {
        m_monitors->startCpuMonitor();
        m_monitors->startDiskMonitor();
        m_monitors->startNetworkMonitor();
    }
}

std::vector<OSRunningApp> OSControllerWin::getRunningApps()
{
    std::vector<OSRunningApp> apps;
    for (const WindowSystem::Window& window : m_platform.windows->windows()) {
        const QString path = m_platform.processes->executableOf(window.pid);
        if (path.isEmpty())
            continue;
        apps.push_back({window.title, path, getFileIcon(path, true)});
    }
    return apps;
}

QPixmap OSControllerWin::getFileIcon(const QString& path, bool jumbo)
{
    return m_platform.icons->icon(path, jumbo ? kJumboIconSize : kLargeIconSize);
}

bool OSControllerWin::execCommand(const std::string& command, bool wait, std::string* output)
{
    const QStringList arguments{QStringLiteral("-c"), OV::fromStdText(command)};
    if (!wait)
        return m_platform.launcher->startDetached(kShell, arguments);
    QByteArray bytes;
    const std::optional<int> exitCode = m_platform.launcher->run(kShell, arguments, output ? &bytes : nullptr);
    if (output)
        output->append(bytes.constData(), size_t(bytes.size()));
    return exitCode == 0;
}

bool OSControllerWin::startPath(const QString& path)
{
    if (path.isEmpty())
        return m_platform.launcher->startDetached(kOpener, {QDir::homePath()});
    if (isDesktopEntryPath(path) && QFileInfo(path).isFile()) {
        const auto entry = DesktopEntry::load(path);
        const QStringList command = entry ? entry->execArguments() : QStringList();
        if (command.isEmpty()) {
            Logger::warn(kTag, "%s starts nothing", path.toUtf8().constData());
            return false;
        }
        return m_platform.launcher->startDetached(command.front(), command.mid(1));
    }
    const QFileInfo info(path);
    if (info.isFile() && info.isExecutable())
        return m_platform.launcher->startDetached(info.absoluteFilePath(), {});
    if (!info.exists() && !path.contains(QLatin1Char('/'))) {
        const QString program = QStandardPaths::findExecutable(path);
        if (!program.isEmpty())
            return m_platform.launcher->startDetached(program, {});
    }
    // The opener takes one argument, which must not read as one of its options.
    const QString target = path.startsWith(QLatin1Char('-')) ? QLatin1String("./") + path : path;
    return m_platform.launcher->startDetached(kOpener, {target});
}

bool OSControllerWin::openFile(const std::string& path)
{
    return startPath(OV::fromStdText(path));
}

bool OSControllerWin::openBrowser(const std::string& url)
{
    const QString text = url.empty() ? QStringLiteral("https://") : OV::fromStdText(url);
    // Only web and mail addresses: anything else (file:, a program's own scheme, a plain path)
    // would let an address run or open what it names.
    const QUrl parsed(text, QUrl::TolerantMode);
    const QString scheme = parsed.scheme().toLower();
    const bool allowed =
        scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto");
    QString target = text;
    if (!parsed.isValid() || !allowed) {
        target = webAddressAsTyped(text);
        if (target.isEmpty()) {
            Logger::warn(kTag, "openBrowser refused: %s", text.toUtf8().constData());
            return false;
        }
    }
    // Started detached: the caller never waits for the browser.
    return m_platform.launcher->startDetached(kOpener, {target});
}

QString OSControllerWin::executableFor(const QString& path)
{
    QString target = path;
    if (isDesktopEntryPath(path)) {
        const auto entry = DesktopEntry::load(path);
        const QString program = entry ? entry->executable() : QString();
        if (!program.isEmpty())
            target = program;
    }
    if (target.isEmpty())
        return {};
    if (!target.contains(QLatin1Char('/'))) {
        target = QStandardPaths::findExecutable(target);
        if (target.isEmpty())
            return {};
    }
    // The kernel names a process's executable by its real path.
    return QFileInfo(target).canonicalFilePath();
}

bool OSControllerWin::startApplication(const std::string& path, OSAppLaunchMode mode)
{
    const QString given = OV::fromStdText(path);
    if (mode == NewInstance)
        return startPath(given);

    const QString executable = executableFor(given);
    const std::vector<int64_t> pids =
        executable.isEmpty() ? std::vector<int64_t>() : m_platform.processes->processesOf(executable);
    if (pids.empty()) {
        if (mode == ActivateOnly)
            return false;
        // Started as given, so a .desktop entry starts with its own command line.
        return startPath(given);
    }

    for (const WindowSystem::Window& window : m_platform.windows->windows()) {
        const bool ours = std::find(pids.begin(), pids.end(), window.pid) != pids.end();
        if (ours && !window.owned && !window.title.isEmpty()) {
            if (!m_platform.windows->activate(window.id))
                Logger::warn(kTag, "cannot bring %s to the front", executable.toUtf8().constData());
            break;
        }
    }
    // Running already: nothing more to start, whether or not it has a window to show.
    return true;
}

bool OSControllerWin::inputText(const std::string& text)
{
    if (!m_platform.clipboard->setText(OV::fromStdText(text)))
        return false;
    if (!m_platform.windows->sendPasteShortcut()) {
        Logger::warn(kTag, "inputText: the paste keys could not be sent");
        return false;
    }
    return true;
}

bool OSControllerWin::whenTypedTextFetched(std::function<void()> onFetched)
{
    return m_platform.clipboard->notifyWhenFetched(std::move(onFetched));
}

bool OSControllerWin::setVolume(int percent)
{
    return m_platform.audio->setVolume(percent);
}

int OSControllerWin::getVolume()
{
    return m_platform.audio->volume().value_or(-1);
}

bool OSControllerWin::setMute(bool mute)
{
    return m_platform.audio->setMuted(mute);
}

bool OSControllerWin::isMute()
{
    return m_platform.audio->isMuted().value_or(false);
}

bool OSControllerWin::setBrightness(int percent)
{
    return m_platform.backlight->setBrightness(percent);
}

int OSControllerWin::getBrightness()
{
    return m_platform.backlight->brightness().value_or(-1);
}

std::vector<OSInstalledApp> OSControllerWin::getInstalledApps()
{
    return m_platform.applications->installedApps();
}

int OSControllerWin::getCpuUsage()
{
    return m_monitors ? std::min(m_monitors->cpuUsage(), 100) : 0;
}

int OSControllerWin::getMemoryUsage()
{
    return m_platform.stats->memoryUsage().value_or(-1);
}

int OSControllerWin::getDiskUsage()
{
    return m_monitors ? m_monitors->diskUsage() : 0;
}

uint64_t OSControllerWin::getTotalReceivedBytes()
{
    return m_monitors ? m_monitors->totalReceivedBytes() : 0;
}

uint64_t OSControllerWin::getTotalSentBytes()
{
    return m_monitors ? m_monitors->totalSentBytes() : 0;
}

} // namespace OV
