// Unpacks a plug-in package as the product does (the whole package in memory, every member
// checked, then written), so that a whole-process timer can set it beside "unzip -q" of the
// same file.
//
//   plugin_unpack_bench --make <package.zip>       writes a package of 300 members, about 10 MiB
//   plugin_unpack_bench --make-deep <package.zip>  writes a package made to be slow: 4,700
//                                                  one-byte members, each 505 folders deep
//   plugin_unpack_bench --make-chains <package.zip>
//                        10,000 one-byte members, each in a chain of 32 folders of its own
//                        (320,000 folders), names of 450 bytes: about 10 MB
//   plugin_unpack_bench --make-folders <package.zip>
//                        just inside the bounds: 10,000 members, 10,000 folders in chains 32
//                        deep, one member in each folder but one
//   plugin_unpack_bench <package.zip> <folder>      unpacks it into the folder (made new) and
//                        prints the peak and the resident size afterwards
//
// Peak memory: run it under /usr/bin/time -v ("Maximum resident set size").
#include "core/ZlibUtils.h"
#include "store/ZipUtils.h"
#include "support/HostileZip.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: plugin_unpack_bench --make <package.zip>\n"
                         "       plugin_unpack_bench --make-deep <package.zip>\n"
                         "       plugin_unpack_bench --make-chains <package.zip>\n"
                         "       plugin_unpack_bench --make-folders <package.zip>\n"
                         "       plugin_unpack_bench <package.zip> <folder>\n");
    return 2;
}

// Pictures do not compress, texts and configurations do: 200 of the first, 100 of the second,
// in a few folders, as a plug-in's package holds them.
int makePackage(const QString& path)
{
    QTemporaryDir source;
    if (!source.isValid())
        return 1;
    QRandomGenerator random(20261207);
    for (int i = 0; i < 300; ++i) {
        const bool picture = i % 3 != 2;
        const QString name = picture ? QStringLiteral("images/set%1/icon_%2.png").arg(i % 10).arg(i)
                                     : QStringLiteral("i18n/text_%1.json").arg(i);
        QByteArray bytes;
        if (picture) {
            bytes.resize(40000 + int(random.bounded(10000)));
            random.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        } else {
            for (int line = 0; bytes.size() < 60000; ++line)
                bytes += QByteArray("{\"key\":\"button.") + QByteArray::number(line) + "\",\"text\":\"" +
                         QByteArray::number(random.generate(), 36) + "\"},\n";
        }
        const QString file = source.filePath(name);
        QDir().mkpath(QFileInfo(file).path());
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            return 1;
    }
    QFile config(source.filePath(QStringLiteral("config.json")));
    if (!config.open(QIODevice::WriteOnly) || config.write("{\"button\":[]}") < 0)
        return 1;
    config.close();
    if (!OV::ZlibUtils::packToZip(source.path(), path, OV::ZlibUtils::DirectoryContents, 6))
        return 1;
    std::printf("package %s: %lld bytes\n", qUtf8Printable(path), QFileInfo(path).size());
    return 0;
}

// Just under the download limit: names of 1,019 bytes (505 one-letter folders and a file name).
int makeDeepPackage(const QString& path)
{
    QList<OV::Test::HostileZipMember> members;
    const QByteArray folders = QByteArray("a/").repeated(505);
    for (int i = 0; i < 4700; ++i)
        members.append({folders + "f" + QByteArray::number(i).rightJustified(4, '0') + ".txt", "x", false});
    const QByteArray zip = OV::Test::hostileZip(members);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(zip) != zip.size())
        return 1;
    std::printf("package %s: %lld bytes\n", qUtf8Printable(path), qint64(zip.size()));
    return 0;
}

// A folder name of 13 characters: long names make every path the unpack handles long.
QByteArray folderName(int chain, int level)
{
    return QByteArray(QByteArray::number(chain) + "-" + QByteArray::number(level)).rightJustified(13, 'c');
}

int writeZip(const QString& path, const QList<OV::Test::HostileZipMember>& members)
{
    const QByteArray zip = OV::Test::hostileZip(members);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(zip) != zip.size())
        return 1;
    std::printf("package %s: %lld bytes, %lld members\n", qUtf8Printable(path), qint64(zip.size()),
                qint64(members.size()));
    return 0;
}

// Every member in a chain of its own: as many folders as the names allow.
int makeChainsPackage(const QString& path)
{
    QList<OV::Test::HostileZipMember> members;
    for (int chain = 0; chain < 10000; ++chain) {
        QByteArray name;
        for (int level = 0; level < 32; ++level)
            name += folderName(chain, level) + "/";
        members.append({name + "f.txt", "x", false});
    }
    return writeZip(path, members);
}

// 10,000 folders: 312 chains of 32 and one of 16, a member in each folder but the first.
int makeFoldersPackage(const QString& path)
{
    QList<OV::Test::HostileZipMember> members{{"config.json", "{}"}};
    for (int chain = 0; chain <= 312; ++chain) {
        QByteArray name;
        for (int level = 0; level < (chain < 312 ? 32 : 16); ++level) {
            name += folderName(chain, level) + "/";
            if (chain > 0 || level > 0)
                members.append({name + "f.txt", "x", false});
        }
    }
    return writeZip(path, members);
}

// "VmHWM" (the peak) or "VmRSS" (now) of this process, in KB.
long statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--make") == 0)
        return makePackage(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "--make-deep") == 0)
        return makeDeepPackage(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "--make-chains") == 0)
        return makeChainsPackage(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "--make-folders") == 0)
        return makeFoldersPackage(QString::fromLocal8Bit(argv[2]));
    if (argc != 3)
        return usage();
    QFile package(QString::fromLocal8Bit(argv[1]));
    if (!package.open(QIODevice::ReadOnly))
        return usage();
    QElapsedTimer clock;
    clock.start();
    const QByteArray zip = package.readAll();
    QString why;
    const bool unpacked = OV::unzipToDirectory(zip, QString::fromLocal8Bit(argv[2]), &why);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (unpacked)
        std::printf("unpacked %lld bytes in %.3f s", qint64(zip.size()), seconds);
    else
        std::printf("unpack failed after %.3f s: %s", seconds, qUtf8Printable(why));
    std::printf("; peak %.1f MB, resident afterwards %.1f MB\n", double(statusKb("VmHWM:")) / 1024.0,
                double(statusKb("VmRSS:")) / 1024.0);
    return unpacked ? 0 : 1;
}
