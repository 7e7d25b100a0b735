#include "project/ProjectImageUtils.h"

#include <QBuffer>
#include <QImageReader>

namespace OV {

QByteArray pixmapToPng(const QPixmap& pixmap)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    pixmap.save(&buffer, "PNG");
    return bytes;
}

QPixmap pixmapFromBytes(const QByteArray& bytes, const QSize& shownSize)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (shownSize.isValid() && !shownSize.isEmpty() && size.isValid() &&
        (size.width() > shownSize.width() || size.height() > shownSize.height()))
        reader.setScaledSize(shownSize);
    return QPixmap::fromImage(reader.read());
}

} // namespace OV
