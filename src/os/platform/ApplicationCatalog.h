#pragma once

#include "os/OSInstalledApp.h"

#include <vector>

namespace OV {

// The applications installed for this user.
class ApplicationCatalog
{
public:
    virtual ~ApplicationCatalog() = default;
    virtual std::vector<OSInstalledApp> installedApps() = 0;
};

} // namespace OV
