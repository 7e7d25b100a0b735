#include "core/ZlibUtils.h"
#include "device/KestrinDevice.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectPluginUseCase.h"
#include "scene/ActionColorPickerConfigItem.h"
#include "scene/ActionInputConfigItem.h"
#include "scene/ActionSeekBarConfigItem.h"
#include "scene/ActionSelectConfigItem.h"
#include "scene/BaseLoadedTreeView.h"
#include "scene/LoadedTreeItem.h"
#include "scene/LoadedTreeModel.h"
#include "scene/MainKnobCtrlDevicePicker.h"
#include "scene/SceneActionConfigPanel.h"
#include "scene/SceneActionPicker.h"
#include "scene/ScenePelloraWidgetConfig.h"
#include "scene/ScenePluginConfig.h"
#include "scene/ScenePluginWidgetListItem.h"
#include "store/MainUtils.h"
#include "support/StandinHub.h"
#include "support/StandinHubActionTree.h"
#include "support/TestSetup.h"
#include "support/TestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseWidgetSelectGroup.h"
#include "widgets/MessageDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using Json = nlohmann::json;

namespace {} // namespace

class TestSceneActionPicker : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    Test::StandinHub hub;
    SceneActionPicker* picker = nullptr;
    QList<Json> delivered;
    QStringList messages;
    int64_t cubeId = -1;

    LoadedTreeModel* model() const { return picker->treeModel(); }

    // The item with that text below parent (the root when null), once its level has loaded.
    LoadedTreeItem* child(QStandardItem* parent, const QString& text)
    {
        LoadedTreeItem* found = nullptr;
        (void)QTest::qWaitFor(
            [&] {
                for (int i = 0; parent && i < parent->rowCount(); ++i) {
                    if (parent->child(i)->text() == text)
                        found = model()->loadedItem(parent->child(i)->index());
                }
                return found != nullptr;
            },
            5000);
        return found;
    }
    QStandardItem* root() const { return model()->item(0); }

    LoadedTreeItem* openGroup(const QString& text)
    {
        LoadedTreeItem* group = child(root(), text);
        if (group)
            picker->treeView()->expand(group->index());
        return group;
    }

    // Picks a leaf as a press would and returns the panel shown for it (null when none).
    SceneActionConfigPanel* pick(const QString& groupText, const QString& leafText)
    {
        LoadedTreeItem* group = groupText.isEmpty() ? nullptr : openGroup(groupText);
        LoadedTreeItem* leaf = child(group ? static_cast<QStandardItem*>(group) : root(), leafText);
        if (!leaf)
            return nullptr;
        picker->treeView()->selectionModel()->select(leaf->index(), QItemSelectionModel::ClearAndSelect);
        return picker->configPanel();
    }

    Json add()
    {
        const int before = int(delivered.size());
        picker->addButton()->click();
        return delivered.size() > before ? delivered.last() : Json();
    }

    void shot(const QString& name)
    {
        const QString folder = Test::screenshotDir();
        if (!folder.isEmpty())
            picker->grab().save(QDir(folder).filePath(name));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        Test::applyBaseTheme();
        MessageDialog::setAnswerProvider([this](MessageDialog& dialog) {
            messages << dialog.text();
            return 1;
        });
        ProjectManager* pm = ProjectManager::instance();
        QVERIFY(pm->createProject(QStringLiteral("Scene"), dir.path()).isOk());

        // A screen cube with one layer of two widgets, the first with a stored picture.
        ProjectDbModuleBean cube;
        cube.gatewayType = QStringLiteral("can");
        cube.productId = ProjectModuleUseCase::kPelloraProductId;
        cube.name = QStringLiteral("Cube");
        cube.sn = QStringLiteral("PL-1");
        cube.data["dataConfig"]["layers"] = Json::array(
            {{{"id", 7},
              {"name", "Home"},
              {"widgets",
               Json::array({{{"id", 11}, {"name", "Clock"}, {"icon", "widget/11/icon"}, {"iconScalePercent", 50}},
                            {{"id", 12}, {"name", "Weather"}}})}},
             {{"id", 8}, {"name", "Empty"}, {"widgets", Json::array()}}});
        QVERIFY(pm->getModuleUseCase()->insert(cube).isOk());
        cubeId = cube.id;
        QVERIFY(pm->getModuleUseCase()
                    ->accessor->database()
                    ->saveFile(cubeId, "widget/11/icon", Test::solidPng(Qt::red, 40, 40))
                    .isOk());

        // A widget plug-in with two widgets, its package stored as an install leaves it.
        MainUtils::setPluginRoot(dir.filePath(QStringLiteral("plugins")));
        const QString source = dir.filePath(QStringLiteral("package"));
        QVERIFY(QDir().mkpath(source + QStringLiteral("/img")));
        QFile ping(source + QStringLiteral("/img/ping.png"));
        QVERIFY(ping.open(QIODevice::WriteOnly));
        ping.write(Test::solidPng(QColor(0x3D, 0xC8, 0x7E), 40, 40));
        ping.close();
        const Json config = {
            {"button",
             Json::array(
                 {{{"name", "Ping"}, {"icon", "file://img/ping.png"}, {"param", {{"cmd", "ping"}, {"count", 3}}}},
                  {{"name", "Pong"}, {"icon", "file://img/none.png"}, {"param", "pong"}}})}};
        QFile configFile(source + QStringLiteral("/config.json"));
        QVERIFY(configFile.open(QIODevice::WriteOnly));
        configFile.write(QByteArray::fromStdString(config.dump()));
        configFile.close();
        const QString zipPath = dir.filePath(QStringLiteral("package.zip"));
        QVERIFY(ZlibUtils::packToZip(source, zipPath, ZlibUtils::DirectoryContents, 6));
        QFile zip(zipPath);
        QVERIFY(zip.open(QIODevice::ReadOnly));
        ProjectDbPluginBean plugin;
        plugin.k1 = QStringLiteral("pinger");
        plugin.k2 = QStringLiteral("0");
        plugin.name = QStringLiteral("Pinger");
        plugin.versionCode = 1;
        plugin.data = config;
        const auto plugins = pm->getPluginUseCase();
        QVERIFY(plugins->insert(plugin).isOk());
        QVERIFY(plugins->accessor->database()
                    ->saveFile(plugin.id, ProjectPluginUseCase::kPackFileName, zip.readAll())
                    .isOk());
        QVERIFY(plugins->accessor->database()
                    ->saveFile(plugin.id, ProjectPluginUseCase::kIconFileName, Test::solidPng(Qt::blue, 40, 40))
                    .isOk());

        QVERIFY(hub.listen());
        hub.setValidToken(QStringLiteral("valid"));
        Test::installActionTree(hub, Test::defaultSceneActionTree(std::to_string(cubeId)));
        QVERIFY(
            Test::startCurrentHub(*pm, Test::standinHost(hub, QStringLiteral("KS-1"), QStringLiteral("valid")), 5000));

        picker = SceneActionPicker::instance().get();
        QCOMPARE(picker, SceneActionPicker::instance().get());
        picker->onActionSelected = [this](const Json& record) { delivered << record; };
        picker->show();
        QVERIFY(QTest::qWaitForWindowExposed(picker));
    }

    void init()
    {
        messages.clear();
        if (!picker->isVisible())
            picker->show();
    }

    void treeLoadsLevelByLevel()
    {
        QVERIFY(child(root(), QStringLiteral("Desk lamp")));
        QCOMPARE(hub.receivedCount(1205), 1);
        QCOMPARE(QString::fromStdString(hub.received(1205).first()["data"].get<std::string>()), QString());
        // The malformed child is left out, its siblings stay.
        QCOMPARE(root()->rowCount(), 7);
        for (int i = 0; i < root()->rowCount(); ++i)
            QVERIFY(root()->child(i)->text() != QLatin1String("Malformed child"));

        LoadedTreeItem* silent = openGroup(QStringLiteral("Silent group"));
        QVERIFY(silent);
        QTRY_COMPARE(hub.receivedCount(1205), 2);
        QCOMPARE(silent->child(0)->text(), QStringLiteral("Loading..."));
        shot(QStringLiteral("scene_picker_loading.png"));

        LoadedTreeItem* empty = openGroup(QStringLiteral("Empty group"));
        QTRY_COMPARE(empty->loadState(), LoadedTreeItem::Loaded);
        QCOMPARE(empty->child(0)->text(), QStringLiteral("No more items"));
        shot(QStringLiteral("scene_picker_empty_group.png"));

        LoadedTreeItem* broken = openGroup(QStringLiteral("Unavailable group"));
        QTRY_COMPARE(broken->loadState(), LoadedTreeItem::LoadFailed);
        QCOMPARE(broken->child(0)->text(), QStringLiteral("Load failed, click to retry"));
        QCOMPARE(broken->child(0)->toolTip(), QStringLiteral("Kestrin reply error, details: group unavailable"));
        shot(QStringLiteral("scene_picker_retry.png"));
        const int asked = hub.receivedCount(1205);
        const QRect retryRect = picker->treeView()->visualRect(broken->child(0)->index());
        QTest::mouseClick(picker->treeView()->viewport(), Qt::LeftButton, {}, retryRect.center());
        QTRY_COMPARE(hub.receivedCount(1205), asked + 1);
        QCOMPARE(QString::fromStdString(hub.received(1205).last()["data"].get<std::string>()),
                 QStringLiteral("broken"));
        QTRY_COMPARE(broken->loadState(), LoadedTreeItem::LoadFailed);
    }

    void genericRecord()
    {
        SceneActionConfigPanel* panel = pick(QStringLiteral("Desk lamp"), QStringLiteral("Brightness"));
        QVERIFY(panel);
        QCOMPARE(panel->items().size(), 4 + 1);
        auto* level = qobject_cast<ActionInputConfigItem*>(panel->items()[0]);
        auto* label = qobject_cast<ActionInputConfigItem*>(panel->items()[1]);
        auto* mode = qobject_cast<ActionSelectConfigItem*>(panel->items()[2]);
        auto* speed = qobject_cast<ActionSeekBarConfigItem*>(panel->items()[3]);
        QVERIFY(level && label && mode && speed && qobject_cast<ActionColorPickerConfigItem*>(panel->items()[4]));
        QCOMPARE(level->lineEdit()->placeholderText(), QStringLiteral("number [0, 100]"));
        shot(QStringLiteral("scene_picker_items_top.png"));
        panel->verticalScrollBar()->setValue(panel->verticalScrollBar()->maximum());
        shot(QStringLiteral("scene_picker_items_bottom.png"));

        level->lineEdit()->setText(QStringLiteral("40"));
        label->lineEdit()->setText(QStringLiteral("  hi "));
        mode->comboBox()->setCurrentIndex(1);
        speed->slider()->setValue(3);
        const Json record = add();
        QVERIFY2(!record.is_null(), qPrintable(messages.join('|')));
        const QString swatch = QStringLiteral("<span style='color:#ffffff;font-size:18px;'>\u25A0</span>");
        QCOMPARE(QString::fromStdString(record["configDesc"].get<std::string>()),
                 QStringLiteral("[Lamp] Brightness -> Level: 40 %; Label:   hi  ; Mode: Scene; Speed: 3; Colour: ") +
                     swatch);
        const Json expected = {{"id", "lamp.brightness"},
                               {"type", "LAMP_SET"},
                               {"objectParams", {{"lamp", 1}}},
                               {"values", Json::array({{{"id", "level"}, {"value", 40}},
                                                       {{"id", "label"}, {"value", "  hi "}},
                                                       {{"id", "mode"}, {"value", {{"scene", 2}}}},
                                                       {{"id", "speed"}, {"value", 3}},
                                                       {{"id", "colour"}, {"value", {255, 255, 255}}}})}};
        JSON_COMPARE(record["deployData"], expected);
        JSON_COMPARE(record["rawData"]["id"], Json("lamp.brightness"));
        QCOMPARE(record["rawData"]["components"].size(), size_t(5));
        QCOMPARE(record.size(), size_t(3));
        QVERIFY(!picker->isVisible());

        // Shown again, the form starts empty.
        picker->show();
        QCOMPARE(level->lineEdit()->text(), QString());
        QCOMPARE(mode->comboBox()->currentIndex(), 0);
        QCOMPARE(speed->slider()->value(), 1);
    }

    void integerBounds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("upper bound") << QStringLiteral("100") << QString();
        QTest::newRow("lower bound") << QStringLiteral("0") << QString();
        QTest::newRow("above") << QStringLiteral("101") << QStringLiteral("The entered number is out of range.");
        QTest::newRow("below") << QStringLiteral("-1") << QStringLiteral("The entered number is out of range.");
        QTest::newRow("empty") << QString() << QStringLiteral("No data entered");
        QTest::newRow("blanks") << QStringLiteral("   ") << QStringLiteral("No data entered");
        QTest::newRow("minus alone") << QStringLiteral("-") << QStringLiteral("The entered number is out of range.");
        QTest::newRow("twelve digits") << QStringLiteral("123456789012")
                                       << QStringLiteral("The entered number is out of range.");
        QTest::newRow("ten digits") << QStringLiteral("9999999999")
                                    << QStringLiteral("The entered number is out of range.");
    }

    void integerBounds()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        SceneActionConfigPanel* panel = pick(QStringLiteral("Desk lamp"), QStringLiteral("Brightness"));
        QVERIFY(panel);
        QVERIFY(panel->items().size() >= 2);
        auto* level = qobject_cast<ActionInputConfigItem*>(panel->items()[0]);
        auto* label = qobject_cast<ActionInputConfigItem*>(panel->items()[1]);
        QVERIFY(level && label);
        level->lineEdit()->setText(text);
        label->lineEdit()->setText(QStringLiteral("x"));
        const Json record = add();
        QTRY_COMPARE(messages.size(), message.isEmpty() ? 0 : 1);
        if (message.isEmpty()) {
            // Checked step by step: a record that is missing or short fails here, not in a read.
            QVERIFY2(record.is_object(), "no record was added");
            const Json deploy = record.contains("deployData") ? record.at("deployData") : Json();
            QVERIFY(deploy.is_object() && deploy.contains("values"));
            const Json& values = deploy.at("values");
            QVERIFY(values.is_array() && !values.empty() && values[0].is_object() && values[0].contains("value"));
            JSON_COMPARE(values[0].at("value"), Json(text.toLongLong()));
            return;
        }
        QVERIFY(record.is_null());
        QCOMPARE(messages.first(), message);
        QVERIFY(picker->isVisible());
    }

    void invalidItemStopsTheBuild()
    {
        SceneActionConfigPanel* panel = pick(QStringLiteral("Desk lamp"), QStringLiteral("Brightness"));
        qobject_cast<ActionInputConfigItem*>(panel->items()[0])->lineEdit()->setText(QStringLiteral("5"));
        qobject_cast<ActionInputConfigItem*>(panel->items()[1])->lineEdit()->clear();
        // The second input is empty: one message, nothing added, later items not asked.
        QVERIFY(add().is_null());
        QTRY_COMPARE(messages, QStringList{QStringLiteral("No data entered")});
    }

    void nodeWithoutComponents()
    {
        SceneActionConfigPanel* panel = pick(QStringLiteral("Desk lamp"), QStringLiteral("Toggle"));
        QVERIFY(panel);
        QVERIFY(panel->items().isEmpty());
        const Json record = add();
        JSON_COMPARE(record["configDesc"], Json("[Toggle] -> "));
        const Json expected = {
            {"id", "lamp.toggle"}, {"type", "LAMP_TOGGLE"}, {"objectParams", nullptr}, {"values", Json::array()}};
        JSON_COMPARE(record["deployData"], expected);
    }

    void unknownUiTypeShowsNoPanel()
    {
        Test::LogCapture log;
        QVERIFY(!pick(QStringLiteral("Desk lamp"), QStringLiteral("Dimmer")));
        QVERIFY(log.text().contains(QStringLiteral("new SceneActionConfigPanel error:unknown uiType:slider")));
        QVERIFY(add().is_null());
        QVERIFY(picker->isVisible());
    }

    void screenCubeRecord()
    {
        SceneActionConfigPanel* panel = pick(QStringLiteral("Screen cube"), QStringLiteral("Switch page"));
        QVERIFY(panel);
        auto* editor = qobject_cast<ScenePelloraWidgetConfig*>(panel->specialEditor());
        QVERIFY(editor);
        QCOMPARE(editor->layerBox()->count(), 2);
        QCOMPARE(editor->widgetBox()->count(), 2);
        QVERIFY(!editor->widgetBox()->itemIcon(0).isNull());
        QCOMPARE(editor->previewLabel()->pixmap().width(), 55);
        editor->widgetBox()->setCurrentIndex(1);
        Json record = add();
        JSON_COMPARE(record["configDesc"], Json("Set Cube page: Home/Weather"));
        Json expected = {{"id", cubeId},
                         {"type", "PELLORA_TOGGLE"},
                         {"values", Json::array({{{"id", "1"}, {"value", "7"}}, {{"id", "2"}, {"value", "12"}}})}};
        JSON_COMPARE(record["deployData"], expected);
        JSON_COMPARE(record["rawData"]["id"], Json(std::to_string(cubeId)));

        // A layer without widgets leaves both ids empty; the record is still made.
        picker->show();
        editor->layerBox()->setCurrentIndex(1);
        record = add();
        JSON_COMPARE(record["configDesc"], Json("Set Cube page: Empty/"));
        expected["values"] = Json::array({{{"id", "1"}, {"value", ""}}, {{"id", "2"}, {"value", ""}}});
        JSON_COMPARE(record["deployData"], expected);
    }

    void pluginRecord()
    {
        SceneActionConfigPanel* panel = pick(QString(), QStringLiteral("Plug-in widget"));
        QVERIFY(panel);
        auto* editor = qobject_cast<ScenePluginConfig*>(panel->specialEditor());
        QVERIFY(editor);
        QCOMPARE(editor->pluginGroup()->count(), 1);
        // The package unpacks on a worker; the widget rows follow.
        QTRY_COMPARE(editor->widgetGroup()->count(), 2);
        QVERIFY(QFileInfo(MainUtils::pluginFolder(QStringLiteral("pinger")) + QStringLiteral("/config.json")).isFile());
        shot(QStringLiteral("scene_picker_plugin.png"));
        Json record = add();
        JSON_COMPARE(record["configDesc"], Json("Plugin: Pinger/Ping"));
        const Json expected = {{"type", "PC_CONTROL"},
                               {"values", Json::array({{{"id", "1"}, {"value", {{"cmd", "ping"}, {"count", 3}}}}})}};
        JSON_COMPARE(record["deployData"], expected);
        JSON_COMPARE(record["rawData"]["type"], Json("PLUGIN_WIDGET"));

        picker->show();
        editor->widgetGroup()->widgetAt(1)->setSelected(true);
        record = add();
        JSON_COMPARE(record["configDesc"], Json("Plugin: Pinger/Pong"));
        JSON_COMPARE(record["deployData"]["values"][0]["value"], Json("pong"));
    }

    void pluginWithoutWidgets()
    {
        // A second plug-in whose configuration has no "button": its widget list stays empty.
        ProjectDbPluginBean bare;
        bare.k1 = QStringLiteral("bare");
        bare.k2 = QStringLiteral("0");
        bare.name = QStringLiteral("Bare");
        bare.versionCode = 1;
        bare.data = Json::object();
        QVERIFY(ProjectManager::instance()->getPluginUseCase()->insert(bare).isOk());
        picker->reload();
        SceneActionConfigPanel* panel = pick(QString(), QStringLiteral("Plug-in widget"));
        QVERIFY(panel);
        auto* editor = qobject_cast<ScenePluginConfig*>(panel->specialEditor());
        QCOMPARE(editor->pluginGroup()->count(), 2);
        editor->pluginGroup()->widgetAt(1)->setSelected(true);
        QTest::qWait(50);
        QCOMPARE(editor->widgetGroup()->count(), 0);
        QVERIFY(add().is_null());
        QVERIFY(picker->isVisible());
    }

    // Choosing A, then B, then A again while A's package still unpacks lists A's widgets once:
    // only the answer for the latest choice fills the list.
    void pluginChosenAgainDuringItsUnpack()
    {
        // B: a plug-in without a package, which fails at once.
        const auto plugins = ProjectManager::instance()->getPluginUseCase();
        if (!*plugins->exists(QStringLiteral("other")).data) {
            ProjectDbPluginBean other;
            other.k1 = QStringLiteral("other");
            other.k2 = QStringLiteral("0");
            other.name = QStringLiteral("Other");
            other.versionCode = 1;
            QVERIFY(plugins->insert(other).isOk());
        }
        QVERIFY(MainUtils::removeUnpackedPlugin(QStringLiteral("pinger")));
        picker->reload();
        SceneActionConfigPanel* panel = pick(QString(), QStringLiteral("Plug-in widget"));
        QVERIFY(panel);
        auto* editor = qobject_cast<ScenePluginConfig*>(panel->specialEditor());
        QVERIFY(editor);
        const auto rowOf = [editor](const QString& name) -> BaseWidget* {
            for (int i = 0; i < editor->pluginGroup()->count(); ++i) {
                auto* row = qobject_cast<ScenePluginWidgetListItem*>(editor->pluginGroup()->widgetAt(i));
                if (row && row->plugin()->name == name)
                    return row;
            }
            return nullptr;
        };
        BaseWidget* pinger = rowOf(QStringLiteral("Pinger"));
        BaseWidget* other = rowOf(QStringLiteral("Other"));
        QVERIFY(pinger && other);
        // Pinger's row was chosen first as the panel was made; its unpack runs on a worker now.
        QCOMPARE(editor->pluginGroup()->checkedWidget(), pinger);
        QCOMPARE(editor->widgetGroup()->count(), 0);
        other->setSelected(true);
        pinger->setSelected(true);
        QTRY_COMPARE(editor->widgetGroup()->count(), 2);
        QTest::qWait(300);
        QCOMPARE(editor->widgetGroup()->count(), 2);
        QCOMPARE(editor->widgetList()->count(), 2);
        const Json record = add();
        JSON_COMPARE(record.value("configDesc", Json()), Json("Plugin: Pinger/Ping"));
    }

    // A node or action without a required member is refused with the library's type error, as
    // for a member of the wrong type.
    void missingMembersAreTypeErrors_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<bool>("panel"); // the configuration panel rather than the tree item
        QTest::addColumn<QString>("error");
        QTest::newRow("item without last")
            << R"({"name":"A","id":"a"})" << false << "type must be boolean, but is null";
        QTest::newRow("item without name") << R"({"last":true})" << false << "type must be string, but is null";
        QTest::newRow("group without id")
            << R"({"name":"G","last":false})" << false << "type must be string, but is null";
        QTest::newRow("last as text") << R"({"name":"A","last":"yes"})" << false
                                      << "type must be boolean, but is string";
        QTest::newRow("action without objectName")
            << R"({"name":"A","last":true,"id":"a","type":"X"})" << true << "type must be string, but is null";
        QTest::newRow("action without type")
            << R"({"name":"A","last":true,"id":"a","objectName":""})" << true << "type must be string, but is null";
    }

    void missingMembersAreTypeErrors()
    {
        QFETCH(QString, node);
        QFETCH(bool, panel);
        QFETCH(QString, error);
        const Json value = Json::parse(node.toStdString());
        QWidget frame;
        try {
            if (panel)
                new SceneActionConfigPanel(value, &frame);
            else
                LoadedTreeItem item(value);
            QFAIL("accepted");
        } catch (const Json::type_error& e) {
            QVERIFY2(QString::fromUtf8(e.what()).endsWith(error), e.what());
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
    }

    void knobDevicesFromTheHub()
    {
        auto knob = MainKnobCtrlDevicePicker::instance();
        QStandardItem* top = knob->treeModel()->item(0);
        QTRY_COMPARE(top->rowCount(), 4);
        QCOMPARE(top->child(0)->text(), QStringLiteral("Lights"));
        QCOMPARE(QString::fromStdString(hub.received(1617).first()["data"].get<std::string>()), QString());
        knob->treeView()->expand(top->child(0)->index());
        QTRY_COMPARE(top->child(0)->rowCount(), 2);
        QCOMPARE(top->child(0)->child(1)->text(), QStringLiteral("Floor lamp"));
    }

    void cancelHidesAndKeepsThePicker()
    {
        picker->cancelButton()->click();
        QVERIFY(!picker->isVisible());
        QCOMPARE(SceneActionPicker::instance().get(), picker);
    }
};

ORVEL_WIDGET_TEST_MAIN(TestSceneActionPicker, 1600, 1000)
#include "tst_SceneActionPicker.moc"
