#pragma once

#include <QByteArray>
#include <QImage>

namespace OV {

// Decodes the PNG files the program ships: 8-bit RGBA or RGB, not interlaced, without colour
// management chunks. Qt's own reader starts by listing every image-format plugin on the disk;
// the first windows show several such pictures, so this saves that walk and libpng's set-up.
// Gives the image Qt's reader gives for these files (same format, pixels and resolution) and
// a null image for anything else, which the caller then reads with Qt's reader.
class PlainPngDecoder
{
public:
    // The largest picture decoded here; bigger ones go to Qt's reader and its limits.
    static constexpr qint64 kMaxPixels = 4096 * 4096;

    static QImage decode(const QByteArray& bytes);
};

} // namespace OV
