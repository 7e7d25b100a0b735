#include "module/OtaFileInfo.h"

#include "module/ByteRingBuffer.h"

#include <QCryptographicHash>

namespace OV {

namespace {

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
    ByteRingBuffer header{static_cast<int>(OtaFileInfo::kHeaderSize)};
    header.writeBytes(reinterpret_cast<const uint8_t*>(file.constData()), int(OtaFileInfo::kHeaderSize));
    if (header.readBytes(12) != OtaFileInfo::kMagic)
        return refused(OtaFileInfo::tr("File header is invalid"));
    if (header.readUInt32() != expectedProductId)
        return refused(OtaFileInfo::tr("Product ID mismatch"));
    const std::string versionName = header.readBytes(16);
    const uint32_t versionCode = header.readUInt32();
    const std::string signature = header.readBytes(16);
    const QByteArray body = file.mid(OtaFileInfo::kHeaderSize);

    QCryptographicHash signed_(QCryptographicHash::Md5);
    signed_.addData(QByteArrayView(file.constData(), 36));
    signed_.addData(body);
    if (signed_.result() != QByteArray::fromStdString(signature))
        return refused(OtaFileInfo::tr("Invalid file signature"));
    // Nothing to send: the module would be put into update mode for no image.
    if (body.isEmpty())
        return refused(OtaFileInfo::tr("File body is empty"));

    OtaFileInfo info;
    info.productId = expectedProductId;
    info.versionName = QByteArray::fromStdString(versionName);
    info.versionCode = versionCode;
    info.fileMD5 = QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex().toUpper());
    info.data = body;
    return BaseResult<OtaFileInfo>::success(std::move(info));
}

} // namespace OV
