#include "project/ProjectImageUtils.h"

#include "core/PngPicture.h"

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
    // What the program stores is PNG: named, it is read without asking every format plugin.
    const bool png = PngPicture::isPng(bytes);
    QImageReader reader(&buffer, png ? QByteArray("png") : QByteArray());
    reader.setAutoDetectImageFormat(!png);
    const QSize size = reader.size();
    if (shownSize.isValid() && !shownSize.isEmpty() && size.isValid() &&
        (size.width() > shownSize.width() || size.height() > shownSize.height()))
        reader.setScaledSize(shownSize);
    return QPixmap::fromImage(reader.read());
}

} // namespace OV
