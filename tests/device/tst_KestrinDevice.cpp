#include "core/TokenScrambler.h"
#include "device/KestrinApi.h"
#include "device/KestrinDevice.h"
#include "support/StandinHub.h"
#include "support/TestUtils.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>

#include <functional>
#include <stdexcept>

using namespace OV;
using Test::StandinHub;
using Json = nlohmann::json;

namespace {

// The product's timings divided by about twenty.
KestrinTimings fastTimings()
{
    KestrinTimings t;
    t.tickMs = 20;
    t.connectTimeoutMs = 2000;
    t.tokenCheckTimeoutMs = 400;
    t.tokenRequestTimeoutMs = 800;
    t.heartbeatIntervalMs = 150;
    t.heartbeatSilenceMs = 75;
    t.readyWindowMs = 750;
    t.reconnectSpacingMs = 1500;
    return t;
}

// A session against a stand-in hub, with everything it reports recorded.
struct Session
{
    QList<int> states;
    int waitConfirms = 0;
    QStringList errors;
    int successes = 0;
    QStringList savedTokens;
    PairingPromptCallbacks callbacks;
    StandinHub hub;
    std::shared_ptr<KestrinHost> host = std::make_shared<KestrinHost>();
    std::shared_ptr<KestrinDevice> device;

    explicit Session(const QString& plainToken, const KestrinTimings& timings = fastTimings())
    {
        hub.listen();
        host->connType = QStringLiteral("tcp");
        host->name = QStringLiteral("Desk");
        host->ip = StandinHub::address();
        host->port = hub.port();
        host->sn = QStringLiteral("KS-0001");
        host->token = encodeToken(plainToken);
        device = std::make_shared<KestrinDevice>(host, timings);
        QObject::connect(device.get(), &KestrinDevice::onStateChanged, [this](int s) { states.append(s); });
        device->setHostSaver([this](KestrinHost& h) {
            savedTokens.append(h.token);
            return BaseResult<void>();
        });
        callbacks.onWaitConfirm = [this] { ++waitConfirms; };
        callbacks.onError = [this](const QString& reason) { errors.append(reason); };
        callbacks.onSuccess = [this] { ++successes; };
    }

    ~Session()
    {
        if (!device)
            return;
        QObject::disconnect(device.get(), nullptr, nullptr, nullptr);
        device->setHostSaver(nullptr);
        device->stop();
    }

    void start() { device->start(&callbacks); }

    bool waitReady(int timeoutMs = 5000)
    {
        return QTest::qWaitFor([this] { return device->isReady(); }, timeoutMs);
    }
};

} // namespace

class TestKestrinDevice : public QObject
{
    Q_OBJECT
private slots:
    void refusesHostsNotReachedOverTcp()
    {
        auto host = std::make_shared<KestrinHost>();
        host->connType = QStringLiteral("usb");
        try {
            KestrinDevice device(host);
            QFAIL("no exception");
        } catch (const std::invalid_argument& e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("unsupported connType: usb"));
        }
        host->connType = QStringLiteral("tcp");
        KestrinDevice device(host);
        QCOMPARE(device.timings().tickMs, 1000);
        QCOMPARE(device.timings().reconnectSpacingMs, 30001);
        QCOMPARE(device.requestTimeout(1108, 8000), 8000);
        QCOMPARE(device.getConnType(), QStringLiteral("tcp"));
        QVERIFY(device.getHost() == host);
        QVERIFY(!device.isReady());
    }

    void pairsWithAValidStoredToken()
    {
        Session s(QStringLiteral("good-token"));
        s.hub.setValidToken(QStringLiteral("good-token"));
        s.start();
        QCOMPARE(s.device->getState(), int(KestrinDevice::Disconnected)); // 1, then 0 once the link is connecting
        QTRY_COMPARE_WITH_TIMEOUT(s.successes, 1, 5000);
        QCOMPARE(s.states, (QList<int>{1, 0, 2}));
        QCOMPARE(s.device->getState(), int(KestrinDevice::Connected));
        QVERIFY(s.device->isReady());
        const QList<Json> checks = s.hub.received(100);
        QCOMPARE(checks.size(), 1);
        QVERIFY(checks[0]["data"] == "good-token"); // the plain token goes on the wire
        QCOMPARE(s.hub.receivedCount(101), 0);
        QVERIFY(s.errors.isEmpty() && s.savedTokens.isEmpty());
        QCOMPARE(s.hub.receivedLines().first(), QByteArray("{\"act\":100,\"data\":\"good-token\",\"id\":\"") +
                                                    checks[0]["id"].get<std::string>().c_str() + "\"}");
    }

    void pairsWithoutATokenAfterConfirmation()
    {
        Session s{QString()};
        s.hub.setWaitReplies(2);
        s.hub.setConfirmDelayMs(100);
        s.hub.setIssuedToken(QStringLiteral("fresh-token"));
        s.start();
        QTRY_COMPARE_WITH_TIMEOUT(s.successes, 1, 5000);
        QCOMPARE(s.waitConfirms, 2);
        QCOMPARE(s.hub.receivedCount(100), 0);
        const QList<Json> requests = s.hub.received(101);
        QCOMPARE(requests.size(), 1);
        QVERIFY(requests[0]["data"] ==
                Json({{"id", "4b1f7d2e-9c3a-4e6b-8f0d-2a5c7e9b1d36"}, {"name", "Orvel WorkSpace"}}));
        // Stored scrambled, and saved through the host store.
        QCOMPARE(s.host->token, encodeToken(QStringLiteral("fresh-token")));
        QVERIFY(s.host->token != QStringLiteral("fresh-token"));
        QCOMPARE(s.savedTokens, QStringList{s.host->token});
        QCOMPARE(s.device->getState(), int(KestrinDevice::Connected));
    }

    void rejectedTokenAsksForANewOneInTheSameAttempt()
    {
        Session s(QStringLiteral("stale"));
        s.hub.setValidToken(QStringLiteral("current"));
        s.hub.setIssuedToken(QStringLiteral("renewed"));
        s.start();
        QTRY_COMPARE_WITH_TIMEOUT(s.successes, 1, 5000);
        QCOMPARE(s.hub.receivedCount(100), 1);
        QCOMPARE(s.hub.receivedCount(101), 1);
        QCOMPARE(s.hub.connectionCount(), 1);
        QCOMPARE(decodeToken(s.host->token), QStringLiteral("renewed"));
    }

    void failedAttemptsReportTheirReason()
    {
        struct Failure
        {
            const char* token;
            std::function<void(StandinHub&)> script;
            const char* reason;
            int minMs;
            int maxMs;
        };
        // clang-format off
        const Failure failures[] = {
            {"t", [](StandinHub& h) { h.replySilent(100); }, "authorization timeout", 400, 3000},
            {"", [](StandinHub& h) { h.replySilent(101); }, "request token timeout", 800, 3000},
            {"", [](StandinHub& h) { h.replyOk(101, {{"state", 0}}); }, "request token timeout", 800, 3000},
            {"", [](StandinHub& h) { h.replyError(101, 403, QStringLiteral("denied")); }, "request token failed", 0, 700},
            // Unreadable confirmations end the attempt at once instead of leaving the user waiting.
            {"", [](StandinHub& h) { h.replyRaw(101, "{\"id\":\"x\",\"act\":101,\"code\":200,\"data\":\"oops\"}\n"); },
             "request token failed", 0, 700},
            {"", [](StandinHub& h) { h.replyOk(101, {{"state", 1}}); }, "request token failed", 0, 700},
            {"", [](StandinHub& h) { h.close(); }, "failed to connect kestrin", 0, 1500},
        };
        // clang-format on
        for (const Failure& f : failures) {
            const QString token = QString::fromUtf8(f.token);
            Session s(token);
            f.script(s.hub);
            QElapsedTimer clock;
            clock.start();
            s.start();
            QTRY_COMPARE_WITH_TIMEOUT(s.errors.size(), 1, 5000);
            const qint64 elapsed = clock.elapsed();
            QCOMPARE(s.errors.first(), QString::fromUtf8(f.reason));
            QVERIFY2(elapsed >= f.minMs && elapsed <= f.maxMs, qPrintable(QString::number(elapsed)));
            QCOMPARE(s.successes, 0);
            QCOMPARE(s.device->getState(), int(KestrinDevice::Disconnected));
            QTRY_COMPARE_WITH_TIMEOUT(s.hub.clientCount(), 0, 3000); // the link was closed
            QVERIFY(s.savedTokens.isEmpty());
            QCOMPARE(s.host->token, encodeToken(token));
        }
    }

    void failedTokenSaveIsReportedAndTheTokenKept()
    {
        Session s{QString()};
        s.hub.setIssuedToken(QStringLiteral("issued"));
        s.device->setHostSaver(
            [](KestrinHost&) { return BaseResult<void>(Errors::WriteFailed, QStringLiteral("disk full")); });
        s.start();
        QTRY_COMPARE_WITH_TIMEOUT(s.errors.size(), 1, 5000);
        QCOMPARE(s.errors.first(), QStringLiteral("save token failed: disk full"));
        QCOMPARE(s.successes, 0);
        QCOMPARE(decodeToken(s.host->token), QStringLiteral("issued"));
        // The next attempt checks the token it was given instead of asking again; the callbacks
        // served the first attempt only.
        QTRY_COMPARE_WITH_TIMEOUT(s.device->getState(), int(KestrinDevice::Connected), 5000);
        QCOMPARE(s.hub.receivedCount(101), 1);
        QCOMPARE(s.hub.received(100).size(), 1);
        QVERIFY(s.hub.received(100).first()["data"] == "issued");
        QCOMPARE(s.errors.size(), 1);
        QCOMPARE(s.successes, 0);
    }

    void heartbeatsOnlyOnAQuietLink()
    {
        Session s(QStringLiteral("k"));
        s.hub.setValidToken(QStringLiteral("k"));
        s.start();
        QVERIFY(s.waitReady());

        // Quiet: a heartbeat about every 150 ms (the hub's answers count as life).
        const int before = s.hub.receivedCount(20);
        QTest::qWait(1000);
        const int quiet = s.hub.receivedCount(20) - before;
        QVERIFY2(quiet >= 3 && quiet <= 8, qPrintable(QString::number(quiet)));
        const QList<Json> beats = s.hub.received(20);
        QVERIFY(beats.last().size() == 2 && beats.last().contains("id")); // only "act" and "id"

        // Busy: messages every 40 ms keep the link alive without heartbeats.
        QTest::qWait(30);
        s.hub.push(1000000, 200, {{"type", "TEST"}});
        QTest::qWait(30);
        const int busyStart = s.hub.receivedCount(20);
        for (int i = 0; i < 15; ++i) {
            s.hub.push(30102, 200, {{"serialNumber", "M1"}});
            QTest::qWait(40);
        }
        QVERIFY2(s.hub.receivedCount(20) - busyStart <= 1,
                 qPrintable(QString::number(s.hub.receivedCount(20) - busyStart)));
        QVERIFY(s.device->isReady());
    }

    void silentHubIsNotReadyAndIsReconnected()
    {
        Session s(QStringLiteral("k"));
        s.hub.setValidToken(QStringLiteral("k"));
        s.start();
        QVERIFY(s.waitReady());
        QElapsedTimer sinceReady;
        sinceReady.start();
        s.hub.replySilent(20);
        QTRY_VERIFY_WITH_TIMEOUT(!s.device->isReady(), 3000);
        QVERIFY2(sinceReady.elapsed() >= 650, qPrintable(QString::number(sinceReady.elapsed())));
        // Not ready: a new attempt, which closes the old link first, once the spacing allows.
        QTRY_COMPARE_WITH_TIMEOUT(s.hub.connectionCount(), 2, 5000);
        const QList<qint64> times = s.hub.connectTimes();
        QVERIFY2(times[1] - times[0] >= 1450, qPrintable(QString::number(times[1] - times[0])));
        QTRY_VERIFY_WITH_TIMEOUT(s.device->isReady(), 5000);
        QCOMPARE(s.successes, 1); // the callbacks served the first attempt only
    }

    void reconnectAttemptsAreSpaced()
    {
        KestrinTimings t = fastTimings();
        t.reconnectSpacingMs = 600;
        Session s(QStringLiteral("k"), t);
        s.hub.replyDrop(100);
        s.start();
        QTRY_VERIFY_WITH_TIMEOUT(s.hub.connectionCount() >= 4, 6000);
        const QList<qint64> times = s.hub.connectTimes();
        for (int i = 1; i < 4; ++i) {
            const qint64 gap = times[i] - times[i - 1];
            QVERIFY2(gap >= 580 && gap <= 1200, qPrintable(QString::number(gap)));
        }
        QCOMPARE(s.errors, QStringList{QStringLiteral("authorization timeout")});
    }

    void stopEndsTimedListenersAndKeepsTheCommandListener()
    {
        Session s(QStringLiteral("k"));
        s.hub.setValidToken(QStringLiteral("k"));
        s.start();
        QVERIFY(s.waitReady());
        int commands = 0;
        int timedEnds = 0;
        s.device->addMessageListener(
            [&](const KestrinMessage& m) {
                if (m.act == 1000000)
                    ++commands;
                return KeepListening;
            },
            0, nullptr);
        s.device->addMessageListener([](const KestrinMessage&) { return KeepListening; }, 60000, [&] { ++timedEnds; });
        s.hub.replySilent(1108);
        QList<int> results;
        KestrinApi::deployProfiles(s.device, Json::array(),
                                   [&](const BaseResult<void>& r) { results.append(r.code()); });
        QTRY_COMPARE_WITH_TIMEOUT(s.hub.receivedCount(1108), 1, 2000);

        s.device->stop();
        QCOMPARE(timedEnds, 1);
        QCOMPARE(results, QList<int>{6000});
        QCOMPARE(s.device->getState(), int(KestrinDevice::Disconnected));
        QVERIFY(!s.device->isReady());
        s.device->stop(); // a second stop does nothing

        s.start();
        QVERIFY(s.waitReady());
        s.hub.push(1000000, 0, {{"type", "TEST"}});
        QTRY_COMPARE_WITH_TIMEOUT(commands, 1, 2000);
        QCOMPARE(timedEnds, 1);
        QCOMPARE(results.size(), 1);
    }

    void secondStartIsRefusedAndThrowingCallbacksAreContained()
    {
        Session s(QStringLiteral("k"));
        s.hub.setValidToken(QStringLiteral("k"));
        s.callbacks.onSuccess = [&s] {
            ++s.successes;
            throw std::runtime_error("screen failed");
        };
        s.start();
        QStringList second;
        PairingPromptCallbacks again;
        again.onError = [&](const QString& reason) { second.append(reason); };
        s.device->start(&again);
        QCOMPARE(second, QStringList{QStringLiteral("kestrin is already start")});
        // The attempt under way still reports to the first caller, once, even though it throws.
        Test::LogCapture log;
        QTRY_COMPARE_WITH_TIMEOUT(s.successes, 1, 5000);
        QCOMPARE(s.device->getState(), int(KestrinDevice::Connected));
        QVERIFY(log.text().contains(QLatin1String("onSuccess error:screen failed")));
        s.device->start(nullptr);
        QTest::qWait(100);
        QCOMPARE(s.successes, 1);
        QCOMPARE(second.size(), 1);
    }

    void badInputKeepsTheSessionRunning()
    {
        Session s(QStringLiteral("k"));
        s.hub.setValidToken(QStringLiteral("k"));
        s.start();
        QVERIFY(s.waitReady());
        s.hub.replyTwice(1002, Json::array({"w"}));
        Test::LogCapture log;
        QList<QString> results;
        KestrinApi::getWidgetList(s.device, "sys.widget.apps", [&](const BaseResult<Json>& r) {
            results.append(QString::number(r.code()) + QString::fromStdString(r.data ? r.data->dump() : ""));
        });
        s.hub.sendRaw("not json\n{\"id\":5,\"act\":1}\n{\"id\":\"5\",\"act\":\"x\"}\n[]\n");
        s.hub.push(424242, 200, {{"unknown", true}});
        s.hub.sendRaw("{\"id\":\"999999\",\"act\":1002,\"code\":200,\"data\":[]}\n");
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), 1, 3000);
        QTest::qWait(100);
        QCOMPARE(results, QList<QString>{QStringLiteral("0[\"w\"]")});
        QVERIFY(log.text().contains(QLatin1String("[DeviceKestrin] recv error:")));
        QVERIFY(s.device->isReady());
        QCOMPARE(s.hub.connectionCount(), 1);
    }

    void overlongLineIsDroppedWithTheLink()
    {
        Session s(QStringLiteral("k"));
        s.hub.setValidToken(QStringLiteral("k"));
        s.start();
        QVERIFY(s.waitReady());
        // Dropped like any lost link: the state falls at once, the next attempt waits its turn.
        int connectionsAtDrop = -1;
        QObject::connect(s.device.get(), &KestrinDevice::onStateChanged, [&](int state) {
            if (state == 0 && connectionsAtDrop < 0)
                connectionsAtDrop = s.hub.connectionCount();
        });
        s.hub.sendRaw(QByteArray(8 * 1024 * 1024 + 1, 'z'));
        QTRY_COMPARE_WITH_TIMEOUT(s.device->getState(), int(KestrinDevice::Disconnected), 10000);
        QCOMPARE(connectionsAtDrop, 1);
        QVERIFY(!s.device->isReady());
        QTRY_VERIFY_WITH_TIMEOUT(s.device->isReady(), 10000);
        QCOMPARE(s.hub.connectionCount(), 2);
    }

    void callbacksMayDropTheLastReference()
    {
        std::weak_ptr<KestrinDevice> weak;
        {
            Session s(QStringLiteral("k"));
            s.hub.setValidToken(QStringLiteral("k"));
            weak = s.device;
            s.callbacks.onSuccess = [&s] { s.device.reset(); };
            s.start();
            QTRY_VERIFY_WITH_TIMEOUT(!s.device, 5000);
            QTRY_VERIFY_WITH_TIMEOUT(weak.expired(), 2000);
        }
        {
            // The last reference held by a pending request, dropped by its own time-out.
            Session s(QStringLiteral("k"));
            s.hub.setValidToken(QStringLiteral("k"));
            s.start();
            QVERIFY(s.waitReady());
            s.hub.replySilent(1103);
            weak = s.device;
            int calls = 0;
            KestrinApi::setCurrentProfile(s.device, QStringLiteral("p1"), [&](const BaseResult<void>&) { ++calls; });
            s.device->stop(); // ends the request through its time-out, which held a reference
            QCOMPARE(calls, 1);
            s.device.reset();
            QTRY_VERIFY_WITH_TIMEOUT(weak.expired(), 2000);
        }
        {
            // stop() during the token request runs its time-out path; onError drops the owner's reference.
            Session s{QString()};
            s.hub.replySilent(101);
            weak = s.device;
            s.callbacks.onError = [&s](const QString& reason) {
                s.errors.append(reason);
                s.device.reset();
            };
            s.start();
            QTRY_COMPARE_WITH_TIMEOUT(s.hub.receivedCount(101), 1, 3000);
            std::shared_ptr<KestrinDevice> temp = s.device;
            temp->stop();
            QVERIFY(!s.device);
            QCOMPARE(s.errors, QStringList{QStringLiteral("request token timeout")});
            QCOMPARE(temp->getState(), int(KestrinDevice::Disconnected));
            temp.reset();
            QTRY_VERIFY_WITH_TIMEOUT(weak.expired(), 2000);
        }
    }
};

QTEST_GUILESS_MAIN(TestKestrinDevice)
#include "tst_KestrinDevice.moc"
