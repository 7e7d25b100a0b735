// Peak memory of the archive writers against the size of the folder they pack: each writer
// runs in a child process of its own, which reports how far its peak resident size rose while
// packing. Two folders of different sizes are made (mixed compressible and random files of up
// to 4 MB); the ratio of peak to folder size is printed for each, as is the throughput.
//
//   archive_memory_bench [--mb N] [--folder DIR]
#include "core/ZlibUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>

using namespace OV;

namespace {

long peakKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Fills the folder with files of up to 4 MB until it holds about mb megabytes.
qint64 makeFolder(const QString& folder, int mb)
{
    QDir().mkpath(folder + QStringLiteral("/image"));
    QRandomGenerator random(7);
    qint64 total = 0;
    for (int i = 0; total < qint64(mb) * 1000000; ++i) {
        const qint64 size = 200000 + qint64(random.bounded(3800000));
        QByteArray bytes(size, Qt::Uninitialized);
        if (i % 2 == 0) {
            random.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
        } else {
            for (qint64 k = 0; k < size; ++k)
                bytes[k] = char('a' + (k / 7 + i) % 23);
        }
        QFile file(folder + QStringLiteral("/image/f%1.bin").arg(i));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != size)
            return -1;
        total += size;
    }
    return total;
}

// The child: packs once, prints the peak rise in KB and the seconds.
int child(const char* kind, const QString& folder, const QString& target)
{
    const long before = peakKb();
    QElapsedTimer clock;
    clock.start();
    const bool ok = std::strcmp(kind, "zip") == 0
                        ? ZlibUtils::packToZip(folder, target, ZlibUtils::DirectoryContents, 3)
                        : ZlibUtils::packToTarGz(folder, target);
    std::printf("%ld %.3f %ld\n", peakKb() - before, double(clock.nsecsElapsed()) / 1e9, peakKb());
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0)
        return child(argv[2], QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    int mb = 40;
    QString given;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--mb") == 0)
            mb = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--folder") == 0)
            given = QString::fromLocal8Bit(argv[i + 1]);
    }
    QTemporaryDir scratch;
    struct Folder
    {
        QString path;
        qint64 bytes;
    };
    QList<Folder> folders;
    if (!given.isEmpty()) {
        qint64 bytes = 0;
        QDir dir(given);
        for (const QFileInfo& info : dir.entryInfoList(QDir::Files))
            bytes += info.size();
        folders.append({given, bytes});
    } else {
        for (int size : {mb / 4, mb}) {
            const QString path = scratch.filePath(QStringLiteral("folder%1").arg(size));
            folders.append({path, makeFolder(path, size)});
        }
    }
    for (const Folder& folder : folders) {
        for (const char* kind : {"zip", "tgz"}) {
            QProcess process;
            process.start(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--child"), QLatin1String(kind), folder.path,
                           scratch.filePath(QStringLiteral("out.") + QLatin1String(kind))});
            if (!process.waitForFinished(600000) || process.exitCode() != 0) {
                std::fprintf(stderr, "%s failed\n", kind);
                return 1;
            }
            const QList<QByteArray> figures = process.readAllStandardOutput().trimmed().split(' ');
            const double peakMb = figures.value(0).toDouble() / 1024.0;
            const double seconds = figures.value(1).toDouble();
            const double totalMb = figures.value(2).toDouble() / 1024.0;
            const double folderMb = double(folder.bytes) / 1048576.0;
            std::printf(
                "%s of %.1f MB: peak rise %.1f MB (%.2f of the folder's size; process peak %.1f MB), %.1f MB/s\n", kind,
                folderMb, peakMb, peakMb / folderMb, totalMb, seconds > 0 ? folderMb / seconds : 0.0);
        }
    }
    return 0;
}
