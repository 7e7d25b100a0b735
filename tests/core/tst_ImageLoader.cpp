#include "core/FileUtils.h"
#include "core/ImageLoader.h"
#include "support/FileSizeLimit.h"
#include "support/PeakMemoryProbe.h"
#include "support/StandInHttpServer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace OV;
using OV::Test::HttpReply;

namespace {

struct Delivery
{
    bool duringCall = false; // the callback ran inside load()
    int calls = 0;
    QPixmap pixmap;
};

// Loads, and waits for the callback when it did not come during the call.
std::shared_ptr<Delivery> load(ImageLoader& loader, const QString& reference)
{
    auto d = std::make_shared<Delivery>();
    loader.load(reference, [d](const QPixmap& p) {
        ++d->calls;
        d->pixmap = p;
    });
    d->duringCall = d->calls > 0;
    if (!QTest::qWaitFor([&] { return d->calls > 0; }, 5000))
        qWarning("no delivery for %s", qPrintable(reference));
    return d;
}

} // namespace

class TestImageLoader : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home;
    Test::StandInHttpServer m_server;
    QString m_cacheDir;
    QString m_png; // a red 100 x 100 picture

    QString url(const char* name) const { return m_server.urlText(QStringLiteral("/img/") + QLatin1String(name)); }
    QString cacheFile(const QString& name) const { return m_cacheDir + QLatin1Char('/') + name; }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CACHE_HOME", m_home.path().toUtf8());
        QCoreApplication::setOrganizationName(QStringLiteral("Brelvik"));
        QCoreApplication::setApplicationName(QStringLiteral("OrvelWorkSpaceTest"));
        m_cacheDir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/ImageCache");
        QVERIFY(m_cacheDir.startsWith(m_home.path()));
        QImage image(100, 100, QImage::Format_ARGB32);
        image.fill(Qt::red);
        m_png = m_home.filePath(QStringLiteral("red.png"));
        QVERIFY(image.save(m_png) && m_server.start());
        for (const char* name : {"a.png", "m1.png", "m2.png", "m3.png"})
            m_server.route(QStringLiteral("/img/") + QLatin1String(name), HttpReply::file(m_png, "image/png"));
        m_server.route(QStringLiteral("/img/silent.png"), HttpReply::silent());
        m_server.route(QStringLiteral("/img/text.png"), HttpReply::bytes("plain text", "image/png"));
    }

    void init() { QDir(m_cacheDir).removeRecursively(); }

    void sourcesMemoryDiskAndRestart()
    {
        ImageLoader loader;
        QVERIFY(!loader.load(url("a.png"), {}));
        QVERIFY(load(loader, m_png)->duringCall);

        auto first = load(loader, url("a.png"));
        QVERIFY(!first->duringCall);
        QCOMPARE(first->pixmap.size(), QSize(100, 100));
        QVERIFY(load(loader, url("a.png"))->duringCall);
        const QString name = ImageLoader::cacheFileName(url("a.png"));
        const QStringList line = QString::fromUtf8(readFile(cacheFile(QStringLiteral("manifest.tsv")))).split('\t');
        QCOMPARE(line.size(), 3);
        QCOMPARE(line[0], name);
        QVERIFY(qAbs(line[1].toLongLong() - QDateTime::currentMSecsSinceEpoch()) < 60000);
        QCOMPARE(line[2], QString::number(QFileInfo(cacheFile(name)).size()) + QLatin1Char('\n'));

        // A restart finds it on disk, without the network.
        ImageLoader restarted;
        auto fromDisk = load(restarted, url("a.png"));
        QVERIFY(fromDisk->duringCall);
        QCOMPARE(fromDisk->pixmap.size(), QSize(100, 100));
        QCOMPARE(m_server.requestCount(QStringLiteral("/img/a.png")), 1);
    }

    void failuresGiveOneNullPixmap()
    {
        ImageLoader loader(nullptr, 300);
        QElapsedTimer clock;
        clock.start();
        auto silent = load(loader, url("silent.png"));
        QVERIFY(silent->pixmap.isNull());
        QVERIFY(clock.elapsed() >= 299);
        auto text = load(loader, url("text.png"));
        QVERIFY(text->pixmap.isNull());
        QTest::qWait(200);
        QCOMPARE(silent->calls + text->calls, 2);
        QVERIFY(!QFile::exists(cacheFile(ImageLoader::cacheFileName(url("text.png")))));
    }

    // A picture is read up to its bound and no further: past it, or declared past it, the load
    // gives one null picture at once, long before its time-out, and memory stays near the bound.
    void pictureBodyIsBounded_data()
    {
        const qint64 maxBytes = ImageLoader::kMaxPictureBytes;
        QTest::addColumn<int>("kind");
        QTest::addColumn<qint64>("declared");
        QTest::addColumn<bool>("delivered");
        using K = HttpReply::Kind;
        QTest::newRow("endless body") << int(K::Endless) << qint64(-1) << false;
        QTest::newRow("declares one byte over") << int(K::StallMidBody) << maxBytes + 1 << false;
        QTest::newRow("declared, at the bound") << int(K::Respond) << qint64(-1) << true;
        QTest::newRow("unsized, at the bound") << int(K::Unsized) << qint64(-1) << true;
    }

    void pictureBodyIsBounded()
    {
        QFETCH(int, kind);
        QFETCH(qint64, declared);
        QFETCH(bool, delivered);
        const qint64 maxBytes = ImageLoader::kMaxPictureBytes;
        // A reader of the format stops at the picture's end: the padding after it only adds weight.
        QByteArray png = readFile(m_png);
        png += QByteArray(maxBytes - png.size(), '\0');
        HttpReply reply = HttpReply::bytes(declared >= 0 ? QByteArray("\x89PNG") : png, "image/png");
        reply.kind = HttpReply::Kind(kind);
        reply.declaredLength = declared;
        reply.endlessCap = maxBytes + (qint64(128) << 20);
        const QString name =
            QStringLiteral("/img/bounded-%1.png").arg(QString::fromLatin1(QByteArray(QTest::currentDataTag()).toHex()));
        m_server.route(name, reply);

        ImageLoader loader(nullptr, 3000);
        const qint64 sentBefore = m_server.endlessBytesSent();
        QElapsedTimer clock;
        Test::PeakMemoryProbe memory;
        clock.start();
        // An event loop that never sleeps, so that the stand-in in this thread sends as fast as it can.
        QEventLoop wait;
        QTimer::singleShot(5000, &wait, &QEventLoop::quit);
        Delivery d;
        loader.load(m_server.urlText(name), [&d, &wait](const QPixmap& p) {
            ++d.calls;
            d.pixmap = p;
            wait.quit();
        });
        wait.exec();
        QTest::qWait(200);
        QCOMPARE(d.calls, 1);
        QCOMPARE(d.pixmap.isNull(), !delivered);
        QCOMPARE(d.pixmap.size(), delivered ? QSize(100, 100) : QSize(0, 0));
        if (delivered)
            return;
        // Near the bound: what it holds, plus what the socket buffers of both ends take.
        const qint64 growth = memory.growthBytes();
        QVERIFY2(growth < maxBytes + (16 << 20) || !memory.isMeaningful(), qPrintable(QString::number(growth)));
        // A reader without a bound takes the endless body to the stand-in's cap, however fast either
        // side runs; a bounded one stops it far short of that, whatever the socket buffers held.
        QVERIFY2(m_server.endlessBytesSent() - sentBefore < reply.endlessCap,
                 qPrintable(QString::number(m_server.endlessBytesSent() - sentBefore)));
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    }

    void memoryCacheEvictsByCostLeastRecentFirst()
    {
        ImageLoader loader;
        // Only the memory cache answers at once when the disk copy is gone.
        auto inMemory = [&](const char* name) {
            QFile::remove(cacheFile(ImageLoader::cacheFileName(url(name))));
            return load(loader, url(name))->duringCall;
        };
        loader.setMemoryLimit(80); // a 100 x 100 picture at 32 bits costs 39 KB
        QCOMPARE(load(loader, url("m1.png"))->pixmap.depth(), 32);
        load(loader, url("m2.png"));
        QVERIFY(inMemory("m1.png"));
        load(loader, url("m3.png")); // 117 KB: m2, least recently used, goes
        QVERIFY(inMemory("m1.png") && inMemory("m3.png"));
        QVERIFY(!inMemory("m2.png"));
    }

    // A 100 x 100 picture at 32 bits costs exactly 39 KB: two fit in 78 KB, not in 77.
    void pictureCostIsItsDecodedSize_data()
    {
        QTest::addColumn<int>("limitKb");
        QTest::addColumn<bool>("bothKept");
        QTest::newRow("78 KB") << 78 << true;
        QTest::newRow("77 KB") << 77 << false;
    }

    void pictureCostIsItsDecodedSize()
    {
        QFETCH(int, limitKb);
        QFETCH(bool, bothKept);
        ImageLoader loader;
        loader.setMemoryLimit(limitKb);
        QCOMPARE(load(loader, url("m1.png"))->pixmap.depth(), 32);
        load(loader, url("m2.png"));
        QFile::remove(cacheFile(ImageLoader::cacheFileName(url("m1.png"))));
        QCOMPARE(load(loader, url("m1.png"))->duringCall, bothKept);
    }

    // A disk that cannot take a downloaded picture, or the cache's list after it, leaves the cache
    // as it was: no empty or cut picture file, the list before in place. The picture still comes.
    void fullDiskLeavesTheCacheAsItWas_data()
    {
        QTest::addColumn<bool>("pictureFits");
        QTest::newRow("picture") << false;
        QTest::newRow("list of the cache") << true;
    }

    void fullDiskLeavesTheCacheAsItWas()
    {
        QFETCH(bool, pictureFits);
        // Forty small pictures already cached make a list longer than the new picture's file.
        QDir().mkpath(m_cacheDir);
        QByteArray manifest;
        for (int i = 0; i < 40; ++i) {
            const QString name = ImageLoader::cacheFileName(QStringLiteral("cached-%1").arg(i));
            QVERIFY(writeFile(cacheFile(name), "x", 0, 1, false));
            manifest += name.toLatin1() + "\t" + QByteArray::number(1000 + i) + "\t1\n";
        }
        QVERIFY(writeFile(cacheFile(QStringLiteral("manifest.tsv")), manifest.constData(), 0, manifest.size(), false));
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && QPixmap(m_png).save(&buffer, "PNG"));
        // Room for the picture as the cache writes it, whatever the encoder's choices, not for the list.
        QVERIFY(2 * png.size() < manifest.size());

        ImageLoader loader;
        std::shared_ptr<Delivery> delivered;
        {
            const Test::FileSizeLimit full(pictureFits ? 2 * png.size() : 0);
            QVERIFY(full.isActive());
            delivered = load(loader, url("a.png"));
        }
        QCOMPARE(delivered->pixmap.size(), QSize(100, 100));
        const QString picture = cacheFile(ImageLoader::cacheFileName(url("a.png")));
        QCOMPARE(QFileInfo::exists(picture), pictureFits);
        if (pictureFits)
            QCOMPARE(QImage(picture).size(), QSize(100, 100));
        QCOMPARE(readFile(cacheFile(QStringLiteral("manifest.tsv"))), manifest);
        QCOMPARE(QDir(m_cacheDir).entryList(QDir::Files).size(), 40 + 1 + int(pictureFits));
    }

    void manifestIsCheckedAndDiskEvictsOldestFirst()
    {
        // Sparse files stand in for large cached pictures: their sizes count, not their blocks.
        QDir().mkpath(m_cacheDir);
        const QString oldest = ImageLoader::cacheFileName(QStringLiteral("oldest"));
        const QString older = ImageLoader::cacheFileName(QStringLiteral("older"));
        const QString olderLine = older + QStringLiteral("\t2000\t") + QString::number(120 << 20);
        for (const auto& [name, size] : {std::pair{oldest, 150 << 20}, std::pair{older, 120 << 20}})
            QVERIFY(writeFile(cacheFile(name), "x", 0, 1, false) && QFile::resize(cacheFile(name), size));
        // Lines for a missing file, with two fields, and naming a file outside the cache.
        const QString outside = cacheFile(QStringLiteral("../outside.txt"));
        QVERIFY(writeFile(outside, "not ours", 0, 8, false));
        const QString manifest = oldest + "\t1000\t" + QString::number(150 << 20) + "\n" + olderLine + "\n" +
                                 ImageLoader::cacheFileName(QStringLiteral("gone")) + "\t100\t50\n" + older +
                                 "\t7\n../outside.txt\t1\t999999999999\n";
        QVERIFY(writeFile(cacheFile(QStringLiteral("manifest.tsv")), manifest.toUtf8().constData(), 0,
                          manifest.toUtf8().size(), false));

        ImageLoader loader;
        load(loader, url("a.png")); // 270 MiB + a bit > 256 MiB: the oldest goes
        QVERIFY(!QFile::exists(cacheFile(oldest)));
        QVERIFY(QFile::exists(cacheFile(older)) && QFile::exists(outside));
        const QStringList lines = QString::fromUtf8(readFile(cacheFile(QStringLiteral("manifest.tsv")))).split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.contains(olderLine));
    }
};

QTEST_MAIN(TestImageLoader)
#include "tst_ImageLoader.moc"
