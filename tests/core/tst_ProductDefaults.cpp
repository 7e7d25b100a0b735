#include "core/HttpUploader.h"
#include "core/ImageLoader.h"
#include "device/KestrinSearcher.h"
#include "device/KestrinTimings.h"
#include "project/ProjectDeploy.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;

// The waits, periods and limits the product runs with. Tests elsewhere pass shorter ones, so
// only this table notices when a default changes.
class TestProductDefaults : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home;

private slots:
    void initTestCase() { qputenv("XDG_CACHE_HOME", m_home.path().toUtf8()); }

    void defaults_data()
    {
        QTest::addColumn<qint64>("actual");
        QTest::addColumn<qint64>("expected");
        const KestrinTimings session;
        QTest::newRow("session tick") << qint64(session.tickMs) << qint64(1000);
        QTest::newRow("session connect time-out") << qint64(session.connectTimeoutMs) << qint64(5000);
        QTest::newRow("token check wait") << qint64(session.tokenCheckTimeoutMs) << qint64(3000);
        QTest::newRow("token request wait") << qint64(session.tokenRequestTimeoutMs) << qint64(15000);
        QTest::newRow("heartbeat interval") << qint64(session.heartbeatIntervalMs) << qint64(3000);
        QTest::newRow("heartbeat after silence") << qint64(session.heartbeatSilenceMs) << qint64(1500);
        QTest::newRow("ready window") << qint64(session.readyWindowMs) << qint64(15000);
        QTest::newRow("reconnect spacing") << qint64(session.reconnectSpacingMs) << qint64(30001);
        QTest::newRow("request time-outs kept") << qint64(!session.requestTimeout && !session.now) << qint64(1);

        const DeploySettings deploy;
        QTest::newRow("deploy hub configuration wait") << qint64(deploy.hostConfigWaitMs) << qint64(6000);
        QTest::newRow("deploy profiles wait") << qint64(deploy.profilesWaitMs) << qint64(6000);
        QTest::newRow("deploy integration wait") << qint64(deploy.integrationWaitMs) << qint64(5000);
        QTest::newRow("deploy upload wait") << qint64(deploy.uploadWaitMs) << qint64(18000);
        QTest::newRow("upload connect time-out") << qint64(deploy.uploadTimeouts.connectMs) << qint64(3000);
        QTest::newRow("upload stall time-out") << qint64(deploy.uploadTimeouts.stallMs) << qint64(10000);
        QTest::newRow("upload total time-out") << qint64(deploy.uploadTimeouts.totalMs) << qint64(15000);
        QTest::newRow("upload port") << qint64(deploy.uploadPort) << qint64(8080);
        QTest::newRow("deploy folder") << qint64(deploy.tempDir.isEmpty()) << qint64(1);
        QTest::newRow("deploy archive level") << qint64(ProjectDeploy::kZipLevel) << qint64(3);

        const ImageLoader loader;
        QTest::newRow("image download time-out") << qint64(loader.networkTimeoutMs()) << qint64(5000);
        QTest::newRow("image memory limit") << qint64(loader.memoryLimitKb()) << qint64(131072);
        QTest::newRow("image disk limit") << qint64(loader.diskLimitKb()) << qint64(262144);

        const KestrinSearchOptions search;
        QTest::newRow("discovery target port") << qint64(search.targetPort) << qint64(5319);
        QTest::newRow("discovery bind port") << qint64(search.bindPort) << qint64(5319);
        QTest::newRow("discovery period") << qint64(search.intervalMs) << qint64(2000);
        QTest::newRow("discovery broadcast target") << qint64(search.target.isNull()) << qint64(1);
    }

    void defaults()
    {
        QFETCH(qint64, actual);
        QFETCH(qint64, expected);
        QCOMPARE(actual, expected);
    }
};

QTEST_GUILESS_MAIN(TestProductDefaults)
#include "tst_ProductDefaults.moc"
