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
    quint16 localFlags = 0;
    std::optional<quint32> localCrc;
    std::optional<quint32> localCompressed;
    std::optional<quint32> localUncompressed;
    std::optional<quint32> centralUncompressed;
    // Where the directory says the local header is, in place of where it was written.
    std::optional<quint32> centralLocalOffset;
};

// A ZIP archive of the members, written byte by byte.
QByteArray hostileZip(const QList<HostileZipMember>& members);

// A package with a "config.json" and one deflated member of `size` zero bytes: small on disk,
// large when read.
QByteArray zipBomb(const QByteArray& name, qint64 size);

} // namespace OV::Test
