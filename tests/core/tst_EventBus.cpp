#include "core/EventBus.h"
#include "core/MainThread.h"
#include "core/WaiterUtils.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <atomic>
#include <thread>

using namespace OV;

class TestEventBus : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { EventBus::registerMetaType(); }

    void publishReachesSubscribersAtOnce()
    {
        QObject context;
        QStringList seen;
        connect(EventBus::instance(), &EventBus::messagePosted, &context,
                [&](const QSharedPointer<EventBusMessage>& m) { seen << m->topic; });
        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QStringLiteral("NOBODY_KNOWS_THIS")));
        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QString::fromLatin1(Topics::PreDeploy)));
        QCOMPARE(seen, QStringList({QStringLiteral("NOBODY_KNOWS_THIS"), QStringLiteral("ON_PRE_DEPLOY")}));
    }

    void publishFromWorkerArrivesQueuedOnGuiThread()
    {
        QObject context;
        QThread* deliveredOn = nullptr;
        connect(EventBus::instance(), &EventBus::messagePosted, &context,
                [&](const QSharedPointer<EventBusMessage>&) { deliveredOn = QThread::currentThread(); });
        std::thread worker([] {
            EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QStringLiteral("FROM_WORKER")));
        });
        worker.join();
        QTRY_VERIFY(deliveredOn != nullptr);
        QCOMPARE(deliveredOn, QThread::currentThread());
    }

    void runOnMainThreadRunsLaterInOrder()
    {
        std::vector<int> order;
        std::atomic<bool> workerReturned{false};
        QThread* ranOn = nullptr;
        std::thread worker([&] {
            for (int i = 0; i < 3; ++i) {
                runOnMainThread([&, i] {
                    QVERIFY(workerReturned.load());
                    ranOn = QThread::currentThread();
                    order.push_back(i);
                });
            }
        });
        worker.join();
        workerReturned = true;
        QVERIFY(order.empty());
        QTRY_COMPARE(order.size(), size_t(3));
        QCOMPARE(order, (std::vector<int>{0, 1, 2}));
        QCOMPARE(ranOn, QThread::currentThread());
    }

    void waiterNotifyBeforeWaitIsKeptOnce()
    {
        WaiterUtils waiter;
        waiter.notify();
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(waiter.waitFor(2000), false);
        QVERIFY(timer.elapsed() < 500);
        // The kept notify was used up: the next wait times out.
        timer.restart();
        QCOMPARE(waiter.waitFor(100), true);
        QVERIFY(timer.elapsed() >= 90);
    }

    void waiterWokenByOtherThread()
    {
        WaiterUtils waiter;
        QElapsedTimer timer;
        timer.start();
        std::thread notifier([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            waiter.notify();
        });
        const bool timedOut = waiter.waitFor(5000);
        notifier.join();
        QCOMPARE(timedOut, false);
        QVERIFY(timer.elapsed() >= 140 && timer.elapsed() < 2000);
    }

    void waiterNotifyAfterTimeoutReleasesNextWait()
    {
        WaiterUtils waiter;
        QCOMPARE(waiter.waitFor(20), true);
        waiter.notify();
        QCOMPARE(waiter.waitFor(2000), false);
    }
};

QTEST_GUILESS_MAIN(TestEventBus)
#include "tst_EventBus.moc"
