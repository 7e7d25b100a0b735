#include "os/OSControllerWin.h"
#include "os/platform/ProcProcessTable.h"
#include "os/platform/ProcSystemStats.h"
#include "os/platform/SysfsBacklight.h"
#include "support/FakeOsPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace OV;

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(ORVEL_TEST_DATA_DIR "/os/fixtures/") + QLatin1String(name);
}

void writeText(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

class TestSysfsAndProcServices : public QObject
{
    Q_OBJECT
private slots:
    void machineFigures()
    {
        ProcSystemStats stats(fixture("machine"));
        // The summary "cpu" line; idle time includes I/O waits.
        const auto times = stats.cpuTimes();
        QVERIFY(times);
        QCOMPARE(times->total, uint64_t(4705 + 356 + 584 + 3699 + 23 + 23));
        QCOMPARE(times->idle, uint64_t(3699 + 23));
        // 10 of 16 GB in use: 62.5 rounds to 63; without MemAvailable free memory and caches count.
        QCOMPARE(stats.memoryUsage(), std::optional<int>(63));
        QCOMPARE(ProcSystemStats(fixture("oldkernel")).memoryUsage(), std::optional<int>(70));
        // The up default route with the lowest metric, and its counters.
        QCOMPARE(stats.defaultRouteInterface(), std::optional<QString>("enp3s0"));
        const auto traffic = stats.interfaceTraffic("enp3s0");
        QVERIFY(traffic);
        QCOMPARE(traffic->received, uint64_t(987654321012ULL));
        QCOMPARE(traffic->sent, uint64_t(12345678));
        QVERIFY(!stats.interfaceTraffic("../net/enp3s0"));
    }

    void diskUsageOverStorageMountsOnly()
    {
        // Pseudo, image and network file systems and a device mounted twice are left out.
        const QStringList expected{"/", "/boot/efi", "/media/user/My Disk", "/tank/home"};
        QCOMPARE(ProcSystemStats(fixture("machine")).storageMounts(), expected);

        QMap<QString, ProcSystemStats::FsSize> sizes{
            {"/", {1000, 250}}, {"/boot/efi", {0, 0}}, {"/tank/home", {1000, 740}}};
        QStringList asked;
        ProcSystemStats stats(fixture("machine"), [&](const QString& mount) -> std::optional<ProcSystemStats::FsSize> {
            asked << mount;
            if (!sizes.contains(mount))
                return std::nullopt; // does not answer
            return sizes.value(mount);
        });
        // 1010 of 2000 used, the empty and silent ones left out: 50.5 rounds half up.
        QCOMPARE(stats.diskUsage(), std::optional<int>(51));
        QCOMPARE(asked, expected);
        sizes.clear();
        QVERIFY(!stats.diskUsage());
    }

    void missingFilesGiveNothing()
    {
        QTemporaryDir empty;
        ProcSystemStats stats(empty.path());
        QVERIFY(!stats.cpuTimes());
        QVERIFY(!stats.memoryUsage());
        QVERIFY(!stats.diskUsage());
        QVERIFY(!stats.defaultRouteInterface());
        QVERIFY(!stats.interfaceTraffic("lo"));
        SysfsBacklight backlight(empty.path());
        QVERIFY(!backlight.brightness());
        QVERIFY(!backlight.setBrightness(40));
    }

    void backlightInPercent()
    {
        QTemporaryDir sys;
        const QString device = sys.filePath("class/backlight/intel_backlight/");
        // The first device in name order with a usable maximum.
        writeText(sys.filePath("class/backlight/acpi_video0/max_brightness"), "0\n");
        writeText(device + "max_brightness", "19393\n");
        writeText(device + "brightness", "7176\n");
        Test::FakeOsPlatform fakes;
        OSPlatform platform = fakes.platform();
        platform.backlight = std::make_shared<SysfsBacklight>(sys.path());
        OSControllerWin controller(platform, nullptr);

        QCOMPARE(controller.getBrightness(), 37);
        QVERIFY(controller.setBrightness(50));
        QFile written(device + "brightness");
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("9697"));
        QVERIFY(!controller.setBrightness(101));
        QVERIFY(!controller.setBrightness(-1));
        QCOMPARE(controller.getBrightness(), 50);
    }

    void processesByExecutable()
    {
        QTemporaryDir proc;
        const std::pair<const char*, const char*> links[] = {{"120", "/usr/bin/editor"},
                                                             {"7", "/usr/bin/editor (deleted)"},
                                                             {"33", "/usr/bin/editor2"},
                                                             {"self", "/usr/bin/editor"}};
        for (const auto& [entry, target] : links) {
            QVERIFY(QDir(proc.path()).mkpath(entry));
            QVERIFY(QFile::link(target, proc.filePath(entry + QLatin1String("/exe"))));
        }
        ProcProcessTable table(proc.path());
        auto pids = table.processesOf("/usr/bin/editor");
        std::sort(pids.begin(), pids.end());
        QCOMPARE(pids, (std::vector<int64_t>{7, 120}));
        QCOMPARE(table.executableOf(33), QStringLiteral("/usr/bin/editor2"));
        QVERIFY(table.executableOf(99).isEmpty());
        QVERIFY(table.processesOf({}).empty());

        // And on this machine: this process.
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        QCOMPARE(ProcProcessTable().executableOf(getpid()), self);
    }
};

QTEST_GUILESS_MAIN(TestSysfsAndProcServices)
#include "tst_SysfsAndProcServices.moc"
