#pragma once

#include "os/OSController.h"
#include "os/platform/OSPlatform.h"

namespace OV {

class SystemMonitors;

// The controller of the desktop this program runs on; every service it uses comes through
// OSPlatform, the CPU, disk and network figures from the monitors.
class OSControllerWin : public OSController
{
public:
    // This machine's services and monitors.
    OSControllerWin();
    // Starts the monitors (each starts once); monitors may be null.
    OSControllerWin(OSPlatform platform, SystemMonitors* monitors);

    std::vector<OSRunningApp> getRunningApps() override;
    QPixmap getFileIcon(const QString& path, bool jumbo) override;
    bool execCommand(const std::string& command, bool wait, std::string* output) override;
    bool openFile(const std::string& path) override;
    bool openBrowser(const std::string& url) override;
    bool startApplication(const std::string& path, OSAppLaunchMode mode) override;
    bool inputText(const std::string& text) override;
    bool whenTypedTextFetched(std::function<void()> onFetched) override;
    bool setVolume(int percent) override;
    int getVolume() override;
    bool setMute(bool mute) override;
    bool isMute() override;
    bool setBrightness(int percent) override;
    int getBrightness() override;
    std::vector<OSInstalledApp> getInstalledApps() override;
    int getCpuUsage() override;
    int getMemoryUsage() override;
    int getDiskUsage() override;
    uint64_t getTotalReceivedBytes() override;
    uint64_t getTotalSentBytes() override;

    static constexpr int kJumboIconSize = 256;
    static constexpr int kLargeIconSize = 32;

private:
    // What the desktop does with a path it is asked to start: run a program, launch a
    // .desktop entry, or open a document, folder or address in its application.
    bool startPath(const QString& path);
    // The executable a path stands for: a .desktop entry's program, a bare name found on
    // PATH, symbolic links resolved. Empty when there is none.
    static QString executableFor(const QString& path);

    OSPlatform m_platform;
    SystemMonitors* m_monitors = nullptr;
};

} // namespace OV
