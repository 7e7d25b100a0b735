// ORVEL_TEST_LABELS: threads
#include "os/SystemMonitors.h"
#include "support/FakeSystemStats.h"
#include "support/TestUtils.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>
#include <system_error>

using namespace OV;
using namespace std::chrono_literals;

namespace {

SystemMonitors::Options every(std::chrono::milliseconds period)
{
    SystemMonitors::Options options;
    options.cpuPeriod = options.diskPeriod = options.networkPeriod = period;
    return options;
}

} // namespace

class TestSystemMonitors : public QObject
{
    Q_OBJECT
private slots:
    void startedOnceAndStoppedAtOnce()
    {
        auto stats = std::make_shared<Test::FakeSystemStats>();
        SystemMonitors monitors(stats, every(1h));
        for (int i = 0; i < 3; ++i) {
            monitors.startCpuMonitor();
            monitors.startDiskMonitor();
            monitors.startNetworkMonitor();
        }
        QCOMPARE(monitors.threadCount(), 3);
        // Disk and network figures arrive at once; the CPU needs time to pass between samples.
        // The two network figures are stored one after the other, so each is waited for.
        QTRY_COMPARE(monitors.totalReceivedBytes(), uint64_t(100));
        QTRY_COMPARE(monitors.totalSentBytes(), uint64_t(200));
        QTRY_COMPARE(monitors.diskUsage(), 55);
        QCOMPARE(monitors.cpuUsage(), 0);

        // Stopping wakes threads that sleep for an hour; nothing starts again afterwards.
        QElapsedTimer timer;
        timer.start();
        monitors.stop();
        QVERIFY(timer.elapsed() < 5000);
        monitors.startDiskMonitor();
        QCOMPARE(monitors.threadCount(), 0);
    }

    void cpuFromTheChangeBetweenSamples()
    {
        auto stats = std::make_shared<Test::FakeSystemStats>();
        SystemMonitors monitors(stats, every(10ms));
        monitors.startCpuMonitor();
        {
            std::lock_guard<std::mutex> lock(stats->mutex);
            stats->cpu = SystemStats::CpuTimes{1300, 900}; // 300 more ticks, 100 of them idle
        }
        QTRY_COMPARE(monitors.cpuUsage(), 67);
        QTest::qWait(50); // no time passes from here on: the figure stays
        QCOMPARE(monitors.cpuUsage(), 67);
    }

    void missingFiguresLeaveTheLastOne()
    {
        auto stats = std::make_shared<Test::FakeSystemStats>();
        stats->cpu.reset();
        stats->route.reset();
        Test::LogCapture log;
        SystemMonitors monitors(stats, every(10ms));
        monitors.startCpuMonitor();
        monitors.startNetworkMonitor();
        monitors.startDiskMonitor();
        QTRY_VERIFY(log.text().contains("no default route"));
        QVERIFY(log.text().contains("CPU times cannot be read"));
        QTRY_COMPARE(monitors.diskUsage(), 55);
        {
            std::lock_guard<std::mutex> lock(stats->mutex);
            stats->disk.reset();
        }
        const int reads = stats->diskReads;
        QTRY_VERIFY(stats->diskReads > reads + 2);
        QCOMPARE(monitors.diskUsage(), 55);
        QCOMPARE(monitors.cpuUsage(), 0);
        QCOMPARE(monitors.totalReceivedBytes(), uint64_t(0));
    }

    void threadThatCannotStartIsLogged()
    {
        SystemMonitors::Options options = every(10ms);
        options.startThread = [](std::function<void()>) -> std::thread {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        };
        Test::LogCapture log;
        SystemMonitors monitors(std::make_shared<Test::FakeSystemStats>(), options);
        monitors.startCpuMonitor();
        monitors.startDiskMonitor();
        monitors.startNetworkMonitor();
        QCOMPARE(monitors.threadCount(), 0);
        QCOMPARE(log.text().count("cannot start the"), 3);
    }

    void machineMonitorsRun()
    {
        SystemMonitors* monitors = SystemMonitors::instance();
        monitors->startCpuMonitor();
        monitors->startDiskMonitor();
        QVERIFY(monitors->threadCount() >= 2);
    }
};

// The machine's monitors end with the application object (checked after the tests ran).
int main(int argc, char** argv)
{
    auto* app = new QCoreApplication(argc, argv);
    TestSystemMonitors tests;
    const int result = QTest::qExec(&tests, argc, argv);
    const bool started = SystemMonitors::instance()->threadCount() > 0;
    delete app;
    if (!started || SystemMonitors::instance()->threadCount() != 0) {
        std::fprintf(stderr, "FAIL: the machine's monitors were not joined with the application object\n");
        return 1;
    }
    return result;
}

#include "tst_SystemMonitors.moc"
