#pragma once

#include "core/BaseResult.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <cstdint>

namespace OV {

// A checked firmware update file. The file is a 64-byte header, all integers big-endian:
//   0  12  magic "ORV-OTA-FILE"
//  12   4  product id
//  16  16  version name (bytes as they are)
//  32   4  version code
//  36  16  MD5 of bytes 0-35 followed by the body
//  52  12  reserved, not covered by the MD5
// then the body, the firmware image; the whole file is at most 1 MiB.
// The MD5 only tells that the file arrived whole and unchanged; anyone can compute it, so it
// says nothing about where the file came from.
struct OtaFileInfo
{
    Q_DECLARE_TR_FUNCTIONS(OtaFileInfo)
public:
    static constexpr qsizetype kHeaderSize = 64;
    static constexpr qsizetype kMaxFileSize = 0x100000;
    static constexpr const char* kMagic = "ORV-OTA-FILE";

    uint32_t productId = 0;
    QByteArray versionName;
    uint32_t versionCode = 0;
    // 32 upper-case hexadecimal digits: the MD5 of the body alone, which the hub checks.
    QString fileMD5;
    QByteArray data;
};

// Checks an update file for the module product `expectedProductId` without reading past its
// end. Every refusal is 1002 "Invalid argument" with the reason as detail.
BaseResult<OtaFileInfo> parseOtaFile(const QByteArray& file, uint32_t expectedProductId);

} // namespace OV
