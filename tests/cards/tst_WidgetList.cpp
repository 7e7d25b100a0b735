#include "cards/KSAppWidgetGroup.h"
#include "cards/KSPCCtrlWidgetItem.h"
#include "cards/KSPluginWidgetGroup.h"
#include "cards/KSPluginWidgetItem.h"
#include "cards/KestrinWidgetListPanel.h"
#include "cards/SimpleWidgetListContentItem.h"
#include "core/EventBus.h"
#include "main/DelayOpMessageDialog.h"
#include "project/ProjectManager.h"
#include "project/ProjectPluginUseCase.h"
#include "store/MainUtils.h"
#include "support/CardsTestUtils.h"
#include "support/StandinHub.h"
#include "support/StandinHubAppList.h"
#include "support/WidgetTestEnv.h"
#include "widgets/CollapsibleListWidget.h"
#include "widgets/MessageDialog.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <nlohmann/json.hpp>

#include <memory>

using namespace OV;
using Json = nlohmann::json;

namespace {

// Buttons of the test plug-in: a hotkey, a text, a web page and a file; typeIds in that order.
const char* kButtons =
    "["
    "{\"name\":\"Copy\",\"icon\":\"file://icons/key.png\",\"param\":{\"output\":5,\"keys\":[224,6]}},"
    "{\"name\":\"Sign\",\"icon\":\"file://ICONS/key.png\",\"iconScale\":70,"
    "\"param\":{\"output\":10,\"payload\":{\"action\":\"inputText\",\"params\":{\"text\":\"Hi\"}}}},"
    "{\"name\":\"Docs\",\"icon\":\"file://icons/key.png\","
    "\"param\":{\"output\":10,\"payload\":{\"action\":\"openBrowser\"}}},"
    "{\"name\":\"Notes\",\"icon\":\"file://icons/key.png\","
    "\"param\":{\"output\":10,\"payload\":{\"action\":\"openFileOrFolder\"}}}]";

} // namespace

class TestWidgetList : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    // The window look the panel has inside the main window.
    std::unique_ptr<QWidget> m_host;
    KestrinWidgetListPanel* m_panel = nullptr;
    std::unique_ptr<Test::StandinHub> m_hub;

    QStringList titles() const
    {
        QStringList list;
        for (const auto& group : m_panel->groups())
            list << group->title() + (group->isExpanded() ? QStringLiteral("+") : QString());
        return list;
    }

    template <typename T>
    T* group() const
    {
        for (const auto& group : m_panel->groups()) {
            if (auto* found = dynamic_cast<T*>(group.get()))
                return found;
        }
        return nullptr;
    }

    // Lets the list make the widgets of the groups in view.
    void settle()
    {
        QCoreApplication::processEvents();
        m_panel->list()->updateItemGeometries();
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase()
    {
        Test::applyBaseTheme();
        QVERIFY(m_dir.isValid());
        MainUtils::setPluginRoot(m_dir.path() + QStringLiteral("/plugin"));
        QVERIFY(ProjectManager::instance()->createProject(QStringLiteral("list"), m_dir.path()).isOk());
        QVERIFY(Test::installTestPlugin(QStringLiteral("keys-uuid"), QStringLiteral("Office Keys"),
                                        QByteArray(kButtons), m_dir.path()) > 0);
        m_host = std::make_unique<QWidget>();
        m_host->setObjectName(QStringLiteral("window"));
        auto* layout = new QVBoxLayout(m_host.get());
        layout->setContentsMargins(0, 0, 0, 0);
        m_panel = new KestrinWidgetListPanel(m_host.get());
        layout->addWidget(m_panel);
        m_host->resize(420, 1000);
        m_host->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
        settle();
    }

    void cleanupTestCase()
    {
        m_host.reset();
        ProjectManager::instance()->closeProject();
        m_hub.reset();
    }

    void groupsAndHeights()
    {
        QCOMPARE(titles(), QStringList({"Basic+", "System", "Module", "App", "Multi-Action", "Office Keys"}));
        const QList<CollapsibleListWidget::Node*>& nodes = m_panel->list()->nodes();
        QCOMPARE(nodes.size(), 6);
        const double heights[] = {233, 468, 45, 0, 45, 0};
        for (int i = 0; i < nodes.size(); ++i) {
            QCOMPARE(nodes[i]->headerHeight, 45.0);
            QCOMPARE(nodes[i]->contentHeight, heights[i]);
        }
    }

    void headerClickToggles()
    {
        auto* header = m_panel->groups().front()->header();
        QVERIFY(header);
        QTest::mouseClick(header, Qt::LeftButton, {}, QPoint(60, 20));
        QVERIFY(!m_panel->groups().front()->isExpanded());
        QVERIFY(!m_panel->list()->isAnimating());
        QTest::mouseClick(header, Qt::LeftButton, {}, QPoint(60, 20));
        QVERIFY(m_panel->groups().front()->isExpanded());
        // The fixed groups' headers never drag; the plug-in group's does.
        QVERIFY(!header->isDraggable());
    }

    void systemRowPayloads_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("config");
        QTest::newRow("memory") << "Memory Usage"
                                << QByteArray("{\"extCmd\":\"MEMORY\",\"icon\":\":/profile/image/icon_pc_memory.png\","
                                              "\"name\":\"Memory Usage\",\"typeId\":\"cpuUsage\"}");
        QTest::newRow("open file") << "Open File/Folder"
                                   << QByteArray("{\"extCmd\":\"\",\"icon\":\":/profile/image/icon_pc_open_file.png\","
                                                 "\"name\":\"Open File/Folder\",\"typeId\":\"openFile\"}");
    }

    void systemRowPayloads()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, config);
        m_panel->groups()[1]->setExpanded(true);
        settle();
        KSPCCtrlWidgetItem* row = nullptr;
        for (auto* candidate : m_panel->findChildren<KSPCCtrlWidgetItem*>()) {
            if (candidate->name() == name)
                row = candidate;
        }
        QVERIFY(row);
        const Json payload = Json::parse(Test::dragPayload(row).toStdString());
        QCOMPARE(QByteArray::fromStdString(payload.at("config").dump()), config);
        QVERIFY(payload.at("widgetType") == "pcCtrl");
        m_panel->groups()[1]->setExpanded(false);
    }

    void appGroupWithoutHubAsksNothing()
    {
        KSAppWidgetGroup* apps = group<KSAppWidgetGroup>();
        apps->setExpanded(true);
        settle();
        QVERIFY(apps->refreshButton() && apps->refreshButton()->isVisible());
        QVERIFY(apps->content());
        QCOMPARE(apps->contentItems().size(), size_t(0));
        apps->setExpanded(false);
        QVERIFY(!apps->refreshButton()->isVisible());
    }

    void appGroupListsTheHubsApps()
    {
        m_hub = std::make_unique<Test::StandinHub>();
        QVERIFY(m_hub->listen());
        Test::installAppList(*m_hub);
        QVERIFY(Test::connectStandinHub(*m_hub));
        KSAppWidgetGroup* apps = group<KSAppWidgetGroup>();
        apps->setExpanded(true);
        settle();
        apps->refreshButton()->click();
        QTRY_COMPARE(apps->contentItems().size(), size_t(3));
        QCOMPARE(m_hub->receivedCount(1002), 1);
        QVERIFY(m_hub->received(1002).first().at("data") == "sys.widget.apps");
        QCOMPARE(apps->node()->contentHeight, 139.0);
        const Json payload = Json::parse(Test::dragPayload(apps->contentItems()[0]).toStdString());
        QVERIFY(payload.at("config") == Json({{"iconUrl", ":/profile/image/icon_basic_clock.png"},
                                              {"name", "Calendar"},
                                              {"package", "app.calendar"},
                                              {"type", 1}}));
        QVERIFY(payload.at("widgetType") == "app");

        // An empty list empties the group.
        m_hub->replyOk(1002, Json::array());
        apps->refreshButton()->click();
        QTRY_COMPARE(apps->contentItems().size(), size_t(0));
        QCOMPARE(apps->node()->contentHeight, 0.0);
        apps->setExpanded(false);
    }

    void pluginGroupRowsAndHeader()
    {
        KSPluginWidgetGroup* plugin = group<KSPluginWidgetGroup>();
        QVERIFY(plugin);
        plugin->setExpanded(true);
        settle();
        QTRY_COMPARE(plugin->contentItems().size(), size_t(4));
        const char* typeIds[] = {"hotKey", "inputText", "openBrowser", "openFile"};
        QString firstId;
        for (size_t i = 0; i < 4; ++i) {
            const Json payload = Json::parse(Test::dragPayload(plugin->contentItems()[i]).toStdString());
            const Json& config = payload.at("config");
            QVERIFY2(config.at("typeId") == typeIds[i], config.dump().c_str());
            QVERIFY(config.at("pluginUuid") == "keys-uuid");
            QVERIFY(config.at("deploymentData").at("type") == "PC_CONTROL");
            QVERIFY(config.at("deploymentData").at("param") == config.at("deploymentData").at("param"));
            if (i == 1)
                QVERIFY(config.at("iconScale") == 70);
        }
        // The rows show the package's icon once unpacked.
        QTRY_VERIFY(plugin->contentItems()[0]->icon().width() == 32);

        KestrinDragWidget* header = plugin->header();
        QVERIFY(header && header->isDraggable());
        const Json payload = Json::parse(Test::dragPayload(header).toStdString());
        QVERIFY(payload.at("widgetType") == "pcCtrlGroup");
        QVERIFY(payload.at("config").at("deploymentData").at("type") == "HOT_KEY_GROUP");
        QCOMPARE(payload.at("config").at("deploymentData").at("param").at("button").size(), size_t(4));
        QVERIFY(payload.at("config").at("pluginUuid") == "keys-uuid");
    }

    void rebuildKeepsOrderAndExpansion()
    {
        m_panel->groups()[1]->setExpanded(true);
        const QStringList before = titles();
        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QStringLiteral("ON_PRE_DEPLOY")));
        QCOMPARE(titles(), before);
        QVERIFY(Test::installTestPlugin(QStringLiteral("more-uuid"), QStringLiteral("More Keys"), "[]", m_dir.path()) >
                0);
        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QStringLiteral("ON_PLUGIN_INSTALLED")));
        settle();
        QCOMPARE(titles(), before + QStringList{"More Keys"});
    }

    void brokenPluginButtonLoadsNoRows()
    {
        QVERIFY(Test::installTestPlugin(QStringLiteral("bad-uuid"), QStringLiteral("Bad Keys"),
                                        "[{\"name\":\"Run\",\"icon\":\"\",\"param\":{\"output\":10,"
                                        "\"payload\":{\"action\":\"startApp\"}}}]",
                                        m_dir.path()) > 0);
        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QStringLiteral("ON_PLUGIN_INSTALLED")));
        KSPluginWidgetGroup* bad = nullptr;
        for (const auto& g : m_panel->groups()) {
            if (g->title() == QLatin1String("Bad Keys"))
                bad = dynamic_cast<KSPluginWidgetGroup*>(g.get());
        }
        QVERIFY(bad);
        bad->setExpanded(true);
        settle();
        QTest::qWait(200);
        QCOMPARE(bad->contentItems().size(), size_t(0));
        QVERIFY(!bad->content()->findChild<KSPluginWidgetItem*>());
    }

    void screenshots()
    {
        const QString dir = Test::screenshotDir();
        if (dir.isEmpty())
            QSKIP("ORVEL_SCREENSHOTS is not set");
        m_host->resize(420, 1900);
        for (const auto& g : m_panel->groups())
            g->setExpanded(true);
        m_hub->resetScript(1002);
        Test::installAppList(*m_hub);
        group<KSAppWidgetGroup>()->refreshButton()->click();
        QTRY_COMPARE(group<KSAppWidgetGroup>()->contentItems().size(), size_t(3));
        settle();
        QTest::qWait(100);
        settle();
        QVERIFY(m_host->grab().save(dir + QStringLiteral("/widget_list_expanded.png")));
    }

    void reloadAndUninstallPlugin()
    {
        KSPluginWidgetGroup* plugin = group<KSPluginWidgetGroup>();
        QCOMPARE(plugin->title(), QStringLiteral("Office Keys"));
        plugin->setExpanded(true);
        settle();
        QTRY_COMPARE(plugin->contentItems().size(), size_t(4));
        const QPointer<SimpleWidgetListContentItem> oldRow(plugin->contentItems()[0]);
        // Reload unpacks the package again and rebuilds the rows.
        plugin->reload();
        QTRY_VERIFY(!oldRow);
        QTRY_COMPARE(plugin->contentItems().size(), size_t(4));
        QVERIFY(QDir(MainUtils::pluginFolder(QStringLiteral("keys-uuid"))).exists());

        plugin->uninstallPlugin();
        DelayOpMessageDialog* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<DelayOpMessageDialog*>(w); found && found->isVisible())
                dialog = found;
        }
        QVERIFY(dialog);
        QCOMPARE(dialog->text(), QStringLiteral("Are you sure you want to uninstall this plugin?"));
        QCOMPARE(dialog->button2->objectName(), QStringLiteral("redButton"));
        QVERIFY(!dialog->button2->isEnabled());
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        // The count-down reads whole and in the destructive colours, as the enabled button does.
        const auto destructive = [](const QPushButton* button, QPalette::ColorGroup group) {
            const QColor face = button->palette().color(group, QPalette::Button);
            const QColor text = button->palette().color(group, QPalette::ButtonText);
            const int hue = face.hslHue();
            QVERIFY2(face.hslSaturation() > 100 && (hue < 20 || hue > 340), qPrintable(face.name()));
            QVERIFY2(text.lightness() > 180 && (text.hslSaturation() > 100 || text.hslHue() < 0),
                     qPrintable(text.name()));
            QVERIFY2(button->sizeHint().width() <= button->width(), qPrintable(QStringLiteral("%1: %2 > %3")
                                                                                   .arg(button->text())
                                                                                   .arg(button->sizeHint().width())
                                                                                   .arg(button->width())));
        };
        QCOMPARE(dialog->button2->text(), QStringLiteral("Uninstall (3s)"));
        if (const QString dir = Test::screenshotDir(); !dir.isEmpty())
            QVERIFY(dialog->grab().save(dir + QStringLiteral("/uninstall_countdown.png")));
        destructive(dialog->button2, QPalette::Disabled);
        if (QTest::currentTestFailed())
            return;
        dialog->countdownTimer()->setInterval(1);
        QTRY_VERIFY(dialog->button2->isEnabled());
        destructive(dialog->button2, QPalette::Active);
        if (QTest::currentTestFailed())
            return;
        dialog->button2->click();
        QTRY_VERIFY(!titles().contains(QStringLiteral("Office Keys")) &&
                    !titles().contains(QStringLiteral("Office Keys+")));
        const auto found = ProjectManager::instance()->getPluginUseCase()->findFirst(QStringLiteral("keys-uuid"));
        QVERIFY(found.isOk() && !*found.data);
        QVERIFY(!QDir(MainUtils::pluginFolder(QStringLiteral("keys-uuid"))).exists());
    }
};

ORVEL_WIDGET_TEST_MAIN(TestWidgetList, 1920, 2000)
#include "tst_WidgetList.moc"
