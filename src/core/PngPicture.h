#pragma once

#include <QByteArray>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace OV {

// The program's own pictures, and those it stores in a project, are PNG. Read as PNG they skip
// the search through every image-format plugin (each loaded to be asked) that a picture of
// unknown kind starts; the decoder and so the pixels are the same. Anything that is no PNG is
// read as the general readers read it.
class PngPicture
{
public:
    // As QPixmap(path): shared through the pixmap cache, null when unreadable.
    static QPixmap pixmap(const QString& path);
    // As QIcon(path): with the "@Nx" file beside it on a screen of that pixel ratio.
    static QIcon icon(const QString& path);
    // As QPixmap::loadFromData(bytes): null when unreadable. Given a valid size (device pixels)
    // for a place that stretches the picture over it, a larger picture is scaled down once here
    // instead of at every paint, and is not kept whole.
    static QPixmap fromData(const QByteArray& bytes, const QSize& shownSize = QSize());
    // The "@Nx" file beside `path` that fits this screen's pixel ratio, or `path` itself.
    static QString forScreen(const QString& path);
    // Whether the bytes start as a PNG file does.
    static bool isPng(const QByteArray& bytes);
};

} // namespace OV
