#include "os/platform/OSPlatform.h"

#include "os/platform/ProcProcessTable.h"
#include "os/platform/ProcSystemStats.h"
#include "os/platform/PulseAudioMixer.h"
#include "os/platform/QProcessLauncher.h"
#include "os/platform/QtClipboardService.h"
#include "os/platform/SysfsBacklight.h"
#include "os/platform/ThemeFileIconSource.h"
#include "os/platform/X11WindowSystem.h"
#include "os/platform/XdgApplicationCatalog.h"

namespace OV {

OSPlatform OSPlatform::system()
{
    OSPlatform platform;
    platform.windows = std::make_shared<X11WindowSystem>();
    platform.clipboard = std::make_shared<QtClipboardService>();
    platform.processes = std::make_shared<ProcProcessTable>();
    platform.launcher = std::make_shared<QProcessLauncher>();
    platform.audio = std::make_shared<PulseAudioMixer>();
    platform.backlight = std::make_shared<SysfsBacklight>();
    platform.applications = std::make_shared<XdgApplicationCatalog>();
    platform.icons = std::make_shared<ThemeFileIconSource>();
    platform.stats = std::make_shared<ProcSystemStats>();
    return platform;
}

} // namespace OV
