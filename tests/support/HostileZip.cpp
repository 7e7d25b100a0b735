#include "support/HostileZip.h"

#include <zlib.h>

#include <algorithm>

namespace OV::Test {

namespace {

void put16(QByteArray& out, quint32 value)
{
    out.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
}

void put32(QByteArray& out, quint32 value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

} // namespace

QByteArray rawDeflate(const QByteArray& data)
{
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&stream, uLong(data.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

QByteArray hostileZip(const QList<HostileZipMember>& members)
{
    QByteArray body;
    QByteArray directory;
    quint32 listed = 0;
    for (const HostileZipMember& member : members) {
        const QByteArray payload = member.payload.value_or(member.deflate ? rawDeflate(member.data) : member.data);
        const quint32 crc =
            quint32(crc32(0, reinterpret_cast<const Bytef*>(member.data.constData()), uInt(member.data.size())));
        const quint32 method = member.deflate ? 8 : 0;
        const bool ascii = std::all_of(member.name.begin(), member.name.end(), [](char c) { return uchar(c) < 0x80; });
        const quint16 flags = member.flags.value_or(ascii ? 0 : 0x0800);
        const quint32 offset = quint32(body.size());
        put32(body, 0x04034b50);
        put16(body, member.localVersion);
        put16(body, flags);
        put16(body, method);
        put32(body, 0);
        put32(body, member.localCrc.value_or(crc));
        put32(body, member.localCompressed.value_or(quint32(payload.size())));
        put32(body, member.localUncompressed.value_or(quint32(member.data.size())));
        put16(body, quint32(member.name.size()));
        put16(body, quint32(member.localExtra.size()));
        body += member.name + member.localExtra + payload;
        QByteArray descriptor;
        put32(descriptor, crc);
        put32(descriptor, quint32(payload.size()));
        put32(descriptor, quint32(member.data.size()));
        if (member.descriptor >= 16)
            body += QByteArray("PK\x07\x08") + descriptor;
        else
            body += descriptor.left(member.descriptor);
        if (!member.listed)
            continue;

        ++listed;
        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, member.centralVersion);
        put16(directory, member.centralFlags.value_or(flags));
        put16(directory, method);
        put32(directory, 0);
        put32(directory, crc);
        put32(directory, quint32(payload.size()));
        put32(directory, member.centralUncompressed.value_or(quint32(member.data.size())));
        put16(directory, quint32(member.name.size()));
        put16(directory, quint32(member.centralExtra.size()));
        put16(directory, 0); // comment length
        put32(directory, 0); // disk, internal attributes
        put32(directory, 0); // external attributes
        put32(directory, member.centralLocalOffset.value_or(offset));
        directory += member.name + member.centralExtra;
    }
    QByteArray zip = body + directory;
    put32(zip, 0x06054b50);
    put32(zip, 0);
    put16(zip, listed);
    put16(zip, listed);
    put32(zip, quint32(directory.size()));
    put32(zip, quint32(body.size()));
    put16(zip, 0);
    return zip;
}

QByteArray zipBomb(const QByteArray& name, qint64 size)
{
    return hostileZip({{"config.json", R"({"name":"bomb"})"}, {name, QByteArray(size, '\0')}});
}

} // namespace OV::Test
