#include "store/ZipUtils.h"

#include <zlib.h>

namespace OV {

namespace {

constexpr quint32 kEndSignature = 0x06054b50;
constexpr quint32 kCentralSignature = 0x02014b50;
constexpr quint32 kLocalSignature = 0x04034b50;
constexpr qint64 kEndSize = 22;
constexpr qint64 kCentralSize = 46;
constexpr qint64 kLocalSize = 30;
constexpr quint32 kFlagEncrypted = 0x0001;
constexpr quint32 kMethodStored = 0;
constexpr quint32 kMethodDeflated = 8;

// Little-endian reads; callers have checked that the bytes lie inside the archive.
quint32 u16(const QByteArray& a, qint64 pos)
{
    const auto* p = reinterpret_cast<const uchar*>(a.constData() + pos);
    return quint32(p[0]) | quint32(p[1]) << 8;
}

quint32 u32(const QByteArray& a, qint64 pos)
{
    return u16(a, pos) | u16(a, pos + 2) << 16;
}

quint32 crcOf(const char* data, qint64 size)
{
    return quint32(crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data), uInt(size)));
}

// Raw inflate that never produces more than the announced size. The buffer grows with the
// output actually produced, so a lying size cannot make us allocate what the data does not hold.
QByteArray inflateRaw(const char* data, qint64 size, qint64 expected)
{
    z_stream stream{};
    if (inflateInit2(&stream, -15) != Z_OK)
        return {};
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream.avail_in = uInt(size);

    QByteArray out;
    qint64 capacity = qMin(expected, qMax<qint64>(size * 4, 64 * 1024));
    int ret = Z_OK;
    for (;;) {
        out.resize(capacity);
        const qint64 produced = qint64(stream.total_out);
        char scratch = 0;
        if (produced < capacity) {
            stream.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
            stream.avail_out = uInt(capacity - produced);
        } else {
            // Full at the announced size: the stream may still have its end to report, but
            // any further byte means the size was a lie.
            stream.next_out = reinterpret_cast<Bytef*>(&scratch);
            stream.avail_out = 1;
        }
        ret = inflate(&stream, Z_NO_FLUSH);
        if (ret == Z_STREAM_END || (ret != Z_OK && ret != Z_BUF_ERROR))
            break;
        if (qint64(stream.total_out) > expected || stream.avail_out != 0)
            break;
        if (capacity == expected)
            continue;
        capacity = qMin(expected, capacity * 2);
    }
    const bool complete = ret == Z_STREAM_END && qint64(stream.total_out) == expected;
    inflateEnd(&stream);
    if (!complete)
        return {};
    out.resize(expected);
    return out;
}

} // namespace

QByteArray readZipEntry(const QByteArray& zip, const QString& name)
{
    const qint64 size = zip.size();
    // The archive comment may itself hold the signature: prefer the record whose comment
    // ends exactly at the end of the array, else take the last signature (trailing bytes).
    qint64 endPos = -1;
    for (qint64 pos = size - kEndSize; pos >= 0; --pos) {
        if (u32(zip, pos) != kEndSignature)
            continue;
        if (endPos < 0)
            endPos = pos;
        if (pos + kEndSize + u16(zip, pos + 20) == size) {
            endPos = pos;
            break;
        }
    }
    if (endPos < 0)
        return {};

    // One disk only, and both entry counts must match the directory actually found.
    const quint32 diskNumber = u16(zip, endPos + 4);
    const quint32 dirDisk = u16(zip, endPos + 6);
    const quint32 entriesOnDisk = u16(zip, endPos + 8);
    const quint32 totalEntries = u16(zip, endPos + 10);
    const qint64 dirSize = u32(zip, endPos + 12);
    const qint64 dirOffset = u32(zip, endPos + 16);
    const qint64 dirEnd = dirOffset + dirSize;
    if (diskNumber != 0 || dirDisk != 0 || entriesOnDisk != totalEntries)
        return {};
    if (dirOffset >= dirEnd || dirEnd > size)
        return {};

    // Walk the whole directory first, so that damage anywhere in it is seen. Names are
    // compared as their UTF-8 bytes: only an entry of exactly the requested path matches.
    const QByteArray wanted = name.toUtf8();
    qint64 match = -1;
    quint32 headers = 0;
    qint64 pos = dirOffset;
    while (pos < dirEnd) {
        if (pos + kCentralSize > dirEnd || u32(zip, pos) != kCentralSignature)
            return {};
        const qint64 nameLength = u16(zip, pos + 28);
        const qint64 next = pos + kCentralSize + nameLength + u16(zip, pos + 30) + u16(zip, pos + 32);
        if (next > dirEnd)
            return {};
        if (match < 0 && QByteArrayView(zip.constData() + pos + kCentralSize, nameLength) == wanted)
            match = pos;
        ++headers;
        pos = next;
    }
    if (headers != totalEntries || match < 0)
        return {};

    const quint32 flags = u16(zip, match + 8);
    const quint32 method = u16(zip, match + 10);
    const quint32 crc = u32(zip, match + 16);
    const qint64 compressedSize = u32(zip, match + 20);
    const qint64 uncompressedSize = u32(zip, match + 24);
    const qint64 localOffset = u32(zip, match + 42);
    if ((flags & kFlagEncrypted) != 0)
        return {};
    if (localOffset + kLocalSize > size || u32(zip, localOffset) != kLocalSignature)
        return {};
    if (u16(zip, localOffset + 8) != method)
        return {};
    const qint64 dataStart = localOffset + kLocalSize + u16(zip, localOffset + 26) + qint64(u16(zip, localOffset + 28));
    if (dataStart + compressedSize > size)
        return {};
    const char* data = zip.constData() + dataStart;

    QByteArray content;
    if (method == kMethodStored) {
        if (compressedSize != uncompressedSize)
            return {};
        content = QByteArray(data, compressedSize);
    } else if (method == kMethodDeflated) {
        content = inflateRaw(data, compressedSize, uncompressedSize);
    } else {
        return {};
    }
    if (content.size() != uncompressedSize || crcOf(content.constData(), content.size()) != crc)
        return {};
    return content;
}

} // namespace OV
