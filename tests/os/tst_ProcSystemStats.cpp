#include "os/platform/ProcSystemStats.h"

#include <QMap>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(ORVEL_TEST_DATA_DIR "/os/fixtures/") + QLatin1String(name);
}

} // namespace

class TestProcSystemStats : public QObject
{
    Q_OBJECT
private slots:
    void cpuTimesSumTheFirstLine()
    {
        ProcSystemStats stats(fixture("machine"));
        const auto times = stats.cpuTimes();
        QVERIFY(times);
        QCOMPARE(times->total, uint64_t(4705 + 356 + 584 + 3699 + 23 + 23));
        QCOMPARE(times->idle, uint64_t(3699 + 23));
    }

    void memoryUsage()
    {
        // 10 of 16 GB in use: 62.5 rounds to 63.
        QCOMPARE(ProcSystemStats(fixture("machine")).memoryUsage(), std::optional<int>(63));
        // Without MemAvailable, free memory and caches count as available.
        QCOMPARE(ProcSystemStats(fixture("oldkernel")).memoryUsage(), std::optional<int>(70));
    }

    void storageMountsSkipPseudoImagesNetworkAndRepeats()
    {
        ProcSystemStats stats(fixture("machine"));
        const QStringList expected{QStringLiteral("/"), QStringLiteral("/boot/efi"),
                                   QStringLiteral("/media/user/My Disk"), QStringLiteral("/tank/home")};
        QCOMPARE(stats.storageMounts(), expected);
    }

    void diskUsageOverAllStorage()
    {
        QMap<QString, ProcSystemStats::FsSize> sizes;
        sizes.insert(QStringLiteral("/"), {1000, 250});
        sizes.insert(QStringLiteral("/boot/efi"), {0, 0}); // reports no size: left out
        sizes.insert(QStringLiteral("/tank/home"), {1000, 740});
        QStringList asked;
        ProcSystemStats stats(fixture("machine"), [&](const QString& mount) -> std::optional<ProcSystemStats::FsSize> {
            asked << mount;
            if (!sizes.contains(mount))
                return std::nullopt; // does not answer
            return sizes.value(mount);
        });
        // 1010 of 2000 used: 50.5 rounds half up.
        QCOMPARE(stats.diskUsage(), std::optional<int>(51));
        QCOMPARE(asked.size(), 4);

        ProcSystemStats none(fixture("machine"), [](const QString&) { return std::nullopt; });
        QVERIFY(!none.diskUsage());
    }

    void defaultRouteWithTheLowestMetric()
    {
        ProcSystemStats stats(fixture("machine"));
        QCOMPARE(stats.defaultRouteInterface(), std::optional<QString>(QStringLiteral("enp3s0")));
        const auto traffic = stats.interfaceTraffic(QStringLiteral("enp3s0"));
        QVERIFY(traffic);
        QCOMPARE(traffic->received, uint64_t(987654321012ULL));
        QCOMPARE(traffic->sent, uint64_t(12345678));
        QVERIFY(!stats.interfaceTraffic(QStringLiteral("eth9")));
        QVERIFY(!stats.interfaceTraffic(QStringLiteral("../net/enp3s0")));
    }

    void missingFilesGiveNothing()
    {
        QTemporaryDir empty;
        ProcSystemStats stats(empty.path());
        QVERIFY(!stats.cpuTimes());
        QVERIFY(!stats.memoryUsage());
        QVERIFY(!stats.diskUsage());
        QVERIFY(!stats.defaultRouteInterface());
        QVERIFY(!stats.interfaceTraffic(QStringLiteral("lo")));
    }
};

QTEST_GUILESS_MAIN(TestProcSystemStats)
#include "tst_ProcSystemStats.moc"
