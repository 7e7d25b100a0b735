// Feeds arbitrary bytes to the ZIP entry reader; any out-of-bounds read, overflow or
// runaway allocation is a finding. Seeds: tests/store/zip_corpus.
#include "store/ZipUtils.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray zip = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    // Names that the seeds hold, so that mutations reach the local headers and inflate.
    static const QString names[] = {QStringLiteral("config.json"), QStringLiteral("icons/a.png"),
                                    QStringLiteral("readme.txt")};
    for (const QString& name : names) {
        const QByteArray content = OV::readZipEntry(zip, name);
        if (content.size() > 0xFFFFFFFFll)
            __builtin_trap();
    }
    return 0;
}
