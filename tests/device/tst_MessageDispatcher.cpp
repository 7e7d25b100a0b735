#include "device/MessageDispatcher.h"
#include "device/Workflow.h"
#include "support/TestUtils.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <stdexcept>

using namespace OV;

namespace {

KestrinMessage message(int act, const std::string& id = "1")
{
    return KestrinMessage::makeReply(id, act);
}

} // namespace

class TestMessageDispatcher : public QObject
{
    Q_OBJECT
private slots:
    void timerFollowsEarliestDeadline()
    {
        MessageDispatcher d;
        QList<int> order;
        // Time-outs of 0 or less mean no deadline: no timer, never timed out.
        d.addListener([](const KestrinMessage&) { return KeepListening; }, 0, [&] { order.append(-1); });
        d.addListener([](const KestrinMessage&) { return KeepListening; }, -1, [&] { order.append(-1); });
        QVERIFY(!d.timer()->isActive());
        QCOMPARE(d.queueSize(), size_t(0));
        QElapsedTimer clock;
        clock.start();
        qint64 firstAt = 0;
        d.addListener([](const KestrinMessage&) { return KeepListening; }, 100, [&] { order.append(100); });
        d.addListener([](const KestrinMessage&) { return KeepListening; }, 50,
                      [&] {
                          order.append(50);
                          firstAt = clock.elapsed();
                      });
        QVERIFY(d.timer()->isActive());
        QVERIFY(d.timer()->remainingTime() <= 50);
        QTRY_COMPARE_WITH_TIMEOUT(order.size(), 1, 2000);
        QCOMPARE(order.first(), 50);
        QVERIFY(firstAt >= 50);
        // Re-armed for the other one.
        QVERIFY(d.timer()->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(order.size(), 2, 2000);
        QVERIFY(!d.timer()->isActive());
        QCOMPARE(d.listenerCount(), size_t(2));

        // Removing the only timed listener stops the timer at the next re-arm.
        const int id =
            d.addListener([](const KestrinMessage&) { return KeepListening; }, 1000, [&] { order.append(0); });
        QVERIFY(d.timer()->isActive());
        QVERIFY(d.removeListener(id));
        QVERIFY(!d.removeListener(id));
        QCOMPARE(d.queueSize(), size_t(1)); // stale until it reaches the front
        d.rearmTimer();
        QVERIFY(!d.timer()->isActive());
        QCOMPARE(d.queueSize(), size_t(0));
    }

    void handledAndThrowingListenersAreRemoved()
    {
        MessageDispatcher d;
        int seenByOthers = 0;
        QList<int> timeouts;
        const int handled = d.addListener([](const KestrinMessage& m) { return m.act == 1 ? Handled : KeepListening; },
                                          1000, [&] { timeouts.append(1); });
        const int thrower =
            d.addListener([](const KestrinMessage&) -> MessageDispatchResult { throw std::runtime_error("boom"); },
                          1000, [&] { timeouts.append(2); });
        const int empty = d.addListener(MessageDispatcher::Handler(), 0, nullptr);
        const int nonStd = d.addListener([](const KestrinMessage&) -> MessageDispatchResult { throw 42; }, 0, nullptr);
        const int other = d.addListener(
            [&](const KestrinMessage&) {
                ++seenByOthers;
                return KeepListening;
            },
            0, nullptr);

        Test::LogCapture log;
        d.dispatchMessage(message(2));
        QVERIFY(d.hasListener(handled));
        QVERIFY(!d.hasListener(thrower) && !d.hasListener(empty) && !d.hasListener(nonStd));
        QVERIFY(log.text().contains(QLatin1String("[MessageDispatcher] dispatchMessage error:boom")));
        QCOMPARE(seenByOthers, 1);

        d.dispatchMessage(message(1));
        QVERIFY(!d.hasListener(handled));
        QVERIFY(d.hasListener(other));
        QCOMPARE(seenByOthers, 2);
        // Neither removal ran a time-out function, and no timer is left for them.
        QVERIFY(timeouts.isEmpty());
        QVERIFY(!d.timer()->isActive());
    }

    void handlersMayChangeTheRegistryDuringAPass()
    {
        MessageDispatcher d;
        QList<QString> calls;
        int victim = 0;
        int added = 0;
        d.addListener(
            [&](const KestrinMessage&) {
                calls.append(QStringLiteral("first"));
                d.removeListener(victim);
                added = d.addListener(
                    [&](const KestrinMessage&) {
                        calls.append(QStringLiteral("added"));
                        return KeepListening;
                    },
                    0, nullptr);
                return KeepListening;
            },
            0, nullptr);
        victim = d.addListener(
            [&](const KestrinMessage&) {
                calls.append(QStringLiteral("victim"));
                return KeepListening;
            },
            0, nullptr);
        // Removes itself while it runs; its captures must stay valid until it returns.
        int selfId = 0;
        auto state = std::make_shared<QString>(QStringLiteral("self"));
        selfId = d.addListener(
            [&d, &selfId, &calls, state](const KestrinMessage&) {
                d.removeListener(selfId);
                calls.append(*state);
                return Handled;
            },
            0, nullptr);
        state.reset();

        d.dispatchMessage(message(5));
        QCOMPARE(calls, (QList<QString>{QStringLiteral("first"), QStringLiteral("self")}));
        QVERIFY(d.hasListener(added) && !d.hasListener(selfId) && !d.hasListener(victim));
        calls.clear();
        d.dispatchMessage(message(5));
        QVERIFY(calls.contains(QStringLiteral("added")));
    }

    void clearEndsOnlyTimedListeners()
    {
        MessageDispatcher d;
        int untimedTimeouts = 0;
        d.addListener([](const KestrinMessage&) { return KeepListening; }, 0, [&] { ++untimedTimeouts; });
        d.clear();
        QCOMPARE(d.listenerCount(), size_t(1));
        QCOMPARE(untimedTimeouts, 0);

        QList<int> timedOut;
        int addedDuringClear = 0;
        d.addListener([](const KestrinMessage&) { return KeepListening; }, 5000, [&] { timedOut.append(1); });
        d.addListener([](const KestrinMessage&) { return KeepListening; }, 5000,
                      [&] {
                          timedOut.append(2);
                          addedDuringClear = d.addListener([](const KestrinMessage&) { return KeepListening; }, 5000,
                                                           [&] { timedOut.append(3); });
                          throw std::runtime_error("late");
                      });
        d.addListener([](const KestrinMessage&) { return KeepListening; }, 5000, nullptr);
        Test::LogCapture log;
        d.clear();
        QCOMPARE(timedOut, (QList<int>{1, 2}));
        QVERIFY(log.text().contains(QLatin1String("error:late")));
        // The command listener without a deadline stays; so does one registered by a time-out function.
        QCOMPARE(untimedTimeouts, 0);
        QCOMPARE(d.listenerCount(), size_t(2));
        QVERIFY(d.hasListener(addedDuringClear));
        QVERIFY(d.timer()->isActive());
        d.clear();
        QCOMPARE(timedOut, (QList<int>{1, 2, 3}));
        QCOMPARE(d.listenerCount(), size_t(1));
    }

    void timeoutFunctionsThatThrowDoNotStopOthers()
    {
        MessageDispatcher d;
        QList<int> ran;
        d.addListener([](const KestrinMessage&) { return KeepListening; }, 10,
                      [&] {
                          ran.append(1);
                          throw std::runtime_error("first");
                      });
        d.addListener([](const KestrinMessage&) { return KeepListening; }, 10, [&] { ran.append(2); });
        Test::LogCapture log;
        QTRY_COMPARE_WITH_TIMEOUT(ran.size(), 2, 2000);
        QVERIFY(log.text().contains(QLatin1String("processTimeouts error:first")));
        QCOMPARE(d.listenerCount(), size_t(0));
    }

    void workflowRunsStepsInOrder()
    {
        QList<QString> events;
        auto wf = std::make_shared<Workflow>();
        wf->then([&](Workflow& w) {
              events.append(QStringLiteral("s1"));
              w.data()["x"] = 5;
              w.next(); // synchronously runs the next step before returning
              events.append(QStringLiteral("s1 end"));
          }).then([&](Workflow& w) {
            events.append(QStringLiteral("s2"));
            QTimer::singleShot(5, [&w] { w.next(); });
        });
        wf->start([&](Workflow& w, const std::exception* e) {
            events.append(e ? QStringLiteral("error")
                            : QStringLiteral("done %1").arg(std::any_cast<int>(w.data()["x"])));
        });
        QCOMPARE(events, (QList<QString>{QStringLiteral("s1"), QStringLiteral("s2"), QStringLiteral("s1 end")}));
        std::weak_ptr<Workflow> weak = wf;
        wf.reset();
        QVERIFY(!weak.expired()); // it keeps itself alive while it runs
        QTRY_COMPARE_WITH_TIMEOUT(events.size(), 4, 2000);
        QCOMPARE(events.last(), QStringLiteral("done 5"));
        QVERIFY(weak.expired());
    }

    void workflowEndsOnceAndReportsExceptions()
    {
        int done = 0;
        QString error;
        auto empty = std::make_shared<Workflow>();
        empty->start([&](Workflow&, const std::exception* e) {
            ++done;
            QVERIFY(!e);
        });
        QCOMPARE(done, 1);
        QVERIFY(!empty->isRunning());
        empty->next();
        empty->finish(nullptr);
        QCOMPARE(done, 1);

        auto throwing = std::make_shared<Workflow>();
        throwing->then([](Workflow&) { throw std::invalid_argument("bad step"); });
        throwing->start([&](Workflow&, const std::exception* e) { error = QString::fromUtf8(e ? e->what() : ""); });
        QCOMPARE(error, QStringLiteral("bad step"));

        auto nonStd = std::make_shared<Workflow>();
        nonStd->then([](Workflow& w) {
            w.finish(nullptr);
            throw 7; // after finishing: changes nothing
        });
        int nonStdDone = 0;
        nonStd->start([&](Workflow&, const std::exception*) { ++nonStdDone; });
        QCOMPARE(nonStdDone, 1);

        auto unknown = std::make_shared<Workflow>();
        unknown->then([](Workflow&) { throw 7; });
        unknown->start([&](Workflow&, const std::exception* e) { error = QString::fromUtf8(e ? e->what() : ""); });
        QCOMPARE(error, QStringLiteral("unknown"));

        Workflow notShared;
        QVERIFY_THROWS_EXCEPTION(std::bad_weak_ptr, notShared.start(nullptr));
    }
};

QTEST_GUILESS_MAIN(TestMessageDispatcher)
#include "tst_MessageDispatcher.moc"
