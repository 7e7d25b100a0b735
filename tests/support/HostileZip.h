#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

namespace OV::Test {

// One member of a hand-made ZIP archive; the optional fields replace what a sound writer would
// put in the local header or the directory.
struct HostileZipMember
{
    HostileZipMember(const QByteArray& memberName, const QByteArray& content, bool deflated = true)
        : name(memberName), data(content), deflate(deflated)
    {}

    QByteArray name;
    QByteArray data;
    bool deflate = true;
    // Both headers' flags; by default bit 11 (UTF-8) for a name that is not ASCII, as a sound
    // writer sets it.
    std::optional<quint16> flags;
    std::optional<quint16> centralFlags;
    quint16 localVersion = 20;
    quint16 centralVersion = 20;
    QByteArray localExtra;
    QByteArray centralExtra;
    // The bytes written as the member's data, in place of `data` stored or deflated; the sizes
    // and CRC stay those of `data`.
    std::optional<QByteArray> payload;
    // Bytes of the data descriptor written after the data: 16 (with its signature), 12, or
    // fewer (the start of the 12-byte form).
    int descriptor = 0;
    // Whether the directory names the member; one it does not has only its local header and data.
    bool listed = true;
    std::optional<quint32> localCrc;
    std::optional<quint32> localCompressed;
    std::optional<quint32> localUncompressed;
    std::optional<quint32> centralUncompressed;
    // Where the directory says the local header is, in place of where it was written.
    std::optional<quint32> centralLocalOffset;
};

// Raw deflate (no wrapper), as a ZIP member holds it.
QByteArray rawDeflate(const QByteArray& data);

// A ZIP archive of the members, written byte by byte.
QByteArray hostileZip(const QList<HostileZipMember>& members);

// A package with a "config.json" and one deflated member of `size` zero bytes: small on disk,
// large when read.
QByteArray zipBomb(const QByteArray& name, qint64 size);

} // namespace OV::Test
