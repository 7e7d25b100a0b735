#include "core/FileUtils.h"
#include "core/HttpClient.h"
#include "core/HttpUploader.h"
#include "support/FullBacklogListener.h"
#include "support/PeakMemoryProbe.h"
#include "support/StandInHttpServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace OV;
using OV::Test::HttpReply;

namespace {

// Every report of one GET or upload.
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

void get(const QString& url, const std::map<QString, QString>& query, int timeoutMs, Outcome& out)
{
    HttpResponse* r = HttpClient::instance()->get(url, query, {}, timeoutMs);
    QObject::connect(r, &HttpResponse::success, [&out](const QByteArray& d) { out.bodies << d; });
    QObject::connect(r, &HttpResponse::error, [&out](const QString& m) { out.errors << m; });
}

// One report arrives, and nothing follows it: not an abort's completion, not a second answer.
void expectOneReport(const Outcome& outcome)
{
    QTRY_COMPARE_WITH_TIMEOUT(outcome.total(), 1, 10000);
    QTest::qWait(500);
    QCOMPARE(outcome.total(), 1);
}

// The reply the stand-in gives for one row of the size bound, around a bound of maxBytes.
HttpReply boundedReply(const QString& tag, qint64 maxBytes)
{
    if (tag == QLatin1String("endless body"))
        return HttpReply::endless("application/json", maxBytes + (qint64(128) << 20));
    if (tag == QLatin1String("declares one byte over")) {
        // Only a little of the body comes: the length alone must end the reply.
        HttpReply reply = HttpReply::stallMidBody("{\"state\":");
        reply.declaredLength = maxBytes + 1;
        return reply;
    }
    const QByteArray body = QByteArray("{\"pad\":\"") + QByteArray(maxBytes - 10, 'p') + "\"}";
    return tag == QLatin1String("unsized, at the bound") ? HttpReply::unsized(body, "application/json", 0)
                                                         : HttpReply::bytes(body, "application/json");
}

} // namespace

class TestHttp : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    std::unique_ptr<Test::StandInHttpServer> m_server;

    QString makeFile(const QString& name, qint64 size)
    {
        QFile f(m_tmp.filePath(name));
        const QByteArray chunk =
            QByteArray("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ#").repeated(16384);
        if (f.open(QIODevice::WriteOnly))
            for (qint64 left = size; left > 0; left -= chunk.size())
                f.write(chunk.constData(), qMin<qint64>(left, chunk.size()));
        return f.fileName();
    }

private slots:
    void init()
    {
        m_server = std::make_unique<Test::StandInHttpServer>();
        QVERIFY(m_server->start());
    }

    void getQueryInKeyOrderReplacesTheUrlQuery()
    {
        m_server->route(QStringLiteral("/api/page"), HttpReply::json({{"total", 2}}));
        Outcome first;
        Outcome second;
        const QString url = m_server->urlText(QStringLiteral("/api/page?stale=1"));
        get(url, {{"pageSize", "20"}, {"b", "2"}, {"a", "1 2"}}, 5000, first);
        get(url, {}, 5000, second);
        QTRY_COMPARE(first.total() + second.total(), 2);
        QCOMPARE(first.bodies, QList<QByteArray>{R"({"total":2})"});
        const QList<QByteArray> queries = {m_server->requests()[0].rawQuery, m_server->requests()[1].rawQuery};
        QVERIFY(queries.contains("a=1%202&b=2&pageSize=20"));
        QVERIFY(queries.contains(QByteArray()));
    }

    void everyGetEndsExactlyOnce_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error"); // empty: success; "*": Qt's own text
        using K = HttpReply::Kind;
        QTest::newRow("silent server") << int(K::Silent) << 200 << QStringLiteral("Request timeout");
        QTest::newRow("stalls mid-body") << int(K::StallMidBody) << 200 << QStringLiteral("Request timeout");
        QTest::newRow("closes early") << int(K::CloseEarly) << 200 << QStringLiteral("*");
        QTest::newRow("answers twice") << int(K::AnswerTwice) << 200 << QString();
        QTest::newRow("error status") << int(K::Respond) << 500 << QStringLiteral("*");
        QTest::newRow("refused") << -1 << 0 << QStringLiteral("*");
    }

    void everyGetEndsExactlyOnce()
    {
        QFETCH(int, kind);
        QFETCH(int, status);
        QFETCH(QString, error);
        HttpReply reply = HttpReply::json({{"state", 1}, {"msg", std::string(4000, 'x')}}, status);
        reply.kind = HttpReply::Kind(kind);
        m_server->route(QStringLiteral("/p"), reply);
        const QString url = m_server->urlText(QStringLiteral("/p"));
        if (kind < 0)
            m_server->stop();

        Outcome outcome;
        QElapsedTimer clock;
        clock.start();
        get(url, {}, 400, outcome);
        expectOneReport(outcome);
        QVERIFY(error != QLatin1String("Request timeout") || clock.elapsed() >= 399);
        if (error.isEmpty())
            QCOMPARE(outcome.bodies.value(0), reply.body);
        else if (error == QLatin1String("*"))
            QVERIFY(!outcome.errors.value(0).isEmpty() && outcome.errors.value(0) != QLatin1String("Request timeout"));
        else
            QCOMPARE(outcome.errors.value(0), error);
    }

    // A page or an upload's reply is read up to its bound and no further: past it, or declared
    // past it, the request fails at once, long before its time-out, and memory stays near the bound.
    void replyBodyIsBounded_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<bool>("delivered");
        for (const bool upload : {false, true}) {
            const char* what = upload ? "upload reply, " : "get, ";
            QTest::addRow("%sendless body", what) << upload << false;
            QTest::addRow("%sdeclares one byte over", what) << upload << false;
            QTest::addRow("%sdeclared, at the bound", what) << upload << true;
            QTest::addRow("%sunsized, at the bound", what) << upload << true;
        }
    }

    void replyBodyIsBounded()
    {
        QFETCH(bool, upload);
        QFETCH(bool, delivered);
        const qint64 maxBytes = upload ? HttpUploader::kMaxReplyBytes : HttpClient::kMaxReplyBytes;
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).section(QStringLiteral(", "), 1);
        const HttpReply reply = boundedReply(tag, maxBytes);
        m_server->route(QStringLiteral("/p"), reply);
        const QString path = makeFile(QStringLiteral("small.bin"), 2000);

        HttpUploader uploader;
        Outcome outcome;
        const qint64 sentBefore = m_server->endlessBytesSent();
        QElapsedTimer clock;
        Test::PeakMemoryProbe memory;
        clock.start();
        if (upload)
            QVERIFY(uploader.upload(m_server->url(QStringLiteral("/p")), path, outcome.callbacks(), {3000, 3000, 3000},
                                    QStringLiteral("file"), {}));
        else
            get(m_server->urlText(QStringLiteral("/p")), {}, 3000, outcome);
        expectOneReport(outcome);
        if (delivered) {
            QCOMPARE(outcome.bodies.value(0).size(), maxBytes);
            QCOMPARE(outcome.bodies.value(0), reply.body);
            return;
        }
        // Near the bound: what it holds, plus what the socket buffers of both ends take.
        const qint64 growth = memory.growthBytes();
        QVERIFY2(growth < maxBytes + (16 << 20) || !memory.isMeaningful(), qPrintable(QString::number(growth)));
        QVERIFY2(m_server->endlessBytesSent() - sentBefore < maxBytes + (16 << 20),
                 qPrintable(QString::number(m_server->endlessBytesSent() - sentBefore)));
        QCOMPARE(outcome.errors.value(0), QStringLiteral("Reply too large (more than %1 bytes)").arg(maxBytes));
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    }

    void multipartUploadAndMissingFile()
    {
        m_server->route(QStringLiteral("/upload/zip"), HttpReply::json({{"state", 200}, {"msg", "ok"}}));
        const QString path = makeFile(QStringLiteral("local file.bin"), 300000);
        const QUrl url = m_server->url(QStringLiteral("/upload/zip"));
        const UploadTimeouts timeouts{3000, 10000, 15000};
        HttpUploader uploader;
        Outcome sent;
        QVERIFY(uploader.upload(url, path, sent.callbacks(), timeouts, QStringLiteral("f"), {}));
        expectOneReport(sent);
        QCOMPARE(sent.bodies, QList<QByteArray>{R"({"msg":"ok","state":200})"});
        const auto last = sent.progress.value(sent.progress.size() - 1, {0, 1});
        QCOMPARE(last.first, last.second);
        const Test::HttpRequest& request = m_server->requests().value(0);
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.parts.size(), 1);
        QCOMPARE(request.parts[0].name + QLatin1Char(':') + request.parts[0].fileName,
                 QStringLiteral("f:local file.bin"));
        QCOMPARE(request.parts[0].contentType, QByteArray("application/octet-stream"));
        QCOMPARE(request.parts[0].data, readFile(path));

        // Nothing is sent for a file that cannot be opened; empty callbacks are allowed.
        Outcome missing;
        const QString none = m_tmp.filePath(QStringLiteral("none"));
        QVERIFY(!uploader.upload(url, none, missing.callbacks(), timeouts, QStringLiteral("file"), {}));
        QCOMPARE(missing.errors, QStringList{QStringLiteral("Failed to open file")});
        QVERIFY(!uploader.upload(url, none, {}, timeouts, {}, {}));
        QTest::qWait(100);
        QCOMPARE(m_server->connectionCount(), 1);
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
        Test::FullBacklogListener blackhole;
        QUrl url = m_server->url(QStringLiteral("/upload/zip"));
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
            m_server->setReadLimit(256 * 1024);
            timeouts.stallMs = 300;
        } else if (tag == QLatin1String("never answers")) {
            m_server->route(QStringLiteral("/upload/zip"), HttpReply::silent());
            timeouts.totalMs = 300;
        } else {
            m_server->route(QStringLiteral("/upload/zip"), HttpReply::closeEarly(R"({"state":200,"msg":"ok"})"));
        }

        HttpUploader uploader;
        Outcome outcome;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(uploader.upload(url, path, outcome.callbacks(), timeouts, QStringLiteral("file"), {}));
        expectOneReport(outcome);
        QCOMPARE(outcome.errors.size(), 1);
        if (error == QLatin1String("*"))
            return;
        QCOMPARE(outcome.errors[0], error);
        QVERIFY(clock.elapsed() >= 299);
        QCOMPARE(outcome.progress.isEmpty(), tag == QLatin1String("no handshake"));
    }
};

QTEST_GUILESS_MAIN(TestHttp)
#include "tst_Http.moc"
