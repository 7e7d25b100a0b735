// ORVEL_TEST_LABELS: journey
#include "cards/KSBasicWidgetItem.h"
#include "cards/KSPCCtrlWidgetItem.h"
#include "cards/KestrinAccuWeatherEditor.h"
#include "cards/KestrinCard.h"
#include "cards/KestrinCardBasicAccuWeatherEditor.h"
#include "cards/KestrinCardBasicWorldClockEditor.h"
#include "cards/KestrinCardPCCtrlEditor.h"
#include "cards/KestrinDeviceScreenUI.h"
#include "cards/KestrinDeviceUI.h"
#include "cards/KestrinWidgetListPanel.h"
#include "cards/SimpleKestrinCard.h"
#include "cards/WidgetListGroupItem.h"
#include "device/KSCmdUseCase.h"
#include "device/KestrinDevice.h"
#include "device/KestrinSearchResult.h"
#include "device/KestrinSearcher.h"
#include "device/OSCtrlExecutor.h"
#include "main/MainKestrinDialog.h"
#include "main/MainKestrinWidget.h"
#include "main/MainTitleBar.h"
#include "main/MainWindow.h"
#include "main/NewProjectWindow.h"
#include "main/ProgressButton.h"
#include "main/StartRecentListItem.h"
#include "main/StartWindow.h"
#include "os/OSControllerWin.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "scene/SceneOSCtrlOpenBrowser.h"
#include "support/CardsTestUtils.h"
#include "support/DeployTestUtils.h"
#include "support/FakeOsPlatform.h"
#include "support/StandInHttpServer.h"
#include "support/StandinHub.h"
#include "support/StandinHubDiscovery.h"
#include "support/WidgetTestEnv.h"
#include "widgets/MessageDialog.h"
#include "widgets/ToastWidget.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

#include <memory>

using namespace OV;
using Json = nlohmann::json;

namespace {

const QHostAddress kResponderAddress(QStringLiteral("127.0.0.2"));
const QHostAddress kOwnAddress(QStringLiteral("127.0.0.3"));

template <typename T>
T* window()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<T*>(w); found && found->isVisible())
            return found;
    }
    return nullptr;
}

template <typename Row>
Row* row(QWidget* in, const QString& name)
{
    for (auto* candidate : in->findChildren<Row*>()) {
        if (candidate->name() == name)
            return candidate;
    }
    return nullptr;
}

template <typename Editor>
Editor* openEditor(KestrinCard* card)
{
    card->showEditor();
    QCoreApplication::processEvents();
    for (Editor* editor : MainWindow::instance()->findChildren<Editor*>()) {
        if (editor->card() == card)
            return editor;
    }
    return nullptr;
}

} // namespace

// A user's ordinary day, from the first window to the hub and back, against the stand-in hub
// and the stand-in upload endpoint on loopback. Only the desktop's process starter is recorded
// instead of run.
class TestJourney : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void fromStartWindowToHubAndBack()
    {
        QVERIFY(m_dir.isValid());
        Test::applyBaseTheme();
        QStringList messages;
        MessageDialog::setAnswerProvider([&messages](MessageDialog& dialog) {
            messages << dialog.text();
            // The pairing prompt closes by itself once the hub confirms.
            return dialog.text().startsWith(QLatin1String("Your request")) ? 0 : 3;
        });

        Test::StandinHub hub;
        QVERIFY(hub.listen());
        hub.setIssuedToken(QStringLiteral("journey-token"));
        hub.setConfirmDelayMs(300);
        Test::StandinHubDiscovery discovery;
        QVERIFY(discovery.listen(kResponderAddress, 0));
        discovery.setReply(Test::StandinHubDiscovery::makeReply(QStringLiteral("KS-JOURNEY"),
                                                                Test::StandinHub::address(), hub.port()));
        KestrinSearchOptions search;
        search.target = kResponderAddress;
        search.targetPort = discovery.port();
        search.bindPort = 0;
        search.intervalMs = 300;
        search.localAddress = kOwnAddress;
        MainKestrinDialog::setSearchOptions(search);
        Test::StandInHttpServer http;
        QVERIFY(http.start());
        http.route(QStringLiteral("/upload/zip"), Test::HttpReply::json({{"state", 200}, {"msg", "ok"}}));
        ProjectManager* pm = ProjectManager::instance();
        DeploySettings settings;
        settings.tempDir = m_dir.filePath(QStringLiteral("temp"));
        settings.uploadPort = http.port();
        pm->setDeploySettings(settings);
        Test::FakeOsPlatform platform;
        OSControllerWin controller(platform.platform(), nullptr);
        OSCtrlExecutor executor(&controller);
        KSCmdUseCase commands(&executor);
        pm->setHubCommandHandler([&commands](const std::shared_ptr<KestrinDevice>& device,
                                             const KestrinMessage& message) { commands.process(device, message); });

        // Start window -> New Project -> main window.
        auto* start = new StartWindow(nullptr);
        start->show();
        start->newButton()->click();
        NewProjectWindow* form = window<NewProjectWindow>();
        QVERIFY(form);
        form->nameField()->setText(QStringLiteral("Journey"));
        form->folderField()->setText(m_dir.path());
        form->createButton()->click();
        QTRY_VERIFY(MainWindow::instance());
        MainWindow* main = MainWindow::instance();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        QTRY_VERIFY(MainWindow::currentProfile());

        // "Search Kestrin" finds the stand-in; Select; the pairing is confirmed on the hub.
        auto* hubWidget = main->findChild<MainKestrinWidget*>();
        QVERIFY(hubWidget);
        QPointer<MainKestrinDialog> dialog;
        connect(hubWidget, &MainKestrinWidget::kestrinDialogShown, this,
                [&dialog](QWidget* shown) { dialog = qobject_cast<MainKestrinDialog*>(shown); });
        hubWidget->showKestrinDialog();
        QVERIFY(dialog);
        QTRY_COMPARE_WITH_TIMEOUT(dialog->hubList()->count(), 2, 5000);
        QWidget* hubRow = dialog->hubList()->itemWidget(dialog->hubList()->item(1));
        QTest::mousePress(hubRow, Qt::LeftButton, {}, QPoint(20, 10));
        QTest::mouseRelease(hubRow, Qt::LeftButton, {}, QPoint(20, 10));
        QVERIFY(dialog->confirmButton()->isEnabled());
        dialog->confirmButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(pm->getCurrentKestrin() && pm->getCurrentKestrin()->isReady(), 8000);
        QCOMPARE(hub.receivedCount(KestrinDevice::kActRequestToken), 1);

        // Three cards dragged from the widget list onto the hub's screen.
        KestrinDeviceScreenUI* strip = main->findChild<KestrinDeviceUI*>()->screen();
        auto* panel = main->findChild<KestrinWidgetListPanel*>();
        QTRY_VERIFY(row<KSBasicWidgetItem>(panel, QStringLiteral("World Clock")));
        Test::dropOnStrip(strip, Test::dragPayload(row<KSBasicWidgetItem>(panel, QStringLiteral("World Clock"))),
                          QPoint(5000, 50));
        Test::dropOnStrip(strip, Test::dragPayload(row<KSBasicWidgetItem>(panel, QStringLiteral("Accu Weather"))),
                          QPoint(5000, 50));
        panel->groups()[1]->setExpanded(true);
        QTRY_VERIFY(row<KSPCCtrlWidgetItem>(panel, QStringLiteral("Open Browser")));
        Test::dropOnStrip(strip, Test::dragPayload(row<KSPCCtrlWidgetItem>(panel, QStringLiteral("Open Browser"))),
                          QPoint(5000, 50));
        QCOMPARE(strip->cardCount(), 3);
        KestrinCard* clock = strip->cardAt(0);
        KestrinCard* weather = strip->cardAt(1);
        KestrinCard* browser = strip->cardAt(2);

        // Edit each and save.
        auto* clockEditor = openEditor<KestrinCardBasicWorldClockEditor>(clock);
        QVERIFY(clockEditor);
        clockEditor->nameEdit()->setText(QStringLiteral("Adelaide office"));
        clockEditor->zoneBox()->setCurrentIndex(
            clockEditor->zoneBox()->findText(QStringLiteral("Adelaide - Australia")));
        clockEditor->saveButton()->click();

        auto* weatherEditor = openEditor<KestrinCardBasicAccuWeatherEditor>(weather);
        QVERIFY(weatherEditor);
        weatherEditor->keyButton()->click();
        KestrinAccuWeatherEditor* keyDialog = window<KestrinAccuWeatherEditor>();
        QVERIFY(keyDialog);
        keyDialog->keyEdit()->setText(QStringLiteral(" journey-key "));
        keyDialog->celsiusButton()->setChecked(true);
        keyDialog->button2->click();
        QTRY_COMPARE(weatherEditor->keyStateLabel()->text(), QStringLiteral("Configured"));
        weatherEditor->latitudeEdit()->setText(QStringLiteral("-34.93"));
        weatherEditor->longitudeEdit()->setText(QStringLiteral("138.6"));
        weatherEditor->saveButton()->click();

        auto* browserEditor = openEditor<KestrinCardPCCtrlEditor>(browser);
        QVERIFY(browserEditor);
        browserEditor->nameEdit()->setText(QStringLiteral("Docs"));
        qobject_cast<SceneOSCtrlOpenBrowser*>(browserEditor->page())
            ->lineEdit()
            ->setText(QStringLiteral("https://example.org/desk"));
        browserEditor->saveButton()->click();
        QVERIFY(messages.filter(QStringLiteral("Details")).isEmpty());

        // Deploy.
        ProgressButton* deploy = main->mainTitleBar()->deployButton();
        QTRY_VERIFY(!deploy->isHidden());
        deploy->click();
        // The editors' "Save successful" toasts may still be up beside it.
        const auto deployToastShown = []() {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* toast = qobject_cast<ToastWidget*>(w);
                if (toast && toast->isVisible() && toast->text() == QLatin1String("Deploy Success"))
                    return true;
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(deployToastShown(), 15000);

        QCOMPARE(hub.receivedCount(1108), 1);
        const Json widgets = hub.received(1108).first().at("data").at(0).at("widget");
        QCOMPARE(widgets.size(), size_t(3));
        QVERIFY2(widgets[0].at("type") == "WORLD_TIME" && widgets[0].at("name") == "Adelaide office" &&
                     widgets[0].at("param").at("offset") == "GMT+9:30",
                 widgets[0].dump().c_str());
        QVERIFY2(widgets[1].at("type") == "WEATHER" &&
                     widgets[1].at("param") == Json({{"lat", "-34.93"}, {"lon", "138.6"}}),
                 widgets[1].dump().c_str());
        QVERIFY2(widgets[2].at("type") == "PC_CONTROL" && widgets[2].at("name") == "Docs" &&
                     widgets[2].at("param").at("payload").at("params").at("url") == "https://example.org/desk",
                 widgets[2].dump().c_str());
        QCOMPARE(hub.receivedCount(1010), 1);
        QVERIFY(
            hub.received(1010).first().at("data") ==
            Json({{"packageName", "com.orvelbar.weather"}, {"config", {{"apiKey", "journey-key"}, {"metric", true}}}}));
        const Test::HttpRequest* upload = nullptr;
        for (const Test::HttpRequest& request : http.requests()) {
            if (request.path == QLatin1String("/upload/zip"))
                upload = &request;
        }
        QVERIFY(upload);
        const QMap<QString, QByteArray> entries = Test::zipEntries(upload->parts.value(0).data);
        QVERIFY2(entries.contains(QStringLiteral("image/%1.png").arg(browser->bean()->uid)),
                 qPrintable(QStringList(entries.keys()).join(QLatin1Char(' '))));

        // The hub hands the card's action back: the browser opens the address.
        hub.sendCommand("PC_CONTROL", widgets[2].at("param").at("payload"));
        QTRY_COMPARE(platform.launcher->calls.size(), size_t(1));
        QCOMPARE(platform.launcher->calls[0].arguments, QStringList{QStringLiteral("https://example.org/desk")});

        // Close the project and open it again from the recent list.
        const QStringList uids{clock->bean()->uid, weather->bean()->uid, browser->bean()->uid};
        main->closeProject();
        QTRY_VERIFY(!MainWindow::instance());
        QTRY_VERIFY((start = window<StartWindow>()) != nullptr);
        StartRecentListItem* recent = nullptr;
        for (auto* item : start->findChildren<StartRecentListItem*>()) {
            // Earlier runs may have left entries of the same name in other folders.
            if (item->name() == QLatin1String("Journey") && QFileInfo(item->folder()) == QFileInfo(m_dir.path()))
                recent = item;
        }
        QVERIFY(recent);
        QTest::mouseClick(recent->clickArea(), Qt::LeftButton, {}, QPoint(10, 10));
        QTRY_VERIFY(MainWindow::instance());
        main = MainWindow::instance();
        strip = main->findChild<KestrinDeviceUI*>()->screen();
        QTRY_COMPARE(strip->cardCount(), 3);
        QStringList reopened;
        for (int i = 0; i < 3; ++i)
            reopened << strip->cardAt(i)->bean()->uid;
        QCOMPARE(reopened, uids);
        QCOMPARE(static_cast<SimpleKestrinCard*>(strip->cardAt(0))->nameText(), QStringLiteral("Adelaide office"));
        QCOMPARE(static_cast<SimpleKestrinCard*>(strip->cardAt(2))->nameText(), QStringLiteral("Docs"));
        QVERIFY(strip->cardAt(1)->configuration().at("latitude") == "-34.93");
        if (const QString dir = Test::screenshotDir(); !dir.isEmpty())
            QVERIFY(main->grab().save(dir + QStringLiteral("/journey_reopened.png")));

        delete main;
        pm->setCurrentKestrin(nullptr);
        pm->closeProject();
        pm->setHubCommandHandler({});
        MessageDialog::setAnswerProvider({});
        MainKestrinDialog::setSearchOptions(std::nullopt);
    }
};

ORVEL_WIDGET_TEST_MAIN(TestJourney, 1920, 1040)
#include "tst_Journey.moc"
