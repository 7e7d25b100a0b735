#pragma once

#include <QByteArray>
#include <QImage>
#include <QPixmap>

namespace OV {

// The picture in the raw format the hub's modules draw directly: an 8-byte little-endian
// header (colour format 4, or 5 with an alpha byte per pixel; width; height; data size), then
// every pixel as RGB565 high byte first, followed by its alpha in format 5. Pictures wider or
// taller than the header can describe (2047) are scaled down to fit. Any thread.
QByteArray encodeDeviceImage(const QPixmap& pixmap);

// The same for a picture that is already an image.
QByteArray encodeDeviceImage(const QImage& image);

} // namespace OV
