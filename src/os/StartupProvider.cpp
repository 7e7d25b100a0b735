#include "os/StartupProvider.h"

#include "os/StartupProviderWin.h"
#include "os/platform/XdgAutostartStore.h"

namespace OV {

std::unique_ptr<StartupProvider> StartupProvider::instance()
{
    return std::make_unique<StartupProviderWin>(QStringLiteral("OrvelWorkSpace"),
                                                std::make_shared<XdgAutostartStore>());
}

} // namespace OV
