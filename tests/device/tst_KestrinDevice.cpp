#include "core/TokenScrambler.h"
#include "device/KestrinApi.h"
#include "device/KestrinDevice.h"
#include "support/StandinHub.h"
#include "support/TestUtils.h"

#include <QElapsedTimer>
#include <QSslSocket>
#include <QTest>

#include <functional>
#include <optional>
#include <stdexcept>

using namespace OV;
using Test::StandinHub;
using Json = nlohmann::json;

namespace {

// A session against a stand-in hub, with everything it reports recorded.
struct Session
{
    QList<int> states;
    int waitConfirms = 0;
    QStringList errors;
    QList<qint64> errorTimes; // on the stand-in's clock
    int successes = 0;
    QStringList savedTokens;
    PairingPromptCallbacks callbacks{[this] { ++waitConfirms; },
                                     [this](const QString& e) {
                                         errors.append(e);
                                         errorTimes.append(StandinHub::clockMs());
                                     },
                                     [this] { ++successes; }};
    StandinHub hub;
    std::shared_ptr<KestrinHost> host;
    std::shared_ptr<KestrinDevice> device;

    // A hub that accepts the token when valid is set. Tests of the session's own timing pass
    // the fast timings.
    explicit Session(const QString& plainToken, const QString& validToken = {},
                     const KestrinTimings& timings = StandinHub::steadyTimings())
    {
        hub.listen();
        hub.setValidToken(validToken);
        host = std::make_shared<KestrinHost>(
            KestrinHost{"tcp", "Desk", StandinHub::address(), hub.port(), "KS-0001", encodeToken(plainToken)});
        device = std::make_shared<KestrinDevice>(host, timings);
        QObject::connect(device.get(), &KestrinDevice::onStateChanged, [this](int s) { states.append(s); });
        device->setHostSaver([this](KestrinHost& h) {
            savedTokens.append(h.token);
            return BaseResult<void>();
        });
    }

    ~Session()
    {
        if (device) {
            QObject::disconnect(device.get(), nullptr, nullptr, nullptr);
            device->setHostSaver(nullptr);
            device->stop();
        }
    }

    bool startReady()
    {
        device->start(&callbacks);
        return QTest::qWaitFor([this] { return device->isReady(); }, 5000);
    }
};

// A clock that moves only when told, for the session's liveness and spacing rules.
struct ManualClock
{
    std::shared_ptr<std::chrono::steady_clock::time_point> at =
        std::make_shared<std::chrono::steady_clock::time_point>(std::chrono::steady_clock::now());

    void advance(int ms) { *at += std::chrono::milliseconds(ms); }
    KestrinTimings timings(KestrinTimings t = StandinHub::fastTimings()) const
    {
        t.now = [at = at] { return *at; };
        return t;
    }
};

} // namespace

class TestKestrinDevice : public QObject
{
    Q_OBJECT
private slots:
    void pairs_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("valid");
        QTest::addColumn<QString>("wire"); // the first line sent, up to its id
        QTest::addColumn<QString>("paired");
        const auto row = [](const char* name, const char* stored, const char* valid, const char* wire,
                            const char* paired) {
            QTest::newRow(name) << QString(stored) << QString(valid) << QString(wire) << QString(paired);
        };
        row("valid token", "good", "good", R"({"act":100,"data":"good","id":)", "good");
        row("no token", "", "",
            R"({"act":101,"data":{"id":"4b1f7d2e-9c3a-4e6b-8f0d-2a5c7e9b1d36","name":"Orvel WorkSpace"},"id":)",
            "fresh");
        row("rejected token", "stale", "current", R"({"act":100,"data":"stale","id":)", "fresh");
    }

    void pairs()
    {
        QFETCH(QString, stored);
        QFETCH(QString, valid);
        QFETCH(QString, wire);
        QFETCH(QString, paired);
        Session s(stored, valid);
        s.hub.setWaitReplies(2);
        s.hub.setConfirmDelayMs(100);
        s.hub.setIssuedToken(QStringLiteral("fresh"));
        QVERIFY(s.startReady());
        QVERIFY(s.successes == 1 && s.errors.isEmpty());
        QCOMPARE(s.states, (QList<int>{1, 0, 2}));
        QCOMPARE(s.device->findChild<QSslSocket*>()->sessionProtocol(), QSsl::TlsV1_3);
        QVERIFY2(s.hub.receivedLines().first().startsWith(wire.toUtf8()), s.hub.receivedLines().first().constData());
        // A token is asked for (once, in the same attempt) only when there is none or it was refused.
        const bool asked = paired != stored;
        QCOMPARE(s.hub.receivedCount(101), int(asked));
        QCOMPARE(s.waitConfirms, asked ? 2 : 0);
        QCOMPARE(s.hub.connectionCount(), 1);
        // A new token is stored scrambled and saved through the host store.
        QCOMPARE(s.host->token, encodeToken(paired));
        QCOMPARE(s.savedTokens, asked ? QStringList{s.host->token} : QStringList());
        QVERIFY(!asked || s.host->token != paired);
    }

    void failedAttemptsReportTheirReason()
    {
        StandinHub::SilentListener silent;
        QVERIFY(silent.isValid());
        struct Failure
        {
            const char* token;
            std::function<void(Session&)> script;
            const char* reason;
            int minMs;
            // kBeforeItsTimeout: ended by the hub's answer, before the token request's own
            // time-out, counted from the request's arrival (connecting under load may take long).
            int maxMs;
        };
        constexpr int kBeforeItsTimeout = -1;
        const QByteArray unreadable = "{\"id\":\"x\",\"act\":101,\"code\":200,\"data\":\"oops\"}\n";
        // clang-format off
        const Failure failures[] = {
            {"t", [](Session& s) { s.hub.replySilent(100); }, "authorization timeout", 400, 3000},
            {"", [](Session& s) { s.hub.replyOk(101, {{"state", 0}}); }, "request token timeout", 800, 3000},
            {"", [](Session& s) { s.hub.replyError(101, 403, QStringLiteral("denied")); }, "request token failed", 0, kBeforeItsTimeout},
            // Unreadable confirmations end the attempt at once instead of leaving the user waiting.
            {"", [&](Session& s) { s.hub.replyRaw(101, unreadable); }, "request token failed", 0, kBeforeItsTimeout},
            {"", [](Session& s) { s.hub.replyOk(101, {{"state", 1}}); }, "request token failed", 0, kBeforeItsTimeout},
            // Under the product's connect time-out (5000): the session's own (500) was used.
            {"", [](Session& s) { s.hub.close(); }, "failed to connect kestrin", 0, 3000},
            {"", [&](Session& s) { s.host->port = silent.port(); }, "failed to connect kestrin", 490, 3000},
        };
        // clang-format on
        for (const Failure& f : failures) {
            const QString token = QString::fromUtf8(f.token);
            Session s(token, {}, StandinHub::fastTimings());
            f.script(s);
            QElapsedTimer clock;
            clock.start();
            s.device->start(&s.callbacks);
            QTRY_COMPARE_WITH_TIMEOUT(s.errors.size(), 1, 5000);
            const qint64 elapsed = clock.elapsed();
            const qint64 sinceRequest = s.errorTimes.first() - s.hub.firstReceivedAt(KestrinDevice::kActRequestToken);
            QCOMPARE(s.errors.first(), QString::fromUtf8(f.reason));
            QVERIFY2(elapsed >= f.minMs && (f.maxMs == kBeforeItsTimeout || elapsed <= f.maxMs),
                     qPrintable(QString::number(elapsed)));
            QVERIFY2(f.maxMs != kBeforeItsTimeout || sinceRequest < StandinHub::fastTimings().tokenRequestTimeoutMs,
                     qPrintable(QString::number(sinceRequest)));
            QCOMPARE(s.device->getState(), int(KestrinDevice::Disconnected));
            QTRY_COMPARE_WITH_TIMEOUT(s.hub.clientCount(), 0, 3000); // the link was closed
            QVERIFY(s.successes == 0 && s.savedTokens.isEmpty());
            QCOMPARE(s.host->token, encodeToken(token));
        }
    }

    void failedTokenSaveIsReportedAndTheTokenKept()
    {
        Session s{QString()};
        s.hub.setIssuedToken(QStringLiteral("issued"));
        s.device->setHostSaver(
            [](KestrinHost&) { return BaseResult<void>(Errors::WriteFailed, QStringLiteral("disk full")); });
        s.device->start(&s.callbacks);
        QTRY_COMPARE_WITH_TIMEOUT(s.errors.size(), 1, 5000);
        QCOMPARE(s.errors.first(), QStringLiteral("save token failed: disk full"));
        QCOMPARE(decodeToken(s.host->token), QStringLiteral("issued"));
        // The next attempt checks the token it was given instead of asking again.
        QTRY_COMPARE_WITH_TIMEOUT(s.device->getState(), int(KestrinDevice::Connected), 5000);
        QCOMPARE(s.hub.receivedCount(101), 1);
        QVERIFY(s.hub.received(100).value(0)["data"] == "issued");
        QVERIFY(s.errors.size() == 1 && s.successes == 0); // the callbacks served the first attempt only
    }

    // Every bound below is read on the session's own clock where the session reads it (the
    // line received, the attempt made), so a busy machine moves no bound.
    void heartbeatsOnlyOnAQuietLinkAndSilenceEndsReadiness()
    {
        using Clock = std::chrono::steady_clock;
        const KestrinTimings fast = StandinHub::fastTimings();
        const auto ms = [](Clock::duration d) {
            return qint64(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
        };
        // The real clock, with the last reading the session took kept for the test.
        auto last = std::make_shared<Clock::time_point>(Clock::now());
        KestrinTimings timings = fast;
        timings.now = [last] { return *last = Clock::now(); };
        Session s(QStringLiteral("k"), QStringLiteral("k"), timings);
        // The session reads the clock for a line just before it offers the line to listeners.
        QList<Clock::time_point> receipts;
        s.device->addMessageListener(
            [&](const KestrinMessage&) {
                receipts.append(*last);
                return KeepListening;
            },
            0, nullptr);
        QVERIFY(s.startReady());

        // Quiet: heartbeats of only "act" and "id", never two within the heartbeat interval.
        QElapsedTimer quietClock;
        quietClock.start();
        const int before = s.hub.receivedCount(20);
        QTest::qWait(1000);
        QTRY_VERIFY_WITH_TIMEOUT(s.hub.receivedCount(20) - before >= 3, 5000);
        const int quiet = s.hub.receivedCount(20) - before;
        const qint64 quietMs = quietClock.elapsed();
        // One more for a heartbeat sent just before the count began.
        QVERIFY2(quiet <= quietMs / fast.heartbeatIntervalMs + 2,
                 qPrintable(QStringLiteral("%1 in %2 ms").arg(quiet).arg(quietMs)));
        QCOMPARE(s.hub.received(20).last().size(), size_t(2));

        // Busy: messages every 40 ms keep the link alive without heartbeats. A heartbeat may go
        // only where no line came for the silence time (a pause of the test itself under load),
        // plus the one that may have left before the pushes began.
        const int busyStart = s.hub.receivedCount(20);
        const qsizetype firstBusyReceipt = receipts.size() - 1;
        for (int i = 0; i < 15; ++i) {
            s.hub.push(30102, 200, {{"serialNumber", "M1"}});
            QTest::qWait(40);
        }
        const int busy = s.hub.receivedCount(20) - busyStart;
        QList<Clock::time_point> busyReceipts = receipts.mid(firstBusyReceipt);
        busyReceipts.append(timings.now());
        qint64 allowed = 0;
        for (qsizetype i = 1; i < busyReceipts.size(); ++i) {
            const qint64 pause = ms(busyReceipts[i] - busyReceipts[i - 1]);
            if (pause >= fast.heartbeatSilenceMs)
                allowed += 1 + (pause - fast.heartbeatSilenceMs) / fast.heartbeatIntervalMs;
        }
        QVERIFY2(busy <= qMax<qint64>(1, allowed), qPrintable(QStringLiteral("%1, allowed %2").arg(busy).arg(allowed)));

        // Silent: not ready once the window has passed since the last line, then a new link at
        // once (the last attempt is long past), and the one after that only when the spacing
        // allows; both judged at the attempts.
        std::optional<Clock::time_point> droppedAt;
        std::optional<Clock::time_point> lastLine; // the last line before the drop
        QList<Clock::time_point> attempts;
        QObject::connect(s.device.get(), &KestrinDevice::onStateChanged, [&](int state) {
            if (state == KestrinDevice::Disconnected && !droppedAt) {
                droppedAt = *last;
                if (!receipts.isEmpty())
                    lastLine = receipts.last();
            }
            if (state == KestrinDevice::Connecting)
                attempts.append(*last);
        });
        const int links = s.hub.connectionCount();
        s.hub.replySilent(20);
        QTRY_COMPARE_WITH_TIMEOUT(s.hub.connectionCount(), links + 2, 6000);
        QVERIFY(droppedAt && lastLine && attempts.size() >= 2);
        const qint64 silence = ms(*droppedAt - *lastLine);
        QVERIFY2(silence >= fast.readyWindowMs, qPrintable(QString::number(silence)));
        const qint64 gap = ms(attempts[1] - attempts[0]);
        QVERIFY2(gap >= fast.reconnectSpacingMs && gap < 2 * fast.reconnectSpacingMs, qPrintable(QString::number(gap)));
        QTRY_VERIFY_WITH_TIMEOUT(s.device->isReady(), 2000);
    }

    void startAndStopKeepTheirPromises()
    {
        Session s(QStringLiteral("k"), QStringLiteral("k"));
        s.callbacks.onSuccess = [&s] {
            ++s.successes;
            throw std::runtime_error("screen failed");
        };
        Test::LogCapture log;
        s.device->start(&s.callbacks);
        QStringList second;
        PairingPromptCallbacks again{nullptr, [&](const QString& reason) { second.append(reason); }, nullptr};
        s.device->start(&again);
        QCOMPARE(second, QStringList{QStringLiteral("kestrin is already start")});
        // The attempt under way still reports to the first caller, once, even though it throws.
        QTRY_VERIFY_WITH_TIMEOUT(s.device->isReady(), 5000);
        QVERIFY(log.text().contains(QLatin1String("onSuccess error:screen failed")));

        // stop() ends the timed listeners (a pending request with 6000) and keeps the command listener.
        int commands = 0;
        int timedEnds = 0;
        s.device->addMessageListener(
            [&](const KestrinMessage& m) {
                commands += m.act == 1000000 ? 1 : 0;
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
        QVERIFY(s.device->getState() == KestrinDevice::Disconnected && !s.device->isReady());

        QVERIFY(s.startReady());
        // A command split across two reads, ended by CR LF.
        s.hub.sendRaw("{\"id\":\"c1\",\"act\":1000000,");
        QTest::qWait(50);
        s.hub.sendRaw("\"data\":{\"type\":\"TEST\"}}\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(commands, 1, 2000);
        QVERIFY(timedEnds == 1 && results.size() == 1);
        QVERIFY(s.successes == 2 && second.size() == 1);
    }

    void badInputKeepsTheSessionAndOverlongLinesDropTheLink()
    {
        Session s(QStringLiteral("k"), QStringLiteral("k"));
        QVERIFY(s.startReady());
        s.hub.replyTwice(1002, Json::array({"w"}));
        Test::LogCapture log;
        QStringList results;
        KestrinApi::getWidgetList(s.device, "sys.widget.apps", [&](const BaseResult<Json>& r) {
            results.append(QString::number(r.code()) + QString::fromStdString(r.data ? r.data->dump() : ""));
        });
        s.hub.sendRaw("not json\n{\"id\":5,\"act\":1}\n{\"id\":\"5\",\"act\":\"x\"}\n[]\n");
        s.hub.push(424242, 200, {{"unknown", true}});
        s.hub.sendRaw("{\"id\":\"999999\",\"act\":1002,\"code\":200,\"data\":[]}\n");
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), 1, 3000);
        QTest::qWait(100);
        QCOMPARE(results, QStringList{QStringLiteral("0[\"w\"]")});
        QVERIFY(log.text().contains(QLatin1String("[DeviceKestrin] recv error:")));
        QVERIFY(s.device->isReady() && s.hub.connectionCount() == 1);

        // Nesting deep enough to exhaust the stack of anything that walks it recursively, as the
        // debug log's view of the line once did.
        const int depth = 3 * 1000 * 1000;
        s.hub.sendRaw("{\"id\":\"77\",\"act\":1002,\"data\":" + QByteArray(depth, '[') + QByteArray(depth, ']') +
                      "}\n");
        s.hub.push(424243, 200, {{"unknown", true}});
        QTRY_VERIFY_WITH_TIMEOUT(log.text().contains(QLatin1String("424243")), 10000);
        QVERIFY(s.device->isReady() && s.hub.connectionCount() == 1);

        // Dropped like any lost link: the state falls before a new link is tried, then the next
        // attempt comes. Judged when the state falls: on a busy machine a poll may come only
        // after the next attempt, whose connecting reads as a fall too.
        int linksAtFall = -1;
        const QMetaObject::Connection watch =
            QObject::connect(s.device.get(), &KestrinDevice::onStateChanged, [&](int state) {
                if (state == KestrinDevice::Disconnected && linksAtFall < 0)
                    linksAtFall = s.hub.connectionCount();
            });
        s.hub.sendRaw(QByteArray(8 * 1024 * 1024 + 1, 'z'));
        QTRY_VERIFY_WITH_TIMEOUT(linksAtFall >= 0, 10000);
        QObject::disconnect(watch);
        QCOMPARE(linksAtFall, 1);
        QVERIFY(log.text().contains(QLatin1String("received line longer than 8388608 bytes")));
        QTRY_VERIFY_WITH_TIMEOUT(s.device->isReady(), 10000);
        QCOMPARE(s.hub.connectionCount(), 2);
    }

    // Only a readable message is a sign of life; a line that cannot be read keeps nothing alive.
    void onlyReadableMessagesKeepTheSessionReady()
    {
        ManualClock clock;
        Session s(QStringLiteral("k"), QStringLiteral("k"), clock.timings());
        QVERIFY(s.startReady());
        s.hub.replySilent(20);
        Test::LogCapture log;
        const auto sendUnreadable = [&](int line) {
            s.hub.sendRaw("not json " + QByteArray::number(line) + '\n');
            return QTest::qWaitFor([&] { return log.text().count(QLatin1String("recv error:")) == line; }, 3000);
        };
        const int window = StandinHub::fastTimings().readyWindowMs;
        clock.advance(window / 2);
        QVERIFY(sendUnreadable(1) && s.device->isReady());
        clock.advance(window / 2 + 1);
        QVERIFY(sendUnreadable(2));
        QVERIFY(!s.device->isReady());
        s.hub.push(30102, 200, {{"serialNumber", "M1"}});
        QTRY_VERIFY_WITH_TIMEOUT(s.device->isReady(), 3000);
        QCOMPARE(s.hub.connectionCount(), 1);
    }

    // A new link is tried once the last attempt is the product's spacing (30001 ms) old, not
    // before; stop() forgets the last attempt, so a start right after connects at once.
    void reconnectKeepsTheSpacingAndStopForgetsIt()
    {
        ManualClock clock;
        KestrinTimings t = StandinHub::fastTimings();
        t.reconnectSpacingMs = KestrinTimings().reconnectSpacingMs;
        Session s(QStringLiteral("k"), QStringLiteral("k"), clock.timings(t));
        QVERIFY(s.startReady());
        s.hub.dropConnections();
        QTRY_COMPARE_WITH_TIMEOUT(s.device->getState(), int(KestrinDevice::Disconnected), 3000);
        clock.advance(30000);
        QTest::qWait(200);
        QCOMPARE(s.hub.connectionCount(), 1);
        clock.advance(1);
        QTRY_VERIFY_WITH_TIMEOUT(s.device->isReady(), 3000);
        QCOMPARE(s.hub.connectionCount(), 2);

        // The clock stands still from here: only stop() can make the next attempt come at once.
        s.device->stop();
        QVERIFY(s.startReady());
        QCOMPARE(s.hub.connectionCount(), 3);
    }

    void callbacksMayDropTheLastReference()
    {
        std::weak_ptr<KestrinDevice> weak;
        {
            Session s(QStringLiteral("k"), QStringLiteral("k"));
            weak = s.device;
            s.callbacks.onSuccess = [&s] { s.device.reset(); };
            s.device->start(&s.callbacks);
            QTRY_VERIFY_WITH_TIMEOUT(!s.device && weak.expired(), 5000);
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
            s.device->start(&s.callbacks);
            QTRY_COMPARE_WITH_TIMEOUT(s.hub.receivedCount(101), 1, 3000);
            std::shared_ptr<KestrinDevice> temp = s.device;
            temp->stop();
            QVERIFY(!s.device);
            QCOMPARE(s.errors, QStringList{QStringLiteral("request token timeout")});
            temp.reset();
            QTRY_VERIFY_WITH_TIMEOUT(weak.expired(), 2000);
        }
    }
};

QTEST_GUILESS_MAIN(TestKestrinDevice)
#include "tst_KestrinDevice.moc"
