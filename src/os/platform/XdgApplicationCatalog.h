#pragma once

#include "os/platform/ApplicationCatalog.h"

#include <QStringList>

namespace OV {

// Applications from the .desktop files under $XDG_DATA_HOME and $XDG_DATA_DIRS "/applications".
// An entry in an earlier folder hides one of the same id in a later folder, as the desktop does.
class XdgApplicationCatalog : public ApplicationCatalog
{
public:
    std::vector<OSInstalledApp> installedApps() override;

    // The data folders in the desktop's order of precedence.
    static QStringList dataDirs();
};

} // namespace OV
