#include "device/MessageDispatcher.h"
#include "device/Workflow.h"
#include "support/TestUtils.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <stdexcept>

using namespace OV;

namespace {

MessageDispatchResult keep(const KestrinMessage&)
{
    return KeepListening;
}

} // namespace

class TestMessageDispatcher : public QObject
{
    Q_OBJECT
private slots:
    void deadlinesEndListenersInOrder()
    {
        MessageDispatcher d;
        QList<int> order;
        QElapsedTimer clock;
        clock.start();
        d.addListener(keep, 0, [&] { order.append(0); }); // no deadline
        d.addListener(keep, 100, [&] { order.append(100); });
        d.addListener(keep, 50, [&] {
            order.append(int(clock.elapsed() >= 49) * 50); // deadlines are whole milliseconds
            throw std::runtime_error("first");             // must not stop the others
        });
        QVERIFY(d.timer()->remainingTime() <= 50); // armed for the earliest deadline
        const int removed = d.addListener(keep, 80, [&] { order.append(80); });
        QVERIFY(d.removeListener(removed));
        Test::LogCapture log;
        QTRY_COMPARE_WITH_TIMEOUT(order, (QList<int>{50, 100}), 2000);
        QVERIFY(log.text().contains(QLatin1String("processTimeouts error:first")));
        QCOMPARE(d.listenerCount(), size_t(1));
    }

    // An answered request leaves the timer armed for its own deadline rather than restarting it;
    // the next listener still ends at its deadline, never before.
    void answeredListenerLeavesTheTimerToTheNext()
    {
        MessageDispatcher d;
        QElapsedTimer clock;
        clock.start();
        qint64 endedAt = -1;
        d.addListener([](const KestrinMessage& m) { return m.act == 1 ? Handled : KeepListening; }, 100, [] {});
        d.addListener(keep, 200, [&] { endedAt = clock.elapsed(); });
        d.dispatchMessage(KestrinMessage::makeReply("1", 1));
        QCOMPARE(d.listenerCount(), size_t(1));
        QVERIFY(d.timer()->isActive());
        QVERIFY(d.timer()->remainingTime() <= 100);
        QTRY_VERIFY_WITH_TIMEOUT(endedAt >= 0, 3000);
        QVERIFY2(endedAt >= 199, qPrintable(QString::number(endedAt))); // deadlines are whole milliseconds
        QVERIFY(!d.timer()->isActive());
    }

    void handlersThatFinishThrowOrEditTheRegistry()
    {
        MessageDispatcher d;
        QStringList calls;
        QList<int> timeouts;
        int victim = 0;
        int added = 0;
        int self = 0;
        const auto record = [&calls](const char* name) {
            return [&calls, name](const KestrinMessage&) {
                calls.append(QString::fromUtf8(name));
                return KeepListening;
            };
        };
        const int handled = d.addListener([](const KestrinMessage& m) { return m.act == 1 ? Handled : KeepListening; },
                                          1000, [&] { timeouts.append(1); });
        const int thrower =
            d.addListener([](const KestrinMessage&) -> MessageDispatchResult { throw std::runtime_error("boom"); },
                          1000, [&] { timeouts.append(2); });
        const int nonStd = d.addListener([](const KestrinMessage&) -> MessageDispatchResult { throw 42; }, 0, nullptr);
        d.addListener(
            [&](const KestrinMessage&) {
                calls.append(QStringLiteral("first"));
                d.removeListener(victim);
                added = d.addListener(record("added"), 0, nullptr);
                return KeepListening;
            },
            0, nullptr);
        victim = d.addListener(record("victim"), 0, nullptr);
        // Removes itself while it runs; its captures must stay valid until it returns.
        auto state = std::make_shared<QString>(QStringLiteral("self"));
        self = d.addListener(
            [&d, &self, &calls, state](const KestrinMessage&) {
                d.removeListener(self);
                calls.append(*state);
                return Handled;
            },
            0, nullptr);
        state.reset();

        Test::LogCapture log;
        d.dispatchMessage(KestrinMessage::makeReply("1", 2));
        QCOMPARE(calls, (QStringList{"first", "self"}));
        QVERIFY(d.hasListener(handled) && d.hasListener(added));
        QVERIFY(!d.hasListener(thrower) && !d.hasListener(nonStd) && !d.hasListener(victim) && !d.hasListener(self));
        QVERIFY(log.text().contains(QLatin1String("[MessageDispatcher] dispatchMessage error:boom")));
        d.dispatchMessage(KestrinMessage::makeReply("1", 1));
        QVERIFY(!d.hasListener(handled) && calls.contains("added"));
        // Neither removal ran a time-out function, and no timer is left for them.
        QVERIFY(timeouts.isEmpty());
        QVERIFY(!d.timer()->isActive());
    }

    void clearEndsOnlyTimedListeners()
    {
        MessageDispatcher d;
        QList<int> ended;
        int addedDuringClear = 0;
        d.addListener(keep, 0, [&] { ended.append(0); }); // the command listener
        d.addListener(keep, 5000, [&] { ended.append(1); });
        d.addListener(keep, 5000, [&] {
            ended.append(2);
            addedDuringClear = d.addListener(keep, 5000, [&] { ended.append(3); });
            throw std::runtime_error("late");
        });
        d.clear();
        QCOMPARE(ended, (QList<int>{1, 2}));
        // A listener registered by a time-out function stays, as does the one without a deadline.
        QVERIFY(d.hasListener(addedDuringClear));
        QCOMPARE(d.listenerCount(), size_t(2));
        d.clear();
        QCOMPARE(ended, (QList<int>{1, 2, 3}));
        QCOMPARE(d.listenerCount(), size_t(1));
    }

    void workflowRunsStepsAndEndsOnce()
    {
        QStringList events;
        auto wf = std::make_shared<Workflow>();
        wf->then([&](Workflow& w) {
              events.append("s1");
              w.next(); // runs the next step before returning
              events.append("s1 end");
          }).then([&](Workflow& w) {
            events.append("s2");
            QTimer::singleShot(5, [&w] { w.next(); });
        });
        wf->start([&](Workflow&, const std::exception* e) { events.append(e ? "error" : "done"); });
        std::weak_ptr<Workflow> weak = wf;
        wf.reset();
        QVERIFY(!weak.expired()); // it keeps itself alive while it runs
        QTRY_COMPARE_WITH_TIMEOUT(events, (QStringList{"s1", "s2", "s1 end", "done"}), 2000);
        QVERIFY(weak.expired());

        // Exceptions end it with their text ("unknown" for others); nothing runs after the end.
        const std::pair<Workflow::Step, QString> cases[] = {
            {[](Workflow&) { throw std::invalid_argument("bad step"); }, "bad step"},
            {[](Workflow&) { throw 7; }, "unknown"},
            {[](Workflow& w) {
                 w.finish(nullptr);
                 throw 7; // after the end: changes nothing
             },
             ""},
        };
        for (const auto& [step, expected] : cases) {
            QStringList done;
            auto w = std::make_shared<Workflow>();
            w->then(step);
            w->start([&](Workflow&, const std::exception* e) { done.append(QString::fromUtf8(e ? e->what() : "")); });
            w->next();
            w->finish(nullptr);
            QCOMPARE(done, QStringList{expected});
        }
    }
};

QTEST_GUILESS_MAIN(TestMessageDispatcher)
#include "tst_MessageDispatcher.moc"
