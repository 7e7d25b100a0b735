// ORVEL_TEST_LABELS: module
// Two windows writing one module record, in orders a user can produce, through the real main
// window, its device row and the module dialogs on a real project file: after each order the
// file holds both windows' changes.

#include "core/EventBus.h"
#include "main/MainDeviceListWidget.h"
#include "main/MainDeviceModule.h"
#include "main/MainWindow.h"
#include "module/ModuleCommonKeyConfigPanel.h"
#include "module/ModuleDetailsDialog.h"
#include "module/ModulePelloraDialog.h"
#include "module/ModulePelloraLayer.h"
#include "module/ModulePelloraProfileEditor.h"
#include "module/ModulePelloraWidget.h"
#include "module/ModulePelloraWidgetEditor.h"
#include "module/ModulePipwickProfileEditor.h"
#include "module/ModuleRecordWriter.h"
#include "module/ModuleReplaceDialogPogoPin.h"
#include "module/PelloraImageEditor.h"
#include "module/PelloraWidget.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "scene/MainSceneActionConfigWidget.h"
#include "scene/SceneActionListWidget.h"
#include "support/ModuleTestHub.h"
#include "support/StandinHubModules.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseDialog.h"
#include "widgets/ToastWidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace OV;
using Json = nlohmann::json;

namespace {

// Adds a widget to the cube's grid with a picture of one colour, through its editor.
void addWidgetWithPicture(ModulePelloraWidget* grid, Qt::GlobalColor colour)
{
    grid->onClickAddingItem();
    QPixmap picture(100, 100);
    picture.fill(colour);
    grid->openEditor()->typeEditor()->imageEditor()->setIcon(picture, 60);
    grid->openEditor()->saveButton()->click();
}

constexpr uint64_t kPipwick = 0x10000001;
constexpr uint64_t kPellora = 0x10000003;

template <typename Window>
Window* shownWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

Json storedData(int64_t id)
{
    const auto loaded = ProjectManager::instance()->getModuleUseCase()->accessor->findById(id);
    return loaded.isOk() && loaded.data && *loaded.data ? (*loaded.data)->data : Json();
}

std::shared_ptr<ProjectDbModuleBean> storedModule(int64_t id)
{
    const auto loaded = ProjectManager::instance()->getModuleUseCase()->accessor->findById(id);
    return loaded.isOk() && loaded.data ? *loaded.data : nullptr;
}

bool fileStored(int64_t owner, const QString& name)
{
    const auto names = ProjectManager::instance()->getModuleUseCase()->accessor->database()->findAllFileName(owner);
    return names.isOk() && std::find(names.data->begin(), names.data->end(), name) != names.data->end();
}

// One user session on a project with a screen cube (one empty layer) and a key module.
class Session
{
public:
    Test::ModuleTestHub env;
    MainWindow* window = nullptr;
    MainDeviceModule* tile = nullptr;
    MainDeviceModule* otherTile = nullptr;
    int64_t id = -1;
    QString product;
    int reopenedWidgets = -1; // the widgets the re-opened cube editor lists
    std::string droppedKey;   // the deleted profile's entry in "profiles"

    bool start(const QString& kind)
    {
        if (!env.start())
            return false;
        product = kind;
        const Json layers = Json::parse(R"({"dataConfig":{"layers":[{"uniqueId":"L1","id":1,"name":"Home",)"
                                        R"("default":true,"widgets":[]}]}})");
        const auto cube = env.storeModule("can", kPellora, QStringLiteral("PL-1"), 2, 1, layers);
        const auto keys = env.storeModule("can", kPipwick, QStringLiteral("PW-1"), 3);
        if (!cube || !keys)
            return false;
        id = kind == QLatin1String("cube") ? cube->id : keys->id;
        window = new MainWindow;
        window->resize(1600, 1000);
        window->show();
        if (!QTest::qWaitFor([] { return MainWindow::currentProfile() != nullptr; }, 5000))
            return false;
        auto* row = qobject_cast<MainDeviceListWidget*>(window->deviceList());
        for (MainDeviceModule* each : row->moduleTiles())
            (each->deviceId() == id ? tile : otherTile) = each;
        return tile && otherTile;
    }

    ~Session() { delete window; }

    std::string key() const { return ModuleProfileEditor::currentProfileKey().toStdString(); }
    ModuleProfileEditor* editor() const { return qobject_cast<ModuleProfileEditor*>(window->editPanel()); }

    void showEditor()
    {
        tile->setSelected(true);
        QTRY_VERIFY(editor());
    }

    // Adds one button widget in the cube window's "Layer and Widget" tab and saves there; with
    // deleteFirst the layer's only widget is deleted before, so the new one takes its number.
    static void addWidgetAndSave(ModulePelloraDialog* dialog, bool deleteFirst = false)
    {
        QVERIFY(dialog);
        dialog->onTapSelected(1);
        ModulePelloraLayer* layer = dialog->layerPage();
        layer->enterEdit();
        ModulePelloraWidget* grid = layer->currentPage();
        QVERIFY(grid);
        if (deleteFirst) {
            QCOMPARE(grid->items().size(), 1);
            grid->deleteItem(grid->items().front(), 101);
        }
        addWidgetWithPicture(grid, deleteFirst ? Qt::blue : Qt::red);
        layer->saveEdit();
        QTRY_VERIFY(!layer->isEditing());
        dialog->close();
    }

    // The cube window, opened by its profile editor's "Config" (which saves the editor first).
    void cubeFromEditor()
    {
        showEditor();
        auto* pellora = qobject_cast<ModulePelloraProfileEditor*>(editor());
        QVERIFY(pellora);
        pellora->configButton()->click();
        QTRY_VERIFY(pellora->openDialog());
        addWidgetAndSave(pellora->openDialog());
        QTRY_COMPARE(pellora->widgetCombo()->count(), 1);
    }

    // The cube window, opened by the tile's menu "Config".
    void cubeFromTile(bool deleteFirst = false)
    {
        tile->onClickMenuConfig();
        ModulePelloraDialog* dialog = nullptr;
        QTRY_VERIFY((dialog = shownWindow<ModulePelloraDialog>()) != nullptr);
        addWidgetAndSave(dialog, deleteFirst);
        QTest::qWait(20);
    }

    // A new profile made the current one; the tile's editor follows it.
    void switchProfile()
    {
        const auto profiles = ProjectManager::instance()->getProfileUseCase();
        QVERIFY(profiles->createProfile(QStringLiteral("Second"), QString()).isOk());
        const auto all = profiles->accessor->findAll(true);
        QVERIFY(all.isOk());
        for (const auto& each : *all.data) {
            if (each->name == QLatin1String("Second"))
                MainWindow::setCurrentProfile(each);
        }
        QTRY_COMPARE(MainWindow::currentProfile()->name, QStringLiteral("Second"));
        showEditor();
        QTRY_VERIFY(editor() && editor()->bean()->id == id);
    }

    // An action on the first event shown, saved with "Save".
    void bind()
    {
        showEditor();
        MainSceneActionConfigWidget* actions = nullptr;
        if (auto* pellora = qobject_cast<ModulePelloraProfileEditor*>(editor())) {
            QCOMPARE(pellora->widgetCombo()->count(), 1);
            actions = pellora->panel()->configWidget();
        } else if (auto* keys = qobject_cast<ModulePipwickProfileEditor*>(editor())) {
            actions = keys->panel()->configWidget();
        }
        QVERIFY(actions);
        Json list = actions->actionListWidget()->actions();
        list.push_back({{"configDesc", "next"}, {"deployData", {{"act", "next"}}}});
        actions->actionListWidget()->setActions(list);
        actions->actionListWidget()->updateActionList();
        editor()->saveButton()->click();
        QTRY_VERIFY(!editor()->saveButton()->isEnabled());
    }

    // Another tile chosen and this one again: a new editor, saved by the deploy's first step.
    void reopenAndPreDeploy()
    {
        otherTile->setSelected(true);
        QTRY_VERIFY(editor() && editor()->bean()->id != id);
        QTest::qWait(10);
        showEditor();
        if (auto* pellora = qobject_cast<ModulePelloraProfileEditor*>(editor()))
            reopenedWidgets = pellora->widgetCombo()->count();
        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QString::fromLatin1(Topics::PreDeploy)));
        QTest::qWait(20);
    }

    void replace()
    {
        env.modules().setModules({Test::StandinHubModules::Module{
            "NEW-1", product == QLatin1String("cube") ? kPellora : kPipwick, 9, 1, "can"}});
        tile->onClickMenuReplace();
        QPointer<ModuleReplaceDialogPogoPin> dialog;
        QTRY_VERIFY((dialog = shownWindow<ModuleReplaceDialogPogoPin>()) != nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(dialog->rows().size(), size_t(1), 15000);
        dialog->rowCheckBoxes()[0]->setChecked(true);
        QTest::mouseClick(dialog->actionButton(), Qt::LeftButton);
        QTRY_VERIFY(!dialog);
        QCOMPARE(tile->module()->sn, QStringLiteral("NEW-1"));
    }

    // Another profile's bindings are stored and taken by the module's holders; then that profile
    // is deleted, which strips its entry from the file and tells no holder.
    void dropProfile()
    {
        const auto profiles = ProjectManager::instance()->getProfileUseCase();
        QVERIFY(profiles->createProfile(QStringLiteral("Gone"), QString()).isOk());
        int64_t goneId = -1;
        const auto all = profiles->accessor->findAll(false);
        QVERIFY(all.isOk());
        for (const auto& each : *all.data)
            goneId = each->name == QLatin1String("Gone") ? each->id : goneId;
        droppedKey = ProjectProfileUseCase::profileKey(goneId).toStdString();
        const Json bindings = {{"deployConfig", Json::array({1})}};
        QVERIFY(ModuleRecordWriter::write(
                    id, [&](ProjectDbModuleBean& fresh) { fresh.data["profiles"][droppedKey] = bindings; },
                    ModuleRecordWriter::storeRecord())
                    .isOk());
        QTRY_VERIFY(tile->module()->data["profiles"].contains(droppedKey));
        QVERIFY(profiles->removeProfileAndClearAssociated(goneId).isOk());
        QVERIFY(!storedData(id)["profiles"].contains(droppedKey));
    }

    void rename()
    {
        tile->onClickMenuDetail();
        QPointer<ModuleDetailsDialog> details;
        QTRY_VERIFY((details = shownWindow<ModuleDetailsDialog>()) != nullptr);
        details->onClickRename();
        QVERIFY(details->renameDialog());
        details->renameEdit()->setText(QStringLiteral("Desk module"));
        QTest::mouseClick(details->renameDialog()->button2, Qt::LeftButton);
        QTRY_VERIFY(!details->renameDialog());
        details->close();
        QTRY_VERIFY(!details);
        QCOMPARE(tile->toolTip(), QStringLiteral("Desk module"));
    }
};

} // namespace

class TestRecordInterleavings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Test::applyBaseTheme(); }

    void bothWritersChangesAreStored_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QStringList>("steps");
        const auto row = [](const char* name, const char* product, const char* steps) {
            QTest::newRow(name) << QString::fromLatin1(product)
                                << QString::fromLatin1(steps).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        };
        row("cube window from the editor, then the editor re-opened", "cube", "cubeFromEditor bind reopen");
        row("cube window from the tile, then the editor re-opened", "cube", "cubeFromTile bind reopen");
        row("editor bound, then the cube window from the tile", "cube", "bindNothing cubeFromTile bind reopen");
        row("cube window from the editor, then replace", "cube", "cubeFromEditor replace");
        row("cube window from the tile, then replace, then the editor", "cube", "cubeFromTile replace bind reopen");
        row("cube window, then a rename in the details", "cube", "cubeFromEditor rename reopen");
        row("rename, then the cube window", "cube", "rename cubeFromTile reopen");
        row("module editor, then a rename", "keys", "bind rename reopen");
        row("rename, then the module editor", "keys", "rename bind reopen");
        row("module editor, then replace", "keys", "bind replace reopen");
        row("another profile deleted, then the module editor", "keys", "dropProfile bind");
        row("another profile deleted, then a rename", "keys", "dropProfile rename");
    }

    void bothWritersChangesAreStored()
    {
        QFETCH(QString, product);
        QFETCH(QStringList, steps);
        Session session;
        QVERIFY(session.start(product));
        bool widget = false;
        bool bound = false;
        bool renamed = false;
        bool replaced = false;
        for (const QString& step : steps) {
            if (step == QLatin1String("cubeFromEditor"))
                session.cubeFromEditor();
            else if (step == QLatin1String("cubeFromTile"))
                session.cubeFromTile();
            else if (step == QLatin1String("bind"))
                session.bind();
            else if (step == QLatin1String("bindNothing"))
                session.showEditor();
            else if (step == QLatin1String("reopen"))
                session.reopenAndPreDeploy();
            else if (step == QLatin1String("replace"))
                session.replace();
            else if (step == QLatin1String("rename"))
                session.rename();
            else if (step == QLatin1String("dropProfile"))
                session.dropProfile();
            if (QTest::currentTestFailed())
                return;
            widget = widget || step.startsWith(QLatin1String("cube"));
            bound = bound || step == QLatin1String("bind");
            renamed = renamed || step == QLatin1String("rename");
            replaced = replaced || step == QLatin1String("replace");
        }

        const auto stored = storedModule(session.id);
        QVERIFY(stored);
        Json data = stored->data;
        if (widget) {
            QCOMPARE(data["dataConfig"]["layers"][0]["widgets"].size(), size_t(1));
            // The package document the hub gets lists the widget too.
            Json extra = stored->extraConfig;
            QVERIFY2(extra["dataConfig"]["layers"][0]["items"].size() == 1, extra.dump().c_str());
        }
        if (bound) {
            const Json& profile = data["profiles"][session.key()];
            QVERIFY2(profile.is_object() && profile["deployConfig"].size() == 1, data.dump().c_str());
            QVERIFY2(profile["deployConfig"].dump().find("next") != std::string::npos, data.dump().c_str());
        }
        const QString sn = QString::fromLatin1(product == QLatin1String("cube") ? "PL-1" : "PW-1");
        const QString kind = QString::fromLatin1(product == QLatin1String("cube") ? "Pellora" : "Pipwick");
        QCOMPARE(stored->name, renamed    ? QStringLiteral("Desk module")
                               : replaced ? kind
                                          : QStringLiteral("Stored ") + sn);
        QCOMPARE(stored->sn, replaced ? QStringLiteral("NEW-1") : sn);
        // A deleted profile's bindings never come back from a holder that still has them.
        QVERIFY2(session.droppedKey.empty() || !data["profiles"].contains(session.droppedKey), data.dump().c_str());
        if (steps.contains(QLatin1String("reopen")) && product == QLatin1String("cube"))
            QCOMPARE(session.reopenedWidgets, 1);
        // The tile shows what the file holds.
        QCOMPARE(session.tile->module()->name, stored->name);
        QCOMPARE(session.tile->module()->sn, stored->sn);
        QVERIFY(session.tile->module()->data.value("dataConfig", Json()) == data.value("dataConfig", Json()));
    }

    // Widget 101 bound to an action and saved; the cube's window, opened from the tile, deletes
    // it and adds a widget, which takes number 101 again. A deploy sends no binding for the new
    // widget, whichever editor is shown and whichever profile is current when it runs.
    void deployFollowsTheCubesWidgets_data()
    {
        QTest::addColumn<bool>("otherProfile");
        QTest::newRow("editor elsewhere") << false;
        QTest::newRow("other profile") << true;
    }

    void deployFollowsTheCubesWidgets()
    {
        QFETCH(bool, otherProfile);
        Session session;
        QVERIFY(session.start(QStringLiteral("cube")));
        session.cubeFromEditor();
        session.bind();
        if (QTest::currentTestFailed())
            return;
        const Json deleted = storedData(session.id)["dataConfig"]["layers"][0]["widgets"][0];
        if (otherProfile) {
            session.switchProfile();
        } else {
            session.otherTile->setSelected(true);
            QTRY_VERIFY(session.editor() && session.editor()->bean()->id != session.id);
        }
        session.cubeFromTile(true);
        if (QTest::currentTestFailed())
            return;
        const Json widgets = storedData(session.id)["dataConfig"]["layers"][0]["widgets"];
        QVERIFY2(widgets.size() == 1 && widgets[0]["id"] == 101 && widgets[0]["uniqueId"] != deleted["uniqueId"],
                 widgets.dump().c_str());

        const Json sent = session.env.deployProfiles();
        QVERIFY2(sent.is_array() && sent.size() == size_t(otherProfile ? 2 : 1), sent.dump().c_str());
        for (const Json& profile : sent) {
            for (const Json& module : profile["module"])
                QVERIFY2(module["serialNo"] != "PL-1", sent.dump().c_str());
        }
    }

    // Widget 101 gets a prompt picture in its editor; the cube's window, opened from the tile or
    // through the editor's "Config", deletes the widget (or its layer), maybe adds a new one that
    // takes number 101 again, and saves; then a deploy's save or the editor's "Save". The deleted
    // widget's picture is gone from the file and stays gone, and the new widget shows none.
    void deletedWidgetsPicturesStayGone_data()
    {
        QTest::addColumn<bool>("throughConfig");
        QTest::addColumn<QString>("deletion");
        QTest::addColumn<bool>("preDeploy");
        QTest::newRow("number given again, from the tile") << false << QStringLiteral("widgetAgain") << false;
        QTest::newRow("layer number given again, from the tile") << false << QStringLiteral("layerAgain") << true;
        QTest::newRow("number given again, through Config") << true << QStringLiteral("widgetAgain") << false;
        QTest::newRow("layer number given again, through Config") << true << QStringLiteral("layerAgain") << true;
        QTest::newRow("deleted through Config, then a deploy") << true << QStringLiteral("widget") << true;
        QTest::newRow("deleted through Config, then Save") << true << QStringLiteral("widget") << false;
        QTest::newRow("layer deleted through Config, then Save") << true << QStringLiteral("layer") << false;
    }

    void deletedWidgetsPicturesStayGone()
    {
        QFETCH(bool, throughConfig);
        QFETCH(QString, deletion);
        QFETCH(bool, preDeploy);
        Session session;
        QVERIFY(session.start(QStringLiteral("cube")));
        session.cubeFromEditor();
        if (QTest::currentTestFailed())
            return;
        auto* pellora = qobject_cast<ModulePelloraProfileEditor*>(session.editor());
        QVERIFY(pellora);
        const QString prompt =
            QStringLiteral("profile/%1/widget/101/click-promptIcon").arg(QString::fromStdString(session.key()));
        QCOMPARE(pellora->panel()->configWidget()->promptIconPath(), prompt);
        QPixmap picture(24, 24);
        picture.fill(Qt::green);
        pellora->panel()->configWidget()->onImagePicked(QStringLiteral("http://127.0.0.1:9/icons/leaf.png"), picture);
        pellora->saveButton()->click();
        QTRY_VERIFY(!pellora->saveButton()->isEnabled());
        QVERIFY(fileStored(session.id, prompt));
        const Json first = storedData(session.id)["dataConfig"]["layers"][0]["widgets"][0];

        ModulePelloraDialog* dialog = nullptr;
        if (throughConfig) {
            pellora->configButton()->click();
            QTRY_VERIFY((dialog = pellora->openDialog()) != nullptr);
        } else {
            session.tile->onClickMenuConfig();
            QTRY_VERIFY((dialog = shownWindow<ModulePelloraDialog>()) != nullptr);
        }
        dialog->onTapSelected(1);
        ModulePelloraLayer* layer = dialog->layerPage();
        layer->enterEdit();
        ModulePelloraWidget* grid = layer->currentPage();
        QVERIFY(grid && grid->items().size() == 1);
        if (deletion.startsWith(QLatin1String("layer"))) {
            layer->deleteLayer(layer->row(1));
            layer->onClickAddLayerBtn();
            QVERIFY(layer->openDialog());
            layer->openDialog()->button2->click();
            layer->onLayerSelected(1);
            grid = layer->currentPage();
            QVERIFY(grid && grid->items().isEmpty());
        } else {
            grid->deleteItem(grid->items().front(), 101);
        }
        const bool again = deletion.endsWith(QLatin1String("Again"));
        if (again) {
            addWidgetWithPicture(grid, Qt::blue);
        }
        layer->saveEdit();
        QTRY_VERIFY(!layer->isEditing());
        dialog->close();
        QTRY_VERIFY(!shownWindow<ModulePelloraDialog>());
        QTRY_VERIFY(session.editor());
        QVERIFY2(!fileStored(session.id, prompt), "the deleted widget's picture is still stored");
        if (!again) {
            // Nothing of the deleted widget is shown any more: neither its picture nor its event.
            auto* shown = qobject_cast<ModulePelloraProfileEditor*>(session.editor());
            QVERIFY(shown);
            QCOMPARE(shown->widgetCombo()->count(), 0);
            QVERIFY(shown->screenLabel()->pixmap().isNull());
            QVERIFY(shown->panel()->isHidden());
        }

        if (preDeploy) {
            EventBus::instance()->publish(
                QSharedPointer<EventBusMessage>::create(QString::fromLatin1(Topics::PreDeploy)));
            QTest::qWait(20);
        } else {
            BaseResult<void> saved(Errors::Unknown, QStringLiteral("not called"));
            session.editor()->save([&](const BaseResult<void>& result) { saved = result; });
            QVERIFY2(saved.isOk(), qPrintable(saved.message));
        }
        QVERIFY2(!fileStored(session.id, prompt), "the deleted widget's picture was stored again");

        const Json widgets = storedData(session.id)["dataConfig"]["layers"][0]["widgets"];
        QCOMPARE(widgets.size(), size_t(again ? 1 : 0));
        QCOMPARE(fileStored(session.id, QStringLiteral("widget/101/rawIcon")), again);
        if (!again)
            return;
        QVERIFY(widgets[0]["id"] == 101 && widgets[0]["uniqueId"] != first["uniqueId"]);
        // The editor on screen shows the new widget 101 without the deleted one's picture.
        pellora = qobject_cast<ModulePelloraProfileEditor*>(session.editor());
        QVERIFY(pellora);
        QCOMPARE(pellora->widgetCombo()->count(), 1);
        MainSceneActionConfigWidget* actions = pellora->panel()->configWidget();
        QCOMPARE(actions->promptIconPath(), prompt);
        QVERIFY(actions->iconButton()->icon().isNull());
        QVERIFY(actions->pickedImageName().isEmpty());
    }

    // The row lists its modules without their data: the editor a tile opens still shows what
    // an earlier session stored, and its save before a deploy keeps every profile's entry.
    void editorStartsFromTheStoredRecord()
    {
        Session session;
        QVERIFY(session.start(QStringLiteral("keys")));
        const std::string key = session.key();
        auto earlier = storedModule(session.id);
        QVERIFY(earlier);
        earlier->data["profiles"][key]["button1"]["click"] = {
            {"promptEnabled", true},
            {"promptText", "Next"},
            {"promptDialogBg", ""},
            {"actionList", Json::array({{{"configDesc", "next"}, {"deployData", {{"act", "next"}}}}})}};
        earlier->data["profiles"]["profile_999"] = {{"deployConfig", Json::array({1})}};
        QVERIFY(ProjectManager::instance()->getModuleUseCase()->update(*earlier).isOk());

        session.showEditor();
        auto* keys = qobject_cast<ModulePipwickProfileEditor*>(session.editor());
        QVERIFY(keys);
        QCOMPARE(keys->panel()->configWidget()->actionListWidget()->actions().size(), size_t(1));
        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QString::fromLatin1(Topics::PreDeploy)));
        QTest::qWait(20);
        Json data = storedData(session.id);
        QVERIFY2(data["profiles"]["profile_999"]["deployConfig"] == Json::array({1}), data.dump().c_str());
        QVERIFY2(data["profiles"][key]["deployConfig"].dump().find("next") != std::string::npos, data.dump().c_str());
    }
};

ORVEL_WIDGET_TEST_MAIN(TestRecordInterleavings, 1920, 1040)
#include "tst_RecordInterleavings.moc"
