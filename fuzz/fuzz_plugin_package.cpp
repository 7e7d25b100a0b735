// Feeds arbitrary bytes to the plug-in package checks, the unpacker and the one-member reader.
// Findings: any memory error, a package that verifies but does not unpack (or the other way
// round), any file that appears outside the target folder, and an unpacked file whose bytes
// differ from what the one-member reader gives for its name. Seeds: tests/store/package_corpus;
// what a run keeps goes (merged) to tests/store/package_corpus/fuzz, which the ordinary tests
// replay.
#include "store/ZipUtils.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

// The names of every central directory header found anywhere in the bytes, as the reader
// would be asked for them; found by signature, so damaged directories give names too.
QSet<QString> directoryNames(const QByteArray& zip)
{
    QSet<QString> names;
    const QByteArray signature("PK\x01\x02", 4);
    for (qsizetype pos = zip.indexOf(signature); pos >= 0 && pos + 46 <= zip.size();
         pos = zip.indexOf(signature, pos + 1)) {
        const auto* p = reinterpret_cast<const uchar*>(zip.constData() + pos);
        const qsizetype length = qsizetype(p[28]) | qsizetype(p[29]) << 8;
        if (pos + 46 + length <= zip.size())
            names.insert(QString::fromUtf8(zip.constData() + pos + 46, length));
    }
    return names;
}

} // namespace

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
    for (const QString& name : directoryNames(zip)) {
        const QByteArray content = OV::readZipEntry(zip, name);
        const QString path = target + QLatin1Char('/') + name;
        if (!unpacked || name.endsWith(QLatin1Char('/')) || !QFileInfo(path).isFile())
            continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.readAll() != content)
            __builtin_trap();
    }
    QDir(target).removeRecursively();
    return 0;
}
