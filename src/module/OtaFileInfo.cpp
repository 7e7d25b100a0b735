#include "module/OtaFileInfo.h"

#include <QCryptographicHash>

#include <cstring>

namespace OV {

namespace {

uint32_t readUInt32(const QByteArray& bytes, qsizetype at)
{
    uint32_t value = 0;
    for (qsizetype i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<uint8_t>(bytes.at(at + i));
    return value;
}

BaseResult<OtaFileInfo> refused(const QString& reason)
{
    return BaseResult<OtaFileInfo>::failure(Errors::InvalidArgument, reason);
}

} // namespace

BaseResult<OtaFileInfo> parseOtaFile(const QByteArray& file, uint32_t expectedProductId)
{
    if (file.size() > OtaFileInfo::kMaxFileSize)
        return refused(OtaFileInfo::tr("Error file size:%1 bytes.").arg(file.size()));
    if (file.size() < OtaFileInfo::kHeaderSize)
        return refused(OtaFileInfo::tr("File header is invalid"));
    const QByteArray header = file.left(OtaFileInfo::kHeaderSize);
    if (std::memcmp(header.constData(), OtaFileInfo::kMagic, 12) != 0)
        return refused(OtaFileInfo::tr("File header is invalid"));
    if (readUInt32(header, 12) != expectedProductId)
        return refused(OtaFileInfo::tr("Product ID mismatch"));
    const QByteArray versionName = header.mid(16, 16);
    const uint32_t versionCode = readUInt32(header, 32);
    const QByteArray signature = header.mid(36, 16);
    const QByteArray body = file.mid(OtaFileInfo::kHeaderSize);

    QCryptographicHash signed_(QCryptographicHash::Md5);
    signed_.addData(QByteArrayView(header.constData(), 36));
    signed_.addData(body);
    if (signed_.result() != signature)
        return refused(OtaFileInfo::tr("Invalid file signature"));
    // Nothing to send: the module would be put into update mode for no image.
    if (body.isEmpty())
        return refused(OtaFileInfo::tr("File body is empty"));

    OtaFileInfo info;
    info.productId = expectedProductId;
    info.versionName = versionName;
    info.versionCode = versionCode;
    info.fileMD5 = QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex().toUpper());
    info.data = body;
    return BaseResult<OtaFileInfo>::success(std::move(info));
}

} // namespace OV
