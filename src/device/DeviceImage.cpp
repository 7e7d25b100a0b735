#include "device/DeviceImage.h"

#include "core/Logger.h"

#include <QImage>

#include <cstdint>

namespace OV {

namespace {

constexpr const char* kTag = "DeviceImage";
constexpr int kMaxSide = 0x7FF;
constexpr uint32_t kFormatOpaque = 4;
constexpr uint32_t kFormatAlpha = 5;

void appendLe32(QByteArray& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xFF));
}

bool hasAlpha(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (row[x * 4 + 3] < 255)
                return true;
        }
    }
    return false;
}

} // namespace

QByteArray encodeDeviceImage(const QPixmap& pixmap)
{
    return encodeDeviceImage(pixmap.toImage());
}

QByteArray encodeDeviceImage(const QImage& source)
{
    QImage image = source.convertToFormat(QImage::Format_RGBA8888);
    // The header holds 11 bits per side; a larger picture would not match its own data.
    if (image.width() > kMaxSide || image.height() > kMaxSide) {
        const QSize original = image.size();
        image = image.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_RGBA8888);
        Logger::warn(kTag, "image %dx%d too large, scaled to %dx%d", original.width(), original.height(), image.width(),
                     image.height());
    }

    const int width = image.width();
    const int height = image.height();
    const bool alpha = hasAlpha(image);
    const uint32_t format = alpha ? kFormatAlpha : kFormatOpaque;
    const uint32_t bytesPerPixel = alpha ? 3 : 2;
    const uint32_t dataSize = bytesPerPixel * uint32_t(width) * uint32_t(height);

    QByteArray out;
    out.reserve(8 + qsizetype(dataSize));
    appendLe32(out, format | (uint32_t(width) & kMaxSide) << 10 | uint32_t(height) << 21);
    appendLe32(out, dataSize);
    for (int y = 0; y < height; ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            const uchar* p = row + x * 4;
            const uint16_t rgb565 = uint16_t((p[0] >> 3) << 11 | (p[1] >> 2) << 5 | p[2] >> 3);
            out.append(char(rgb565 >> 8));
            out.append(char(rgb565 & 0xFF));
            if (alpha)
                out.append(char(p[3]));
        }
    }
    return out;
}

} // namespace OV
