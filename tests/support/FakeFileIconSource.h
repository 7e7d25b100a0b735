#pragma once

#include "os/platform/FileIconSource.h"

#include <QList>
#include <QPair>

namespace OV::Test {

// Records the paths and sizes asked for; answers with null pixmaps (no GUI needed).
class FakeFileIconSource : public FileIconSource
{
public:
    QPixmap icon(const QString& path, int extent) override
    {
        requests.append({path, extent});
        return {};
    }

    QList<QPair<QString, int>> requests;
};

} // namespace OV::Test
