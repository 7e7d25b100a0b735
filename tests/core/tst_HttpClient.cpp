#include "core/HttpClient.h"
#include "support/StandInHttpServer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using namespace OV;
using OV::Test::HttpReply;
using OV::Test::StandInHttpServer;

namespace {

struct Outcome
{
    QStringList errors;
    QList<QByteArray> bodies;
    int total() const { return int(errors.size() + bodies.size()); }
};

// Records every signal of the response; the response deletes itself afterwards.
void record(HttpResponse* response, Outcome& outcome)
{
    QObject::connect(response, &HttpResponse::success, [&outcome](const QByteArray& d) { outcome.bodies << d; });
    QObject::connect(response, &HttpResponse::error, [&outcome](const QString& m) { outcome.errors << m; });
}

} // namespace

class TestHttpClient : public QObject
{
    Q_OBJECT
private slots:
    void queryInKeyOrderAndHeaders()
    {
        StandInHttpServer server;
        QVERIFY(server.start());
        server.route(QStringLiteral("/api/page"), HttpReply::json({{"total", 2}}));

        Outcome outcome;
        // The URL text's own query is replaced by the items.
        record(HttpClient::instance()->get(server.urlText(QStringLiteral("/api/page?stale=1")),
                                           {{QStringLiteral("pageSize"), QStringLiteral("20")},
                                            {QStringLiteral("b"), QStringLiteral("2")},
                                            {QStringLiteral("a"), QStringLiteral("1 2")}},
                                           {{QStringLiteral("X-Token"), QStringLiteral("tök")}}, 5000),
               outcome);
        QTRY_COMPARE(outcome.total(), 1);
        QCOMPARE(outcome.bodies.value(0), QByteArray(R"({"total":2})"));
        const auto& request = server.requests().at(0);
        QCOMPARE(request.method, QByteArray("GET"));
        QCOMPARE(request.rawQuery, QByteArray("a=1%202&b=2&pageSize=20"));
        QCOMPARE(request.header("x-token"), QStringLiteral("tök").toUtf8());

        Outcome second;
        record(HttpClient::instance()->get(server.urlText(QStringLiteral("/api/page?stale=1")), {}, {}, 5000), second);
        QTRY_COMPARE(second.total(), 1);
        QCOMPARE(server.requests().at(1).rawQuery, QByteArray());
    }

    void everyRequestEndsExactlyOnce_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("error");
        const auto K = [](HttpReply::Kind k) { return int(k); };
        QTest::newRow("silent server") << K(HttpReply::Kind::Silent) << 200 << false
                                       << QStringLiteral("Request timeout");
        QTest::newRow("stalls mid-body") << K(HttpReply::Kind::StallMidBody) << 200 << false
                                         << QStringLiteral("Request timeout");
        QTest::newRow("closes early") << K(HttpReply::Kind::CloseEarly) << 200 << false << QString();
        QTest::newRow("answers twice") << K(HttpReply::Kind::AnswerTwice) << 200 << true << QString();
        QTest::newRow("error status") << K(HttpReply::Kind::Respond) << 500 << false << QString();
    }

    void everyRequestEndsExactlyOnce()
    {
        QFETCH(int, kind);
        QFETCH(int, status);
        QFETCH(bool, success);
        QFETCH(QString, error);
        StandInHttpServer server;
        QVERIFY(server.start());
        HttpReply reply = HttpReply::json({{"state", 1}, {"msg", QByteArray(4000, 'x').toStdString()}}, status);
        reply.kind = HttpReply::Kind(kind);
        server.route(QStringLiteral("/p"), reply);

        Outcome outcome;
        QElapsedTimer clock;
        clock.start();
        record(HttpClient::instance()->get(server.urlText(QStringLiteral("/p")), {}, {}, 400), outcome);
        QTRY_COMPARE(outcome.total(), 1);
        if (error == QLatin1String("Request timeout"))
            QVERIFY(clock.elapsed() >= 390);
        QTest::qWait(600); // nothing more may follow: not the abort, not a second answer
        QCOMPARE(outcome.total(), 1);
        if (success) {
            QCOMPARE(outcome.bodies.value(0), reply.body);
        } else {
            QVERIFY(!outcome.errors.value(0).isEmpty());
            if (!error.isEmpty())
                QCOMPARE(outcome.errors.value(0), error);
            else
                QVERIFY(outcome.errors.value(0) != QLatin1String("Request timeout"));
        }
    }

    void refusedConnectionIsOneError()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        Outcome outcome;
        record(HttpClient::instance()->get(QStringLiteral("http://127.0.0.1:%1/x").arg(port), {}, {}, 3000), outcome);
        QTRY_COMPARE(outcome.total(), 1);
        QTest::qWait(100);
        QCOMPARE(outcome.errors.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestHttpClient)
#include "tst_HttpClient.moc"
