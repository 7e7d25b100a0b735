#pragma once

#include "os/platform/ApplicationCatalog.h"

namespace OV::Test {

class FakeApplicationCatalog : public ApplicationCatalog
{
public:
    std::vector<OSInstalledApp> installedApps() override { return apps; }

    std::vector<OSInstalledApp> apps;
};

} // namespace OV::Test
