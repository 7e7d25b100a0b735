#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "scene/BaseLoadedTreeView.h"
#include "scene/LoadedTreeItem.h"
#include "scene/LoadedTreeModel.h"
#include "scene/SceneActionConfigPanel.h"
#include "scene/SceneActionPicker.h"
#include "support/StandinHub.h"
#include "support/StandinHubActionTree.h"
#include "support/TestSetup.h"
#include "support/TestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/MessageDialog.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using Json = nlohmann::json;

namespace {

Json leaf(const std::string& name, Json id, const std::string& type)
{
    return {{"name", name}, {"last", true}, {"id", std::move(id)}, {"type", type}, {"objectName", ""}};
}

} // namespace

// Screen-cube and plug-in actions whose tree node the configuration panel cannot take: picked
// with the mouse, they leave the picker's right side empty and "Add" does nothing, also right
// after an action that could be configured.
class TestPickerUnbuildableNodes : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    Test::StandinHub hub;
    SceneActionPicker* picker = nullptr;
    QList<Json> delivered;
    QStringList messages;

    QStandardItem* root() const { return picker->treeModel()->item(0); }

    LoadedTreeItem* child(QStandardItem* parent, const QString& text)
    {
        LoadedTreeItem* found = nullptr;
        (void)QTest::qWaitFor(
            [&] {
                for (int i = 0; parent && i < parent->rowCount(); ++i) {
                    if (parent->child(i)->text() == text)
                        found = picker->treeModel()->loadedItem(parent->child(i)->index());
                }
                return found != nullptr;
            },
            5000);
        return found;
    }

    // Opens the group and clicks the leaf, as the user does.
    bool clickLeaf(const QString& groupText, const QString& leafText)
    {
        LoadedTreeItem* group = child(root(), groupText);
        if (!group)
            return false;
        picker->treeView()->expand(group->index());
        LoadedTreeItem* item = child(group, leafText);
        if (!item)
            return false;
        picker->treeView()->scrollTo(item->index());
        const QRect rect = picker->treeView()->visualRect(item->index());
        QTest::mouseClick(picker->treeView()->viewport(), Qt::LeftButton, {}, rect.center());
        return picker->treeView()->selectionModel()->isSelected(item->index());
    }

    // The configuration panels shown on the right side.
    int panelsShown() const
    {
        int shown = 0;
        for (auto* panel : picker->findChildren<SceneActionConfigPanel*>())
            shown += panel->isVisibleTo(picker) ? 1 : 0;
        return shown;
    }

    Json clickAdd()
    {
        const int before = int(delivered.size());
        QTest::mouseClick(picker->addButton(), Qt::LeftButton);
        return delivered.size() > before ? delivered.last() : Json();
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
        QVERIFY(pm->createProject(QStringLiteral("Unbuildable"), dir.path()).isOk());
        ProjectDbModuleBean cube;
        cube.gatewayType = QStringLiteral("can");
        cube.productId = ProjectModuleUseCase::kPelloraProductId;
        cube.name = QStringLiteral("Cube");
        cube.sn = QStringLiteral("PL-1");
        cube.data["dataConfig"]["layers"] =
            Json::array({{{"id", 7}, {"name", "Home"}, {"widgets", Json::array({{{"id", 11}, {"name", "Clock"}}})}}});
        QVERIFY(pm->getModuleUseCase()->insert(cube).isOk());

        Test::StandinActionTree tree;
        tree.children[""] = Json::array({{{"name", "Screen cube"}, {"last", false}, {"id", "cube"}},
                                         {{"name", "Plug-ins"}, {"last", false}, {"id", "plugins"}}});
        tree.children["cube"] = Json::array({leaf("Cube page", std::to_string(cube.id), "PELLORA_TOGGLE"),
                                             leaf("Removed cube", "999999", "PELLORA_TOGGLE"),
                                             leaf("Unnumbered cube", "cube-x", "PELLORA_TOGGLE")});
        Json nameless = leaf("Plug-in without object name", "plugin.widget", "PLUGIN_WIDGET");
        nameless.erase("objectName");
        tree.children["plugins"] = Json::array({leaf("Plug-in widget", "plugin.widget", "PLUGIN_WIDGET"),
                                                leaf("Plug-in with a number id", 5, "PLUGIN_WIDGET"), nameless});
        QVERIFY(hub.listen());
        hub.setValidToken(QStringLiteral("valid"));
        Test::installActionTree(hub, tree);
        QVERIFY(
            Test::startCurrentHub(*pm, Test::standinHost(hub, QStringLiteral("KS-1"), QStringLiteral("valid")), 5000));

        picker = SceneActionPicker::instance().get();
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

    void unbuildableNodes_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("good");
        QTest::addColumn<QString>("bad");
        QTest::addColumn<QString>("logged");
        QTest::newRow("screen cube no longer in the project")
            << "Screen cube"
            << "Cube page"
            << "Removed cube"
            << "new SceneActionConfigPanel error:invalid pelloraId:999999";
        QTest::newRow("screen cube id not a number") << "Screen cube"
                                                     << "Cube page"
                                                     << "Unnumbered cube"
                                                     << "new SceneActionConfigPanel error:";
        QTest::newRow("plug-in id not a text") << "Plug-ins"
                                               << "Plug-in widget"
                                               << "Plug-in with a number id"
                                               << "new SceneActionConfigPanel error:";
        QTest::newRow("plug-in without object name") << "Plug-ins"
                                                     << "Plug-in widget"
                                                     << "Plug-in without object name"
                                                     << "new SceneActionConfigPanel error:";
    }

    void unbuildableNodes()
    {
        QFETCH(QString, group);
        QFETCH(QString, good);
        QFETCH(QString, bad);
        QFETCH(QString, logged);
        // First an action that can be configured: its panel is shown.
        QVERIFY(clickLeaf(group, good));
        QVERIFY(picker->configPanel());
        QCOMPARE(panelsShown(), 1);

        Test::LogCapture log;
        QVERIFY(clickLeaf(group, bad));
        QVERIFY2(log.text().contains(logged), qPrintable(log.text()));
        QVERIFY(!picker->configPanel());
        QCOMPARE(panelsShown(), 0);
        // "Add" hands nothing on (not the panel shown before either) and the picker stays.
        QVERIFY(clickAdd().is_null());
        QVERIFY(picker->isVisible());
        QVERIFY(messages.isEmpty());

        // Picking the good action again shows its panel; a screen-cube page is added at once
        // (a plug-in action would first need one of its widgets chosen).
        QVERIFY(clickLeaf(group, good));
        QCOMPARE(panelsShown(), 1);
        if (group == QLatin1String("Screen cube")) {
            const Json record = clickAdd();
            QVERIFY(!record.is_null());
            QCOMPARE(QString::fromStdString(record["rawData"]["name"].get<std::string>()), good);
            QVERIFY(!picker->isVisible());
        }
    }
};

ORVEL_WIDGET_TEST_MAIN(TestPickerUnbuildableNodes, 1600, 1000)
#include "tst_PickerUnbuildableNodes.moc"
