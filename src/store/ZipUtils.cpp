#include "store/ZipUtils.h"

#include "core/FileUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <zlib.h>

#include <vector>

namespace OV {

namespace {

constexpr quint32 kEndSignature = 0x06054b50;
constexpr quint32 kCentralSignature = 0x02014b50;
constexpr quint32 kLocalSignature = 0x04034b50;
constexpr qint64 kEndSize = 22;
constexpr qint64 kCentralSize = 46;
constexpr qint64 kLocalSize = 30;
constexpr quint32 kZip64LocatorSignature = 0x07064b50;
constexpr qint64 kZip64LocatorSize = 20;
constexpr quint32 kFlagEncrypted = 0x0001;
constexpr quint32 kFlagStrongEncryption = 0x0040;
constexpr quint32 kFlagDataDescriptor = 0x0008;
constexpr quint32 kExtraZip64 = 0x0001;
constexpr quint32 kExtraAes = 0x9901;
constexpr quint32 kMethodAes = 99;
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

namespace {

// Limits for packages from outside, checked against the directory before anything is
// allocated or written.
constexpr qint64 kMaxMemberSize = 64ll * 1024 * 1024;
constexpr qint64 kMaxTotalSize = 256ll * 1024 * 1024;
constexpr quint32 kMaxMembers = 10000;
constexpr qint64 kMaxCommentLength = 0xFFFF;
constexpr qsizetype kMaxNameBytes = 1024;
constexpr qsizetype kMaxSegmentBytes = 255;

struct PackageMember
{
    QString name; // relative path; a folder's trailing "/" removed
    bool directory = false;
    quint32 method = 0;
    quint32 crc = 0;
    qint64 compressedSize = 0;
    qint64 uncompressedSize = 0;
    qint64 dataStart = 0;
};

bool refuse(QString* why, const QString& reason)
{
    if (why)
        *why = reason;
    return false;
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

// A member name must be valid UTF-8 and a relative path of plain names: no leading "/",
// no "\" or ":" (drive letters), no control characters, no empty, "." or ".." segment.
bool memberName(const QByteArray& raw, QString* name, bool* directory)
{
    QString path = QString::fromUtf8(raw);
    if (raw.isEmpty() || path.toUtf8() != raw)
        return false;
    *directory = path.endsWith(QLatin1Char('/'));
    if (*directory)
        path.chop(1);
    for (const QChar c : path) {
        if (c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    // Lengths the file system takes: a name of at most 255 bytes, a path well below PATH_MAX.
    if (raw.size() > kMaxNameBytes)
        return false;
    qsizetype segmentStart = 0;
    for (qsizetype i = 0; i <= raw.size(); ++i) {
        if (i < raw.size() && raw[i] != '/')
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

// How the end record is found. A package to unpack must have exactly one record, the one
// that ends the data; reading one member also takes a record followed by trailing bytes, or one
// whose comment holds a false signature, preferring the record that ends the data.
enum class EndRecord { Exact, Lenient };

qint64 findEndRecord(const QByteArray& zip, EndRecord rule, QString* why)
{
    const qint64 size = zip.size();
    qint64 endPos = -1;
    if (rule == EndRecord::Lenient) {
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
            refuse(why, QStringLiteral("no end record"));
        return endPos;
    }
    const qint64 lowest = qMax<qint64>(0, size - kEndSize - kMaxCommentLength);
    // The last signature must be the record, and no other record may also end the data: a
    // signature in the comment is one that other readers take, so they would see another
    // directory than this one.
    bool last = true;
    for (qint64 pos = size - kEndSize; pos >= lowest; --pos) {
        if (u32(zip, pos) != kEndSignature)
            continue;
        const bool ends = pos + kEndSize + u16(zip, pos + 20) == size;
        if ((last && !ends) || (ends && endPos >= 0)) {
            refuse(why, QStringLiteral("ambiguous end record"));
            return -1;
        }
        last = false;
        if (ends)
            endPos = pos;
    }
    if (endPos < 0)
        refuse(why, QStringLiteral("no end record"));
    return endPos;
}

// Whether a local header's CRC or size field agrees with the directory's. A member written with
// a data descriptor (flag bit 3) may leave it zero in the local header.
bool localAgrees(quint32 local, quint32 central, bool descriptor)
{
    return local == central || (descriptor && local == 0);
}

// Reads and checks the whole directory of an archive. Only an archive that every reader would
// see alike passes: the end record, the entry counts, every header, name, size and local header
// inside the archive and in agreement, and the limits on members and sizes.
bool readPackageDirectory(const QByteArray& zip, std::vector<PackageMember>& members, QString* why,
                          EndRecord rule = EndRecord::Exact)
{
    const qint64 endPos = findEndRecord(zip, rule, why);
    if (endPos < 0)
        return false;
    if (endPos >= kZip64LocatorSize && u32(zip, endPos - kZip64LocatorSize) == kZip64LocatorSignature)
        return refuse(why, QStringLiteral("ZIP64 archive"));
    const quint32 entriesOnDisk = u16(zip, endPos + 8);
    const quint32 entries = u16(zip, endPos + 10);
    const qint64 dirSize = u32(zip, endPos + 12);
    const qint64 dirOffset = u32(zip, endPos + 16);
    if (entries == 0xFFFF || dirSize == 0xFFFFFFFF || dirOffset == 0xFFFFFFFF)
        return refuse(why, QStringLiteral("ZIP64 archive"));
    if (u16(zip, endPos + 4) != 0 || u16(zip, endPos + 6) != 0 || entriesOnDisk != entries)
        return refuse(why, QStringLiteral("multi-disk archive"));
    if (entries > kMaxMembers)
        return refuse(why, QStringLiteral("too many members: %1").arg(entries));
    const qint64 dirEnd = dirOffset + dirSize;
    if (dirEnd > endPos)
        return refuse(why, QStringLiteral("directory outside the archive"));

    members.clear();
    members.reserve(entries);
    QSet<QString> names;
    QSet<QString> files;
    qint64 total = 0;
    qint64 pos = dirOffset;
    while (pos < dirEnd) {
        if (members.size() >= entries)
            return refuse(why, QStringLiteral("more members than announced"));
        if (pos + kCentralSize > dirEnd || u32(zip, pos) != kCentralSignature)
            return refuse(why, QStringLiteral("damaged directory"));
        const quint32 flags = u16(zip, pos + 8);
        const quint32 method = u16(zip, pos + 10);
        const qint64 compressedSize = u32(zip, pos + 20);
        const qint64 uncompressedSize = u32(zip, pos + 24);
        const qint64 nameLength = u16(zip, pos + 28);
        const qint64 extraLength = u16(zip, pos + 30);
        const qint64 localOffset = u32(zip, pos + 42);
        const qint64 next = pos + kCentralSize + nameLength + extraLength + u16(zip, pos + 32);
        if (next > dirEnd)
            return refuse(why, QStringLiteral("damaged directory"));
        const QByteArray rawName(zip.constData() + pos + kCentralSize, nameLength);
        const qint64 extra = pos + kCentralSize + nameLength;

        PackageMember member;
        if (!memberName(rawName, &member.name, &member.directory))
            return refuse(
                why, QStringLiteral("unsafe member name: %1").arg(QString::fromUtf8(rawName.toPercentEncoding("/"))));
        if ((flags & (kFlagEncrypted | kFlagStrongEncryption)) != 0 || method == kMethodAes ||
            extraHas(zip, extra, extraLength, kExtraAes))
            return refuse(why, QStringLiteral("encrypted member: %1").arg(member.name));
        if (compressedSize == 0xFFFFFFFF || uncompressedSize == 0xFFFFFFFF || localOffset == 0xFFFFFFFF ||
            extraHas(zip, extra, extraLength, kExtraZip64))
            return refuse(why, QStringLiteral("ZIP64 member: %1").arg(member.name));
        if (method != kMethodStored && method != kMethodDeflated)
            return refuse(why, QStringLiteral("unsupported method %1: %2").arg(method).arg(member.name));
        if (uncompressedSize > kMaxMemberSize)
            return refuse(why, QStringLiteral("member too large: %1").arg(member.name));
        total += uncompressedSize;
        if (total > kMaxTotalSize)
            return refuse(why, QStringLiteral("package too large when unpacked"));
        if (method == kMethodStored && compressedSize != uncompressedSize)
            return refuse(why, QStringLiteral("stored sizes differ: %1").arg(member.name));
        if (names.contains(member.name))
            return refuse(why, QStringLiteral("duplicate member: %1").arg(member.name));
        names.insert(member.name);
        if (!member.directory)
            files.insert(member.name);

        // The local header must agree with the directory and lie, with its data, before it.
        if (localOffset + kLocalSize > dirOffset || u32(zip, localOffset) != kLocalSignature)
            return refuse(why, QStringLiteral("damaged local header: %1").arg(member.name));
        const qint64 localNameLength = u16(zip, localOffset + 26);
        const qint64 localExtraLength = u16(zip, localOffset + 28);
        member.dataStart = localOffset + kLocalSize + localNameLength + localExtraLength;
        const quint32 localFlags = u16(zip, localOffset + 6);
        const bool descriptor = (localFlags & kFlagDataDescriptor) != 0;
        if ((localFlags & (kFlagEncrypted | kFlagStrongEncryption)) != 0 || u16(zip, localOffset + 8) != method ||
            !localAgrees(u32(zip, localOffset + 14), u32(zip, pos + 16), descriptor) ||
            !localAgrees(u32(zip, localOffset + 18), quint32(compressedSize), descriptor) ||
            !localAgrees(u32(zip, localOffset + 22), quint32(uncompressedSize), descriptor) ||
            localNameLength != nameLength || member.dataStart + compressedSize > dirOffset ||
            QByteArrayView(zip.constData() + localOffset + kLocalSize, nameLength) != rawName ||
            extraHas(zip, localOffset + kLocalSize + nameLength, localExtraLength, kExtraZip64))
            return refuse(why, QStringLiteral("damaged local header: %1").arg(member.name));

        member.method = method;
        member.crc = u32(zip, pos + 16);
        member.compressedSize = compressedSize;
        member.uncompressedSize = uncompressedSize;
        members.push_back(std::move(member));
        pos = next;
    }
    if (members.size() != entries)
        return refuse(why, QStringLiteral("fewer members than announced"));
    // A file may not stand where another member needs a folder.
    for (const PackageMember& member : members) {
        for (qsizetype slash = member.name.indexOf(QLatin1Char('/')); slash >= 0;
             slash = member.name.indexOf(QLatin1Char('/'), slash + 1)) {
            if (files.contains(member.name.left(slash)))
                return refuse(why, QStringLiteral("conflicting members: %1").arg(member.name));
        }
    }
    return true;
}

// The member's bytes, inflated and checked against its size and CRC; false when damaged.
bool memberContent(const QByteArray& zip, const PackageMember& member, QByteArray* content)
{
    const char* data = zip.constData() + member.dataStart;
    if (member.method == kMethodStored)
        *content = QByteArray::fromRawData(data, member.compressedSize);
    else
        *content = inflateRaw(data, member.compressedSize, member.uncompressedSize);
    return content->size() == member.uncompressedSize && crcOf(content->constData(), content->size()) == member.crc;
}

} // namespace

QByteArray readZipEntry(const QByteArray& zip, const QString& name, QString* why)
{
    std::vector<PackageMember> members;
    if (!readPackageDirectory(zip, members, why, EndRecord::Lenient))
        return {};
    for (const PackageMember& member : members) {
        if (member.directory || member.name != name)
            continue;
        QByteArray content;
        if (!memberContent(zip, member, &content)) {
            refuse(why, QStringLiteral("damaged member: %1").arg(member.name));
            return {};
        }
        // The directory's bytes may be only borrowed: the caller keeps its own copy.
        content.detach();
        return content;
    }
    refuse(why, QStringLiteral("no member: %1").arg(name));
    return {};
}

bool verifyPackage(const QByteArray& zip, QString* why)
{
    std::vector<PackageMember> members;
    if (!readPackageDirectory(zip, members, why))
        return false;
    QByteArray content;
    for (const PackageMember& member : members) {
        if (!member.directory && !memberContent(zip, member, &content))
            return refuse(why, QStringLiteral("damaged member: %1").arg(member.name));
    }
    return true;
}

bool unzipToDirectory(const QByteArray& zip, const QString& directory, QString* why)
{
    std::vector<PackageMember> members;
    if (!readPackageDirectory(zip, members, why))
        return false;
    const QString root = QDir::cleanPath(QDir(directory).absolutePath());
    const bool rootCreated = !QFileInfo::exists(root);
    if (!QDir().mkpath(root) || QFileInfo(root).isSymLink())
        return refuse(why, QStringLiteral("cannot create folder: %1").arg(root));

    // Everything made here, in order, so that a failure takes it all away again.
    std::vector<QString> created;
    auto fail = [&](const QString& reason) {
        for (auto it = created.rbegin(); it != created.rend(); ++it) {
            if (!QFile::remove(*it))
                QDir().rmdir(*it);
        }
        if (rootCreated)
            QDir().rmdir(root);
        return refuse(why, reason);
    };
    // Folders are made one level at a time; an existing one must be a real folder.
    auto makeFolders = [&](const QString& relative) {
        QString path = root;
        for (const QStringView segment : QStringView(relative).split(QLatin1Char('/'))) {
            path += QLatin1Char('/') + segment.toString();
            const QFileInfo info(path);
            if (info.exists() || info.isSymLink()) {
                if (!info.isDir() || info.isSymLink())
                    return false;
                continue;
            }
            if (!QDir().mkdir(path))
                return false;
            created.push_back(path);
        }
        return true;
    };

    QByteArray content;
    for (const PackageMember& member : members) {
        const QString target = root + QLatin1Char('/') + member.name;
        if (!QDir::cleanPath(target).startsWith(root + QLatin1Char('/')))
            return fail(QStringLiteral("member outside the folder: %1").arg(member.name));
        if (member.directory) {
            if (!makeFolders(member.name))
                return fail(QStringLiteral("cannot create folder: %1").arg(member.name));
            continue;
        }
        const qsizetype slash = member.name.lastIndexOf(QLatin1Char('/'));
        if (slash > 0 && !makeFolders(member.name.left(slash)))
            return fail(QStringLiteral("cannot create folder: %1").arg(member.name));
        if (!memberContent(zip, member, &content))
            return fail(QStringLiteral("damaged member: %1").arg(member.name));
        // NewOnly: never through a link, never over a file that was there before.
        QFile file(target);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return fail(QStringLiteral("cannot write: %1").arg(member.name));
        created.push_back(target);
        const bool written = file.write(content) == content.size();
        file.close();
        if (!written || file.error() != QFileDevice::NoError)
            return fail(QStringLiteral("cannot write: %1").arg(member.name));
    }
    return true;
}

} // namespace OV
