#include "project/ProjectImageUtils.h"

#include <QBuffer>

namespace OV {

QByteArray pixmapToPng(const QPixmap& pixmap)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    pixmap.save(&buffer, "PNG");
    return bytes;
}

} // namespace OV
