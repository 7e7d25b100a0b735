#include "core/PngPicture.h"

#include "core/PlainPngDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPixmapCache>
#include <QtMath>

namespace OV {

namespace {

constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";

// The ratio Qt's reader gives a file named "name@Nx.png".
qreal nameRatio(const QString& path)
{
    static const bool disabled = !qEnvironmentVariableIsEmpty("QT_HIGHDPI_DISABLE_2X_IMAGE_LOADING");
    const QString base = QFileInfo(path).baseName();
    if (disabled || base.size() < 3)
        return 1.0;
    const QStringView suffix = QStringView(base).right(3);
    if (suffix[0] == QLatin1Char('@') && suffix[1] >= QLatin1Char('2') && suffix[1] <= QLatin1Char('9') &&
        suffix[2] == QLatin1Char('x'))
        return suffix[1].digitValue();
    return 1.0;
}

// Null when the file is missing or no PNG. Read by name, an "@Nx" file gets its pixel ratio.
QImage readPng(const QString& path)
{
    // The program's own pictures are plain PNG files, decoded without Qt's reader and its walk
    // through the plugin folder.
    if (path.startsWith(QLatin1Char(':'))) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            QImage image = PlainPngDecoder::decode(file.readAll());
            if (!image.isNull()) {
                image.setDevicePixelRatio(nameRatio(path));
                return image;
            }
        }
    }
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// The "@Nx" file QIcon would add for this screen ratio, or the path itself.
QString atRatioFile(const QString& path)
{
    const int ratio = qCeil(qApp ? qApp->devicePixelRatio() : 1.0);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (ratio <= 1 || dot < 0)
        return path;
    for (int n = qMin(ratio, 9); n > 1; --n) {
        QString candidate = path;
        candidate.insert(dot, QStringLiteral("@%1x").arg(n));
        if (QFile::exists(candidate))
            return candidate;
    }
    return path;
}

} // namespace

QPixmap PngPicture::pixmap(const QString& path)
{
    // Only embedded pictures are cached by name: a file on disk may change under it.
    const bool embedded = path.startsWith(QLatin1Char(':'));
    const QString key = QStringLiteral("ov_png:") + path;
    QPixmap pixmap;
    if (embedded && QPixmapCache::find(key, &pixmap))
        return pixmap;
    const QImage image = readPng(path);
    if (image.isNull())
        return QPixmap(path);
    pixmap = QPixmap::fromImage(image);
    if (embedded)
        QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QIcon PngPicture::icon(const QString& path)
{
    const QImage image = readPng(path);
    if (image.isNull())
        return QIcon(path);
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(image));
    const QString larger = atRatioFile(path);
    if (larger != path) {
        const QImage big = readPng(larger);
        if (!big.isNull())
            icon.addPixmap(QPixmap::fromImage(big));
    }
    return icon;
}

QPixmap PngPicture::fromData(const QByteArray& bytes, const QSize& shownSize)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const bool png = isPng(bytes);
    QImageReader reader(&buffer, png ? QByteArray("png") : QByteArray());
    reader.setAutoDetectImageFormat(!png);
    if (shownSize.isValid() && !shownSize.isEmpty()) {
        const QSize size = reader.size();
        if (size.isValid() && (size.width() > shownSize.width() || size.height() > shownSize.height()))
            reader.setScaledSize(shownSize);
    }
    return QPixmap::fromImage(reader.read());
}

QString PngPicture::forScreen(const QString& path)
{
    return atRatioFile(path);
}

bool PngPicture::isPng(const QByteArray& bytes)
{
    return bytes.startsWith(QByteArray::fromRawData(kSignature, 8));
}

} // namespace OV
