// ORVEL_TEST_LABELS: threads
#include "core/EventBus.h"
#include "core/Logger.h"
#include "core/MainThread.h"
#include "core/WaiterUtils.h"
#include "support/TestUtils.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <thread>

using namespace OV;

// The logger, the event bus and the hand-offs between worker threads and the GUI thread.
class TestRuntime : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        Logger::instance()->setMinLevel(LogDebug);
        Logger::instance()->setConsole(true);
    }

    void lineFormatLevelsAndCuts()
    {
        Test::LogCapture capture;
        Logger::instance()->setMinLevel(LogWarning);
        Logger::debug("T", "dropped");
        Logger::info("T", "dropped");
        Logger::warn("ThemeLoader", "value %d of %s", 7, "x");
        Logger::error("%1", "%s", "keep %1 and %2");
        Logger::instance()->setMinLevel(LogDebug);
        Logger::debug("T", "%s", std::string(5000, 'a').c_str());
        Logger::instance()->setConsole(false);
        Logger::error("T", "hidden");

        const QStringList lines = capture.text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4); // three lines, each ended by one line feed
        static const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} $"));
        QVERIFY2(stamp.match(lines[0].left(24)).hasMatch(), qPrintable(lines[0]));
        QCOMPARE(lines[0].mid(24), QStringLiteral("[W] [ThemeLoader] value 7 of x"));
        QCOMPARE(lines[1].mid(24), QStringLiteral("[E] [%1] keep %1 and %2"));
        QCOMPARE(lines[2].mid(24), QStringLiteral("[D] [T] ") + QString(4095, QLatin1Char('a')));
    }

    // Each message reads as printf writes it, whichever way the line was formatted.
    void messagesReadAsPrintfWritesThem()
    {
        const std::string cut(4093, 'c');
        const char* volatile none = nullptr;
#define OV_EXPECT_AS_PRINTF(...)                                                                                       \
    do {                                                                                                               \
        char expected[4096];                                                                                           \
        std::snprintf(expected, sizeof(expected), __VA_ARGS__);                                                        \
        Test::LogCapture capture;                                                                                      \
        Logger::info("F", __VA_ARGS__);                                                                                \
        const QString line = capture.text();                                                                           \
        QCOMPARE(line.mid(line.indexOf(QLatin1String("[F] ")) + 4), QString::fromUtf8(expected) + QLatin1Char('\n'));  \
    } while (false)
        OV_EXPECT_AS_PRINTF("recv(len:%d): %s", 17, "{\"act\":1,\"id\":\"2\"}");
        OV_EXPECT_AS_PRINTF("%s and %s;%s", "a", "", "caf\xC3\xA9");
        OV_EXPECT_AS_PRINTF("%d %i %u %d", INT_MIN, 0, UINT_MAX, -7);
        OV_EXPECT_AS_PRINTF("%ld %lu %lld %llu %li %lli", LONG_MIN, ULONG_MAX, LLONG_MIN, ULLONG_MAX, -1L, 9LL);
        OV_EXPECT_AS_PRINTF("count:%zu, %d%% done, %dx%d", SIZE_MAX, 50, 1920, 1080);
        OV_EXPECT_AS_PRINTF("%5d|%-3s|%.2f|%llx|%c|%03u", 7, "ab", 1.5, 255ULL, 'z', 4u);
        OV_EXPECT_AS_PRINTF("before %s after %d", static_cast<const char*>(none), 3);
        OV_EXPECT_AS_PRINTF("%d:%s", 123456, cut.c_str());
        OV_EXPECT_AS_PRINTF("%s%d", cut.c_str(), -123456);
        OV_EXPECT_AS_PRINTF("no conversion at all");
#undef OV_EXPECT_AS_PRINTF
        // A tag longer than the room kept in front of the message.
        const std::string tag(300, 't');
        Test::LogCapture capture;
        Logger::debug(tag.c_str(), "long %s", "tag");
        QCOMPARE(capture.text().mid(24), QStringLiteral("[D] [%1] long tag\n").arg(QString::fromStdString(tag)));
    }

    void linesFromThreadsNeverInterleave()
    {
        Test::LogCapture capture;
        auto worker = [](char c) {
            const std::string body(300, c);
            for (int i = 0; i < 200; ++i)
                Logger::info("Thread", "%s", body.c_str());
        };
        std::thread a(worker, 'a');
        std::thread b(worker, 'b');
        a.join();
        b.join();
        const QStringList lines = capture.text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 400);
        for (const QString& line : lines) {
            const QString body = line.mid(line.indexOf(QLatin1String("[Thread] ")) + 9);
            QVERIFY(body == QString(300, QLatin1Char('a')) || body == QString(300, QLatin1Char('b')));
        }
    }

    void publishAtOnceHereAndQueuedFromWorkers()
    {
        EventBus::registerMetaType();
        QObject context;
        QStringList seen;
        QList<QThread*> threads;
        connect(EventBus::instance(), &EventBus::messagePosted, &context,
                [&](const QSharedPointer<EventBusMessage>& m) {
                    seen << m->topic;
                    threads << QThread::currentThread();
                });
        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QStringLiteral("NOBODY_KNOWS_THIS")));
        QCOMPARE(seen.size(), 1);
        std::thread worker([] {
            EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QStringLiteral("FROM_WORKER")));
        });
        worker.join();
        QTRY_COMPARE(seen, QStringList({QStringLiteral("NOBODY_KNOWS_THIS"), QStringLiteral("FROM_WORKER")}));
        QCOMPARE(threads, QList<QThread*>({QThread::currentThread(), QThread::currentThread()}));
    }

    void runOnMainThreadRunsLaterInOrder()
    {
        std::vector<int> order;
        std::atomic<bool> workerReturned{false};
        std::thread worker([&] {
            for (int i = 0; i < 3; ++i) {
                runOnMainThread([&, i] {
                    QVERIFY(workerReturned.load());
                    QCOMPARE(QThread::currentThread(), QCoreApplication::instance()->thread());
                    order.push_back(i);
                });
            }
        });
        worker.join();
        workerReturned = true;
        QVERIFY(order.empty());
        QTRY_COMPARE(order, (std::vector<int>{0, 1, 2}));
    }

    void waiterKeepsOneNotify()
    {
        WaiterUtils waiter;
        QElapsedTimer timer;
        timer.start();
        waiter.notify(); // before the wait: kept, and used up by one wait
        QCOMPARE(waiter.waitFor(2000), false);
        QVERIFY(timer.elapsed() < 2000); // not its time-out
        QCOMPARE(waiter.waitFor(100), true);
        QVERIFY(timer.elapsed() >= 90);

        timer.restart();
        std::thread notifier([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            waiter.notify();
        });
        const bool timedOut = waiter.waitFor(5000);
        notifier.join();
        QVERIFY(!timedOut && timer.elapsed() >= 140 && timer.elapsed() < 5000); // woken, not timed out
    }
};

QTEST_GUILESS_MAIN(TestRuntime)
#include "tst_Runtime.moc"
