// ORVEL_TEST_LABELS: threads
// Adding, replacing and renaming modules, their details and firmware updates, against the
// stand-in hub through the process-wide project manager, as the device row opens them.
#include "core/EventBus.h"
#include "core/TokenScrambler.h"
#include "device/KestrinDevice.h"
#include "module/ModuleAddDialogPogoPin.h"
#include "module/ModuleDetailsDialog.h"
#include "module/ModuleOTADialog.h"
#include "module/ModuleRecordWriter.h"
#include "module/ModuleReplaceDialogPogoPin.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "support/ModuleTestHub.h"
#include "support/OtaTestFile.h"
#include "support/ProjectTestUtils.h"
#include "support/TestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseDialog.h"
#include "widgets/MessageDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace OV;
using OV::Test::ModuleTestHub;
using OV::Test::StandinHubModules;
using Json = nlohmann::json;
using Packet = StandinHubModules::Packet;

namespace {

constexpr uint64_t kPipwick = 0x10000001;
constexpr uint64_t kRollane = 0x10000002;
constexpr uint64_t kThessa = 0x10000004;
const ModulePogoPinDialog::Timings kFastRediscovery{100, 900000};

StandinHubModules::Module found(const char* sn, uint64_t productId, int netId, int workMode = 0,
                                const char* link = "can")
{
    return StandinHubModules::Module{sn, productId, netId, workMode, link};
}

std::string snOf(const Json& row)
{
    return row.at("sn").get<std::string>();
}

std::shared_ptr<ProjectDbModuleBean> memoryModule(const char* gateway, int netId, const QString& sn)
{
    auto bean = std::make_shared<ProjectDbModuleBean>();
    bean->gatewayType = QString::fromLatin1(gateway);
    bean->productId = kPipwick;
    bean->sn = sn;
    bean->netId = netId;
    return bean;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    return Test::writeFileBytes(path, bytes) ? path : QString();
}

// The endpoints' serial numbers of one gateway in the last module configuration the hub got.
QStringList deployedSerials(Test::StandinHub& hub, const char* gateway)
{
    QStringList serials;
    const QList<Json> sent = hub.received(30300);
    if (sent.isEmpty())
        return serials;
    for (const Json& endpoint : sent.last().at("data").at(gateway).at("endpoints"))
        serials << QString::fromStdString(endpoint.at("serialNumber").get<std::string>());
    return serials;
}

MessageDialog* visibleMessage()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* message = qobject_cast<MessageDialog*>(widget); message && message->isVisible())
            return message;
    }
    return nullptr;
}

} // namespace

class TestModuleLifecycle : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Test::applyBaseTheme();
        ModuleOTADialog::setFileChooser({});
    }

    void netIdRule_data()
    {
        QTest::addColumn<QList<int>>("canIds");
        QTest::addColumn<QList<int>>("meshIds");
        QTest::addColumn<int>("proposed");
        QTest::addColumn<int>("expected"); // -1: refused
        QList<int> to125;
        for (int id = 1; id <= 125; ++id)
            to125 << id;
        QTest::newRow("free 126 is kept") << QList<int>{} << QList<int>{} << 126 << 126;
        QTest::newRow("free id is kept") << QList<int>{1, 2} << QList<int>{} << 9 << 9;
        QTest::newRow("0 gets the lowest free") << QList<int>{1, 3} << QList<int>{} << 0 << 2;
        QTest::newRow("127 gets the lowest free") << QList<int>{} << QList<int>{} << 127 << 1;
        QTest::newRow("used id gets the lowest free") << QList<int>{1, 2, 3} << QList<int>{} << 2 << 4;
        QTest::newRow("mesh ids do not count") << QList<int>{} << QList<int>{1, 2} << 1 << 1;
        QTest::newRow("126 is never handed out") << to125 << QList<int>{} << 126 << 126;
        QTest::newRow("1-125 used") << to125 << QList<int>{} << 5 << -1;
        QTest::newRow("1-126 used") << (to125 << 126) << QList<int>{} << 126 << -1;
    }

    void netIdRule()
    {
        QFETCH(QList<int>, canIds);
        QFETCH(QList<int>, meshIds);
        QFETCH(int, proposed);
        QFETCH(int, expected);
        ModulePogoPinDialog::BeanList modules;
        for (int id : canIds)
            modules.push_back(memoryModule("can", id, QStringLiteral("C%1").arg(id)));
        for (int id : meshIds)
            modules.push_back(memoryModule("mesh", id, QStringLiteral("M%1").arg(id)));
        ModuleAddDialogPogoPin add(modules);
        ModuleReplaceDialogPogoPin replace(modules.empty() ? memoryModule("can", 1, "R") : modules.front(), modules);
        for (ModulePogoPinDialog* dialog :
             {static_cast<ModulePogoPinDialog*>(&add), static_cast<ModulePogoPinDialog*>(&replace)}) {
            if (expected < 0) {
                QCOMPARE(Test::thrownText([&] { dialog->allocNetId(proposed); }),
                         QStringLiteral("Module exceeds count limit"));
                continue;
            }
            // A refusal where an id was due fails this row, not the whole run.
            int given = -1;
            try {
                given = dialog->allocNetId(proposed);
            } catch (const std::exception& e) {
                QFAIL(qPrintable(QStringLiteral("refused: ") + QString::fromUtf8(e.what())));
            } catch (...) {
                QFAIL("refused");
            }
            QCOMPARE(given, expected);
        }
    }

    void addListsDiscoveredModulesAndSaves()
    {
        ModuleTestHub env;
        QVERIFY(env.start());
        QVERIFY(env.storeModule("can", kPipwick, "PW-STORED", 7));
        QVERIFY(env.storeModule("mesh", kThessa, "TH-MESH", 1));
        env.modules().setModules({found("PW-NEW-A", kPipwick, 0, 3), found("PW-STORED", kPipwick, 9),
                                  found("RL-NEW-B", kRollane, 126), found("PW-NEW-A", kPipwick, 5),
                                  found("MS-OTHER-LINK", kPipwick, 2, 0, "mesh")});
        QPointer<ModuleAddDialogPogoPin> dialog = new ModuleAddDialogPogoPin(env.storedModules(), kFastRediscovery);
        int finished = 0;
        dialog->finishedHandler = [&finished] { ++finished; };
        dialog->show();

        QTRY_COMPARE(dialog->rows().size(), size_t(3));
        const std::vector<Json>& rows = dialog->rows();
        QCOMPARE(snOf(rows[0]), std::string("PW-NEW-A"));
        QCOMPARE(rows[0].at("netId").get<int>(), 1);
        QCOMPARE(rows[0].at("name").get<std::string>(), std::string("Pipwick"));
        QCOMPARE(rows[0].at("isAdded").get<bool>(), false);
        QCOMPARE(snOf(rows[1]), std::string("PW-STORED"));
        QCOMPARE(rows[1].at("netId").get<int>(), 7); // the stored id, not the pushed 9
        QCOMPARE(rows[1].at("isAdded").get<bool>(), true);
        QVERIFY(!dialog->rowCheckBoxes()[1]->isEnabled());
        QCOMPARE(rows[2].at("netId").get<int>(), 126);
        QCOMPARE(dialog->actionButton()->text(), QStringLiteral("Add (2)"));
        QVERIFY(dialog->actionButton()->isEnabled());

        // Rediscovery every period: the pushes come again and change nothing.
        QTRY_VERIFY(env.hub().receivedCount(30100) >= 3);
        QTest::qWait(80);
        QCOMPARE(dialog->rows().size(), size_t(3));

        dialog->rowCheckBoxes()[0]->setChecked(false);
        QCOMPARE(dialog->actionButton()->text(), QStringLiteral("Add (1)"));
        dialog->rowCheckBoxes()[2]->setChecked(false);
        QCOMPARE(dialog->actionButton()->text(), QStringLiteral("Add"));
        QVERIFY(!dialog->actionButton()->isEnabled());
        dialog->rowCheckBoxes()[0]->setChecked(true);
        dialog->rowCheckBoxes()[2]->setChecked(true);
        QCOMPARE(dialog->actionButton()->text(), QStringLiteral("Add (2)"));

        QTest::qWait(30); // pending layout and style changes first
        if (const QString dir = Test::screenshotDir(); !dir.isEmpty())
            QVERIFY(dialog->grab().save(dir + QStringLiteral("/module_add_dialog.png")));

        // Lists on screen that offer modules are told of each one added.
        QObject listener;
        QList<int64_t> announced;
        connect(EventBus::instance(), &EventBus::messagePosted, &listener,
                [&announced](const QSharedPointer<EventBusMessage>& message) {
                    if (const int64_t id = ModuleRecordWriter::addedRecordId(message); id >= 0)
                        announced << id;
                });
        QTest::mouseClick(dialog->actionButton(), Qt::LeftButton);
        QTRY_VERIFY(!dialog);
        QCOMPARE(finished, 1);
        QVERIFY(env.messages().isEmpty());
        QHash<QString, std::shared_ptr<ProjectDbModuleBean>> stored;
        for (const auto& bean : env.storedModules())
            stored.insert(bean->sn, bean);
        QCOMPARE(stored.size(), 4);
        QCOMPARE(announced, (QList<int64_t>{stored.value("PW-NEW-A")->id, stored.value("RL-NEW-B")->id}));
        QCOMPARE(stored.value("PW-NEW-A")->netId, 1);
        QCOMPARE(stored.value("PW-NEW-A")->workMode, 3);
        QCOMPARE(stored.value("PW-NEW-A")->gatewayType, QStringLiteral("can"));
        QCOMPARE(stored.value("RL-NEW-B")->name, QStringLiteral("Rollane"));
        QCOMPARE(stored.value("RL-NEW-B")->netId, 126);
        QCOMPARE(stored.value("PW-STORED")->name, QStringLiteral("Stored PW-STORED")); // not saved again
        // The hub receives the whole module list, and discovery is stopped.
        QTRY_COMPARE(env.hub().receivedCount(30300), 1);
        QCOMPARE(deployedSerials(env.hub(), "canGateway"), (QStringList{"PW-STORED", "PW-NEW-A", "RL-NEW-B"}));
        QCOMPARE(deployedSerials(env.hub(), "meshGateway"), QStringList{"TH-MESH"});
        QTRY_COMPARE(env.hub().receivedCount(30101), 1);
    }

    void addSaveFailureKeepsTheDialog()
    {
        ModuleTestHub env;
        QVERIFY(env.start());
        env.modules().setModules({found("PW-LATE", kPipwick, 4)});
        QPointer<ModuleAddDialogPogoPin> dialog = new ModuleAddDialogPogoPin(env.storedModules());
        int finished = 0;
        dialog->finishedHandler = [&finished] { ++finished; };
        dialog->show();
        QTRY_COMPARE(dialog->rows().size(), size_t(1));
        // Stored elsewhere meanwhile: the save is refused as a duplicate.
        QVERIFY(env.storeModule("can", kPipwick, "PW-LATE", 4));
        QTest::mouseClick(dialog->actionButton(), Qt::LeftButton);
        QTRY_COMPARE(env.messages(), QStringList{"Save Modules failed:Trying to add a duplicate module"});
        env.clearMessages();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(finished, 0);
        QCOMPARE(dialog->actionButton()->text(), QStringLiteral("Add (1)"));
        QCOMPARE(env.hub().receivedCount(30300), 0);
        dialog->close();
        QTRY_VERIFY(!dialog);
    }

    void pushesThatAreNotListed()
    {
        ModuleTestHub env;
        QVERIFY(env.start());
        env.modules().setModules({});
        ModulePogoPinDialog::BeanList full;
        for (int id = 1; id <= 125; ++id)
            full.push_back(memoryModule("can", id, QStringLiteral("FULL-%1").arg(id)));
        Test::LogCapture log;
        QPointer<ModuleAddDialogPogoPin> dialog = new ModuleAddDialogPogoPin(full);
        dialog->show();
        env.hub().push(30102, 200,
                       {{"interfaceType", "can"},
                        {"serialNumber", "NO-ROOM"},
                        {"productId", kPipwick},
                        {"netId", 5},
                        {"workMode", 0}});
        env.hub().push(30102, 200,
                       {{"interfaceType", "can"},
                        {"serialNumber", "LAST-SEAT"},
                        {"productId", kPipwick},
                        {"netId", 126},
                        {"workMode", 0}});
        env.hub().push(30102, 200, {{"interfaceType", "can"}, {"serialNumber", 17}, {"productId", kPipwick}});
        env.hub().push(30102, 500,
                       {{"interfaceType", "can"},
                        {"serialNumber", "FAILED-CODE"},
                        {"productId", kPipwick},
                        {"netId", 1},
                        {"workMode", 0}});
        QTRY_COMPARE(dialog->rows().size(), size_t(1));
        QTest::qWait(50);
        QCOMPARE(dialog->rows().size(), size_t(1));
        QCOMPARE(snOf(dialog->rows()[0]), std::string("LAST-SEAT"));
        QVERIFY(log.text().contains(QStringLiteral("onModuleListReceived error:Module exceeds count limit")));
        QVERIFY(log.text().contains(QStringLiteral("onModuleListReceived error:[json.exception.type_error")));
        dialog->close();
    }

    void listenerOutlivesItsDeadline()
    {
        ModuleTestHub env;
        QVERIFY(env.start());
        env.modules().setModules({});
        QPointer<ModuleAddDialogPogoPin> dialog = new ModuleAddDialogPogoPin({}, {100000, 120});
        dialog->show();
        QTest::qWait(400); // more than three deadlines
        env.hub().push(30102, 200,
                       {{"interfaceType", "can"},
                        {"serialNumber", "AFTER-DEADLINE"},
                        {"productId", kPipwick},
                        {"netId", 2},
                        {"workMode", 0}});
        QTRY_COMPARE(dialog->rows().size(), size_t(1));
        dialog->close();
    }

    void replaceKeepsTheRecordsSettings()
    {
        ModuleTestHub env;
        QVERIFY(env.start());
        const Json data = {{"profiles", {{"profile_1", {{"deployConfig", {{"keys", {1, 2}}}}}}}}};
        const auto old = env.storeModule("can", kPipwick, "PW-OLD", 3, 2, data);
        QVERIFY(old);
        QVERIFY(env.storeModule("can", kPipwick, "PW-OTHER", 4));
        env.modules().setModules({found("RL-X", kRollane, 5), found("PW-OTHER", kPipwick, 6),
                                  found("PW-NEW", kPipwick, 3, 0), found("PW-NEW", kPipwick, 8)});
        // The tile's record is the one shared with the device row.
        QPointer<ModuleReplaceDialogPogoPin> dialog =
            new ModuleReplaceDialogPogoPin(old, env.storedModules(), kFastRediscovery);
        int finished = 0;
        dialog->finishedHandler = [&finished] { ++finished; };
        dialog->show();
        QTRY_COMPARE(dialog->rows().size(), size_t(1));
        QTRY_VERIFY(env.hub().receivedCount(30100) >= 2);
        QCOMPARE(dialog->rows().size(), size_t(1));
        QCOMPARE(snOf(dialog->rows()[0]), std::string("PW-NEW"));
        QCOMPARE(dialog->rows()[0].at("netId").get<int>(), 1); // 3 is the replaced module's
        QVERIFY(!dialog->actionButton()->isEnabled());
        QVERIFY(!dialog->rowCheckBoxes()[0]->isChecked());
        dialog->rowCheckBoxes()[0]->setChecked(true);
        QCOMPARE(dialog->chosenRow(), 0);
        QVERIFY(dialog->actionButton()->isEnabled());
        QTest::qWait(30); // pending layout and style changes first
        if (const QString dir = Test::screenshotDir(); !dir.isEmpty())
            QVERIFY(dialog->grab().save(dir + QStringLiteral("/module_replace_dialog.png")));

        // A failed store changes neither the shared record nor the database.
        QVERIFY(env.lockModuleUpdates(true));
        QTest::mouseClick(dialog->actionButton(), Qt::LeftButton);
        QTRY_COMPARE(env.messages().size(), 1);
        const QStringList messages = env.messages();
        env.clearMessages();
        QVERIFY2(messages[0].startsWith(QStringLiteral("Replace module failed:Database execution failed. Details: ")),
                 qPrintable(messages[0]));
        QCOMPARE(old->sn, QStringLiteral("PW-OLD"));
        QCOMPARE(old->netId, 3);
        QVERIFY(dialog);
        QVERIFY(env.lockModuleUpdates(false));

        QTest::mouseClick(dialog->actionButton(), Qt::LeftButton);
        QTRY_VERIFY(!dialog);
        QCOMPARE(finished, 1);
        for (const auto& bean : {old, env.storedModules().front()}) {
            QCOMPARE(bean->sn, QStringLiteral("PW-NEW"));
            QCOMPARE(bean->name, QStringLiteral("Pipwick"));
            QCOMPARE(bean->netId, 1);
            QCOMPARE(bean->workMode, 2);
            QVERIFY(bean->data == data);
        }
        QCOMPARE(env.storedModules().front()->id, old->id);
        QTRY_COMPARE(env.hub().receivedCount(30300), 1);
        QCOMPARE(deployedSerials(env.hub(), "canGateway"), (QStringList{"PW-NEW", "PW-OTHER"}));
    }

    // The screen cube's stored configuration document is rebuilt for the new module.
    void replaceScreenCube()
    {
        ModuleTestHub env;
        QVERIFY(env.start());
        const Json data = {{"netConfig", {{"ssid", "Desk"}, {"password", "secret"}}},
                           {"dataConfig", {{"layers", {{{"id", 4}, {"widgets", {{{"id", 9}, {"type", 2}}}}}}}}}};
        const auto cube = env.storeModule("can", 0x10000003, "PL-OLD", 5, 1, data);
        QVERIFY(cube);
        env.modules().setModules({found("PL-NEW", 0x10000003, 5)});
        QPointer<ModuleReplaceDialogPogoPin> dialog = new ModuleReplaceDialogPogoPin(cube, env.storedModules());
        dialog->show();
        QTRY_COMPARE(dialog->rows().size(), size_t(1));
        dialog->rowCheckBoxes()[0]->setChecked(true);
        QTest::mouseClick(dialog->actionButton(), Qt::LeftButton);
        QTRY_VERIFY(!dialog);
        const Json expected = {
            {"netConfig", {{"ssid", "Desk"}, {"password", "secret"}}},
            {"dataConfig", {{"defaultLayer", 4}, {"layers", {{{"id", 4}, {"items", {{{"id", 9}, {"type", 2}}}}}}}}}};
        QVERIFY(cube->extraConfig == expected);
        QCOMPARE(env.storedModules().front()->sn, QStringLiteral("PL-NEW"));
        QVERIFY(env.storedModules().front()->extraConfig == expected);
        QTRY_COMPARE(env.hub().receivedCount(30300), 1);
        QVERIFY(env.hub().received(30300).last().at("data").at("canGateway").at("endpoints").at(0).at("extraConfig") ==
                expected);
    }

    void detailsReadsTheVersion()
    {
        ModuleTestHub env;
        QVERIFY(env.start());
        env.modules().setVersion("2.3.4");
        const auto module = env.storeModule("can", kThessa, "TH-1", 12);
        QPointer<ModuleDetailsDialog> dialog = new ModuleDetailsDialog(module);
        dialog->show();
        QCOMPARE(dialog->versionLabel()->text(), QStringLiteral("--"));
        QCOMPARE(dialog->productLabel()->text(), QStringLiteral("THESSA"));
        QTRY_COMPARE(dialog->versionLabel()->text(), QStringLiteral("2.3.4"));
        QVERIFY(env.hub().received(30200).last().at("data") ==
                (Json{{"serialNo", "TH-1"}, {"deviceId", 0}, {"propertyId", 5}, {"extra", nullptr}}));
        QTest::qWait(30); // pending layout and style changes first
        if (const QString dir = Test::screenshotDir(); !dir.isEmpty())
            QVERIFY(dialog->grab().save(dir + QStringLiteral("/module_details_dialog.png")));

        // The firmware window takes its place; closing it brings the details back, read afresh.
        dialog->onClickOTA();
        QPointer<ModuleOTADialog> ota = dialog->otaDialog();
        QVERIFY(ota && ota->isVisible());
        QVERIFY(!dialog->isVisible());
        env.modules().setVersion("2.4.0");
        ota->close();
        QTRY_VERIFY(!ota);
        QVERIFY(dialog->isVisible());
        QTRY_COMPARE(dialog->versionLabel()->text(), QStringLiteral("2.4.0"));
        QCOMPARE(env.hub().receivedCount(30200), 2);
        dialog->close();
    }

    // The stand-in acknowledges each packet after its pace, so the window shows the update's
    // progress for a while; afterwards the updated module, and only it, reports the version its
    // image names, which is the update file's. The same with a screen cube's properties behind
    // the hub, as the runnable stand-in has them.
    void pacedUpdateReportsTheImagesVersion_data()
    {
        QTest::addColumn<bool>("withScreenCube");
        QTest::addColumn<qulonglong>("product");
        QTest::newRow("key module") << false << qulonglong(kPipwick);
        QTest::newRow("screen cube behind the hub") << true << qulonglong(0x10000003);
    }

    void pacedUpdateReportsTheImagesVersion()
    {
        QFETCH(bool, withScreenCube);
        QFETCH(qulonglong, product);
        constexpr int kPaceMs = 60;
        ModuleTestHub env(withScreenCube);
        QVERIFY(env.start());
        env.modules().setVersion("1.0.0");
        env.modules().setPacketDelayMs(kPaceMs);
        const auto module = env.storeModule("can", product, "SN-PACED", 3);
        const auto other = env.storeModule("can", kRollane, "RL-STILL", 4);
        QTemporaryDir dir;
        const QString path = writeFile(
            dir, "fw.bin",
            Test::makeOtaFile(uint32_t(product), StandinHubModules::firmwareImage("2.5.0", 1000), "2.5.0", 250));

        QPointer<ModuleDetailsDialog> details = new ModuleDetailsDialog(module);
        details->show();
        QTRY_COMPARE(details->versionLabel()->text(), QStringLiteral("1.0.0"));
        details->onClickOTA();
        QPointer<ModuleOTADialog> ota = details->otaDialog();
        QVERIFY(ota);
        ModuleOTADialog::setFileChooser([path] { return path; });
        ota->chooseOtaFile();
        ModuleOTADialog::setFileChooser({});
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(ota->startButton(), Qt::LeftButton);
        // A packet in flight, not the last one: the bar stands part of the way.
        QTRY_VERIFY(ota->progressBar()->value() > 0 && ota->progressBar()->value() < 1000);
        QTRY_COMPARE(env.messages(), QStringList{"Upgrade succeeded."});
        QVERIFY2(clock.elapsed() >= 5 * kPaceMs, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(env.modules().packets().size(), 5);

        ota->close();
        QTRY_VERIFY(!ota);
        QTRY_COMPARE(details->versionLabel()->text(), QStringLiteral("2.5.0"));
        details->close();
        QPointer<ModuleDetailsDialog> otherDetails = new ModuleDetailsDialog(other);
        otherDetails->show();
        QTRY_COMPARE(otherDetails->versionLabel()->text(), QStringLiteral("1.0.0"));
        otherDetails->close();
    }

    void versionFailuresKeepTheLabel()
    {
        ModuleTestHub env;
        QVERIFY(env.start());
        const auto module = env.storeModule("can", kPipwick, "PW-V", 2);
        // An error reply leaves "--".
        env.hub().replyError(30200, 500, QStringLiteral("no such property"));
        QPointer<ModuleDetailsDialog> failing = new ModuleDetailsDialog(module);
        failing->show();
        QTRY_COMPARE(env.hub().receivedCount(30200), 1);
        QTest::qWait(50);
        QCOMPARE(failing->versionLabel()->text(), QStringLiteral("--"));
        failing->close();
        // A reply that comes after the window closed has nowhere to go.
        env.hub().setHandler(30200, [](QSslSocket* client, const Json& request) {
            const QPointer<QSslSocket> socket(client);
            QTimer::singleShot(100, [socket, request] {
                if (socket)
                    Test::StandinHub::reply(socket, request, 200, {{"result", "late"}});
            });
        });
        QPointer<ModuleDetailsDialog> closed = new ModuleDetailsDialog(module);
        closed->show();
        QTRY_COMPARE(env.hub().receivedCount(30200), 2);
        closed->close();
        QTRY_VERIFY(!closed);
        QTest::qWait(200);
        // Without a hub nothing is asked.
        env.dropHub();
        ModuleDetailsDialog offline(module);
        offline.show();
        QTest::qWait(50);
        QCOMPARE(offline.versionLabel()->text(), QStringLiteral("--"));
        QCOMPARE(env.hub().receivedCount(30200), 2);
    }

    void rename_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("spaces only") << "    "
                                     << "";
        QTest::newRow("trimmed") << "  Desk keys  "
                                 << "Desk keys";
        QTest::newRow("64 characters") << QString(64, QLatin1Char('a')) << QString(64, QLatin1Char('a'));
        QTest::newRow("65 characters typed") << QString(65, QLatin1Char('b')) << QString(64, QLatin1Char('b'));
    }

    void rename()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        ModuleTestHub env;
        QVERIFY(env.start());
        const auto module = env.storeModule("can", kPipwick, "PW-R", 2);
        const QString before = module->name;
        QPointer<ModuleDetailsDialog> dialog = new ModuleDetailsDialog(module);
        int finished = 0;
        dialog->finishedHandler = [&finished] { ++finished; };
        dialog->show();
        dialog->onClickRename();
        QPointer<BaseDialog> rename = dialog->renameDialog();
        QVERIFY(rename);
        QCOMPARE(dialog->renameEdit()->text(), before);
        dialog->renameEdit()->setText(typed);
        QTest::mouseClick(rename->button2, Qt::LeftButton);
        if (stored.isEmpty()) {
            QTRY_COMPARE(env.messages(), QStringList{"[New Name] is empty"});
            env.clearMessages();
            QVERIFY(rename);
            QCOMPARE(module->name, before);
            QCOMPARE(finished, 0);
        } else {
            QTRY_VERIFY(!rename);
            QCOMPARE(module->name, stored);
            QCOMPARE(env.storedModules().front()->name, stored);
            QCOMPARE(dialog->nameLabel()->text(), stored);
            QCOMPARE(finished, 1);
            QCOMPARE(env.hub().receivedCount(30300), 0); // the hub knows modules by record id
        }
        dialog->close();
    }

    void renameFailureKeepsTheName()
    {
        ModuleTestHub env;
        QVERIFY(env.start());
        const auto module = env.storeModule("can", kPipwick, "PW-F", 2);
        QPointer<ModuleDetailsDialog> dialog = new ModuleDetailsDialog(module);
        dialog->show();
        dialog->onClickRename();
        dialog->renameEdit()->setText(QStringLiteral("Never stored"));
        QVERIFY(env.lockModuleUpdates(true));
        QTest::mouseClick(dialog->renameDialog()->button2, Qt::LeftButton);
        QTRY_COMPARE(env.messages().size(), 1);
        const QStringList messages = env.messages();
        env.clearMessages();
        QVERIFY2(messages[0].startsWith(QStringLiteral("Database execution failed. Details: ")),
                 qPrintable(messages[0]));
        QCOMPARE(module->name, QStringLiteral("Stored PW-F"));
        QCOMPARE(dialog->nameLabel()->text(), QStringLiteral("Stored PW-F"));
        QVERIFY(dialog->renameDialog());
        QVERIFY(env.lockModuleUpdates(false));
        // A record that is gone is not renamed either.
        QVERIFY(ProjectManager::instance()->getModuleUseCase()->remove(module->id).isOk());
        QTest::mouseClick(dialog->renameDialog()->button2, Qt::LeftButton);
        QTRY_COMPARE(env.messages(), QStringList{"No rows affected"});
        env.clearMessages();
        QCOMPARE(module->name, QStringLiteral("Stored PW-F"));
        dialog->renameDialog()->close();
        dialog->close();
    }

    void otaFileChoice_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message"); // empty: accepted
        const QByteArray good = Test::makeOtaFile(kPipwick, Test::otaBody(3000));
        QByteArray badMagic = good;
        badMagic[3] = 'x';
        QTest::newRow("accepted") << good << "";
        QTest::newRow("exactly 1 MiB") << Test::makeOtaFile(kPipwick, Test::otaBody(0x100000 - 64)) << "";
        QTest::newRow("1 MiB and a byte")
            << Test::makeOtaFile(kPipwick, Test::otaBody(0x100000 - 63)) << "Invalid ota file size:1048577";
        QTest::newRow("magic") << badMagic << "Invalid argument, details: File header is invalid";
        QTest::newRow("another module kind")
            << Test::makeOtaFile(kRollane, Test::otaBody(100)) << "Invalid argument, details: Product ID mismatch";
    }

    void otaFileChoice()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        ModuleTestHub env;
        QTemporaryDir dir;
        const QString firstPath = writeFile(dir, "first.bin", Test::makeOtaFile(kPipwick, Test::otaBody(2500), "7.0"));
        const QString path = writeFile(dir, "chosen.bin", file);
        auto module = memoryModule("can", 1, "PW-OTA");
        ModuleOTADialog dialog(module);
        QCOMPARE(dialog.title(), QStringLiteral("Pipwick OTA "));
        QString next = firstPath;
        ModuleOTADialog::setFileChooser([&next] { return next; });
        dialog.chooseOtaFile();
        QVERIFY(dialog.fileInfo());
        QCOMPARE(dialog.statusLabel()->text(),
                 QStringLiteral("Version Name: 7.0\nVersion Code: 120\nFile Size: 2 KB, \nMD5: %1")
                     .arg(dialog.fileInfo()->fileMD5));
        QCOMPARE(dialog.fileInfo()->versionName, QByteArray("7.0").leftJustified(16, '\0'));
        next = path;
        dialog.chooseOtaFile();
        ModuleOTADialog::setFileChooser({});
        if (message.isEmpty()) {
            QTest::qWait(20);
            QCOMPARE(env.messages(), QStringList());
            QCOMPARE(dialog.pathEdit()->text(), path);
            QCOMPARE(dialog.fileInfo()->data, file.mid(64));
        } else {
            // A refused file leaves the one accepted before.
            QTRY_COMPARE(env.messages(), QStringList{message});
            env.clearMessages();
            QCOMPARE(dialog.pathEdit()->text(), firstPath);
            QCOMPARE(dialog.fileInfo()->data.size(), 2500);
        }
        QVERIFY(dialog.startButton()->isEnabled());
    }

    // The status text: the version name up to its padding (all 16 bytes when there is none), taken
    // literally, and the body's size in units of 1024 bytes.
    void otaStatusText_data()
    {
        QTest::addColumn<QByteArray>("versionName");
        QTest::addColumn<int>("bodySize");
        QTest::addColumn<QString>("shownName");
        QTest::addColumn<int>("kilobytes");
        QTest::newRow("padded name") << QByteArray("2.4.1") << 3000 << "2.4.1" << 2;
        QTest::newRow("16 bytes, no padding") << QByteArray("2.4.1-rc.1234567") << 100 << "2.4.1-rc.1234567" << 0;
        QTest::newRow("placeholders in the name") << QByteArray("v%1-%2%3%4") << 2048 << "v%1-%2%3%4" << 2;
        QTest::newRow("10,000 bytes are 9 KB") << QByteArray("9") << 10000 << "9" << 9;
    }

    void otaStatusText()
    {
        QFETCH(QByteArray, versionName);
        QFETCH(int, bodySize);
        QFETCH(QString, shownName);
        QFETCH(int, kilobytes);
        ModuleTestHub env;
        QTemporaryDir dir;
        const QString path =
            writeFile(dir, "fw.bin", Test::makeOtaFile(kPipwick, Test::otaBody(bodySize), versionName, 77));
        ModuleOTADialog dialog(memoryModule("can", 1, "PW-TEXT"));
        ModuleOTADialog::setFileChooser([path] { return path; });
        dialog.chooseOtaFile();
        ModuleOTADialog::setFileChooser({});
        QVERIFY(dialog.fileInfo());
        QCOMPARE(dialog.fileInfo()->versionName.size(), 16);
        QCOMPARE(dialog.statusLabel()->text(),
                 QStringLiteral("Version Name: ") + shownName + QStringLiteral("\nVersion Code: 77\nFile Size: ") +
                     QString::number(kilobytes) + QStringLiteral(" KB, \nMD5: ") + dialog.fileInfo()->fileMD5);
        QVERIFY(env.messages().isEmpty());
    }

    void otaSendsTheWholeBody_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<int>("bodySize");
        QTest::addColumn<QList<int>>("packetSizes");
        QTest::newRow("can, three packets") << "can" << 600 << QList<int>{200, 200, 200};
        QTest::newRow("can, short end packet") << "can" << 450 << QList<int>{200, 200, 50};
        QTest::newRow("mesh, two packets") << "mesh" << 64 << QList<int>{32, 32};
    }

    void otaSendsTheWholeBody()
    {
        QFETCH(QString, link);
        QFETCH(int, bodySize);
        QFETCH(QList<int>, packetSizes);
        ModuleTestHub env;
        QVERIFY(env.start());
        env.modules().setPacketDelayMs(30);
        QTemporaryDir dir;
        const QByteArray body = Test::otaBody(bodySize, 5);
        const QString path = writeFile(dir, "fw.bin", Test::makeOtaFile(kThessa, body));
        auto module = env.storeModule(link.toLatin1().constData(), kThessa, "TH-OTA", 4);
        QPointer<ModuleOTADialog> dialog = new ModuleOTADialog(module);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
        ModuleOTADialog::setFileChooser([path] { return path; });
        dialog->chooseOtaFile();
        ModuleOTADialog::setFileChooser({});
        QList<int> progress;
        connect(dialog->progressBar(), &QProgressBar::valueChanged, this, [&progress](int v) { progress << v; });

        QTest::mouseClick(dialog->startButton(), Qt::LeftButton);
        QVERIFY(dialog->isUpgrading());
        QVERIFY(dialog->closeButton()->isHidden());
        QVERIFY(!dialog->chooseButton()->isEnabled());
        QVERIFY(!dialog->startButton()->isEnabled());
        // A close request while the module is mid-update is ignored.
        dialog->close();
        QVERIFY(dialog && dialog->isVisible());

        QTRY_COMPARE(env.messages(), QStringList{"Upgrade succeeded."});
        env.clearMessages();
        QVERIFY(!dialog->isUpgrading());
        QCOMPARE(dialog->progressBar()->value(), 0);
        QVERIFY(!dialog->closeButton()->isHidden());
        QVERIFY(dialog->startButton()->isEnabled());
        QCOMPARE(env.modules().completedUpdates(), 1);
        QCOMPARE(env.modules().receivedBody(), body);
        const Json start = env.modules().lastStart();
        QCOMPARE(start.at("gatewayType").get<std::string>(), link.toStdString());
        QCOMPARE(start.at("epSn").get<std::string>(), std::string("TH-OTA"));
        QCOMPARE(start.at("fileSize").get<int>(), bodySize);
        QCOMPARE(start.at("packSize").get<int>(), packetSizes.front());
        QCOMPARE(QString::fromStdString(start.at("fileMD5").get<std::string>()), dialog->fileInfo()->fileMD5);
        const QList<Json> packets = env.modules().packets();
        QCOMPARE(packets.size(), packetSizes.size());
        QList<int> expectedProgress;
        for (int i = 0; i < packets.size(); ++i) {
            QCOMPARE(packets[i].at("packNumber").get<int>(), i);
            QCOMPARE(packets[i].at("isEndPack").get<bool>(), i == packets.size() - 1);
            QCOMPARE(int(packets[i].at("data").get<std::string>().size()), 2 * packetSizes[i]);
            expectedProgress << ModuleOtaSender::progressOf(i, int(packets.size()));
        }
        expectedProgress << 0;
        QCOMPARE(progress, expectedProgress);
        if (packets.size() == 3)
            QCOMPARE(progress, (QList<int>{333, 666, 1000, 0}));
        dialog->close();
        QTRY_VERIFY(!dialog);
    }

    void otaFailures_data()
    {
        QTest::addColumn<int>("startErr");
        QTest::addColumn<int>("packet"); // the packet scripted, -1 none
        QTest::addColumn<int>("reply");  // Packet
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("packetsSent");
        QTest::newRow("reboot time-out") << 1 << -1 << 0 << "Reboot module timeout." << 0;
        QTest::newRow("start time-out") << 2 << -1 << 0 << "Start OTA timeout." << 0;
        QTest::newRow("other start err") << 7 << -1 << 0 << "Unknown error." << 0;
        QTest::newRow("data error") << 0 << 1 << int(Packet::DataError) << "OTA data error." << 2;
        QTest::newRow("signature") << 0 << 2 << int(Packet::SignatureError) << "Signature verification failed." << 3;
        QTest::newRow("hub refuses a packet") << 0 << 0 << int(Packet::HubError) << "Unknown error" << 1;
    }

    void otaFailures()
    {
        QFETCH(int, startErr);
        QFETCH(int, packet);
        QFETCH(int, reply);
        QFETCH(QString, message);
        QFETCH(int, packetsSent);
        ModuleTestHub env;
        QVERIFY(env.start());
        env.modules().setStartErr(startErr);
        if (packet >= 0)
            env.modules().setPacketReply(packet, Packet(reply));
        QTemporaryDir dir;
        const QString path = writeFile(dir, "fw.bin", Test::makeOtaFile(kPipwick, Test::otaBody(600)));
        auto module = env.storeModule("can", kPipwick, "PW-FAIL", 4);
        ModuleOTADialog dialog(module);
        dialog.show();
        ModuleOTADialog::setFileChooser([path] { return path; });
        dialog.chooseOtaFile();
        ModuleOTADialog::setFileChooser({});
        dialog.startOTA();
        QTRY_COMPARE(env.messages(), QStringList{message});
        env.clearMessages();
        QTRY_VERIFY(!dialog.isUpgrading());
        QCOMPARE(env.modules().packets().size(), packetsSent);
        QCOMPARE(dialog.progressBar()->value(), 0);
        QVERIFY(dialog.startButton()->isEnabled());
        QVERIFY(!dialog.closeButton()->isHidden());
        QTest::qWait(30);
        QVERIFY(env.messages().isEmpty()); // one message, no success after it
    }

    void otaWithoutHub()
    {
        ModuleTestHub env;
        QTemporaryDir dir;
        const QString path = writeFile(dir, "fw.bin", Test::makeOtaFile(kPipwick, Test::otaBody(100)));
        ModuleOTADialog dialog(memoryModule("can", 1, "PW-NOHUB"));
        ModuleOTADialog::setFileChooser([path] { return path; });
        dialog.chooseOtaFile();
        ModuleOTADialog::setFileChooser({});
        dialog.startOTA();
        QTRY_COMPARE(env.messages(), QStringList{"No Kestrin Added"});
        env.clearMessages();
        QVERIFY(!dialog.isUpgrading());
    }

    // The sender on a session whose packet time-out is short: a silent packet ends the update
    // with a time-out as soon as its request gave up, not after the sender's own wait.
    void silentPacketEndsAtOnce()
    {
        ModuleTestHub env;
        QVERIFY(env.start());
        env.modules().setPacketReply(1, Packet::Silent);
        env.modules().setStartErr(0);
        KestrinTimings timings = Test::StandinHub::steadyTimings();
        timings.requestTimeout = [](int act, int ms) { return act == 30401 ? 300 : ms; };
        auto host = std::make_shared<KestrinHost>();
        host->connType = QStringLiteral("tcp");
        host->ip = Test::StandinHub::address();
        host->port = env.hub().port();
        host->sn = QStringLiteral("KS-FAST");
        host->token = encodeToken(QStringLiteral("valid"));
        auto device = std::make_shared<KestrinDevice>(host, timings);
        device->start(nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(device->isReady(), 5000);

        QList<int> failed;
        QList<int> finished;
        ModuleOtaSender::Callbacks callbacks;
        callbacks.onFailed = [&failed](int result) { failed << result; };
        callbacks.onFinished = [&finished](int result) { finished << result; };
        QElapsedTimer clock;
        clock.start();
        ModuleOtaSender::start(device, "can", Test::otaBody(600), 200, callbacks);
        // Before the sender's own packet wait would have ended it.
        const int ownWaitMs = ModuleOtaSender::Timings{}.packetWaitMs;
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, ownWaitMs);
        QVERIFY2(clock.elapsed() < ownWaitMs, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(failed, QList<int>{ModuleOtaSender::kResultTimeout});
        QCOMPARE(finished, QList<int>{ModuleOtaSender::kResultTimeout});
        QCOMPARE(ModuleOtaSender::errorText(failed.front()), QStringLiteral("Send OTA data timeout."));
        QCOMPARE(env.modules().packets().size(), 2);
        device->stop();
    }

    // An acknowledgement that comes after the sender stopped waiting ends the update as a
    // time-out, and the late answer changes nothing after it.
    void lateAcknowledgementTimesOut()
    {
        ModuleTestHub env;
        QVERIFY(env.start());
        env.modules().setPacketDelayMs(250);
        QList<int> failed;
        QList<int> finished;
        ModuleOtaSender::Callbacks callbacks;
        callbacks.onFailed = [&failed](int result) { failed << result; };
        callbacks.onFinished = [&finished](int result) { finished << result; };
        ModuleOtaSender::start(ProjectManager::instance()->getCurrentKestrin(), "can", Test::otaBody(600), 200,
                               callbacks, ModuleOtaSender::Timings{100, 100, 3000});
        QTRY_COMPARE(finished, QList<int>{ModuleOtaSender::kResultTimeout});
        QCOMPARE(failed, QList<int>{ModuleOtaSender::kResultTimeout});
        QTest::qWait(400);
        QCOMPARE(env.modules().packets().size(), 1);
        QCOMPARE(finished.size(), 1);
    }

    // The window may be deleted mid-update (the tray's "Exit"): the sender finishes on its own
    // copies and nothing reaches the deleted window.
    void windowDeletedMidUpdate()
    {
        ModuleTestHub env;
        QVERIFY(env.start());
        env.modules().setPacketDelayMs(10);
        QTemporaryDir dir;
        const QString path = writeFile(dir, "fw.bin", Test::makeOtaFile(kPipwick, Test::otaBody(4000)));
        auto module = env.storeModule("can", kPipwick, "PW-DEL", 4);
        auto* dialog = new ModuleOTADialog(module);
        dialog->show();
        ModuleOTADialog::setFileChooser([path] { return path; });
        dialog->chooseOtaFile();
        ModuleOTADialog::setFileChooser({});
        dialog->startOTA();
        QTRY_VERIFY(env.modules().packets().size() >= 3);
        delete dialog;
        QTRY_COMPARE_WITH_TIMEOUT(env.modules().completedUpdates(), 1, 5000);
        QTest::qWait(50);
        QVERIFY(env.messages().isEmpty());
    }

    void screenshotsOfTheUpdateWindow()
    {
        const QString shots = Test::screenshotDir();
        if (shots.isEmpty())
            QSKIP("ORVEL_SCREENSHOTS is not set");
        ModuleTestHub env;
        QVERIFY(env.start());
        env.modules().setPacketDelayMs(150);
        env.modules().setPacketReply(2, Packet::SignatureError);
        QTemporaryDir dir;
        const QString path = writeFile(dir, "fw.bin", Test::makeOtaFile(kPipwick, Test::otaBody(600), "1.4.2"));
        auto module = env.storeModule("can", kPipwick, "PW-SHOT", 4);
        ModuleOTADialog dialog(module);
        dialog.show();
        ModuleOTADialog::setFileChooser([path] { return path; });
        dialog.chooseOtaFile();
        ModuleOTADialog::setFileChooser({});
        // The error message stays open for its picture.
        MessageDialog::setAnswerProvider([](MessageDialog&) { return 0; });
        dialog.startOTA();
        QTRY_COMPARE(dialog.progressBar()->value(), 666);
        QVERIFY(dialog.grab().save(shots + QStringLiteral("/module_ota_66.png")));
        QTRY_VERIFY(visibleMessage());
        QTRY_VERIFY(!dialog.isUpgrading());
        MessageDialog* error = visibleMessage();
        QImage shot = dialog.grab().toImage();
        const QImage box = error->grab().toImage();
        QPainter(&shot).drawImage(QPoint((shot.width() - box.width()) / 2, (shot.height() - box.height()) / 2), box);
        QVERIFY(shot.save(shots + QStringLiteral("/module_ota_error.png")));
        QCOMPARE(error->text(), QStringLiteral("Signature verification failed."));
        error->close();
    }
};

ORVEL_WIDGET_TEST_MAIN(TestModuleLifecycle, 1600, 1000)
#include "tst_ModuleLifecycle.moc"
