#include "os/SystemMonitors.h"
#include "os/platform/ProcSystemStats.h"
#include "support/FakeSystemStats.h"
#include "support/TestUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <system_error>

using namespace OV;
using namespace std::chrono_literals;

namespace {

SystemMonitors::Options fastOptions()
{
    SystemMonitors::Options options;
    options.cpuPeriod = 10ms;
    options.diskPeriod = 10ms;
    options.networkPeriod = 10ms;
    return options;
}

void writeStat(const QString& root, const char* cpuLine)
{
    QDir().mkpath(root + QLatin1String("/proc"));
    QFile file(root + QLatin1String("/proc/stat"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(cpuLine);
}

} // namespace

class TestSystemMonitors : public QObject
{
    Q_OBJECT
private slots:
    void figuresAreZeroUntilSampledAndNetworkArrivesAtOnce()
    {
        auto stats = std::make_shared<Test::FakeSystemStats>();
        SystemMonitors::Options slow;
        slow.cpuPeriod = slow.diskPeriod = slow.networkPeriod = 1h;
        SystemMonitors monitors(stats, slow);
        QCOMPARE(monitors.cpuUsage(), 0);
        QCOMPARE(monitors.diskUsage(), 0);
        QCOMPARE(monitors.totalReceivedBytes(), uint64_t(0));
        monitors.startNetworkMonitor();
        monitors.startDiskMonitor();
        QTRY_COMPARE(monitors.totalReceivedBytes(), uint64_t(100));
        QCOMPARE(monitors.totalSentBytes(), uint64_t(200));
        QTRY_COMPARE(monitors.diskUsage(), 55);

        // Stopping wakes threads that sleep for an hour.
        QElapsedTimer timer;
        timer.start();
        monitors.stop();
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(monitors.threadCount(), 0);
    }

    void eachMonitorStartsOnce()
    {
        auto stats = std::make_shared<Test::FakeSystemStats>();
        SystemMonitors monitors(stats, fastOptions());
        for (int i = 0; i < 3; ++i) {
            monitors.startCpuMonitor();
            monitors.startDiskMonitor();
            monitors.startNetworkMonitor();
        }
        QCOMPARE(monitors.threadCount(), 3);
        monitors.stop();
        // After the stop nothing starts again.
        monitors.startDiskMonitor();
        QCOMPARE(monitors.threadCount(), 0);
    }

    void cpuFromTheChangeBetweenSamples()
    {
        QTemporaryDir root;
        writeStat(root.path(), "cpu  100 0 100 800 0 0 0 0 0 0\n");
        SystemMonitors monitors(std::make_shared<ProcSystemStats>(root.path()), fastOptions());
        monitors.startCpuMonitor();
        // 300 more ticks, 100 of them idle: two thirds busy.
        writeStat(root.path(), "cpu  250 0 150 880 20 0 0 0 0 0\n");
        QTRY_COMPARE(monitors.cpuUsage(), 67);
        // No time passed: the figure stays.
        QTest::qWait(50);
        QCOMPARE(monitors.cpuUsage(), 67);
    }

    void failedSetUpLeavesZero()
    {
        auto stats = std::make_shared<Test::FakeSystemStats>();
        stats->cpu.reset();
        stats->route.reset();
        Test::LogCapture log;
        SystemMonitors monitors(stats, fastOptions());
        monitors.startCpuMonitor();
        monitors.startNetworkMonitor();
        QTRY_VERIFY(log.text().contains(QLatin1String("no default route")));
        QVERIFY(log.text().contains(QLatin1String("CPU times cannot be read")));
        QCOMPARE(monitors.cpuUsage(), 0);
        QCOMPARE(monitors.totalReceivedBytes(), uint64_t(0));
        QCOMPARE(monitors.totalSentBytes(), uint64_t(0));
    }

    void failedSampleKeepsTheLastFigure()
    {
        auto stats = std::make_shared<Test::FakeSystemStats>();
        SystemMonitors monitors(stats, fastOptions());
        monitors.startDiskMonitor();
        QTRY_COMPARE(monitors.diskUsage(), 55);
        {
            std::lock_guard<std::mutex> lock(stats->mutex);
            stats->disk.reset();
        }
        const int reads = stats->diskReads;
        QTRY_VERIFY(stats->diskReads > reads + 2);
        QCOMPARE(monitors.diskUsage(), 55);
    }

    void threadThatCannotStartIsLogged()
    {
        auto stats = std::make_shared<Test::FakeSystemStats>();
        SystemMonitors::Options options = fastOptions();
        options.startThread = [](std::function<void()>) -> std::thread {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        };
        Test::LogCapture log;
        SystemMonitors monitors(stats, options);
        monitors.startCpuMonitor();
        monitors.startDiskMonitor();
        monitors.startNetworkMonitor();
        QCOMPARE(monitors.threadCount(), 0);
        QCOMPARE(monitors.diskUsage(), 0);
        QCOMPARE(log.text().count(QLatin1String("cannot start the")), 3);
    }

    void machineMonitorsRun()
    {
        SystemMonitors* monitors = SystemMonitors::instance();
        QCOMPARE(SystemMonitors::instance(), monitors);
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
