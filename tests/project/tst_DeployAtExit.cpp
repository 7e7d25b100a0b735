// ORVEL_TEST_LABELS: threads
#include "core/Application.h"
#include "core/WorkerThreads.h"
#include "support/DeployTestUtils.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace OV;
using namespace OV::Test;

class TestDeployAtExit : public QObject
{
    Q_OBJECT
private slots:
    // A deploy waits on a hub that never answers, with a wait far longer than the test allows.
    // Stopping the workers, as the application does at exit, ends it at once as a failure; and
    // quitting during a second one ends the program promptly with no worker left behind.
    void exitStopsAWaitingDeploy()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        int argc = 1;
        char name[] = "tst_DeployAtExit";
        char* argv[] = {name, nullptr};
        auto app = std::make_unique<Application>(argc, argv);
        auto h = std::make_unique<DeployHarness>(dir.filePath(QStringLiteral("work")));
        QVERIFY(h->isValid());
        QVERIFY(h->startHub());
        h->hub().replySilent(30300);
        h->settings.hostConfigWaitMs = 20000;

        const auto stopped = h->deploy();
        QVERIFY(h->hub().waitForReceived(30300, 1, 5000));
        QCOMPARE(WorkerThreads::running(), 1);
        QElapsedTimer clock;
        clock.start();
        WorkerThreads::stopAndWaitAll();
        // Well before the step's own wait: the stop ended it.
        QVERIFY2(clock.elapsed() < h->settings.hostConfigWaitMs / 2, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(WorkerThreads::running(), 0);
        QVERIFY(DeployHarness::finished(stopped, 2000));
        QCOMPARE(stopped->calls, 1);
        QCOMPARE(stopped->result.code(), 5004);
        QCOMPARE(stopped->result.message, QStringLiteral("Deploy stopped as the application exits"));
        QCOMPARE(h->hub().receivedCount(1108), 0);
        QVERIFY(h->uploads().isEmpty());

        // The stop is over: the next deploy waits as before, until the program quits.
        const auto quitting = h->deploy();
        QVERIFY(h->hub().waitForReceived(30300, 2, 5000));
        QCOMPARE(WorkerThreads::running(), 1);
        QTimer::singleShot(0, app.get(), &QCoreApplication::quit);
        QCOMPARE(app->exec(), 0);
        // The hub session and the stand-ins outlive the application object, as the program's
        // managers do: only the stop ends the wait.
        clock.restart();
        app.reset();
        QVERIFY2(clock.elapsed() < h->settings.hostConfigWaitMs / 2, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(WorkerThreads::running(), 0);
        QCOMPARE(quitting->calls, 0);
        h.reset();
    }
};

QTEST_APPLESS_MAIN(TestDeployAtExit)
#include "tst_DeployAtExit.moc"
