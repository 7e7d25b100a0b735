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

struct Found
{
    QList<KestrinSearchResult> results;
    void attach(KestrinSearcher& searcher)
    {
        searcher.onFound = [this](const KestrinSearchResult& r) { results.append(r); };
    }
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
        KestrinSearcher searcher(loopbackOptions(hub.port(), 300));
        Found found;
        found.attach(searcher);
        QVERIFY(searcher.isBound());

        searcher.start();
        QTRY_VERIFY_WITH_TIMEOUT(hub.requestCount() >= 1, 150); // the first goes out at once
        QTRY_VERIFY_WITH_TIMEOUT(hub.replyCount() >= 3, 5000);
        // The hub moves to another address and port: still the same hub.
        hub.setReply(StandinHubDiscovery::makeReply("KS-1", "127.0.0.4", 6000));
        const int answered = hub.replyCount();
        QTRY_VERIFY_WITH_TIMEOUT(hub.replyCount() >= answered + 2, 5000);
        QTest::qWait(30);
        QCOMPARE(found.results.size(), 1);
        QCOMPARE(found.results[0].sn, QStringLiteral("KS-1"));
        QCOMPARE(found.results[0].ip, QStringLiteral("127.0.0.2"));
        QCOMPARE(found.results[0].port, 5320);

        // Stopped: no more datagrams; replies are still read; a restart sends at once and reports
        // no hub a second time.
        searcher.stop();
        QTest::qWait(30);
        const int requests = hub.requestCount();
        QTest::qWait(700);
        QCOMPARE(hub.requestCount(), requests);
        hub.setReply(StandinHubDiscovery::makeReply("KS-2", "127.0.0.2", 5321));
        hub.announce(QHostAddress::LocalHost, searcher.boundPort());
        QTRY_COMPARE_WITH_TIMEOUT(found.results.size(), 2, 2000);
        searcher.start();
        QTRY_VERIFY_WITH_TIMEOUT(hub.requestCount() > requests, 150);
        QTest::qWait(400);
        QCOMPARE(found.results.size(), 2);
    }

    void readsRepliesAsTheHubSendsThem_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("port"); // -1: refused
        QTest::newRow("number") << QByteArray(R"({"serialNo":"A","ip":"10.0.0.9","tcpPort":5320})") << 5320;
        QTest::newRow("extra keys") << QByteArray(R"({"serialNo":"A","ip":"10.0.0.9","tcpPort":7,"fw":"2.1"})") << 7;
        QTest::newRow("fraction") << QByteArray(R"({"serialNo":"A","ip":"10.0.0.9","tcpPort":5320.9})") << 5320;
        QTest::newRow("boolean") << QByteArray(R"({"serialNo":"A","ip":"10.0.0.9","tcpPort":true})") << 1;
        QTest::newRow("string port") << QByteArray(R"({"serialNo":"A","ip":"10.0.0.9","tcpPort":"5319"})") << -1;
        QTest::newRow("huge port") << QByteArray(R"({"serialNo":"A","ip":"10.0.0.9","tcpPort":1e30})") << -1;
        QTest::newRow("no serial") << QByteArray(R"({"ip":"10.0.0.9","tcpPort":5320})") << -1;
        QTest::newRow("numeric ip") << QByteArray(R"({"serialNo":"A","ip":167772169,"tcpPort":5320})") << -1;
        QTest::newRow("not json") << QByteArray("discovery.orvelbar") << -1;
    }

    void readsRepliesAsTheHubSendsThem()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, port);
        KestrinSearcher searcher(loopbackOptions(9, 60000));
        Found found;
        found.attach(searcher);
        Test::LogCapture log;
        // Replies are read before start() already; a good one after a bad one is still taken.
        sendFrom(kHubAddress, reply, searcher.boundPort());
        sendFrom(kHubAddress, R"({"serialNo":"B","ip":"10.0.0.8","tcpPort":1})", searcher.boundPort());
        QTRY_VERIFY_WITH_TIMEOUT(!found.results.isEmpty() && found.results.last().sn == "B", 2000);
        if (port < 0) {
            QCOMPARE(found.results.size(), 1);
            QVERIFY(log.text().contains("[KestrinSearcher] readyRead error:"));
        } else {
            QCOMPARE(found.results.size(), 2);
            QCOMPARE(found.results[0].port, port);
            QCOMPARE(found.results[0].ip, QStringLiteral("10.0.0.9"));
        }
    }

    void ignoresItselfAndLoopback()
    {
        KestrinSearcher searcher(loopbackOptions(9, 60000));
        Found found;
        found.attach(searcher);
        const QByteArray reply = R"({"serialNo":"S","ip":"10.0.0.9","tcpPort":1})";
        sendFrom(kOwnAddress, reply, searcher.boundPort());
        sendFrom(QHostAddress::LocalHost, reply, searcher.boundPort());
        sendFrom(kHubAddress, R"({"serialNo":"T","ip":"10.0.0.9","tcpPort":1})", searcher.boundPort());
        QTRY_COMPARE_WITH_TIMEOUT(found.results.size(), 1, 2000);
        QTest::qWait(50);
        QCOMPARE(found.results.size(), 1);
        QCOMPARE(found.results[0].sn, QStringLiteral("T"));
    }

    void survivesItsOwnerDeletingItWhileReading()
    {
        auto* searcher = new KestrinSearcher(loopbackOptions(9, 60000));
        QPointer<KestrinSearcher> guard(searcher);
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
