// From the device row to a finished firmware update, with the real widgets against the stand-in
// hub: "+" lists the hub's module, "Add" stores it and its tile lights up, "Detail" shows the
// version the module reports, and "OTA" sends a generated update file. The runnable stand-in's
// modules, one of every product, are added and opened the same way.
#include "main/MainDeviceListAddingItem.h"
#include "main/MainDeviceListContent.h"
#include "main/MainDeviceListWidget.h"
#include "main/MainDeviceModule.h"
#include "main/MainWindow.h"
#include "module/ModuleAddDialogPogoPin.h"
#include "module/ModuleDetailsDialog.h"
#include "module/ModuleOTADialog.h"
#include "module/ModulePelloraDialog.h"
#include "module/ModulePelloraProfileEditor.h"
#include "module/ModulePipwickProfileEditor.h"
#include "module/ModuleRollaneProfileEditor.h"
#include "module/ModuleThessaProfileEditor.h"
#include "project/ProjectDbModuleBean.h"
#include "support/ModuleTestHub.h"
#include "support/OtaTestFile.h"
#include "support/ProjectTestUtils.h"
#include "support/StandinHubConsole.h"
#include "support/StandinHubModuleStates.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseDialog.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace OV;
using OV::Test::ModuleTestHub;
using OV::Test::StandinHubModules;

namespace {

template <typename Window>
Window* shownWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

QPushButton* buttonWithText(QWidget* parent, const QString& text)
{
    for (QPushButton* button : parent->findChildren<QPushButton*>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

} // namespace

class TestModuleEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { Test::applyBaseTheme(); }

    // The screen cube goes through the same "Detail" as every module.
    void addDetailAndUpdateFromTheDeviceRow_data()
    {
        QTest::addColumn<qulonglong>("product");
        QTest::addColumn<QString>("sn");
        QTest::newRow("key module") << qulonglong(0x10000001) << QStringLiteral("PW-E2E");
        QTest::newRow("screen cube") << qulonglong(0x10000003) << QStringLiteral("PL-E2E");
    }

    void addDetailAndUpdateFromTheDeviceRow()
    {
        QFETCH(qulonglong, product);
        QFETCH(QString, sn);
        const std::string serial = sn.toStdString();
        ModuleTestHub env;
        QVERIFY(env.start());
        env.modules().setModules({StandinHubModules::Module{serial.c_str(), product, 0, 1, "can"}});
        env.modules().setVersion("3.0.0");
        env.modules().setVersionAfterUpdate("3.0.1");
        Test::StandinHubModuleStates states;
        states.install(env.hub());
        states.setOnline(sn, true);

        MainDeviceListWidget row;
        row.resize(900, 200);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        QVERIFY(row.moduleTiles().isEmpty());

        // "+" opens the add window, which lists what the hub found.
        QTest::mouseClick(row.content()->addingItem(), Qt::LeftButton, {}, QPoint(10, 10));
        QPointer<ModuleAddDialogPogoPin> add;
        QTRY_VERIFY((add = shownWindow<ModuleAddDialogPogoPin>()) != nullptr);
        QTRY_COMPARE(add->rows().size(), size_t(1));
        QCOMPARE(add->actionButton()->text(), QStringLiteral("Add (1)"));
        QTest::mouseClick(add->actionButton(), Qt::LeftButton);
        QTRY_VERIFY(!add);

        // The tile appears, and the next online poll lights its dot.
        QTRY_COMPARE(row.moduleTiles().size(), 1);
        MainDeviceModule* tile = row.moduleTiles().front();
        QCOMPARE(tile->module()->sn, sn);
        QCOMPARE(tile->module()->netId, 1);
        QTRY_VERIFY_WITH_TIMEOUT(tile->isOnline(), MainDeviceListWidget::kOnlinePollMs + 3000);
        QCOMPARE(env.hub().receivedCount(30300), 1);

        // "Detail" from the tile's menu shows the version the module reports.
        connect(tile, &MainDeviceModule::contextMenuShown, this, [](QMenu* menu) {
            for (QAction* action : menu->actions()) {
                if (action->text() == QLatin1String("Detail"))
                    action->trigger();
            }
            menu->close();
        });
        QTest::mousePress(tile, Qt::RightButton, {}, QPoint(20, 20));
        QPointer<ModuleDetailsDialog> details;
        QTRY_VERIFY((details = shownWindow<ModuleDetailsDialog>()) != nullptr);
        QTRY_COMPARE(details->versionLabel()->text(), QStringLiteral("3.0.0"));

        // "OTA" with a generated update file.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("update.bin"));
        QVERIFY(Test::writeFileBytes(path, Test::makeOtaFile(uint32_t(product), Test::otaBody(1000), "3.0.1", 301)));
        ModuleOTADialog::setFileChooser([path] { return path; });
        QTest::mouseClick(buttonWithText(details, QStringLiteral("OTA")), Qt::LeftButton);
        QPointer<ModuleOTADialog> ota = details->otaDialog();
        QVERIFY(ota && ota->isVisible());
        QTest::mouseClick(ota->chooseButton(), Qt::LeftButton);
        ModuleOTADialog::setFileChooser({});
        QVERIFY(ota->startButton()->isEnabled());
        QTest::mouseClick(ota->startButton(), Qt::LeftButton);
        QTRY_COMPARE(env.messages(), QStringList{"Upgrade succeeded."});
        QCOMPARE(env.modules().completedUpdates(), 1);
        QCOMPARE(env.modules().packets().size(), 5);

        // Closing the update window brings the details back with the new version.
        ota->close();
        QTRY_VERIFY(!ota);
        QVERIFY(details->isVisible());
        QTRY_COMPARE(details->versionLabel()->text(), QStringLiteral("3.0.1"));

        // "Edit" renames the module; the tile takes the name.
        details->onClickRename();
        QVERIFY(details->renameDialog());
        details->renameEdit()->setText(QStringLiteral("Desk ") + sn);
        QTest::mouseClick(details->renameDialog()->button2, Qt::LeftButton);
        QTRY_VERIFY(!details->renameDialog());
        QCOMPARE(tile->toolTip(), QStringLiteral("Desk ") + sn);
        QCOMPARE(env.storedModules().front()->name, QStringLiteral("Desk ") + sn);
        details->close();
    }

    // The runnable stand-in's modules in the main window: "+" lists one of every product by its
    // model name, "Add" makes a tile of each, a selected tile opens its product's editor (the
    // power card has none), and the screen cube's "Config" opens its window. A line typed to
    // the stand-in reaches the row; the end of its input ends the stand-in.
    void everyProductOfTheStandin()
    {
        ModuleTestHub env(true);
        QVERIFY(env.start());
        const std::vector<StandinHubModules::Module> offered = StandinHubModules::everyProduct();
        env.modules().setModules(offered);
        Test::StandinHubModuleStates states;
        states.install(env.hub());
        for (const StandinHubModules::Module& module : offered)
            states.setOnline(QString::fromStdString(module.serialNumber), true);

        QPointer<MainWindow> window = new MainWindow;
        window->resize(1600, 1000);
        window->show();
        QTRY_VERIFY(MainWindow::currentProfile() != nullptr);
        auto* row = qobject_cast<MainDeviceListWidget*>(window->deviceList());
        QVERIFY(row && row->moduleTiles().isEmpty());

        QTest::mouseClick(row->content()->addingItem(), Qt::LeftButton, {}, QPoint(10, 10));
        QPointer<ModuleAddDialogPogoPin> add;
        QTRY_VERIFY((add = shownWindow<ModuleAddDialogPogoPin>()) != nullptr);
        // The list may need one rediscovery (10 s); the rest is room for a busy machine.
        QTRY_COMPARE_WITH_TIMEOUT(add->rows().size(), size_t(5), 30000);
        QStringList names;
        for (const auto& listed : add->rows())
            names << QString::fromStdString(listed.at("name").get<std::string>());
        QCOMPARE(names, (QStringList{"Pipwick", "Rollane", "Pellora", "Thessa", "Wakerin"}));
        QCOMPARE(add->actionButton()->text(), QStringLiteral("Add (5)"));
        QTest::mouseClick(add->actionButton(), Qt::LeftButton);
        QTRY_VERIFY(!add);
        QTRY_COMPARE(row->moduleTiles().size(), 5);

        const auto editorOf = [&]() { return qobject_cast<ModuleProfileEditor*>(window->editPanel()); };
        QMap<QString, MainDeviceModule*> tiles;
        for (MainDeviceModule* tile : row->moduleTiles())
            tiles.insert(tile->module()->sn, tile);
        tiles.value("PW-STANDIN-01")->setSelected(true);
        QTRY_VERIFY(qobject_cast<ModulePipwickProfileEditor*>(editorOf()));
        tiles.value("RL-STANDIN-01")->setSelected(true);
        QTRY_VERIFY(qobject_cast<ModuleRollaneProfileEditor*>(editorOf()));
        tiles.value("TH-STANDIN-01")->setSelected(true);
        QTRY_VERIFY(qobject_cast<ModuleThessaProfileEditor*>(editorOf()));
        tiles.value("PL-STANDIN-01")->setSelected(true);
        QTRY_VERIFY(qobject_cast<ModulePelloraProfileEditor*>(editorOf()));
        // The power card has no editor: the edit area shows none, not the screen cube's.
        tiles.value("WK-STANDIN-01")->setSelected(true);
        QVERIFY(!window->editPanel());

        tiles.value("PL-STANDIN-01")->onClickMenuConfig();
        QPointer<ModulePelloraDialog> cube;
        QTRY_VERIFY((cube = shownWindow<ModulePelloraDialog>()) != nullptr);
        cube->close();
        QTRY_VERIFY(!cube || !cube->isVisible());

        // Typed to the stand-in: the power card goes offline at the next poll.
        QTRY_VERIFY_WITH_TIMEOUT(tiles.value("WK-STANDIN-01")->isOnline(), MainDeviceListWidget::kOnlinePollMs + 3000);
        int input[2];
        QCOMPARE(::pipe(input), 0);
        QStringList printed;
        Test::StandinHubConsole console(env.hub(), states, input[0], [&printed](const std::string& line) {
            printed << QString::fromStdString(line);
        });
        QSignalSpy finished(&console, &Test::StandinHubConsole::finished);
        const QByteArray typed = "module WK-STANDIN-01 offline\nmodule TH-STANDIN-01 offline";
        QCOMPARE(::write(input[1], typed.constData(), size_t(typed.size())), ssize_t(typed.size()));
        QTRY_VERIFY_WITH_TIMEOUT(!tiles.value("WK-STANDIN-01")->isOnline(), MainDeviceListWidget::kOnlinePollMs + 3000);
        QVERIFY(finished.isEmpty());
        // The end of the input runs the last line, unfinished as it is, and ends the stand-in.
        ::close(input[1]);
        QTRY_COMPARE(finished.size(), 1);
        ::close(input[0]);
        QVERIFY(!states.isOnline(QStringLiteral("TH-STANDIN-01")));
        QCOMPARE(printed.last(), QStringLiteral("standard input closed: stopping"));
        QVERIFY(tiles.value("PW-STANDIN-01")->isOnline());
        delete window;
    }
};

ORVEL_WIDGET_TEST_MAIN(TestModuleEndToEnd, 1600, 1000)
#include "tst_ModuleEndToEnd.moc"
