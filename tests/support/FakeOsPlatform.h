#pragma once

#include "os/platform/OSPlatform.h"
#include "support/FakeApplicationCatalog.h"
#include "support/FakeAudioMixer.h"
#include "support/FakeBacklight.h"
#include "support/FakeClipboardService.h"
#include "support/FakeFileIconSource.h"
#include "support/FakeProcessLauncher.h"
#include "support/FakeProcessTable.h"
#include "support/FakeSystemStats.h"
#include "support/FakeWindowSystem.h"

#include <memory>

namespace OV::Test {

// A full set of stand-in desktop services, each reachable by its own type.
struct FakeOsPlatform
{
    std::shared_ptr<FakeWindowSystem> windows = std::make_shared<FakeWindowSystem>();
    std::shared_ptr<FakeClipboardService> clipboard = std::make_shared<FakeClipboardService>();
    std::shared_ptr<FakeProcessTable> processes = std::make_shared<FakeProcessTable>();
    std::shared_ptr<FakeProcessLauncher> launcher = std::make_shared<FakeProcessLauncher>();
    std::shared_ptr<FakeAudioMixer> audio = std::make_shared<FakeAudioMixer>();
    std::shared_ptr<FakeBacklight> backlight = std::make_shared<FakeBacklight>();
    std::shared_ptr<FakeApplicationCatalog> applications = std::make_shared<FakeApplicationCatalog>();
    std::shared_ptr<FakeFileIconSource> icons = std::make_shared<FakeFileIconSource>();
    std::shared_ptr<FakeSystemStats> stats = std::make_shared<FakeSystemStats>();

    OSPlatform platform() const
    {
        return OSPlatform{windows, clipboard, processes, launcher, audio, backlight, applications, icons, stats};
    }
};

} // namespace OV::Test
