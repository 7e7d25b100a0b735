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

// Thousands of small members deep in folders, as many folders as a package may make: seconds
// to write, and a stop is never more than one small member away.
QByteArray slowPackage()
{
    QList<Test::HostileZipMember> members{{"config.json", "{}"}};
    for (int i = 0; i < 4000; ++i) {
        QByteArray name = "d" + QByteArray::number(i % 399);
        for (int level = 0; level < 24; ++level)
            name += "/" + QByteArray::number(level);
        members.append({name + "/f" + QByteArray::number(i) + ".txt", "x", false});
    }
    return Test::hostileZip(members);
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Waits until an unpack of the uuid has started writing its staging folder.
bool waitForStaging(const QString& root, const QString& uuid)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000) {
        for (const QString& name : entriesOf(root)) {
            if (name.startsWith(QLatin1Char('.') + uuid + QLatin1String(".unpacking-")))
                return true;
        }
        QThread::msleep(5);
    }
    return false;
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
    // The program quits while a slow package unpacks: the unpack stops between members, its
    // staging folder goes, the copy unpacked before stays as it was, and the application object
    // is gone within 2 s.
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
        {
            auto db = std::make_shared<ProjectDatabase>();
            QVERIFY(db->open(dir.filePath(QStringLiteral("p.ovpf")), true, QStringLiteral("sql_cn_exit")).isOk());
            ProjectPluginUseCase plugins(db, root);
            ProjectDbPluginBean bean;
            QVERIFY(storePlugin(plugins, *db, bean, QStringLiteral("large"), pack));
            QObject guard;
            MainUtils::asyncUnpackPlugin(plugins, bean, &guard, [&](const BaseResult<void>&) { ++delivered; });
            QCOMPARE(WorkerThreads::running(), 1);
            QVERIFY(waitForStaging(root, bean.k1));
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
    // is left, nor is its result delivered.
    void removalDuringUnpackDoesNotWait()
    {
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
        QVERIFY(storePlugin(plugins, *db, bean, QStringLiteral("slow"), slowPackage()));
        int delivered = 0;
        QObject guard;
        MainUtils::asyncUnpackPlugin(plugins, bean, &guard, [&](const BaseResult<void>&) { ++delivered; });
        QVERIFY(waitForStaging(root, bean.k1));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(MainUtils::removeUnpackedPlugin(bean.k1));
        QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!MainUtils::isPluginUnpacked(plugins, bean));
        WorkerThreads::waitAll();
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QCoreApplication::processEvents();
        QCOMPARE(delivered, 0);
        QCOMPARE(entriesOf(root), QStringList());
        db->close();
        MainUtils::setPluginRoot(QString());
    }

    // Asked to stop a second time, the program ends at once, also while the application object
    // waits for a worker that does not stop.
    void secondStopSignalEndsTheProgramAtOnce()
    {
        if (qEnvironmentVariableIsSet("ORVEL_STOP_CHILD")) {
            int argc = 1;
            char name[] = "tst_UnpackAtExit";
            char* argv[] = {name, nullptr};
            Application app(argc, argv);
            new TerminationSignals(&app);
            WorkerThreads::start([]() {
                while (!WorkerThreads::stopRequested())
                    QThread::msleep(5);
                for (int i = 0; i < 200; ++i) {
                    ::kill(::getpid(), SIGTERM);
                    QThread::msleep(50);
                }
            });
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
                    {QStringLiteral("secondStopSignalEndsTheProgramAtOnce")});
        QVERIFY(child.waitForStarted(10000));
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QCOMPARE(child.exitCode(), SIGTERM);
    }
};

QTEST_APPLESS_MAIN(TestUnpackAtExit)
#include "tst_UnpackAtExit.moc"
