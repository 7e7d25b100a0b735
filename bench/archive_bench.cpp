// Packs a folder with the ZIP writer (level 3, contents mode, as the deploy does) and with
// the tar.gz writer, and prints the throughput of each over the folder's file bytes.
//
//   archive_bench <folder> [--only zip|tgz] [--repeat N] [--out <dir>]
//
// With --only a single writer runs, so that a whole-process timer can set it beside
// "zip -3 -r -q out.zip ." or "tar czf out.tgz ." run in the same folder.
#include "core/ZlibUtils.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

namespace {

// Bytes of the regular files the writers take: hidden entries are left out as they are.
qint64 folderBytes(const QString& folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (!it.filePath().mid(folder.size()).contains(QLatin1String("/.")))
            total += it.fileInfo().size();
    }
    return total;
}

int usage()
{
    std::fprintf(stderr, "usage: archive_bench <folder> [--only zip|tgz] [--repeat N] [--out <dir>]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QString only;
    QString outDir;
    int repeat = 1;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            only = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc)
            repeat = qMax(1, QString::fromLocal8Bit(argv[++i]).toInt());
        else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
            outDir = QString::fromLocal8Bit(argv[++i]);
        else
            return usage();
    }
    if (!QFileInfo(folder).isDir() || (!only.isEmpty() && only != QLatin1String("zip") && only != QLatin1String("tgz")))
        return usage();

    QTemporaryDir tmp;
    if (outDir.isEmpty()) {
        if (!tmp.isValid())
            return 1;
        outDir = tmp.path();
    }
    const qint64 bytes = folderBytes(folder);
    const double mb = double(bytes) / 1e6;
    std::printf("folder %s: %.2f MB\n", qUtf8Printable(folder), mb);

    struct Run
    {
        const char* name;
        const char* file;
        bool (*pack)(const QString&, const QString&);
    };
    const Run runs[] = {
        {"zip", "bench.zip",
         [](const QString& src, const QString& dst) {
             return OV::ZlibUtils::packToZip(src, dst, OV::ZlibUtils::DirectoryContents, 3);
         }},
        {"tgz", "bench.tgz",
         [](const QString& src, const QString& dst) { return OV::ZlibUtils::packToTarGz(src, dst); }},
    };
    int status = 0;
    for (const Run& run : runs) {
        if (!only.isEmpty() && only != QLatin1String(run.name))
            continue;
        const QString target = outDir + QLatin1Char('/') + QLatin1String(run.file);
        double best = 0;
        for (int r = 0; r < repeat; ++r) {
            QElapsedTimer clock;
            clock.start();
            const bool ok = run.pack(folder, target);
            const double seconds = double(clock.nsecsElapsed()) / 1e9;
            if (!ok) {
                std::printf("%s: failed\n", run.name);
                status = 1;
                break;
            }
            const double rate = seconds > 0 ? mb / seconds : 0;
            best = qMax(best, rate);
            std::printf("%s: %.3f s, %.1f MB/s, archive %.2f MB\n", run.name, seconds, rate,
                        double(QFileInfo(target).size()) / 1e6);
        }
        if (repeat > 1)
            std::printf("%s best: %.1f MB/s\n", run.name, best);
    }
    return status;
}
