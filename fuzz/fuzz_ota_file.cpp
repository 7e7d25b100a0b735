// The firmware update file check, fed with arbitrary files. The first byte picks the product the
// file is checked for: the product in the file's own header half of the time, so that inputs
// also get past the product check.
#include "module/OtaFileInfo.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

uint32_t headerProduct(const QByteArray& file)
{
    uint32_t value = 0;
    for (int i = 12; i < 16; ++i)
        value = (value << 8) | static_cast<uint8_t>(file.at(i));
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray file(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const uint32_t product = (data[0] & 1) && file.size() >= 16 ? headerProduct(file) : 0x10000001u + data[0] % 5;
    const OV::BaseResult<OV::OtaFileInfo> parsed = OV::parseOtaFile(file, product);
    if (!parsed.isOk()) {
        require(parsed.code() == OV::Errors::InvalidArgument.code);
        require(!parsed.message.isEmpty());
        require(!parsed.data);
        return 0;
    }
    // Whatever is accepted is a whole, signed file for that product with a body to send.
    const OV::OtaFileInfo& info = *parsed.data;
    require(file.size() > 64 && file.size() <= 0x100000);
    require(file.startsWith("ORV-OTA-FILE"));
    require(info.productId == product && headerProduct(file) == product);
    require(info.data == file.mid(64));
    require(info.versionName == file.mid(16, 16));
    require(info.fileMD5 ==
            QString::fromLatin1(QCryptographicHash::hash(info.data, QCryptographicHash::Md5).toHex().toUpper()));
    QCryptographicHash signature(QCryptographicHash::Md5);
    signature.addData(file.left(36));
    signature.addData(info.data);
    require(signature.result() == file.mid(36, 16));
    // The reserved bytes are outside the signature: changing them changes nothing.
    QByteArray reserved = file;
    reserved[60] = char(~reserved.at(60));
    require(OV::parseOtaFile(reserved, product).isOk());
    return 0;
}
