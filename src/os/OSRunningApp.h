#pragma once

#include <QPixmap>
#include <QString>

namespace OV {

// One titled top-level window of a running application.
struct OSRunningApp
{
    QString title;
    QString path; // the full path of the owning process's executable
    QPixmap icon;
};

} // namespace OV
