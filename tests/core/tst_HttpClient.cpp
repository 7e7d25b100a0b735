#include "core/HttpClient.h"
#include "support/StandInHttpServer.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>

using namespace OV;
using OV::Test::HttpReply;

namespace {

// Every signal of one request; the response deletes itself afterwards.
struct Outcome
{
    QStringList errors;
    QList<QByteArray> bodies;
    int total() const { return int(errors.size() + bodies.size()); }
};

void get(const QString& url, const std::map<QString, QString>& query, int timeoutMs, Outcome& out)
{
    HttpResponse* r =
        HttpClient::instance()->get(url, query, {{QStringLiteral("X-Token"), QStringLiteral("tök")}}, timeoutMs);
    QObject::connect(r, &HttpResponse::success, [&out](const QByteArray& d) { out.bodies << d; });
    QObject::connect(r, &HttpResponse::error, [&out](const QString& m) { out.errors << m; });
}

} // namespace

class TestHttpClient : public QObject
{
    Q_OBJECT
private slots:
    void queryInKeyOrderReplacesTheUrlQuery()
    {
        Test::StandInHttpServer server;
        QVERIFY(server.start());
        server.route(QStringLiteral("/api/page"), HttpReply::json({{"total", 2}}));
        Outcome first;
        Outcome second;
        get(server.urlText(QStringLiteral("/api/page?stale=1")),
            {{QStringLiteral("pageSize"), QStringLiteral("20")},
             {QStringLiteral("b"), QStringLiteral("2")},
             {QStringLiteral("a"), QStringLiteral("1 2")}},
            5000, first);
        get(server.urlText(QStringLiteral("/api/page?stale=1")), {}, 5000, second);
        QTRY_COMPARE(first.total() + second.total(), 2);
        QCOMPARE(first.bodies, QList<QByteArray>{R"({"total":2})"});
        const QList<QByteArray> queries = {server.requests()[0].rawQuery, server.requests()[1].rawQuery};
        QVERIFY(queries.contains("a=1%202&b=2&pageSize=20"));
        QVERIFY(queries.contains(QByteArray()));
        QCOMPARE(server.requests()[0].header("x-token"), QStringLiteral("tök").toUtf8());
    }

    void everyRequestEndsExactlyOnce_data()
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

    void everyRequestEndsExactlyOnce()
    {
        QFETCH(int, kind);
        QFETCH(int, status);
        QFETCH(QString, error);
        Test::StandInHttpServer server;
        QVERIFY(server.start());
        HttpReply reply = HttpReply::json({{"state", 1}, {"msg", std::string(4000, 'x')}}, status);
        reply.kind = HttpReply::Kind(kind);
        server.route(QStringLiteral("/p"), reply);
        const QString url = server.urlText(QStringLiteral("/p"));
        if (kind < 0)
            server.stop();

        Outcome outcome;
        QElapsedTimer clock;
        clock.start();
        get(url, {}, 400, outcome);
        QTRY_COMPARE(outcome.total(), 1);
        QVERIFY(error != QLatin1String("Request timeout") || clock.elapsed() >= 399);
        QTest::qWait(500); // nothing may follow: not the abort's completion, not a second answer
        QCOMPARE(outcome.total(), 1);
        if (error.isEmpty())
            QCOMPARE(outcome.bodies.value(0), reply.body);
        else if (error == QLatin1String("*"))
            QVERIFY(!outcome.errors.value(0).isEmpty() && outcome.errors.value(0) != QLatin1String("Request timeout"));
        else
            QCOMPARE(outcome.errors.value(0), error);
    }
};

QTEST_GUILESS_MAIN(TestHttpClient)
#include "tst_HttpClient.moc"
