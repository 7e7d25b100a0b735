#pragma once

#include "os/platform/FileIconSource.h"

namespace OV {

// The icon theme's icon for the file's MIME type, else the style's file or folder icon.
class ThemeFileIconSource : public FileIconSource
{
public:
    QPixmap icon(const QString& path, int extent) override;
};

} // namespace OV
