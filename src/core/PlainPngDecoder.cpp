#include "core/PlainPngDecoder.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace OV {

namespace {

constexpr uchar kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

quint32 readU32(const uchar* p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

bool isType(const uchar* type, const char (&name)[5])
{
    return std::memcmp(type, name, 4) == 0;
}

uchar paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return static_cast<uchar>(a);
    return static_cast<uchar>(pb <= pc ? b : c);
}

// Undoes one row's filter in place; `prev` is the row above, already undone (zeros for the first).
bool unfilterRow(uchar filter, uchar* row, const uchar* prev, qsizetype length, int bpp)
{
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (qsizetype i = bpp; i < length; ++i)
            row[i] = static_cast<uchar>(row[i] + row[i - bpp]);
        return true;
    case 2:
        for (qsizetype i = 0; i < length; ++i)
            row[i] = static_cast<uchar>(row[i] + prev[i]);
        return true;
    case 3:
        for (qsizetype i = 0; i < length; ++i) {
            const int left = i >= bpp ? row[i - bpp] : 0;
            row[i] = static_cast<uchar>(row[i] + ((left + prev[i]) >> 1));
        }
        return true;
    case 4:
        for (qsizetype i = 0; i < length; ++i) {
            const int left = i >= bpp ? row[i - bpp] : 0;
            const int upLeft = i >= bpp ? prev[i - bpp] : 0;
            row[i] = static_cast<uchar>(row[i] + paeth(left, prev[i], upLeft));
        }
        return true;
    default:
        return false;
    }
}

// Inflates exactly `size` bytes from `data`; false when the stream is damaged, shorter or longer.
bool inflateExactly(const QByteArray& data, uchar* out, qsizetype size)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return false;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out;
    stream.avail_out = static_cast<uInt>(size);
    const int result = inflate(&stream, Z_FINISH);
    const bool whole = result == Z_STREAM_END && stream.avail_out == 0;
    inflateEnd(&stream);
    return whole;
}

} // namespace

QImage PlainPngDecoder::decode(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size < 8 || std::memcmp(p, kSignature, 8) != 0)
        return {};

    quint32 width = 0;
    quint32 height = 0;
    bool alpha = false;
    int dotsPerMeterX = 0;
    int dotsPerMeterY = 0;
    bool header = false;
    bool ended = false;
    QByteArray compressed;
    for (qsizetype at = 8; at < size && !ended;) {
        if (size - at < 12)
            return {};
        const quint32 length = readU32(p + at);
        if (length > 0x7fffffffu || qint64(length) > size - at - 12)
            return {};
        const uchar* type = p + at + 4;
        const uchar* data = type + 4;
        const quint32 crc = readU32(data + length);
        if (crc32(crc32(0L, Z_NULL, 0), type, length + 4) != crc)
            return {};
        at += 12 + qsizetype(length);
        if (!header) {
            // IHDR comes first: 8-bit RGB (2) or RGBA (6), deflate, adaptive filters, no interlace.
            if (!isType(type, "IHDR") || length != 13 || data[8] != 8 || (data[9] != 2 && data[9] != 6) ||
                data[10] != 0 || data[11] != 0 || data[12] != 0)
                return {};
            width = readU32(data);
            height = readU32(data + 4);
            if (width == 0 || height == 0 || width > 0x7fffffffu || height > 0x7fffffffu ||
                qint64(width) * qint64(height) > kMaxPixels)
                return {};
            alpha = data[9] == 6;
            header = true;
        } else if (isType(type, "IDAT")) {
            compressed.append(reinterpret_cast<const char*>(data), length);
        } else if (isType(type, "IEND")) {
            ended = true;
        } else if (isType(type, "pHYs")) {
            if (length != 9)
                return {};
            // Only a resolution in metres means anything to Qt's reader.
            if (data[8] == 1) {
                dotsPerMeterX = static_cast<int>(readU32(data));
                dotsPerMeterY = static_cast<int>(readU32(data + 4));
            }
        } else {
            // Colour management, palettes, transparency keys, text: Qt's reader reads them.
            return {};
        }
    }
    if (!ended || compressed.isEmpty())
        return {};

    const int bpp = alpha ? 4 : 3;
    const qsizetype stride = qsizetype(width) * bpp;
    std::vector<uchar> raw(static_cast<size_t>((stride + 1) * qsizetype(height)));
    if (!inflateExactly(compressed, raw.data(), qsizetype(raw.size())))
        return {};

    QImage image(static_cast<int>(width), static_cast<int>(height),
                 alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const std::vector<uchar> zeros(static_cast<size_t>(stride), 0);
    const uchar* prev = zeros.data();
    for (quint32 y = 0; y < height; ++y) {
        uchar* row = raw.data() + qsizetype(y) * (stride + 1);
        uchar* pixels = row + 1;
        if (!unfilterRow(row[0], pixels, prev, stride, bpp))
            return {};
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
        if (alpha) {
            for (quint32 x = 0; x < width; ++x, pixels += 4)
                line[x] = qRgba(pixels[0], pixels[1], pixels[2], pixels[3]);
        } else {
            for (quint32 x = 0; x < width; ++x, pixels += 3)
                line[x] = qRgb(pixels[0], pixels[1], pixels[2]);
        }
        prev = row + 1;
    }
    if (dotsPerMeterX > 0 && dotsPerMeterY > 0) {
        image.setDotsPerMeterX(dotsPerMeterX);
        image.setDotsPerMeterY(dotsPerMeterY);
    }
    return image;
}

} // namespace OV
