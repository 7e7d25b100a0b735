#include "cards/KSBasicWidgetItem.h"
#include "cards/KSPCCtrlWidgetItem.h"
#include "cards/KSPluginWidgetGroup.h"
#include "cards/KSPluginWidgetItem.h"
#include "cards/KestrinCard.h"
#include "cards/KestrinDeviceScreenUI.h"
#include "cards/KestrinDeviceUI.h"
#include "cards/KestrinWidgetListPanel.h"
#include "main/MainWindow.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "store/MainUtils.h"
#include "support/CardsTestUtils.h"
#include "support/DeployTestUtils.h"
#include "support/StandInHttpServer.h"
#include "support/StandinHub.h"
#include "support/WidgetTestEnv.h"
#include "widgets/MessageDialog.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

#include <memory>

using namespace OV;
using Json = nlohmann::json;

// Cards dropped on the strip reach the hub by the deploy exactly as they are stored, with
// their icons in the uploaded archive.
class TestCardsDeploy : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    template <typename Row>
    Row* row(MainWindow& window, const QString& name)
    {
        for (auto* candidate : window.findChildren<Row*>()) {
            if (candidate->name() == name)
                return candidate;
        }
        return nullptr;
    }

    std::unique_ptr<Test::StandinHub> m_hub;
    std::unique_ptr<MainWindow> m_window;
    KestrinDeviceScreenUI* m_strip = nullptr;
    KestrinWidgetListPanel* m_panel = nullptr;

    // A new project with the test plug-in installed, shown in the main window, its hub the
    // stand-in.
    void openDesk(const QString& projectName)
    {
        QVERIFY(m_dir.isValid());
        m_hub = std::make_unique<Test::StandinHub>();
        QVERIFY(m_hub->listen());
        Test::applyBaseTheme();
        MessageDialog::setAnswerProvider([](MessageDialog&) { return 3; });
        MainUtils::setPluginRoot(m_dir.path() + QStringLiteral("/plugin"));
        ProjectManager* pm = ProjectManager::instance();
        QVERIFY(pm->createProject(projectName, m_dir.path()).isOk());
        QVERIFY(
            Test::installTestPlugin(QStringLiteral("keys-uuid"), QStringLiteral("Office Keys"),
                                    "[{\"id\":\"btn-copy\",\"name\":\"Copy\",\"icon\":\"file://Icons/Key.png\","
                                    "\"param\":{\"output\":5,\"keys\":[224,6]}},"
                                    "{\"id\":\"btn-docs\",\"name\":\"Docs\",\"icon\":\"https://127.0.0.1:9/docs.png\","
                                    "\"param\":{\"output\":10,\"payload\":{\"action\":\"openBrowser\"}}}]",
                                    m_dir.path()) > 0);
        m_window = std::make_unique<MainWindow>();
        m_window->resize(1600, 960);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY(Test::connectStandinHub(*m_hub));
        const auto profile = pm->getProfileUseCase()->findFirst(QStringLiteral("true"));
        QVERIFY(profile.isOk() && *profile.data);
        MainWindow::setCurrentProfile(*profile.data);
        m_strip = m_window->findChild<KestrinDeviceUI*>()->screen();
        m_panel = m_window->findChild<KestrinWidgetListPanel*>();
        QVERIFY(m_strip && m_panel);
    }

    KSPluginWidgetGroup* expandedPlugin()
    {
        auto* plugin = dynamic_cast<KSPluginWidgetGroup*>(m_panel->groups().back().get());
        if (plugin)
            plugin->setExpanded(true);
        return plugin;
    }

private slots:
    void cleanup()
    {
        m_window.reset();
        ProjectManager::instance()->closeProject();
        m_hub.reset();
        MessageDialog::setAnswerProvider({});
    }

    void dropThreeCardsAndDeploy()
    {
        Test::StandInHttpServer http;
        QVERIFY(http.start());
        http.route(QStringLiteral("/upload/zip"), Test::HttpReply::json({{"state", 200}, {"msg", "ok"}}));
        openDesk(QStringLiteral("deploy"));
        if (QTest::currentTestFailed())
            return;
        ProjectManager* pm = ProjectManager::instance();
        Test::StandinHub& hub = *m_hub;
        MainWindow& window = *m_window;
        KestrinDeviceScreenUI* strip = m_strip;
        KestrinWidgetListPanel* panel = m_panel;
        {
            QTRY_VERIFY(row<KSBasicWidgetItem>(window, QStringLiteral("Clock")));
            Test::dropOnStrip(strip, Test::dragPayload(row<KSBasicWidgetItem>(window, QStringLiteral("Clock"))),
                              QPoint(5000, 50));
            panel->groups()[1]->setExpanded(true);
            QTRY_VERIFY(row<KSPCCtrlWidgetItem>(window, QStringLiteral("Open Browser")));
            Test::dropOnStrip(strip, Test::dragPayload(row<KSPCCtrlWidgetItem>(window, QStringLiteral("Open Browser"))),
                              QPoint(5000, 50));
            KSPluginWidgetGroup* plugin = expandedPlugin();
            QVERIFY(plugin);
            QTRY_VERIFY(plugin->header());
            Test::dropOnStrip(strip, Test::dragPayload(plugin->header()), QPoint(5000, 50));
            QCOMPARE(strip->cardCount(), 3);

            QStringList widgetTypes;
            std::vector<Json> stored;
            QStringList uids;
            for (int i = 0; i < 3; ++i) {
                widgetTypes << strip->cardAt(i)->bean()->widgetType;
                stored.push_back(strip->cardAt(i)->deploymentData());
                uids << strip->cardAt(i)->bean()->uid;
            }
            QCOMPARE(widgetTypes, QStringList({"basic", "pcCtrl", "pcCtrlGroup"}));

            DeploySettings settings;
            settings.tempDir = m_dir.path() + QStringLiteral("/temp");
            settings.uploadPort = http.port();
            pm->setDeploySettings(settings);
            int calls = 0;
            BaseResult<void> outcome;
            pm->deployProject([&](const BaseResult<void>& result) {
                ++calls;
                outcome = result;
            });
            QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 15000);
            QVERIFY2(outcome.isOk(), qPrintable(QString::number(outcome.code()) + QLatin1Char(' ') + outcome.message));

            QCOMPARE(hub.receivedCount(1108), 1);
            const Json widgets = hub.received(1108).first().at("data").at(0).at("widget");
            QCOMPARE(widgets.size(), size_t(3));
            QVERIFY2(widgets[0] == stored[0], widgets[0].dump().c_str());
            QVERIFY2(widgets[1] == stored[1], widgets[1].dump().c_str());
            QVERIFY(widgets[1].at("param").at("payload").at("action") == "openBrowser");
            // The group goes as stored, its package's button icons pointed at the exported files.
            Json group = stored[2];
            const QString buttonPicture = uids[2] + QStringLiteral("-btn-copy.png");
            group["param"]["button"][0]["icon"] = "file://image/" + buttonPicture.toStdString();
            QVERIFY2(widgets[2] == group, widgets[2].dump().c_str());
            QVERIFY(widgets[2].at("id") == uids[2].toStdString());

            QList<Test::HttpRequest> uploads;
            for (const Test::HttpRequest& request : http.requests()) {
                if (request.path == QLatin1String("/upload/zip"))
                    uploads << request;
            }
            QCOMPARE(uploads.size(), 1);
            const QMap<QString, QByteArray> entries = Test::zipEntries(uploads.first().parts.value(0).data);
            QStringList names = entries.keys();
            names.sort();
            QStringList expected{QStringLiteral("image/%1.png").arg(uids[1]),
                                 QStringLiteral("image/%1.png").arg(uids[2]), QStringLiteral("image/") + buttonPicture};
            for (const QString& name : expected)
                QVERIFY2(names.contains(name), qPrintable(names.join(QLatin1Char(' '))));
            QVERIFY(!names.contains(QStringLiteral("image/%1.png").arg(uids[0])));
            QVERIFY(!QImage::fromData(entries.value(QStringLiteral("image/") + buttonPicture)).isNull());
        }
    }

    // Two cards dragged from one plug-in row, whose picture is there at once, each have an id of
    // their own on the hub from the drop on, before any editor saves them.
    void twoCardsFromOnePluginRow()
    {
        openDesk(QStringLiteral("rows"));
        if (QTest::currentTestFailed())
            return;
        QVERIFY(expandedPlugin());
        QTRY_VERIFY(row<KSPluginWidgetItem>(*m_window, QStringLiteral("Copy")));
        for (int i = 0; i < 2; ++i)
            Test::dropOnStrip(m_strip, Test::dragPayload(row<KSPluginWidgetItem>(*m_window, QStringLiteral("Copy"))),
                              QPoint(5000, 50));
        QCOMPARE(m_strip->cardCount(), 2);
        QStringList ids;
        for (int i = 0; i < 2; ++i) {
            const auto card = m_strip->cardAt(i)->bean();
            const auto stored = ProjectManager::instance()->getProfileKsWidgetUseCase()->accessor->findById(card->id);
            QVERIFY(stored.isOk() && *stored.data);
            ids << QString::fromStdString((*stored.data)->data["deploymentData"]["id"].get<std::string>());
            QCOMPARE(ids.back(), card->uid);
        }
        QVERIFY(ids[0] != ids[1]);
    }
};

ORVEL_WIDGET_TEST_MAIN(TestCardsDeploy, 1920, 1040)
#include "tst_CardsDeploy.moc"
