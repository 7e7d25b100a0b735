#include "core/HttpUploader.h"
#include "support/FullBacklogListener.h"
#include "support/StandInHttpServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using OV::Test::HttpReply;

namespace {

struct Outcome
{
    QStringList errors;
    QList<QByteArray> bodies;
    QList<QPair<qint64, qint64>> progress;
    int total() const { return int(errors.size() + bodies.size()); }
    UploadCallbacks callbacks()
    {
        return {[this](qint64 sent, qint64 total) {
                    progress.append({sent, total});
                },
                [this](const QByteArray& body) { bodies << body; }, [this](const QString& e) { errors << e; }};
    }
};

} // namespace

class TestHttpUploader : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;

    QString makeFile(const QString& name, qint64 size)
    {
        QFile f(m_tmp.filePath(name));
        QByteArray chunk(1 << 20, '\0');
        for (int i = 0; i < chunk.size(); ++i)
            chunk[i] = char(i * 31 % 253);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(f.fileName()));
        for (qint64 left = size; left > 0; left -= chunk.size())
            f.write(chunk.constData(), qMin<qint64>(left, chunk.size()));
        return f.fileName();
    }

private slots:
    void multipartUploadAndMissingFile()
    {
        Test::StandInHttpServer server;
        QVERIFY(server.start());
        server.route(QStringLiteral("/upload/zip"), HttpReply::json({{"state", 200}, {"msg", "ok"}}));
        const QString path = makeFile(QStringLiteral("local file.bin"), 300000);
        HttpUploader uploader;
        Outcome named;
        Outcome unnamed;
        const QUrl url = server.url(QStringLiteral("/upload/zip"));
        QVERIFY(uploader.upload(url, path, named.callbacks(), {3000, 10000, 15000}, QStringLiteral("file"),
                                QStringLiteral("assets.zip")));
        QVERIFY(uploader.upload(url, path, unnamed.callbacks(), {3000, 10000, 15000}, QStringLiteral("f"), {}));
        QTRY_COMPARE(named.total() + unnamed.total(), 2);
        QCOMPARE(named.bodies, QList<QByteArray>{R"({"msg":"ok","state":200})"});
        QCOMPARE(named.progress.last().first, named.progress.last().second);

        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QStringList seen;
        for (const auto& request : server.requests()) {
            QCOMPARE(request.method, QByteArray("POST"));
            QCOMPARE(request.parts.size(), 1);
            QCOMPARE(request.parts[0].contentType, QByteArray("application/octet-stream"));
            QCOMPARE(request.parts[0].data, bytes);
            seen << request.parts[0].name + QLatin1Char(':') + request.parts[0].fileName;
        }
        seen.sort();
        QCOMPARE(seen, QStringList({QStringLiteral("f:local file.bin"), QStringLiteral("file:assets.zip")}));

        Outcome missing;
        QVERIFY(!uploader.upload(url, m_tmp.filePath(QStringLiteral("none")), missing.callbacks(), {3000, 10000, 15000},
                                 QStringLiteral("file"), {}));
        QCOMPARE(missing.errors, QStringList{QStringLiteral("Failed to open file")});
        QVERIFY(!uploader.upload(url, m_tmp.filePath(QStringLiteral("none")), {}, {1, 1, 1}, {}, {}));
        QTest::qWait(100);
        QCOMPARE(server.connectionCount(), 2);
    }

    void everyUploadEndsOnce_data()
    {
        QTest::addColumn<QString>("error"); // "*": Qt's own text
        QTest::newRow("no handshake") << QStringLiteral("Connection timeout");
        QTest::newRow("peer stops reading") << QStringLiteral("Upload stalled (no progress)");
        QTest::newRow("never answers") << QStringLiteral("Total upload timeout");
        QTest::newRow("closes early") << QStringLiteral("*");
    }

    void everyUploadEndsOnce()
    {
        QFETCH(QString, error);
        Test::StandInHttpServer server;
        QVERIFY(server.start());
        Test::FullBacklogListener blackhole;
        QUrl url = server.url(QStringLiteral("/upload/zip"));
        UploadTimeouts timeouts{5000, 5000, 8000};
        QString path = makeFile(QStringLiteral("small.bin"), 2000);
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        if (tag == QLatin1String("no handshake")) {
            QVERIFY(blackhole.isReady());
            url.setPort(blackhole.port());
            timeouts.connectMs = 300;
        } else if (tag == QLatin1String("peer stops reading")) {
            // Larger than the socket buffers on both sides, so sending has to stall.
            path = makeFile(QStringLiteral("large.bin"), qint64(64) << 20);
            server.setReadLimit(256 * 1024);
            timeouts.stallMs = 300;
        } else if (tag == QLatin1String("never answers")) {
            server.route(QStringLiteral("/upload/zip"), HttpReply::silent());
            timeouts.totalMs = 300;
        } else {
            server.route(QStringLiteral("/upload/zip"), HttpReply::closeEarly(R"({"state":200,"msg":"ok"})"));
        }

        HttpUploader uploader;
        Outcome outcome;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(uploader.upload(url, path, outcome.callbacks(), timeouts, QStringLiteral("file"), {}));
        QTRY_COMPARE_WITH_TIMEOUT(outcome.total(), 1, 10000);
        QTest::qWait(500);
        QCOMPARE(outcome.errors.size(), 1);
        QCOMPARE(outcome.total(), 1);
        if (error == QLatin1String("*")) {
            QVERIFY(!outcome.errors[0].isEmpty());
            return;
        }
        QCOMPARE(outcome.errors[0], error);
        QVERIFY(clock.elapsed() >= 299);
        QCOMPARE(outcome.progress.isEmpty(), tag == QLatin1String("no handshake"));
    }
};

QTEST_GUILESS_MAIN(TestHttpUploader)
#include "tst_HttpUploader.moc"
