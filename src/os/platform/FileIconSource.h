#pragma once

#include <QPixmap>
#include <QString>

namespace OV {

// The desktop's icon for a file.
class FileIconSource
{
public:
    virtual ~FileIconSource() = default;
    // At most extent x extent pixels; a null pixmap when there is none.
    virtual QPixmap icon(const QString& path, int extent) = 0;
};

} // namespace OV
