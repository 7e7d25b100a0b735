#pragma once

#include <QByteArray>

#include <cstdint>

namespace OV::Test {

// A well-formed firmware update file for the product with the given body: the header's MD5
// covers bytes 0-35 and the body; the reserved bytes 52-63 hold `reserved`.
QByteArray makeOtaFile(uint32_t productId, const QByteArray& body, const QByteArray& versionName = "1.2.0",
                       uint32_t versionCode = 120, char reserved = 0);

// `size` bytes of a repeatable pattern, different for each seed.
QByteArray otaBody(int size, int seed = 1);

} // namespace OV::Test
