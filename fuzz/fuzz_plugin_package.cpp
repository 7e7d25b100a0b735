// Feeds arbitrary bytes to the plug-in package checks and the unpacker. Findings: any memory
// error, a package that verifies but does not unpack (or the other way round), and any file
// that appears outside the target folder. Seeds: tests/store/package_corpus; what a run keeps
// goes (merged) to tests/store/package_corpus/fuzz, which the ordinary tests replay.
#include "store/ZipUtils.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // One scratch folder for the whole run: "<scratch>/target" is the only entry it may hold.
    static QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/orvel-fuzz-package-XXXXXX"));
    const QByteArray zip = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString target = scratch.path() + QStringLiteral("/target");

    const bool verified = OV::verifyPackage(zip);
    const bool unpacked = OV::unzipToDirectory(zip, target);
    if (verified != unpacked)
        __builtin_trap();
    const QStringList left = QDir(scratch.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    if (left.size() > (unpacked ? 1 : 0))
        __builtin_trap();
    QDir(target).removeRecursively();
    return 0;
}
