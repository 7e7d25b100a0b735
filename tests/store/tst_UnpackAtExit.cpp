// ORVEL_TEST_LABELS: threads
#include "core/Application.h"
#include "core/TerminationSignals.h"
#include "core/WaiterUtils.h"
#include "core/WorkerThreads.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectDbPluginBean.h"
#include "project/ProjectPluginUseCase.h"
#include "store/MainUtils.h"
#include "support/HostileZip.h"
#include "support/ProjectTestUtils.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <memory>
#include <unistd.h>

using namespace OV;

namespace {

// Inside every bound, with as many folders as they allow: 300 chains of 32 folders, a small
// member in each. Seconds to write, and a stop is never more than one small member away.
QByteArray slowPackage()
{
    QList<Test::HostileZipMember> members{{"config.json", "{}"}};
    for (int chain = 0; chain < 300; ++chain) {
        QByteArray name = "c" + QByteArray::number(chain);
        for (int level = 0; level < 32; ++level) {
            members.append({name + "/f.txt", QByteArray(4096, 'x')});
            name += "/" + QByteArray::number(level);
        }
    }
    return Test::hostileZip(members);
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Waits until an unpack of the uuid has started writing its staging folder, and there the
// path below it; returns the staging folder, empty on time-out.
QString waitForStaging(const QString& root, const QString& uuid, const QString& below = {})
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30000) {
        for (const QString& name : entriesOf(root)) {
            const QString staging = root + QLatin1Char('/') + name;
            if (name.startsWith(QLatin1Char('.') + uuid + QLatin1String(".unpacking-")) &&
                (below.isEmpty() || QFileInfo::exists(staging + QLatin1Char('/') + below)))
                return staging;
        }
        QThread::msleep(5);
    }
    return {};
}

int foldersBelow(const QString& folder)
{
    int count = 0;
    for (QDirIterator it(folder, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext(); it.next())
        ++count;
    return count;
}

// A plug-in record of the uuid with its package stored, as an install leaves it.
bool storePlugin(ProjectPluginUseCase& plugins, ProjectDatabase& db, ProjectDbPluginBean& bean, const QString& uuid,
                 const QByteArray& pack)
{
    bean.k1 = uuid;
    bean.k2 = QStringLiteral("0");
    bean.versionCode = 1;
    return plugins.insertOrUpdate(bean).isOk() && db.saveFile(bean.id, QStringLiteral("pack"), pack).isOk();
}

} // namespace

class TestUnpackAtExit : public QObject
{
    Q_OBJECT
private slots:
    // The program quits while a slow package unpacks, thousands of folders written: the unpack
    // stops between members, the application object is gone within 2 s, the copy unpacked
    // before stays as it was, and the staging folder is left as it is (removing it may take
    // minutes) for the start-up to remove.
    void quitDuringUnpackStopsItWithinTwoSeconds()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = dir.filePath(QStringLiteral("plugin"));
        QVERIFY(QDir().mkpath(root));
        MainUtils::setPluginRoot(root);
        const QByteArray installed = Test::hostileZip({{"config.json", R"({"v":1})"}});
        QVERIFY(MainUtils::unpackPlugin(QStringLiteral("large"), installed).isOk());
        const QByteArray pack = slowPackage();

        int argc = 1;
        char name[] = "tst_UnpackAtExit";
        char* argv[] = {name, nullptr};
        auto app = std::make_unique<Application>(argc, argv);
        int delivered = 0;
        QElapsedTimer clock;
        QString staging;
        {
            auto db = std::make_shared<ProjectDatabase>();
            QVERIFY(db->open(dir.filePath(QStringLiteral("p.ovpf")), true, QStringLiteral("sql_cn_exit")).isOk());
            ProjectPluginUseCase plugins(db, root);
            ProjectDbPluginBean bean;
            QVERIFY(storePlugin(plugins, *db, bean, QStringLiteral("large"), pack));
            QObject guard;
            MainUtils::asyncUnpackPlugin(plugins, bean, &guard, [&](const BaseResult<void>&) { ++delivered; });
            QCOMPARE(WorkerThreads::running(), 1);
            staging = waitForStaging(root, bean.k1, QStringLiteral("c100"));
            QVERIFY(!staging.isEmpty());
            QTimer::singleShot(0, app.get(), [&clock]() {
                clock.start();
                QCoreApplication::quit();
            });
            QCOMPARE(app->exec(), 0);
            db->close();
        }
        app.reset();
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));

        QCOMPARE(WorkerThreads::running(), 0);
        QCOMPARE(delivered, 0);
        QVERIFY(MainUtils::isPluginUnpacked(QStringLiteral("large"), installed));
        QCOMPARE(entriesOf(root), QStringList({QFileInfo(staging).fileName(), QStringLiteral("large")}));
        QVERIFY(foldersBelow(staging) > 3200);
        MainUtils::removeUnpackLeftovers();
        WorkerThreads::waitAll();
        QCOMPARE(entriesOf(root), QStringList{QStringLiteral("large")});
        MainUtils::setPluginRoot(QString());
    }

    // A plain application object, as tests and tools make, stops and awaits the workers too.
    void plainApplicationObjectWaitsForTheWorkers()
    {
        int argc = 1;
        char name[] = "tst_UnpackAtExit";
        char* argv[] = {name, nullptr};
        auto app = std::make_unique<QApplication>(argc, argv);
        auto stopSeen = std::make_shared<std::atomic<bool>>(false);
        WorkerThreads::start(
            [stopSeen] { stopSeen->store(WaiterUtils().waitFor(10000) && WorkerThreads::stopRequested()); });
        app.reset();
        const int left = WorkerThreads::running();
        WorkerThreads::stopAndWaitAll(); // nothing left running into the next test
        QCOMPARE(left, 0);
        QVERIFY(stopSeen->load());
    }

    // Reload and Uninstall remove the folder on the GUI thread while an unpack of the plug-in
    // runs: they do not wait for it; the unpack stops, and neither its folder nor its staging
    // is left, nor is its result delivered. Meanwhile the plug-in does not count as unpacked,
    // also with an earlier copy in place, and the next unpack of it goes ahead.
    void removalDuringUnpackDoesNotWait_data()
    {
        QTest::addColumn<bool>("earlierCopy");
        // How much the unpack has written when the removal comes: the stopped unpack removes
        // that before it lets go, and until then the removal is pending.
        QTest::addColumn<QString>("written");
        QTest::newRow("nothing in place") << false << QString();
        QTest::newRow("an earlier copy in place") << true << QStringLiteral("c10");
    }

    void removalDuringUnpackDoesNotWait()
    {
        QFETCH(bool, earlierCopy);
        QFETCH(QString, written);
        int argc = 1;
        char name[] = "tst_UnpackAtExit";
        char* argv[] = {name, nullptr};
        QCoreApplication app(argc, argv);
        QTemporaryDir dir;
        const QString root = dir.filePath(QStringLiteral("plugin"));
        QVERIFY(QDir().mkpath(root));
        MainUtils::setPluginRoot(root);
        auto db = std::make_shared<ProjectDatabase>();
        QVERIFY(db->open(dir.filePath(QStringLiteral("p.ovpf")), true, QStringLiteral("sql_cn_remove")).isOk());
        ProjectPluginUseCase plugins(db, root);
        ProjectDbPluginBean bean;
        // A uuid per row: what one row leaves pending must not stop the next.
        QVERIFY(storePlugin(plugins, *db, bean, QStringLiteral("slow%1").arg(int(earlierCopy)), slowPackage()));
        const QByteArray earlier = Test::hostileZip({{"config.json", R"({"v":0})"}});
        QVERIFY(!earlierCopy || MainUtils::unpackPlugin(bean.k1, earlier).isOk());
        int delivered = 0;
        QObject guard;
        MainUtils::asyncUnpackPlugin(plugins, bean, &guard, [&](const BaseResult<void>&) { ++delivered; });
        QVERIFY(!waitForStaging(root, bean.k1, written).isEmpty());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(MainUtils::removeUnpackedPlugin(bean.k1));
        QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!MainUtils::isPluginUnpacked(plugins, bean));
        QVERIFY(!MainUtils::isPluginUnpacked(bean.k1, earlier));
        WorkerThreads::waitAll();
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QCoreApplication::processEvents();
        QCOMPARE(delivered, 0);
        QCOMPARE(entriesOf(root), QStringList());

        // A small package, so the next unpack ends soon.
        QVERIFY(db->saveFile(bean.id, QStringLiteral("pack"), earlier).isOk());
        bool unpacked = false;
        MainUtils::asyncUnpackPlugin(plugins, bean, &guard, [&](const BaseResult<void>& r) { unpacked = r.isOk(); });
        QTRY_VERIFY_WITH_TIMEOUT(unpacked, 20000);
        QVERIFY(MainUtils::isPluginUnpacked(plugins, bean));
        db->close();
        MainUtils::setPluginRoot(QString());
    }

    // Asked to stop a second time, the program ends at once, also while the application object
    // waits for a worker that does not stop (it gives up only after 20 s).
    void secondStopSignalEndsTheProgramAtOnce_data()
    {
        QTest::addColumn<bool>("signalQuits");
        QTest::addColumn<int>("signalsWhileWaiting");
        QTest::newRow("quit, then signal after signal") << false << 200;
        QTest::newRow("a signal quits, the next ends it") << true << 1;
    }

    void secondStopSignalEndsTheProgramAtOnce()
    {
        QFETCH(bool, signalQuits);
        QFETCH(int, signalsWhileWaiting);
        if (qEnvironmentVariableIsSet("ORVEL_STOP_CHILD")) {
            int argc = 1;
            char name[] = "tst_UnpackAtExit";
            char* argv[] = {name, nullptr};
            Application app(argc, argv);
            auto* watcher = new TerminationSignals(&app);
            QObject::connect(watcher, &TerminationSignals::stopRequested, &app, &QCoreApplication::quit);
            WorkerThreads::start([signalsWhileWaiting]() {
                while (!WorkerThreads::stopRequested())
                    QThread::msleep(5);
                for (int i = 0; i < 400; ++i) {
                    if (i < signalsWhileWaiting)
                        ::kill(::getpid(), SIGTERM);
                    QThread::msleep(50);
                }
            });
            if (signalQuits)
                QTimer::singleShot(0, &app, []() { ::kill(::getpid(), SIGTERM); });
            else
                QTimer::singleShot(0, &app, &QCoreApplication::quit);
            app.exec();
            return;
        }
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ORVEL_STOP_CHILD"), QStringLiteral("1"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(environment);
        child.start(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget(),
                    {QStringLiteral("secondStopSignalEndsTheProgramAtOnce:") + QLatin1String(QTest::currentDataTag())});
        QVERIFY(child.waitForStarted(10000));
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QCOMPARE(child.exitCode(), SIGTERM);
    }
};

QTEST_APPLESS_MAIN(TestUnpackAtExit)
#include "tst_UnpackAtExit.moc"
