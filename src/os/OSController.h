#pragma once

#include "os/OSAppLaunchMode.h"
#include "os/OSInstalledApp.h"
#include "os/OSRunningApp.h"

#include <QPixmap>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace OV {

// What the system does on this PC. Every operation reports failure by its result (false, -1,
// an empty list or a null pixmap) and never throws. Called on the GUI thread.
class OSController
{
public:
    virtual ~OSController() = default;

    virtual std::vector<OSRunningApp> getRunningApps() = 0;
    virtual QPixmap getFileIcon(const QString& path, bool jumbo) = 0;
    // Runs the command through the shell. With wait: true when it exits with 0, its merged
    // output appended to output (when given). Without wait: true when it started.
    virtual bool execCommand(const std::string& command, bool wait, std::string* output) = 0;
    virtual bool openFile(const std::string& path) = 0;
    virtual bool openBrowser(const std::string& url) = 0;
    virtual bool startApplication(const std::string& path, OSAppLaunchMode mode) = 0;
    virtual bool inputText(const std::string& text) = 0;
    // Calls onFetched once, on the GUI thread, when the focused window has fetched the text that
    // inputText offered last. False where that cannot be seen: onFetched is dropped.
    virtual bool whenTypedTextFetched(std::function<void()> onFetched)
    {
        (void)onFetched;
        return false;
    }
    virtual bool setVolume(int percent) = 0;
    virtual int getVolume() = 0;
    virtual bool setMute(bool mute) = 0;
    virtual bool isMute() = 0;
    virtual bool setBrightness(int percent) = 0;
    virtual int getBrightness() = 0;
    virtual std::vector<OSInstalledApp> getInstalledApps() = 0;
    virtual int getCpuUsage() = 0;
    virtual int getMemoryUsage() = 0;
    virtual int getDiskUsage() = 0;
    virtual uint64_t getTotalReceivedBytes() = 0;
    virtual uint64_t getTotalSentBytes() = 0;

    // The platform's controller, shared by every caller and never deleted; throws
    // std::logic_error("unknown platform") where there is no implementation.
    static OSController* instance();
};

} // namespace OV
