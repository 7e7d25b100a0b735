// ORVEL_TEST_LABELS: threads
#include "core/Application.h"
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
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <memory>

using namespace OV;

class TestUnpackAtExit : public QObject
{
    Q_OBJECT
private slots:
    // The program quits while a large package unpacks: the application object waits for the
    // worker before it goes away, so afterwards the unpack is complete and nothing runs.
    void quitDuringUnpackWaitsForTheWorker()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = dir.filePath(QStringLiteral("plugin"));
        QVERIFY(QDir().mkpath(root));
        MainUtils::setPluginRoot(root);

        // 48 MiB that do not compress, in 48 members: long enough to be mid-way at the quit.
        QList<Test::HostileZipMember> members{{"config.json", "{}"}};
        QRandomGenerator random(7);
        for (int i = 0; i < 48; ++i) {
            QByteArray data(1 << 20, Qt::Uninitialized);
            random.fillRange(reinterpret_cast<quint32*>(data.data()), data.size() / 4);
            members.append({QByteArray("files/") + QByteArray::number(i) + ".bin", data, false});
        }
        const QByteArray pack = Test::hostileZip(members);

        int argc = 1;
        char name[] = "tst_UnpackAtExit";
        char* argv[] = {name, nullptr};
        auto app = std::make_unique<Application>(argc, argv);
        int delivered = 0;
        {
            auto db = std::make_shared<ProjectDatabase>();
            QVERIFY(db->open(dir.filePath(QStringLiteral("p.ovpf")), true, QStringLiteral("sql_cn_exit")).isOk());
            ProjectPluginUseCase plugins(db, root);
            ProjectDbPluginBean bean;
            bean.k1 = QStringLiteral("large");
            bean.k2 = QStringLiteral("0");
            bean.versionCode = 1;
            QVERIFY(plugins.insertOrUpdate(bean).isOk());
            QVERIFY(db->saveFile(bean.id, QStringLiteral("pack"), pack).isOk());
            QObject guard;
            MainUtils::asyncUnpackPlugin(plugins, bean, &guard, [&](const BaseResult<void>&) { ++delivered; });
            QCOMPARE(WorkerThreads::running(), 1);
            QTimer::singleShot(0, app.get(), &QCoreApplication::quit);
            QCOMPARE(app->exec(), 0);
            db->close();
        }
        app.reset();

        QCOMPARE(WorkerThreads::running(), 0);
        QCOMPARE(delivered, 0);
        QVERIFY(MainUtils::isPluginUnpacked(QStringLiteral("large"), pack));
        QCOMPARE(QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("large")});
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
};

QTEST_APPLESS_MAIN(TestUnpackAtExit)
#include "tst_UnpackAtExit.moc"
