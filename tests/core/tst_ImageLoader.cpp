#include "core/ImageLoader.h"
#include "support/StandInHttpServer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace OV;
using OV::Test::HttpReply;

namespace {

QByteArray pngBytes(int side)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

struct Delivery
{
    bool loading = true;
    bool duringCall = false; // the callback ran inside load()
    int calls = 0;
    QPixmap pixmap;
};

// Loads, and waits for the callback when it did not come during the call.
std::shared_ptr<Delivery> load(ImageLoader& loader, const QString& reference)
{
    auto d = std::make_shared<Delivery>();
    loader.load(reference, [d](const QPixmap& p) {
        d->duringCall = d->loading;
        ++d->calls;
        d->pixmap = p;
    });
    d->loading = false;
    if (!QTest::qWaitFor([&] { return d->calls > 0; }, 5000))
        qWarning("no delivery for %s", qPrintable(reference));
    return d;
}

void writeFile(const QString& path, const QByteArray& bytes, qint64 sparseSize = -1)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || (sparseSize >= 0 && !f.resize(sparseSize)))
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

class TestImageLoader : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home;
    Test::StandInHttpServer m_server;
    QString m_cacheDir;

    QString url(const QString& name) const { return m_server.urlText(QStringLiteral("/img/") + name); }
    QString cacheFile(const QString& name) const
    {
        return m_cacheDir + QLatin1Char('/') + ImageLoader::cacheFileName(url(name));
    }
    QString manifest() const
    {
        QFile f(m_cacheDir + QStringLiteral("/manifest.tsv"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CACHE_HOME", m_home.path().toUtf8());
        QCoreApplication::setOrganizationName(QStringLiteral("Brelvik"));
        QCoreApplication::setApplicationName(QStringLiteral("OrvelWorkSpaceTest"));
        m_cacheDir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/ImageCache");
        QVERIFY(m_cacheDir.startsWith(m_home.path()));
        QVERIFY(m_server.start());
        for (const char* name : {"a.png", "m1.png", "m2.png", "m3.png"})
            m_server.route(QStringLiteral("/img/") + QLatin1String(name), HttpReply::bytes(pngBytes(100), "image/png"));
        m_server.route(QStringLiteral("/img/silent.png"), HttpReply::silent());
        m_server.route(QStringLiteral("/img/text.png"), HttpReply::bytes("plain text", "image/png"));
    }

    void init() { QDir(m_cacheDir).removeRecursively(); }

    void sourcesMemoryDiskAndRestart()
    {
        ImageLoader loader;
        QVERIFY(!loader.load(url(QStringLiteral("a.png")), {}));
        const QString local = m_home.filePath(QStringLiteral("local.png"));
        writeFile(local, pngBytes(3));
        QVERIFY(load(loader, local)->duringCall);
        QVERIFY(load(loader, QStringLiteral(":/no/such.png"))->duringCall);

        auto first = load(loader, url(QStringLiteral("a.png")));
        QVERIFY(!first->duringCall);
        QCOMPARE(first->pixmap.size(), QSize(100, 100));
        QVERIFY(load(loader, url(QStringLiteral("a.png")))->duringCall);
        QCOMPARE(m_server.requestCount(QStringLiteral("/img/a.png")), 1);
        const QStringList line = manifest().trimmed().split(QLatin1Char('\t'));
        QCOMPARE(line.size(), 3);
        QCOMPARE(line[0], ImageLoader::cacheFileName(url(QStringLiteral("a.png"))));
        QVERIFY(qAbs(line[1].toLongLong() - QDateTime::currentMSecsSinceEpoch()) < 60000);
        QCOMPARE(line[2].toLongLong(), QFileInfo(cacheFile(QStringLiteral("a.png"))).size());

        // A restart finds it on disk, without the network.
        ImageLoader restarted;
        auto fromDisk = load(restarted, url(QStringLiteral("a.png")));
        QVERIFY(fromDisk->duringCall);
        QCOMPARE(fromDisk->pixmap.size(), QSize(100, 100));
        QCOMPARE(m_server.requestCount(QStringLiteral("/img/a.png")), 1);
    }

    void failuresGiveOneNullPixmap()
    {
        ImageLoader loader(nullptr, 300);
        QElapsedTimer clock;
        clock.start();
        auto silent = load(loader, url(QStringLiteral("silent.png")));
        QVERIFY(silent->pixmap.isNull());
        QVERIFY(clock.elapsed() >= 299);
        auto text = load(loader, url(QStringLiteral("text.png")));
        QVERIFY(text->pixmap.isNull());
        QTest::qWait(200);
        QCOMPARE(silent->calls + text->calls, 2);
        QVERIFY(!QFile::exists(cacheFile(QStringLiteral("text.png"))));
    }

    void memoryCacheEvictsByCostLeastRecentFirst()
    {
        ImageLoader loader;
        // Only the memory cache answers at once when the disk copy is gone.
        auto inMemory = [&](const char* name) {
            QFile::remove(cacheFile(QLatin1String(name)));
            return load(loader, url(QLatin1String(name)))->duringCall;
        };
        loader.setMemoryLimit(39); // a 100 x 100 picture at 32 bits costs 39 KB
        QCOMPARE(load(loader, url(QStringLiteral("m1.png")))->pixmap.depth(), 32);
        QVERIFY(inMemory("m1.png"));
        loader.setMemoryLimit(38);
        QVERIFY(!inMemory("m1.png"));

        loader.setMemoryLimit(80);
        loader.clearMemoryCache();
        load(loader, url(QStringLiteral("m1.png")));
        load(loader, url(QStringLiteral("m2.png")));
        QVERIFY(inMemory("m1.png"));
        load(loader, url(QStringLiteral("m3.png"))); // 117 KB: m2, least recently used, goes
        QVERIFY(inMemory("m1.png"));
        QVERIFY(inMemory("m3.png"));
        QVERIFY(!inMemory("m2.png"));
        loader.setMemoryLimit(0);
        QVERIFY(!inMemory("m1.png"));
    }

    void manifestIsCheckedAndDiskEvictsOldestFirst()
    {
        // Sparse files stand in for large cached pictures: their sizes count, not their blocks.
        QDir().mkpath(m_cacheDir);
        const QString oldest = ImageLoader::cacheFileName(QStringLiteral("oldest"));
        const QString older = ImageLoader::cacheFileName(QStringLiteral("older"));
        const QString gone = ImageLoader::cacheFileName(QStringLiteral("gone"));
        const qint64 mib = 1024 * 1024;
        writeFile(m_cacheDir + QLatin1Char('/') + oldest, {}, 150 * mib);
        writeFile(m_cacheDir + QLatin1Char('/') + older, {}, 120 * mib);
        const QString outside = m_cacheDir + QStringLiteral("/../outside.txt");
        writeFile(outside, "not ours");
        writeFile(m_cacheDir + QStringLiteral("/manifest.tsv"),
                  QString(oldest + "\t1000\t" + QString::number(150 * mib) + "\n" + older + "\t2000\t" +
                          QString::number(120 * mib) + "\n" + gone + "\t100\t50\n" + older + "\t7\n" +
                          "../outside.txt\t1\t999999999999\n")
                      .toUtf8());

        ImageLoader loader;
        load(loader, url(QStringLiteral("a.png"))); // 270 MiB + a bit > 256 MiB: the oldest goes
        QVERIFY(!QFile::exists(m_cacheDir + QLatin1Char('/') + oldest));
        QVERIFY(QFile::exists(m_cacheDir + QLatin1Char('/') + older));
        QVERIFY(QFile::exists(outside));
        const QStringList lines = manifest().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.contains(older + QStringLiteral("\t2000\t") + QString::number(120 * mib)));
    }
};

QTEST_MAIN(TestImageLoader)
#include "tst_ImageLoader.moc"
