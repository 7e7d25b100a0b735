#include "device/KestrinSearcher.h"
#include "support/StandinHubDiscovery.h"
#include "support/TestUtils.h"

#include <QTest>
#include <QUdpSocket>

using namespace OV;
using Test::StandinHubDiscovery;
using Json = nlohmann::json;

namespace {

const QHostAddress kHubAddress(QStringLiteral("127.0.0.2"));
const QHostAddress kOwnAddress(QStringLiteral("127.0.0.3"));

// A searcher on a free port that talks to the given loopback responder port only.
KestrinSearchOptions loopbackOptions(quint16 targetPort, int intervalMs)
{
    KestrinSearchOptions options;
    options.target = kHubAddress;
    options.targetPort = targetPort;
    options.bindPort = 0;
    options.intervalMs = intervalMs;
    options.localAddress = kOwnAddress;
    return options;
}

// What a searcher reports.
struct Found
{
    explicit Found(KestrinSearcher& searcher)
    {
        searcher.onFound = [this](const KestrinSearchResult& r) { results.append(r); };
    }
    QList<KestrinSearchResult> results;
};

void sendFrom(const QHostAddress& from, const QByteArray& bytes, quint16 port)
{
    QUdpSocket socket;
    QVERIFY(socket.bind(from, 0));
    QCOMPARE(socket.writeDatagram(bytes, QHostAddress::LocalHost, port), bytes.size());
}

} // namespace

class TestKestrinSearcher : public QObject
{
    Q_OBJECT
private slots:
    void reportsEachHubOnceWhileItKeepsAnswering()
    {
        StandinHubDiscovery hub;
        QVERIFY(hub.listen(kHubAddress, 0));
        hub.setReply(StandinHubDiscovery::makeReply("KS-1", "127.0.0.2", 5320));
        {
            // The first goes out at once: with an interval this long, any request is that one.
            KestrinSearcher once(loopbackOptions(hub.port(), 600000));
            once.start();
            QTRY_COMPARE_WITH_TIMEOUT(hub.requestCount(), 1, 5000);
        }
        const int firstReplies = hub.replyCount();
        KestrinSearcher searcher(loopbackOptions(hub.port(), 300));
        Found found(searcher);
        searcher.start();
        QTRY_VERIFY_WITH_TIMEOUT(hub.replyCount() >= firstReplies + 3, 5000);
        // The hub moves to another address and port: still the same hub.
        hub.setReply(StandinHubDiscovery::makeReply("KS-1", "127.0.0.4", 6000));
        const int answered = hub.replyCount();
        QTRY_VERIFY_WITH_TIMEOUT(hub.replyCount() >= answered + 2, 5000);
        QTest::qWait(30);
        QCOMPARE(found.results.size(), 1);
        QVERIFY(found.results[0].sn == "KS-1" && found.results[0].ip == "127.0.0.2" && found.results[0].port == 5320);

        searcher.stop();
        QTest::qWait(30);
        const int requests = hub.requestCount();
        QTest::qWait(700);
        QCOMPARE(hub.requestCount(), requests);
    }

    void readsRepliesAsTheHubSendsThem_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("port"); // -1: refused and logged, 0: ignored
        const auto row = [](const char* name, const QHostAddress& from, const char* reply, int port) {
            QTest::newRow(name) << from.toString() << QByteArray(reply) << port;
        };
        row("number", kHubAddress, R"({"serialNo":"A","ip":"10.0.0.9","tcpPort":5320})", 5320);
        row("extra keys", kHubAddress, R"({"serialNo":"A","ip":"10.0.0.9","tcpPort":7,"fw":"2.1"})", 7);
        row("fraction", kHubAddress, R"({"serialNo":"A","ip":"10.0.0.9","tcpPort":5320.9})", 5320);
        row("boolean", kHubAddress, R"({"serialNo":"A","ip":"10.0.0.9","tcpPort":true})", 1);
        row("string port", kHubAddress, R"({"serialNo":"A","ip":"10.0.0.9","tcpPort":"5319"})", -1);
        row("huge port", kHubAddress, R"({"serialNo":"A","ip":"10.0.0.9","tcpPort":1e30})", -1);
        row("no serial", kHubAddress, R"({"ip":"10.0.0.9","tcpPort":5320})", -1);
        row("numeric ip", kHubAddress, R"({"serialNo":"A","ip":167772169,"tcpPort":5320})", -1);
        row("not json", kHubAddress, "discovery.orvelbar", -1);
        row("own reply", kOwnAddress, R"({"serialNo":"A","ip":"10.0.0.9","tcpPort":1})", 0);
        row("from 127.0.0.1", QHostAddress::LocalHost, R"({"serialNo":"A","ip":"10.0.0.9","tcpPort":1})", 0);
    }

    void readsRepliesAsTheHubSendsThem()
    {
        QFETCH(QString, from);
        QFETCH(QByteArray, reply);
        QFETCH(int, port);
        KestrinSearcher searcher(loopbackOptions(9, 60000));
        Found found(searcher);
        Test::LogCapture log;
        // Replies are read before start() already; a good one after a bad one is still taken.
        sendFrom(QHostAddress(from), reply, searcher.boundPort());
        sendFrom(kHubAddress, R"({"serialNo":"B","ip":"10.0.0.8","tcpPort":1})", searcher.boundPort());
        QTRY_VERIFY_WITH_TIMEOUT(!found.results.isEmpty() && found.results.last().sn == "B", 2000);
        QCOMPARE(found.results.size(), port > 0 ? 2 : 1);
        QCOMPARE(log.text().contains("[KestrinSearcher] readyRead error:"), port < 0);
        if (port > 0)
            QVERIFY(found.results[0].port == port && found.results[0].ip == "10.0.0.9");
    }

    void survivesItsOwnerDeletingItWhileReading()
    {
        auto* searcher = new KestrinSearcher(loopbackOptions(9, 60000));
        const QPointer<KestrinSearcher> guard(searcher);
        int calls = 0;
        searcher->onFound = [&](const KestrinSearchResult&) {
            ++calls;
            delete searcher;
        };
        const quint16 port = searcher->boundPort();
        sendFrom(kHubAddress, R"({"serialNo":"U","ip":"10.0.0.9","tcpPort":1})", port);
        sendFrom(kHubAddress, R"({"serialNo":"V","ip":"10.0.0.9","tcpPort":1})", port);
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 2000);
        QTest::qWait(20);
        QCOMPARE(calls, 1);
    }

    void logsAPortItCannotBind()
    {
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));
        KestrinSearchOptions options = loopbackOptions(9, 60000);
        options.bindPort = holder.localPort();
        Test::LogCapture log;
        KestrinSearcher searcher(options);
        QVERIFY(!searcher.isBound());
        QVERIFY(log.text().contains(QStringLiteral("[KestrinSearcher] bind port %1 error:").arg(holder.localPort())));
    }
};

QTEST_GUILESS_MAIN(TestKestrinSearcher)
#include "tst_KestrinSearcher.moc"
