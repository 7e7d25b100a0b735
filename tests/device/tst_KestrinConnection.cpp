#include "device/KestrinConnectionTcp.h"
#include "support/StandinHub.h"
#include "support/TestUtils.h"

#include <QElapsedTimer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTest>

using namespace OV;
using Test::StandinHub;

namespace {

std::shared_ptr<KestrinHost> hostFor(quint16 port)
{
    auto host = std::make_shared<KestrinHost>();
    host->connType = QStringLiteral("tcp");
    host->ip = StandinHub::address();
    host->port = port;
    return host;
}

// A connection with its callbacks recorded.
struct Probe
{
    explicit Probe(std::shared_ptr<KestrinHost> host) : connection(nullptr, std::move(host))
    {
        connection.onData = [this](const QByteArray& line) { lines.append(line); };
        connection.onStateChanged = [this](DeviceConnection::State s) { states.append(s); };
    }

    // Arms the one-shot result and starts connecting, as the session does.
    void connect()
    {
        connection.onConnectResult = [this](bool ok) { results.append(ok); };
        connection.setState(DeviceConnection::Connecting);
        connection.connect();
    }

    KestrinConnectionTcp connection;
    QList<QByteArray> lines;
    QList<int> states;
    QList<bool> results;
};

} // namespace

class TestKestrinConnection : public QObject
{
    Q_OBJECT
private slots:
    void connectsOverTls13AndReportsOnce()
    {
        StandinHub hub;
        QVERIFY(hub.listen());
        Probe probe(hostFor(hub.port()));
        QCOMPARE(probe.connection.connectTimeoutMs(), 5000);
        QByteArray early("{\"act\":20,\"id\":\"x\"}");
        QVERIFY(!probe.connection.send(early)); // nothing is queued before the link is up

        probe.connect();
        probe.connection.setState(DeviceConnection::Connecting); // again: no second report
        QTRY_COMPARE_WITH_TIMEOUT(probe.results, QList<bool>{true}, 5000);
        QCOMPARE(probe.states, (QList<int>{DeviceConnection::Connecting, DeviceConnection::Connected}));
        QCOMPARE(probe.connection.state(), DeviceConnection::Connected);
        QTRY_COMPARE_WITH_TIMEOUT(hub.clientCount(), 1, 5000);
        const auto* socket = probe.connection.findChild<QSslSocket*>();
        QVERIFY(socket);
        QTRY_VERIFY_WITH_TIMEOUT(socket->isEncrypted(), 5000);
        QCOMPARE(socket->sessionProtocol(), QSsl::TlsV1_3);

        QByteArray line("{\"act\":20,\"id\":\"5\"}");
        QVERIFY(probe.connection.send(line));
        QCOMPARE(line, QByteArray("{\"act\":20,\"id\":\"5\"}\n")); // the caller's array gained the line feed
        QTRY_COMPARE_WITH_TIMEOUT(hub.receivedLines(), QList<QByteArray>{"{\"act\":20,\"id\":\"5\"}"}, 5000);

        probe.connection.close();
        QCOMPARE(probe.connection.state(), DeviceConnection::Disconnected);
        QCOMPARE(probe.results.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(hub.clientCount(), 0, 5000);
    }

    void framesLinesAcrossReads()
    {
        StandinHub hub;
        QVERIFY(hub.listen());
        Probe probe(hostFor(hub.port()));
        probe.connect();
        QTRY_COMPARE_WITH_TIMEOUT(hub.clientCount(), 1, 5000);
        hub.sendRaw("a\r\n\r\nb");
        QTRY_COMPARE_WITH_TIMEOUT(probe.lines, QList<QByteArray>{"a"}, 5000);
        QTest::qWait(50);
        hub.sendRaw("c\n");
        QTRY_COMPARE_WITH_TIMEOUT(probe.lines, (QList<QByteArray>{"a", "bc"}), 5000);
    }

    void overlongLineDropsTheConnection()
    {
        StandinHub hub;
        QVERIFY(hub.listen());
        Probe probe(hostFor(hub.port()));
        probe.connect();
        QTRY_COMPARE_WITH_TIMEOUT(hub.clientCount(), 1, 5000);

        // Exactly at the limit is still a line.
        const qsizetype limit = 8 * 1024 * 1024;
        hub.sendRaw(QByteArray(limit, 'x') + '\n');
        QTRY_COMPARE_WITH_TIMEOUT(probe.lines.size(), 1, 20000);
        QCOMPARE(probe.lines.first().size(), limit);
        probe.lines.clear();

        Test::LogCapture log;
        hub.sendRaw("{\"ok\":1}\n" + QByteArray(limit + 1, 'y'));
        QTRY_COMPARE_WITH_TIMEOUT(probe.connection.state(), DeviceConnection::Disconnected, 20000);
        QCOMPARE(probe.lines, QList<QByteArray>{"{\"ok\":1}"});
        QVERIFY(log.text().contains(QLatin1String("received line longer than 8388608 bytes")));
        QTRY_COMPARE_WITH_TIMEOUT(hub.clientCount(), 0, 5000);
    }

    void connectTimesOutOnASilentAddress()
    {
        StandinHub::SilentListener silent;
        QVERIFY(silent.isValid());
        Probe probe(hostFor(silent.port()));
        probe.connection.setConnectTimeoutMs(300);
        QElapsedTimer clock;
        clock.start();
        probe.connect();
        QTRY_COMPARE_WITH_TIMEOUT(probe.results, QList<bool>{false}, 5000);
        QVERIFY2(clock.elapsed() >= 290, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(probe.connection.state(), DeviceConnection::Disconnected);
        QCOMPARE(probe.states.last(), int(DeviceConnection::Disconnected));
    }

    void refusedOrInvalidPortFails()
    {
        quint16 closedPort = 0;
        {
            QTcpServer server;
            QVERIFY(server.listen(QHostAddress::LocalHost));
            closedPort = server.serverPort();
        }
        Probe refused(hostFor(closedPort));
        refused.connect();
        QTRY_COMPARE_WITH_TIMEOUT(refused.results, QList<bool>{false}, 3000);
        QCOMPARE(refused.connection.state(), DeviceConnection::Disconnected);

        Probe invalid(hostFor(0));
        invalid.connect();
        QCOMPARE(invalid.results, QList<bool>{false});
    }

    void hubDroppingTheLinkIsReported()
    {
        StandinHub hub;
        QVERIFY(hub.listen());
        Probe probe(hostFor(hub.port()));
        probe.connect();
        QTRY_COMPARE_WITH_TIMEOUT(hub.clientCount(), 1, 5000);
        hub.dropConnections();
        QTRY_COMPARE_WITH_TIMEOUT(probe.connection.state(), DeviceConnection::Disconnected, 5000);
        // Connecting again starts clean.
        probe.connect();
        QTRY_COMPARE_WITH_TIMEOUT(probe.results, (QList<bool>{true, true}), 5000);
    }
};

QTEST_GUILESS_MAIN(TestKestrinConnection)
#include "tst_KestrinConnection.moc"
