#include "store/ZipDirectory.h"

#include <QSet>
#include <QStringDecoder>

#include <zlib.h>

#include <algorithm>

namespace OV {

namespace {

constexpr quint32 kEndSignature = 0x06054b50;
constexpr quint32 kCentralSignature = 0x02014b50;
constexpr quint32 kLocalSignature = 0x04034b50;
constexpr quint32 kDescriptorSignature = 0x08074b50;
constexpr qint64 kEndSize = 22;
constexpr qint64 kCentralSize = 46;
constexpr qint64 kLocalSize = 30;
constexpr quint32 kZip64LocatorSignature = 0x07064b50;
constexpr qint64 kZip64LocatorSize = 20;
constexpr quint32 kFlagEncrypted = 0x0001;
constexpr quint32 kFlagStrongEncryption = 0x0040;
constexpr quint32 kFlagDataDescriptor = 0x0008;
constexpr quint32 kFlagUtf8 = 0x0800;
constexpr quint32 kExtraZip64 = 0x0001;
constexpr quint32 kExtraAes = 0x9901;
// Names the member over again: readers that take it would see another name than this one.
constexpr quint32 kExtraUnicodePath = 0x7075;
// Version 2.0 covers deflate and folders, all that this reader takes. Readers that honour the
// field refuse a member claiming more, so it is refused here too.
constexpr quint32 kMaxVersionNeeded = 20;
constexpr quint32 kMethodAes = 99;
constexpr quint32 kMethodStored = 0;
constexpr quint32 kMethodDeflated = 8;

// Limits for packages from outside, checked against the directory before anything is
// allocated or written.
constexpr qint64 kMaxMemberSize = 64ll * 1024 * 1024;
constexpr qint64 kMaxTotalSize = 256ll * 1024 * 1024;
constexpr quint32 kMaxMembers = 10000;
// Each folder costs the unpack what a file costs; without a bound of their own, 10,000 members
// 32 folders deep would make 320,000 of them.
constexpr qsizetype kMaxFolders = 10000;
constexpr qint64 kMaxCommentLength = 0xFFFF;
constexpr qsizetype kMaxSegmentBytes = 255;
// A plug-in's files sit a few folders down under short names, and packages are made where a
// whole path stops at 260 characters. Deeper or longer names serve no plug-in; they only make
// the unpack slow (every folder of a deep chain is made and walked by the file system), so they
// are refused with these bounds named.
constexpr qsizetype kMaxNameBytes = 512;
constexpr qsizetype kMaxFolderDepth = 32;

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

enum class Inflated { Whole, Damaged, BytesAfterEnd };

// Raw inflate that never produces more than the announced size. The buffer grows with the
// output actually produced, so a lying size cannot make us allocate what the data does not hold.
// The stream must end exactly at the end of the data: a reader that takes the member's end from
// the stream (as one reading a data descriptor does) would look for the next record there.
Inflated inflateRaw(const char* data, qint64 size, qint64 expected, QByteArray* out)
{
    out->clear();
    z_stream stream{};
    if (inflateInit2(&stream, -15) != Z_OK)
        return Inflated::Damaged;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream.avail_in = uInt(size);

    qint64 capacity = qMin(expected, qMax<qint64>(size * 4, 64 * 1024));
    int ret = Z_OK;
    for (;;) {
        out->resize(capacity);
        const qint64 produced = qint64(stream.total_out);
        char scratch = 0;
        if (produced < capacity) {
            stream.next_out = reinterpret_cast<Bytef*>(out->data() + produced);
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
    const bool bytesAfterEnd = stream.avail_in != 0;
    inflateEnd(&stream);
    if (!complete) {
        out->clear();
        return Inflated::Damaged;
    }
    out->resize(expected);
    return bytesAfterEnd ? Inflated::BytesAfterEnd : Inflated::Whole;
}

// Whether the extra-field block is whole records, each a 4-byte head and the data it announces,
// ending with the block: readers that parse it differ on what a cut or trailing record means.
bool extraWellFormed(const QByteArray& zip, qint64 pos, qint64 length)
{
    const qint64 end = pos + length;
    while (pos + 4 <= end)
        pos += 4 + u16(zip, pos + 2);
    return pos == end;
}

// Whether the extra-field block holds a record with the id. A block that ends in a
// partial record is read up to that record.
bool extraHas(const QByteArray& zip, qint64 pos, qint64 length, quint32 id)
{
    const qint64 end = pos + length;
    while (pos + 4 <= end) {
        if (u16(zip, pos) == id)
            return true;
        pos += 4 + u16(zip, pos + 2);
    }
    return false;
}

// Code page 437 from 0x80 up; below, it is ASCII.
constexpr char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// A name as other readers read it: one marked UTF-8 must be UTF-8. An unmarked one is taken as
// UTF-8 where its bytes are (what packers on Linux write, and how unzip and Java read it), else
// as code page 437, as the format says. False for a marked name that is not UTF-8.
bool decodeName(const QByteArray& raw, bool markedUtf8, QString* name)
{
    // Validity is the bytes' own: a byte-order mark at the start is kept as the character it
    // is, not dropped as a decoder for text would drop it.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    *name = utf8(raw);
    if (!utf8.hasError() && name->toUtf8() == raw)
        return true;
    if (markedUtf8)
        return false;
    name->resize(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const uchar c = uchar(raw[i]);
        (*name)[i] = QChar(c < 0x80 ? char16_t(c) : kCp437High[c - 0x80]);
    }
    return true;
}

// A member name, as read, must be a relative path of plain names: no leading "/", no "\" or ":"
// (drive letters), no control characters (C0, DEL or C1), no empty, "." or ".." segment, none
// longer than a file system takes. A leading "./" is dropped, as other readers drop it; "./"
// alone is the root, named "" here.
bool memberName(const QByteArray& raw, bool markedUtf8, QString* name, bool* directory)
{
    QString path;
    if (raw.isEmpty() || !decodeName(raw, markedUtf8, &path))
        return false;
    if (path.startsWith(QLatin1String("./")))
        path.remove(0, 2);
    *directory = path.isEmpty() || path.endsWith(QLatin1Char('/'));
    if (path.isEmpty()) {
        name->clear();
        return true;
    }
    if (*directory)
        path.chop(1);
    for (const QChar c : path) {
        if (c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < 0x20 ||
            (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            return false;
    }
    const QByteArray utf8 = path.toUtf8();
    qsizetype segmentStart = 0;
    for (qsizetype i = 0; i <= utf8.size(); ++i) {
        if (i < utf8.size() && utf8[i] != '/')
            continue;
        if (i - segmentStart > kMaxSegmentBytes)
            return false;
        segmentStart = i + 1;
    }
    for (const QStringView segment : QStringView(path).split(QLatin1Char('/'))) {
        if (segment.isEmpty() || segment == QLatin1String(".") || segment == QLatin1String(".."))
            return false;
    }
    *name = path;
    return true;
}

// A name as a reason shows it: the start of a long one is enough to find it.
QString shown(const QString& name)
{
    constexpr qsizetype kShown = 80;
    return name.size() <= kShown ? name : name.left(kShown) + QStringLiteral("...");
}

// Whether a local header's CRC or size field agrees with the directory's. A member written with
// a data descriptor (flag bit 3) may leave it zero in the local header.
bool localAgrees(quint32 local, quint32 central, bool descriptor)
{
    return local == central || (descriptor && local == 0);
}

// The length of the data descriptor at `pos` that repeats the member's CRC and sizes, with its
// signature (16 bytes) or without (12); 0 when none lies there before `limit`.
qint64 descriptorLength(const QByteArray& zip, qint64 pos, qint64 limit, quint32 crc, qint64 compressed,
                        qint64 uncompressed)
{
    auto repeats = [&](qint64 at) {
        return u32(zip, at) == crc && u32(zip, at + 4) == quint32(compressed) &&
               u32(zip, at + 8) == quint32(uncompressed);
    };
    if (pos + 16 <= limit && u32(zip, pos) == kDescriptorSignature && repeats(pos + 4))
        return 16;
    if (pos + 12 <= limit && repeats(pos))
        return 12;
    return 0;
}

// The bytes a member's local header, data and data descriptor take, to find members that share
// bytes and bytes that no member takes.
struct Extent
{
    qint64 start;
    qint64 end;
    size_t order; // in the directory
    QString name;
};

} // namespace

ZipDirectory::ZipDirectory(const QByteArray& zip) : m_zip(zip)
{
    if (!read())
        m_members.clear();
}

const ZipDirectory::Member* ZipDirectory::find(const QString& name, Qt::CaseSensitivity cs) const
{
    const QString key = cs == Qt::CaseSensitive ? name : nameKey(name);
    for (const Member& member : m_members) {
        if (!member.directory && (cs == Qt::CaseSensitive ? member.name : member.key) == key)
            return &member;
    }
    return nullptr;
}

QString ZipDirectory::nameKey(const QString& name)
{
    return name.normalized(QString::NormalizationForm_C).toCaseFolded();
}

bool ZipDirectory::content(const Member& member, QByteArray* content, QString* why) const
{
    const char* data = m_zip.constData() + member.dataStart;
    Inflated inflated = Inflated::Whole;
    if (member.method == kMethodStored)
        *content = QByteArray::fromRawData(data, member.compressedSize);
    else
        inflated = inflateRaw(data, member.compressedSize, member.uncompressedSize, content);
    if (inflated == Inflated::Whole && content->size() == member.uncompressedSize &&
        crcOf(content->constData(), content->size()) == member.crc)
        return true;
    if (why) {
        *why = inflated == Inflated::BytesAfterEnd ? QStringLiteral("bytes after the compressed data: %1")
                                                   : QStringLiteral("damaged member: %1");
        *why = why->arg(member.name);
    }
    return false;
}

bool ZipDirectory::refuse(const QString& reason)
{
    m_error = reason;
    return false;
}

// The end record must be the last signature in reach of a comment and end the file, and no
// other record may also end the file: a reader that takes another one, or one hidden in the
// comment, would see another directory than this one. Zero bytes may follow it (packers writing
// to a pipe pad to whole blocks); any other byte may not.
qint64 ZipDirectory::findEndRecord()
{
    const qint64 size = m_zip.size();
    qint64 padded = size;
    while (padded > 0 && m_zip.at(padded - 1) == '\0')
        --padded;
    const qint64 lowest = qMax<qint64>(0, size - kEndSize - kMaxCommentLength);
    qint64 endPos = -1;
    bool last = true;
    for (qint64 pos = size - kEndSize; pos >= lowest; --pos) {
        if (u32(m_zip, pos) != kEndSignature)
            continue;
        const qint64 recordEnd = pos + kEndSize + u16(m_zip, pos + 20);
        const bool ends = recordEnd >= padded && recordEnd <= size;
        if ((last && !ends) || (ends && endPos >= 0)) {
            refuse(QStringLiteral("ambiguous end record"));
            return -1;
        }
        last = false;
        if (ends)
            endPos = pos;
    }
    if (endPos < 0)
        refuse(QStringLiteral("no end record"));
    return endPos;
}

bool ZipDirectory::read()
{
    const QByteArray& zip = m_zip;
    const qint64 endPos = findEndRecord();
    if (endPos < 0)
        return false;
    if (endPos >= kZip64LocatorSize && u32(zip, endPos - kZip64LocatorSize) == kZip64LocatorSignature)
        return refuse(QStringLiteral("ZIP64 archive"));
    const quint32 entriesOnDisk = u16(zip, endPos + 8);
    const quint32 entries = u16(zip, endPos + 10);
    const qint64 dirSize = u32(zip, endPos + 12);
    const qint64 dirOffset = u32(zip, endPos + 16);
    if (entries == 0xFFFF || dirSize == 0xFFFFFFFF || dirOffset == 0xFFFFFFFF)
        return refuse(QStringLiteral("ZIP64 archive"));
    if (u16(zip, endPos + 4) != 0 || u16(zip, endPos + 6) != 0 || entriesOnDisk != entries)
        return refuse(QStringLiteral("multi-disk archive"));
    if (entries > kMaxMembers)
        return refuse(QStringLiteral("too many members: %1").arg(entries));
    const qint64 dirEnd = dirOffset + dirSize;
    if (dirEnd > endPos)
        return refuse(QStringLiteral("directory outside the archive"));
    // Readers that place the directory by the end record instead of by its offset would shift
    // every member by the gap.
    if (dirEnd != endPos)
        return refuse(QStringLiteral("bytes between the directory and the end record"));

    m_members.reserve(entries);
    std::vector<Extent> extents;
    extents.reserve(entries);
    QSet<QString> names;
    QSet<QString> folded;
    QSet<QString> files;
    QSet<QString> folders;
    qint64 total = 0;
    qint64 pos = dirOffset;
    while (pos < dirEnd) {
        if (extents.size() >= entries)
            return refuse(QStringLiteral("more members than announced"));
        if (pos + kCentralSize > dirEnd || u32(zip, pos) != kCentralSignature)
            return refuse(QStringLiteral("damaged directory"));
        const quint32 versionNeeded = u16(zip, pos + 6) & 0xFF; // the high byte names a system
        const quint32 flags = u16(zip, pos + 8);
        const quint32 method = u16(zip, pos + 10);
        const qint64 compressedSize = u32(zip, pos + 20);
        const qint64 uncompressedSize = u32(zip, pos + 24);
        const qint64 nameLength = u16(zip, pos + 28);
        const qint64 extraLength = u16(zip, pos + 30);
        const qint64 localOffset = u32(zip, pos + 42);
        const qint64 next = pos + kCentralSize + nameLength + extraLength + u16(zip, pos + 32);
        if (next > dirEnd)
            return refuse(QStringLiteral("damaged directory"));
        const QByteArray rawName(zip.constData() + pos + kCentralSize, nameLength);
        const qint64 extra = pos + kCentralSize + nameLength;

        Member member;
        if (!memberName(rawName, (flags & kFlagUtf8) != 0, &member.name, &member.directory))
            return refuse(
                QStringLiteral("unsafe member name: %1").arg(shown(QString::fromUtf8(rawName.toPercentEncoding("/")))));
        // A folder member lies as deep as the folder it makes, a file one less.
        if (member.name.count(QLatin1Char('/')) + (member.directory ? 1 : 0) > kMaxFolderDepth)
            return refuse(
                QStringLiteral("member more than %1 folders deep: %2").arg(kMaxFolderDepth).arg(shown(member.name)));
        if (member.name.toUtf8().size() > kMaxNameBytes)
            return refuse(
                QStringLiteral("member name longer than %1 bytes: %2").arg(kMaxNameBytes).arg(shown(member.name)));
        if (!extraWellFormed(zip, extra, extraLength))
            return refuse(QStringLiteral("malformed extra field: %1").arg(member.name));
        if (extraHas(zip, extra, extraLength, kExtraUnicodePath))
            return refuse(QStringLiteral("Unicode path extra field: %1").arg(member.name));
        if ((flags & (kFlagEncrypted | kFlagStrongEncryption)) != 0 || method == kMethodAes ||
            extraHas(zip, extra, extraLength, kExtraAes))
            return refuse(QStringLiteral("encrypted member: %1").arg(member.name));
        if (compressedSize == 0xFFFFFFFF || uncompressedSize == 0xFFFFFFFF || localOffset == 0xFFFFFFFF ||
            extraHas(zip, extra, extraLength, kExtraZip64))
            return refuse(QStringLiteral("ZIP64 member: %1").arg(member.name));
        if (method != kMethodStored && method != kMethodDeflated)
            return refuse(QStringLiteral("unsupported method %1: %2").arg(method).arg(member.name));
        if (versionNeeded > kMaxVersionNeeded)
            return refuse(QStringLiteral("unsupported version needed %1: %2").arg(versionNeeded).arg(member.name));
        if (uncompressedSize > kMaxMemberSize)
            return refuse(QStringLiteral("member too large: %1").arg(member.name));
        total += uncompressedSize;
        if (total > kMaxTotalSize)
            return refuse(QStringLiteral("package too large when unpacked"));
        if (method == kMethodStored && compressedSize != uncompressedSize)
            return refuse(QStringLiteral("stored sizes differ: %1").arg(member.name));
        if (names.contains(member.name))
            return refuse(QStringLiteral("duplicate member: %1").arg(member.name));
        names.insert(member.name);
        // Case-insensitive file systems, and those that normalise names, would put both in one file.
        member.key = nameKey(member.name);
        if (folded.contains(member.key))
            return refuse(QStringLiteral("names differ only in letter case or Unicode form: %1").arg(member.name));
        folded.insert(member.key);
        if (!member.directory)
            files.insert(member.key);
        // Every folder the member needs, its own for a folder; once one is known, so are those above.
        QString folder =
            member.directory ? member.name : member.name.left(qMax(0, member.name.lastIndexOf(QLatin1Char('/'))));
        while (!folder.isEmpty() && !folders.contains(folder)) {
            if (folders.size() >= kMaxFolders)
                return refuse(QStringLiteral("more than %1 folders").arg(kMaxFolders));
            folders.insert(folder);
            folder.truncate(qMax(0, folder.lastIndexOf(QLatin1Char('/'))));
        }

        // The local header must agree with the directory and lie, with its data, before it.
        if (localOffset + kLocalSize > dirOffset || u32(zip, localOffset) != kLocalSignature)
            return refuse(QStringLiteral("damaged local header: %1").arg(member.name));
        const qint64 localNameLength = u16(zip, localOffset + 26);
        const qint64 localExtraLength = u16(zip, localOffset + 28);
        member.dataStart = localOffset + kLocalSize + localNameLength + localExtraLength;
        const quint32 localFlags = u16(zip, localOffset + 6);
        const quint32 crc = u32(zip, pos + 16);
        const bool descriptor = (flags & kFlagDataDescriptor) != 0;
        const qint64 localExtra = localOffset + kLocalSize + nameLength;
        if ((localFlags & (kFlagEncrypted | kFlagStrongEncryption)) != 0 || u16(zip, localOffset + 8) != method ||
            !localAgrees(u32(zip, localOffset + 14), crc, descriptor) ||
            !localAgrees(u32(zip, localOffset + 18), quint32(compressedSize), descriptor) ||
            !localAgrees(u32(zip, localOffset + 22), quint32(uncompressedSize), descriptor) ||
            localNameLength != nameLength || member.dataStart + compressedSize > dirOffset ||
            QByteArrayView(zip.constData() + localOffset + kLocalSize, nameLength) != rawName ||
            extraHas(zip, localExtra, localExtraLength, kExtraZip64))
            return refuse(QStringLiteral("damaged local header: %1").arg(member.name));
        // A streaming reader goes by the local header alone: it must say what the directory says.
        if (((localFlags ^ flags) & (kFlagDataDescriptor | kFlagUtf8)) != 0)
            return refuse(QStringLiteral("local header flags differ from the directory: %1").arg(member.name));
        if (!extraWellFormed(zip, localExtra, localExtraLength))
            return refuse(QStringLiteral("malformed extra field: %1").arg(member.name));
        if (extraHas(zip, localExtra, localExtraLength, kExtraUnicodePath))
            return refuse(QStringLiteral("Unicode path extra field: %1").arg(member.name));
        if ((u16(zip, localOffset + 4) & 0xFF) > kMaxVersionNeeded)
            return refuse(QStringLiteral("unsupported version needed %1: %2")
                              .arg(u16(zip, localOffset + 4) & 0xFF)
                              .arg(member.name));
        // The member ends after its data descriptor, which must follow the data at once.
        qint64 end = member.dataStart + compressedSize;
        if (descriptor) {
            const qint64 length = descriptorLength(zip, end, dirOffset, crc, compressedSize, uncompressedSize);
            if (length == 0)
                return refuse(QStringLiteral("missing or damaged data descriptor: %1").arg(member.name));
            end += length;
        }

        member.method = method;
        member.crc = crc;
        member.compressedSize = compressedSize;
        member.uncompressedSize = uncompressedSize;
        // A folder holds nothing: an empty member, stored or deflated.
        QByteArray none;
        if (member.directory && (uncompressedSize != 0 || !content(member, &none)))
            return refuse(QStringLiteral("folder member holds data: %1").arg(member.name));
        extents.push_back(
            {localOffset, end, extents.size(), member.name.isEmpty() ? QStringLiteral("./") : member.name});
        // The root adds nothing to unpack.
        if (!member.name.isEmpty())
            m_members.push_back(std::move(member));
        pos = next;
    }
    if (extents.size() != entries)
        return refuse(QStringLiteral("fewer members than announced"));
    // Readers that walk the local headers must meet exactly these members, one after the other
    // up to the directory: members that share bytes (one stored member holding another, entries
    // pointing into one stream) are read differently by them, and a local header that the
    // directory does not name is a member only they see.
    std::sort(extents.begin(), extents.end(), [](const Extent& a, const Extent& b) {
        return a.start < b.start || (a.start == b.start && a.order < b.order);
    });
    qint64 reached = 0;
    for (size_t i = 0; i <= extents.size(); ++i) {
        const qint64 start = i < extents.size() ? extents[i].start : dirOffset;
        if (start < reached && i < extents.size())
            return refuse(QStringLiteral("overlapping members: %1").arg(extents[i].name));
        if (start > reached) {
            const bool header = QByteArrayView(zip.constData() + reached, start - reached).contains("PK\x03\x04");
            return refuse(QStringLiteral("%1 at byte %2")
                              .arg(header ? QStringLiteral("local header outside the directory")
                                          : QStringLiteral("bytes outside the members"))
                              .arg(reached));
        }
        if (i < extents.size())
            reached = extents[i].end;
    }
    // A file may not stand where another member needs a folder.
    for (const Member& member : m_members) {
        const QString& key = member.key;
        for (qsizetype slash = key.indexOf(QLatin1Char('/')); slash >= 0;
             slash = key.indexOf(QLatin1Char('/'), slash + 1)) {
            if (files.contains(key.left(slash)))
                return refuse(QStringLiteral("conflicting members: %1").arg(member.name));
        }
    }
    return true;
}

} // namespace OV
