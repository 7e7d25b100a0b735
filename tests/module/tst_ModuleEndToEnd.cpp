// From the device row to a finished firmware update, with the real widgets against the stand-in
// hub: "+" lists the hub's module, "Add" stores it and its tile lights up, "Detail" shows the
// version the module reports, and "OTA" sends a generated update file.
#include "main/MainDeviceListAddingItem.h"
#include "main/MainDeviceListContent.h"
#include "main/MainDeviceListWidget.h"
#include "main/MainDeviceModule.h"
#include "module/ModuleAddDialogPogoPin.h"
#include "module/ModuleDetailsDialog.h"
#include "module/ModuleOTADialog.h"
#include "project/ProjectDbModuleBean.h"
#include "support/ModuleTestHub.h"
#include "support/OtaTestFile.h"
#include "support/ProjectTestUtils.h"
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
#include <QTemporaryDir>
#include <QTest>

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
};

ORVEL_WIDGET_TEST_MAIN(TestModuleEndToEnd, 1600, 1000)
#include "tst_ModuleEndToEnd.moc"
