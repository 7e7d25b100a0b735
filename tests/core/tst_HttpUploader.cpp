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
using OV::Test::StandInHttpServer;

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
        const QString path = m_tmp.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) {
            QByteArray chunk(1 << 20, '\0');
            for (int i = 0; i < chunk.size(); ++i)
                chunk[i] = char(i * 31 % 253);
            for (qint64 left = size; left > 0; left -= chunk.size())
                f.write(chunk.constData(), qMin<qint64>(left, chunk.size()));
        }
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(m_tmp.isValid()); }

    void multipartUpload_data()
    {
        QTest::addColumn<QString>("sendName");
        QTest::addColumn<QString>("expectedName");
        QTest::newRow("given name") << QStringLiteral("assets.zip") << QStringLiteral("assets.zip");
        QTest::newRow("local name") << QString() << QStringLiteral("local file.bin");
    }

    void multipartUpload()
    {
        QFETCH(QString, sendName);
        QFETCH(QString, expectedName);
        StandInHttpServer server;
        QVERIFY(server.start());
        server.route(QStringLiteral("/upload/zip"), HttpReply::json({{"state", 200}, {"msg", "ok"}}));
        const QString path = makeFile(QStringLiteral("local file.bin"), 300000);

        HttpUploader uploader;
        Outcome outcome;
        QNetworkReply* reply = uploader.upload(server.url(QStringLiteral("/upload/zip")), path, outcome.callbacks(),
                                               {3000, 10000, 15000}, QStringLiteral("file"), sendName);
        QVERIFY(reply);
        QTRY_COMPARE(outcome.total(), 1);
        QCOMPARE(outcome.bodies.value(0), QByteArray(R"({"msg":"ok","state":200})"));
        QVERIFY(!outcome.progress.isEmpty());
        QCOMPARE(outcome.progress.last().first, outcome.progress.last().second);

        const auto& request = server.requests().at(0);
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.parts.size(), 1);
        QCOMPARE(request.parts[0].name, QStringLiteral("file"));
        QCOMPARE(request.parts[0].fileName, expectedName);
        QCOMPARE(request.parts[0].contentType, QByteArray("application/octet-stream"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(request.parts[0].data, f.readAll());
    }

    void missingFileSendsNothing()
    {
        StandInHttpServer server;
        QVERIFY(server.start());
        HttpUploader uploader;
        Outcome outcome;
        QNetworkReply* reply =
            uploader.upload(server.url(QStringLiteral("/upload/zip")), m_tmp.filePath(QStringLiteral("none")),
                            outcome.callbacks(), {3000, 10000, 15000}, QStringLiteral("file"), {});
        QVERIFY(!reply);
        QCOMPARE(outcome.errors, QStringList{QStringLiteral("Failed to open file")});
        QTest::qWait(100);
        QCOMPARE(server.connectionCount(), 0);
        // Empty callbacks are allowed.
        QVERIFY(!uploader.upload(server.url(QStringLiteral("/x")), m_tmp.filePath(QStringLiteral("none")), {},
                                 {1, 1, 1}, {}, {}));
    }

    void timeoutsEndTheUploadOnce_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("error");
        QTest::newRow("connect") << QStringLiteral("no handshake") << QStringLiteral("Connection timeout");
        QTest::newRow("stall") << QStringLiteral("stops reading") << QStringLiteral("Upload stalled (no progress)");
        QTest::newRow("total") << QStringLiteral("never answers") << QStringLiteral("Total upload timeout");
        QTest::newRow("closed early") << QStringLiteral("closes early") << QString();
    }

    void timeoutsEndTheUploadOnce()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, error);
        StandInHttpServer server;
        QVERIFY(server.start());
        Test::FullBacklogListener blackhole;
        QUrl url = server.url(QStringLiteral("/upload/zip"));
        UploadTimeouts timeouts{5000, 5000, 8000};
        QString path = makeFile(QStringLiteral("small.bin"), 2000);
        if (scenario == QLatin1String("no handshake")) {
            QVERIFY(blackhole.isReady());
            url.setPort(blackhole.port());
            timeouts.connectMs = 300;
        } else if (scenario == QLatin1String("stops reading")) {
            // Larger than the socket buffers on both sides, so sending has to stall.
            path = makeFile(QStringLiteral("large.bin"), qint64(64) << 20);
            server.setReadLimit(256 * 1024);
            timeouts.stallMs = 400;
        } else if (scenario == QLatin1String("never answers")) {
            server.route(QStringLiteral("/upload/zip"), HttpReply::silent());
            timeouts.totalMs = 400;
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
        QCOMPARE(outcome.total(), 1);
        QCOMPARE(outcome.errors.size(), 1);
        if (error.isEmpty()) {
            QVERIFY(!outcome.errors[0].isEmpty());
            return;
        }
        QCOMPARE(outcome.errors[0], error);
        QVERIFY(clock.elapsed() >= 290);
        if (scenario == QLatin1String("no handshake"))
            QVERIFY(outcome.progress.isEmpty());
        if (scenario == QLatin1String("stops reading"))
            QVERIFY(!outcome.progress.isEmpty() && outcome.progress.last().first < outcome.progress.last().second);
    }
};

QTEST_GUILESS_MAIN(TestHttpUploader)
#include "tst_HttpUploader.moc"
