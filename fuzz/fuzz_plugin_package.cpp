// Feeds arbitrary bytes to the plug-in package checks, the unpacker and the one-member reader.
// Findings: any memory error, a package that verifies but does not unpack (or the other way
// round), any file that appears outside the target folder, a member of an unpacked package that
// the shared directory cannot read or whose bytes differ from the unpacked file, or that a
// look-up ignoring letter case and Unicode form finds otherwise, and a "config.json" that the
// one-member reader reads otherwise. The directory is read once and every member read through
// it. Seeds: tests/store/package_corpus; what a run keeps goes (merged) to
// tests/store/package_corpus/fuzz, which the ordinary tests replay.
#include "store/MainUtils.h"
#include "store/ZipDirectory.h"
#include "store/ZipUtils.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
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
    const OV::ZipDirectory directory(zip);
    if (unpacked && !directory.isValid())
        __builtin_trap();
    const QString config = QStringLiteral("config.json");
    const OV::ZipDirectory::Member* configMember = directory.find(config);
    QByteArray content;
    const bool configRead = configMember && directory.content(*configMember, &content);
    if (OV::readZipEntry(zip, config) != (configRead ? content : QByteArray()))
        __builtin_trap();
    for (const OV::ZipDirectory::Member& member : directory.members()) {
        if (!unpacked || member.directory)
            continue;
        QFile file(target + QLatin1Char('/') + member.name);
        if (!directory.content(member, &content) || !file.open(QIODevice::ReadOnly) || file.readAll() != content)
            __builtin_trap();
        // A plug-in's file named in other letter case or Unicode form is the same member in the
        // package and the same file in the folder.
        if (directory.find(member.key, Qt::CaseInsensitive) != &member ||
            OV::MainUtils::pluginFilePath(target, member.key) != file.fileName())
            __builtin_trap();
    }
    QDir(target).removeRecursively();
    return 0;
}
