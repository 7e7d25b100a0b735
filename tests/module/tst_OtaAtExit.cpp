// ORVEL_TEST_LABELS: threads
#include "core/Application.h"
#include "core/WorkerThreads.h"
#include "module/ModuleOtaSender.h"
#include "project/ProjectManager.h"
#include "support/ModuleTestHub.h"
#include "support/OtaTestFile.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace OV;
using namespace OV::Test;
using Packet = StandinHubModules::Packet;

class TestOtaAtExit : public QObject
{
    Q_OBJECT
private slots:
    // The program quits while a firmware update waits for a packet the module never answers: the
    // application stops the sender and waits for it, promptly, and nothing is reported afterwards.
    void quitDuringUpdateStopsTheSender()
    {
        int argc = 1;
        char name[] = "tst_OtaAtExit";
        char* argv[] = {name, nullptr};
        auto app = std::make_unique<Application>(argc, argv);
        auto finished = std::make_shared<QList<int>>();
        auto env = std::make_unique<ModuleTestHub>();
        QVERIFY(env->start());
        env->modules().setStartErr(0);
        env->modules().setPacketReply(1, Packet::Silent);
        const ModuleOtaSender::Timings kWaits{20000, 20000, 20000};
        ModuleOtaSender::Callbacks callbacks;
        callbacks.onFinished = [finished](int result) { finished->append(result); };
        ModuleOtaSender::start(ProjectManager::instance()->getCurrentKestrin(), "can", Test::otaBody(600), 200,
                               callbacks, kWaits);
        QTRY_COMPARE(env->modules().packets().size(), 2);
        QCOMPARE(WorkerThreads::running(), 1);
        QTimer::singleShot(0, app.get(), &QCoreApplication::quit);
        QCOMPARE(app->exec(), 0);
        // The hub session and the stand-ins outlive the application object, as the program's
        // managers do: only the stop ends the packet's wait.
        QElapsedTimer clock;
        clock.start();
        app.reset();
        // Well before the packet's own wait: the stop ended it.
        QVERIFY2(clock.elapsed() < kWaits.packetWaitMs / 2, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(WorkerThreads::running(), 0);
        QVERIFY(finished->isEmpty());
        env.reset();
    }
};

QTEST_APPLESS_MAIN(TestOtaAtExit)
#include "tst_OtaAtExit.moc"
