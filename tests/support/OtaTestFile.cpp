#include "support/OtaTestFile.h"

#include <QCryptographicHash>

namespace OV::Test {

namespace {

void putUInt32(QByteArray& bytes, int at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (24 - 8 * i)) & 0xFF);
}

} // namespace

QByteArray makeOtaFile(uint32_t productId, const QByteArray& body, const QByteArray& versionName, uint32_t versionCode,
                       char reserved)
{
    QByteArray header(64, '\0');
    header.replace(0, 12, "ORV-OTA-FILE");
    putUInt32(header, 12, productId);
    header.replace(16, 16, versionName.leftJustified(16, '\0', true));
    putUInt32(header, 32, versionCode);
    QCryptographicHash md5(QCryptographicHash::Md5);
    md5.addData(QByteArrayView(header.constData(), 36));
    md5.addData(body);
    header.replace(36, 16, md5.result());
    header.replace(52, 12, QByteArray(12, reserved));
    header.append(body);
    return header;
}

QByteArray otaBody(int size, int seed)
{
    QByteArray body(size, '\0');
    uint32_t state = 2166136261u ^ uint32_t(seed);
    for (int i = 0; i < size; ++i) {
        state = state * 16777619u + 0x9E3779B9u;
        body[i] = char(state >> 24);
    }
    return body;
}

} // namespace OV::Test
