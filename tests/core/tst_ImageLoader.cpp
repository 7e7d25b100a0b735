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
using OV::Test::StandInHttpServer;

namespace {

QByteArray pngBytes(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Loads and reports whether the callback ran during the call, and what it delivered.
struct Delivery
{
    bool loading = true;
    bool duringCall = false;
    int calls = 0;
    QPixmap pixmap;
};

std::shared_ptr<Delivery> load(ImageLoader& loader, const QString& reference)
{
    auto delivery = std::make_shared<Delivery>();
    loader.load(reference, [delivery](const QPixmap& p) {
        delivery->duringCall = delivery->loading;
        ++delivery->calls;
        delivery->pixmap = p;
    });
    delivery->loading = false;
    return delivery;
}

} // namespace

class TestImageLoader : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home;
    StandInHttpServer m_server;
    QString m_cacheDir;

    QString url(const QString& name) const { return m_server.urlText(QStringLiteral("/img/") + name); }
    QString cacheFile(const QString& name) const
    {
        return m_cacheDir + QLatin1Char('/') + ImageLoader::cacheFileName(url(name));
    }
    void serve(const QString& name, int size, QColor color = Qt::red)
    {
        m_server.route(QStringLiteral("/img/") + name, HttpReply::bytes(pngBytes(size, size, color), "image/png"));
    }
    // Downloads through the loader and waits for the callback.
    std::shared_ptr<Delivery> download(ImageLoader& loader, const QString& name)
    {
        auto d = load(loader, url(name));
        if (!QTest::qWaitFor([&] { return d->calls == 1; }, 5000))
            qWarning("no delivery for %s", qPrintable(name));
        return d;
    }
    QString manifestText() const
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
    }

    void init() { QDir(m_cacheDir).removeRecursively(); }

    void directSourcesAreDeliveredAtOnceAndNotCached()
    {
        ImageLoader loader;
        QVERIFY(!loader.load(url(QStringLiteral("x.png")), {}));

        const QString file = m_home.filePath(QStringLiteral("local.png"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(pngBytes(4, 3, Qt::blue));
        f.close();
        auto local = load(loader, file);
        QVERIFY(local->duringCall);
        QCOMPARE(local->pixmap.size(), QSize(4, 3));

        // Gone from disk, it is not served from memory: the next load fails later.
        QVERIFY(QFile::remove(file));
        auto again = load(loader, file);
        QCOMPARE(again->calls, 0);
        QTRY_COMPARE(again->calls, 1);
        QVERIFY(again->pixmap.isNull());

        auto resource = load(loader, QStringLiteral(":/no/such/resource.png"));
        QVERIFY(resource->duringCall);
        QVERIFY(resource->pixmap.isNull());
    }

    void downloadThenMemoryThenDiskAfterRestart()
    {
        serve(QStringLiteral("a.png"), 16);
        const int before = m_server.requestCount(QStringLiteral("/img/a.png"));
        {
            ImageLoader loader;
            auto first = load(loader, url(QStringLiteral("a.png")));
            QVERIFY(!first->duringCall);
            QTRY_COMPARE(first->calls, 1);
            QCOMPARE(first->pixmap.size(), QSize(16, 16));
            auto second = load(loader, url(QStringLiteral("a.png")));
            QVERIFY(second->duringCall);
            QCOMPARE(second->pixmap.size(), QSize(16, 16));
        }
        QCOMPARE(m_server.requestCount(QStringLiteral("/img/a.png")), before + 1);
        QVERIFY(QFile::exists(cacheFile(QStringLiteral("a.png"))));
        const QStringList line = manifestText().trimmed().split(QLatin1Char('\t'));
        QCOMPARE(line.size(), 3);
        QCOMPARE(line[0], ImageLoader::cacheFileName(url(QStringLiteral("a.png"))));
        QVERIFY(qAbs(line[1].toLongLong() - QDateTime::currentMSecsSinceEpoch()) < 60000);
        QCOMPARE(line[2].toLongLong(), QFileInfo(cacheFile(QStringLiteral("a.png"))).size());

        // A new loader (a restart) finds it on disk without the network.
        ImageLoader restarted;
        auto fromDisk = load(restarted, url(QStringLiteral("a.png")));
        QVERIFY(fromDisk->duringCall);
        QCOMPARE(fromDisk->pixmap.size(), QSize(16, 16));
        QCOMPARE(m_server.requestCount(QStringLiteral("/img/a.png")), before + 1);
    }

    void failuresGiveANullPixmapOnce_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("timeoutMs");
        QTest::newRow("silent server") << QStringLiteral("silent.png") << 300;
        QTest::newRow("not an image") << QStringLiteral("text.png") << 5000;
        QTest::newRow("error status") << QStringLiteral("missing.png") << 5000;
    }

    void failuresGiveANullPixmapOnce()
    {
        QFETCH(QString, name);
        QFETCH(int, timeoutMs);
        m_server.route(QStringLiteral("/img/silent.png"), HttpReply::silent());
        m_server.route(QStringLiteral("/img/text.png"), HttpReply::bytes("plain text", "image/png"));
        m_server.route(QStringLiteral("/img/missing.png"), HttpReply::bytes(pngBytes(2, 2, Qt::red), "image/png", 404));
        ImageLoader loader(nullptr, timeoutMs);
        QElapsedTimer clock;
        clock.start();
        auto d = load(loader, url(name));
        QTRY_COMPARE(d->calls, 1);
        QVERIFY(d->pixmap.isNull());
        if (timeoutMs < 1000)
            QVERIFY(clock.elapsed() >= timeoutMs - 10);
        QTest::qWait(200);
        QCOMPARE(d->calls, 1);
        QVERIFY(!QFile::exists(cacheFile(name)));
    }

    void memoryCacheEvictsByCostLeastRecentFirst()
    {
        // 100 x 100 at 32 bits costs 39 KB.
        for (const QString& name : {QStringLiteral("m1.png"), QStringLiteral("m2.png"), QStringLiteral("m3.png")})
            serve(name, 100);
        ImageLoader loader;
        // Only the memory cache can answer at once once the disk file is gone; a miss is
        // downloaded again and waited for, so that it cannot disturb the next step.
        auto inMemory = [&](const QString& name) {
            QFile::remove(cacheFile(name));
            auto d = load(loader, url(name));
            if (!QTest::qWaitFor([&] { return d->calls == 1; }, 5000))
                qWarning("no delivery for %s", qPrintable(name));
            return d->duringCall;
        };

        loader.setMemoryLimit(39);
        QCOMPARE(download(loader, QStringLiteral("m1.png"))->pixmap.depth(), 32);
        QVERIFY(inMemory(QStringLiteral("m1.png")));
        loader.setMemoryLimit(38);
        QVERIFY(!inMemory(QStringLiteral("m1.png")));

        loader.setMemoryLimit(80);
        loader.clearMemoryCache();
        download(loader, QStringLiteral("m1.png"));
        download(loader, QStringLiteral("m2.png"));
        QVERIFY(inMemory(QStringLiteral("m1.png"))); // m1 is now the most recent
        download(loader, QStringLiteral("m3.png"));  // 117 KB > 80: m2 goes
        QVERIFY(inMemory(QStringLiteral("m1.png")));
        QVERIFY(inMemory(QStringLiteral("m3.png")));
        QVERIFY(!inMemory(QStringLiteral("m2.png")));

        loader.setMemoryLimit(0);
        QVERIFY(!inMemory(QStringLiteral("m1.png")));
    }

    void manifestLinesAreCheckedOnStart()
    {
        QDir().mkpath(m_cacheDir);
        const QString kept = ImageLoader::cacheFileName(QStringLiteral("kept"));
        const QString gone = ImageLoader::cacheFileName(QStringLiteral("gone"));
        QFile keptFile(m_cacheDir + QLatin1Char('/') + kept);
        QVERIFY(keptFile.open(QIODevice::WriteOnly));
        keptFile.write(pngBytes(2, 2, Qt::green));
        keptFile.close();
        const QString outside = m_cacheDir + QStringLiteral("/../outside.txt");
        QFile outsideFile(outside);
        QVERIFY(outsideFile.open(QIODevice::WriteOnly));
        outsideFile.close();
        QFile manifest(m_cacheDir + QStringLiteral("/manifest.tsv"));
        QVERIFY(manifest.open(QIODevice::WriteOnly));
        manifest.write(kept.toUtf8() + "\t100\t50\n" + gone.toUtf8() + "\t100\t50\n" + kept.toUtf8() + "\t7\n" +
                       "../outside.txt\t1\t999999999999\n");
        manifest.close();

        serve(QStringLiteral("new.png"), 8);
        ImageLoader loader;
        download(loader, QStringLiteral("new.png"));
        const QStringList lines = manifestText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(manifestText().contains(kept + QStringLiteral("\t100\t")));
        QVERIFY(!manifestText().contains(gone));
        // A name that is not one of ours is never counted nor evicted.
        QVERIFY(QFile::exists(outside));
    }

    void diskCacheEvictsOldestUntilUnderTheLimit()
    {
        // Sparse files stand in for large cached images: their sizes count, their blocks do not.
        QDir().mkpath(m_cacheDir);
        const QString oldest = ImageLoader::cacheFileName(QStringLiteral("oldest"));
        const QString older = ImageLoader::cacheFileName(QStringLiteral("older"));
        const qint64 mib = 1024 * 1024;
        for (const auto& [name, size] : {std::pair{oldest, 150 * mib}, std::pair{older, 120 * mib}}) {
            QFile f(m_cacheDir + QLatin1Char('/') + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(size));
        }
        QFile manifest(m_cacheDir + QStringLiteral("/manifest.tsv"));
        QVERIFY(manifest.open(QIODevice::WriteOnly));
        manifest.write(oldest.toUtf8() + "\t1000\t" + QByteArray::number(150 * mib) + "\n" + older.toUtf8() +
                       "\t2000\t" + QByteArray::number(120 * mib) + "\n");
        manifest.close();

        serve(QStringLiteral("fresh.png"), 8);
        ImageLoader loader;
        download(loader, QStringLiteral("fresh.png"));
        QVERIFY(!QFile::exists(m_cacheDir + QLatin1Char('/') + oldest));
        QVERIFY(QFile::exists(m_cacheDir + QLatin1Char('/') + older));
        QVERIFY(QFile::exists(cacheFile(QStringLiteral("fresh.png"))));
        QVERIFY(!manifestText().contains(oldest));
        QVERIFY(manifestText().contains(older + QStringLiteral("\t2000\t") + QString::number(120 * mib)));
    }
};

QTEST_MAIN(TestImageLoader)
#include "tst_ImageLoader.moc"
