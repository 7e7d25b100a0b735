// The module profile editors with real widgets: events written back, saves, the tap rhythm on
// an injected clock, the screen cube's editor beside its window, and a deploy end to end.

#include "main/MainWindow.h"
#include "module/ModuleCommonKeyConfigPanel.h"
#include "module/ModuleCommonKnobConfigPanel.h"
#include "module/ModuleEventDeployData.h"
#include "module/ModulePelloraDialog.h"
#include "module/ModulePelloraLayer.h"
#include "module/ModulePelloraProfileEditor.h"
#include "module/ModulePelloraWidget.h"
#include "module/ModulePelloraWidgetEditor.h"
#include "module/ModulePipwickProfileEditor.h"
#include "module/ModuleRollaneProfileEditor.h"
#include "module/ModuleThessaProfileEditor.h"
#include "module/ModuleThessaRhythmWidget.h"
#include "module/PelloraImageEditor.h"
#include "module/TapDetailConfigPanel.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileUseCase.h"
#include "scene/MainSceneActionConfigWidget.h"
#include "scene/SceneActionListWidget.h"
#include "support/ModuleTestEnv.h"
#include "support/ProjectTestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseWidgetSelectGroup.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"
#include "widgets/ToastWidget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>

#include <map>

using namespace OV;
using json = nlohmann::json;

namespace {

json action(const char* name)
{
    return {{"configDesc", name}, {"deployData", {{"act", name}}}};
}

void addAction(MainSceneActionConfigWidget* widget, const char* name)
{
    json actions = widget->actionListWidget()->actions();
    actions.push_back(action(name));
    widget->actionListWidget()->setActions(actions);
    widget->actionListWidget()->updateActionList();
}

void check(QButtonGroup* group, const char* id)
{
    for (QAbstractButton* button : group->buttons()) {
        if (button->property("id").toString() == QLatin1String(id))
            button->click();
    }
}

BaseResult<void> saveNow(ModuleProfileEditor& editor)
{
    BaseResult<void> out(Errors::Unknown, QStringLiteral("not called"));
    editor.save([&](const BaseResult<void>& result) { out = result; });
    return out;
}

// A virtual clock for the rhythm: steps run in time order when the test advances it.
struct FakeClock
{
    int now = 0;
    std::multimap<int, std::function<void()>> pending;
    ModuleThessaRhythmWidget::Scheduler scheduler()
    {
        return [this](int delayMs, std::function<void()> run) { pending.emplace(now + delayMs, std::move(run)); };
    }
    void runUntil(int end)
    {
        while (!pending.empty() && pending.begin()->first <= end) {
            auto first = pending.begin();
            now = first->first;
            auto run = std::move(first->second);
            pending.erase(first);
            run();
        }
        now = end;
    }
};

} // namespace

class TestModuleProfileEditors : public QObject
{
    Q_OBJECT

    std::unique_ptr<Test::ModuleTestEnv> m_env;
    MainWindow* m_main = nullptr;
    QStringList m_messages;

    std::string key() const { return ModuleProfileEditor::currentProfileKey().toStdString(); }

    std::shared_ptr<ProjectDbModuleBean> stored(int64_t id) { return m_env->storedModule(id); }

    void shoot(QWidget* widget, const char* name)
    {
        const QString dir = Test::screenshotDir();
        if (dir.isEmpty())
            return;
        // Shown on its own, the editor takes the window's dark background of the edit area.
        widget->setObjectName(QStringLiteral("window"));
        widget->setAttribute(Qt::WA_StyledBackground);
        widget->style()->unpolish(widget);
        widget->style()->polish(widget);
        widget->resize(1000, 640);
        widget->show();
        QTest::qWait(20);
        QVERIFY(widget->grab().save(dir + QStringLiteral("/%1.png").arg(QLatin1String(name))));
    }

private slots:
    void initTestCase()
    {
        Test::applyBaseTheme();
        MessageDialog::setAnswerProvider([this](MessageDialog& dialog) {
            if (dialog.button2->isVisible())
                return 2;
            m_messages << dialog.text();
            return 3;
        });
        m_env = std::make_unique<Test::ModuleTestEnv>(QStringLiteral("127.0.0.64"));
        QVERIFY(m_env->isValid());
        // The main window takes the project's own hub (none), so the stand-in comes after it.
        m_main = new MainWindow(nullptr);
        QVERIFY(MainWindow::currentProfile());
        QVERIFY(m_env->connectHub());
    }

    void cleanupTestCase()
    {
        delete m_main;
        m_env.reset();
    }

    void init() { m_messages.clear(); }

    void wrongProductIsRefused()
    {
        auto bean = m_env->addModule(ProjectModuleUseCase::kThessaProductId, QStringLiteral("TH-WRONG"), {});
        QCOMPARE(Test::thrownText([&] { ModulePipwickProfileEditor editor(nullptr, bean); }),
                 QStringLiteral("invalid bean product"));
        EditStateWatcher watcher;
        ModuleCommonKeyConfigPanel keys(nullptr, &watcher);
        json config = json::object();
        QCOMPARE(Test::thrownText([&] { keys.setKeyConfig("K", "tripleClick", 1, {}, config); }),
                 QStringLiteral("invalid eventId: tripleClick"));
        ModuleCommonKnobConfigPanel knob(nullptr, &watcher);
        QCOMPARE(Test::thrownText([&] { knob.setKnobConfig("K", "click", config); }),
                 QStringLiteral("invalid eventId: click"));
        QCOMPARE(Test::thrownText([] { ModuleCommonKeyConfigPanel panel(nullptr, nullptr); }),
                 QStringLiteral("editStateWatcher is null"));
    }

    // A new key-button module saved at once: the shown event and an empty deployConfig; the
    // default prompt text is the title; switching keys keeps unsaved edits.
    void pipwick()
    {
        auto bean = m_env->addModule(ProjectModuleUseCase::kPipwickProductId, QStringLiteral("PW-ED"), {});
        ModulePipwickProfileEditor editor(nullptr, bean);
        QVERIFY(!editor.watcher()->isDirty());
        QCOMPARE(editor.panel()->titleLabel()->text(), QStringLiteral("Button1-Click"));
        QVERIFY(saveNow(editor).isOk());
        json cfg = stored(bean->id)->data["profiles"][key()];
        QCOMPARE(QByteArray::fromStdString(cfg.dump()),
                 QByteArray(R"({"button1":{"click":{"actionList":[],"enabled":true,"promptDialogBg":"",)"
                            R"("promptEnabled":true,"promptText":"Button1-Click"}},"deployConfig":[]})"));

        editor.panel()->configWidget()->nameEdit()->setText(QStringLiteral("Lights"));
        addAction(editor.panel()->configWidget(), "lamp");
        check(editor.keyGroup(), "button2");
        QCOMPARE(editor.selectedKey(), std::string("button2"));
        QVERIFY(editor.watcher()->isDirty());
        check(editor.keyGroup(), "button1");
        QCOMPARE(editor.panel()->configWidget()->nameEdit()->text(), QStringLiteral("Lights"));

        check(editor.keyGroup(), "button3");
        check(editor.eventGroup(), "longPress");
        QCOMPARE(editor.panel()->titleLabel()->text(), QStringLiteral("Button3-Long Press"));
        shoot(&editor, "module_pipwick_editor");
        QVERIFY(saveNow(editor).isOk());
        cfg = stored(bean->id)->data["profiles"][key()];
        QCOMPARE(cfg["button3"]["longPress"]["promptText"].get<std::string>(), std::string("Button3-Long Press"));
        QCOMPARE(QByteArray::fromStdString(cfg["deployConfig"].dump()),
                 QByteArray(R"([{"keyCode":2,"singleClick":{"actions":[{"act":"lamp"}],"icon":"","name":"Lights",)"
                            R"("show":true}}])"));
        for (const char* k : {"enabled", "promptEnabled", "promptText", "promptDialogBg", "actionList"})
            QVERIFY2(cfg["button2"]["click"].contains(k), k);

        // A record the builders cannot read fails the save with 1000; nothing is stored.
        bean->data["profiles"][key()]["button2"]["doubleClick"] = 5;
        const BaseResult<void> failed = saveNow(editor);
        QCOMPARE(failed.code(), 1000);
        QVERIFY(stored(bean->id)->data["profiles"][key()] == cfg);
    }

    // The knob's device: chosen, cleared (all three strings empty), not deployed once cleared.
    void rollane()
    {
        auto bean = m_env->addModule(ProjectModuleUseCase::kRollaneProductId, QStringLiteral("RL-ED"), {});
        ModuleRollaneProfileEditor editor(nullptr, bean);
        check(editor.itemGroup(), "knob");
        QCOMPARE(editor.knobPanel()->titleLabel()->text(), QStringLiteral("Knob-Turn Left"));
        editor.knobPanel()->onDeviceChosen({{"name", " Desk lamp "}, {"id", "lamp-1"}, {"type", "lamp"}});
        QCOMPARE(editor.knobPanel()->deviceEdit()->text(), QStringLiteral("Desk lamp"));
        QVERIFY(editor.knobPanel()->clearButton()->isEnabled());
        shoot(&editor, "module_rollane_editor");
        // The event switched off and on again: the shot shows the box unchecked.
        editor.knobPanel()->enabledBox()->setChecked(false);
        shoot(&editor, "module_rollane_editor_event_off");
        editor.knobPanel()->enabledBox()->setChecked(true);
        QVERIFY(saveNow(editor).isOk());
        QCOMPARE(QByteArray::fromStdString(stored(bean->id)->data["profiles"][key()]["deployConfig"].dump()),
                 QByteArray(R"({"counterclockwise":{"id":"lamp-1","type":"lamp"}})"));
        editor.knobPanel()->clearButton()->click();
        QVERIFY(saveNow(editor).isOk());
        const json turn = stored(bean->id)->data["profiles"][key()]["knob"]["turnLeft"];
        QCOMPARE(QByteArray::fromStdString(turn.dump()),
                 QByteArray(R"({"deviceId":"","deviceName":"","deviceType":"","enabled":true})"));
        QCOMPARE(stored(bean->id)->data["profiles"][key()]["deployConfig"].dump(), std::string("[]"));
    }

    // Mode 5 on the injected clock: circles at 0, 500, 1300 and 1800 ms, cleared at 2300 ms; a
    // switch of mode drops the pending steps.
    void tapRhythm()
    {
        auto bean = m_env->addModule(ProjectModuleUseCase::kThessaProductId, QStringLiteral("TH-ED"), {});
        ModuleThessaProfileEditor editor(nullptr, bean);
        FakeClock clock;
        ModuleThessaRhythmWidget* rhythm = editor.panel()->rhythmWidget();
        rhythm->setScheduler(clock.scheduler());
        check(editor.modeGroup(), "mode5");
        QCOMPARE(editor.panel()->titleLabel()->text(), QStringLiteral("Tap-Event 5"));
        QCOMPARE(rhythm->points().size(), 4);
        QCOMPARE(rhythm->points()[0].x(), 40.0);
        QCOMPARE(rhythm->points()[1].x(), 100.0);
        QCOMPARE(rhythm->points()[0].y(), 25.0);

        editor.panel()->playButton()->click();
        QVERIFY(!editor.panel()->playButton()->isEnabled());
        QList<std::pair<int, int>> timeline{{0, rhythm->highlightedStep()}};
        for (int t : {1, 499, 500, 1299, 1300, 1799, 1800, 2299, 2300}) {
            clock.runUntil(t);
            if (timeline.last().second != rhythm->highlightedStep())
                timeline.append({t, rhythm->highlightedStep()});
        }
        QCOMPARE(timeline, (QList<std::pair<int, int>>{{0, 0}, {500, 1}, {1300, 2}, {1800, 3}, {2300, -1}}));
        QVERIFY(editor.panel()->playButton()->isEnabled());

        editor.panel()->playButton()->click();
        clock.runUntil(clock.now + 600);
        QCOMPARE(rhythm->highlightedStep(), 1);
        shoot(editor.panel(), "module_thessa_rhythm");
        check(editor.modeGroup(), "mode1");
        QCOMPARE(rhythm->highlightedStep(), -1);
        QVERIFY(editor.panel()->playButton()->isEnabled());
        clock.runUntil(clock.now + 5000);
        QCOMPARE(rhythm->highlightedStep(), -1);
        QVERIFY(editor.panel()->playButton()->isEnabled());
        shoot(&editor, "module_thessa_editor");

        addAction(editor.panel()->configWidget(), "chime");
        QVERIFY(saveNow(editor).isOk());
        const json mode5 = stored(bean->id)->data["profiles"][key()]["tap"]["mode5"];
        for (const char* k : {"enabled", "promptEnabled", "promptText", "promptDialogBg", "actionList"})
            QVERIFY2(mode5.contains(k), k);
        QCOMPARE(QByteArray::fromStdString(stored(bean->id)->data["profiles"][key()]["deployConfig"].dump()),
                 QByteArray(R"([{"actions":[{"act":"chime"}],"icon":"","mode":0,"name":"Tap-Event 1","show":true}])"));
    }

    // The cube's editor stays open while its window adds a widget and saves: saving the editor
    // afterwards keeps the new widget and its pictures.
    void pelloraEditorBesideItsWindow()
    {
        auto bean = m_env->addModule(ProjectModuleUseCase::kPelloraProductId, QStringLiteral("PL-ED"),
                                     json::parse(R"({"dataConfig":{"layers":[{"uniqueId":"L1","id":1,"name":"Home",)"
                                                 R"("default":true,"widgets":[]}]}})"),
                                     70);
        QVERIFY(bean);
        ModulePelloraProfileEditor editor(nullptr, bean);
        QCOMPARE(editor.layerCombo()->count(), 1);
        QCOMPARE(editor.widgetCombo()->count(), 0);

        auto* dialog = new ModulePelloraDialog(bean->id);
        dialog->show();
        dialog->onTapSelected(1);
        ModulePelloraLayer* layer = dialog->layerPage();
        layer->enterEdit();
        ModulePelloraWidget* grid = layer->currentPage();
        QVERIFY(grid);
        grid->onClickAddingItem();
        QPixmap picture(100, 100);
        picture.fill(Qt::red);
        grid->openEditor()->typeEditor()->imageEditor()->setIcon(picture, 60);
        grid->openEditor()->saveButton()->click();
        layer->saveEdit();
        QTRY_VERIFY(!layer->isEditing());
        dialog->close();

        QVERIFY(saveNow(editor).isOk());
        const auto db = ProjectManager::instance()->getModuleUseCase()->accessor->database();
        QVERIFY(db->loadFile(bean->id, QStringLiteral("widget/101/rawIcon")).isOk());
        QCOMPARE(stored(bean->id)->data["dataConfig"]["layers"][0]["widgets"].size(), size_t(1));

        // After the window closes the lists show what it stored.
        editor.reloadBean();
        QCOMPARE(editor.widgetCombo()->count(), 1);
        QCOMPARE(editor.panel()->titleLabel()->text(), QStringLiteral("Home-Widget 1-Click"));
        addAction(editor.panel()->configWidget(), "next");
        shoot(&editor, "module_pellora_editor");
        QVERIFY(saveNow(editor).isOk());
        const json deployed = stored(bean->id)->data["profiles"][key()]["deployConfig"];
        QCOMPARE(deployed[0]["keyCode"].get<int>(), 101);
        QCOMPARE(deployed[0]["widgetType"].get<int>(), 1);
        QVERIFY(db->loadFile(bean->id, QStringLiteral("widget/101/pressedIcon")).isOk());

        // "Config" opens the window only after a successful save.
        const std::string uniqueId = stored(bean->id)->data["dataConfig"]["layers"][0]["widgets"][0]["uniqueId"];
        json& widgetConfig = editor.bean()->data["profiles"][key()][uniqueId];
        widgetConfig["longPress"] = 5;
        editor.onClickConfig();
        QTRY_COMPARE(m_messages.size(), 1);
        QVERIFY(!editor.openDialog());
        widgetConfig.erase("longPress");
        editor.onClickConfig();
        QVERIFY(editor.openDialog());
        editor.openDialog()->close();
        QTRY_VERIFY(!editor.openDialog());
    }

    // A cube without layers shows empty lists; its save stores the profile's empty deployConfig.
    void pelloraWithoutLayers()
    {
        auto bean = m_env->addModule(ProjectModuleUseCase::kPelloraProductId, QStringLiteral("PL-EMPTY"), {}, 90);
        QVERIFY(bean);
        ModulePelloraProfileEditor editor(nullptr, bean);
        QCOMPARE(editor.layerCombo()->count(), 0);
        QCOMPARE(editor.widgetCombo()->count(), 0);
        QVERIFY(saveNow(editor).isOk());
        json stored = this->stored(bean->id)->data;
        QVERIFY2(stored["profiles"][key()]["deployConfig"] == json::array(), stored.dump().c_str());
    }

    // "Config" saves as "Save" does, toast included, before the window opens.
    void pelloraConfigSavesAsSaveDoes()
    {
        auto bean = m_env->addModule(ProjectModuleUseCase::kPelloraProductId, QStringLiteral("PL-TOAST"), {}, 95);
        QVERIFY(bean);
        ModulePelloraProfileEditor editor(nullptr, bean);
        const auto toasts = [this] {
            int count = 0;
            for (ToastWidget* toast : m_main->findChildren<ToastWidget*>())
                count += toast->text() == QLatin1String("Save successful");
            return count;
        };
        const int before = toasts();
        editor.configButton()->click();
        QTRY_VERIFY(editor.openDialog());
        QCOMPARE(toasts(), before + 1);
        QVERIFY(m_messages.isEmpty());
        QVERIFY(!editor.saveButton()->isEnabled());
        editor.openDialog()->close();
        QTRY_VERIFY(!editor.openDialog());
        QCOMPARE(editor.layerCombo()->count(), 0);
    }

    // Bind an action to an event of three modules, save, deploy: act 1108 carries each module's
    // config exactly as built, in the current profile only.
    void deployEndToEnd()
    {
        const auto profiles = ProjectManager::instance()->getProfileUseCase();
        QVERIFY(profiles->createProfile(QStringLiteral("Other"), QString()).isOk());
        auto pipwick = m_env->addModule(ProjectModuleUseCase::kPipwickProductId, QStringLiteral("PW-E2E"), {});
        auto rollane = m_env->addModule(ProjectModuleUseCase::kRollaneProductId, QStringLiteral("RL-E2E"), {});
        auto thessa = m_env->addModule(ProjectModuleUseCase::kThessaProductId, QStringLiteral("TH-E2E"), {});
        {
            ModulePipwickProfileEditor editor(nullptr, pipwick);
            check(editor.keyGroup(), "button2");
            addAction(editor.panel()->configWidget(), "play");
            QVERIFY(saveNow(editor).isOk());
        }
        {
            ModuleRollaneProfileEditor editor(nullptr, rollane);
            check(editor.itemGroup(), "button");
            addAction(editor.keyPanel()->configWidget(), "mute");
            check(editor.itemGroup(), "knob");
            editor.knobPanel()->onDeviceChosen({{"name", "Volume"}, {"id", "vol"}, {"type", "volume"}});
            QVERIFY(saveNow(editor).isOk());
        }
        {
            ModuleThessaProfileEditor editor(nullptr, thessa);
            addAction(editor.panel()->configWidget(), "bell");
            QVERIFY(saveNow(editor).isOk());
        }

        m_env->hub().clearRecords();
        DeploySettings settings;
        settings.tempDir = m_env->dir() + QStringLiteral("/deploy");
        ProjectManager::instance()->setDeploySettings(settings);
        BaseResult<void> outcome(Errors::Unknown, QStringLiteral("pending"));
        bool done = false;
        ProjectManager::instance()->deployProject([&](const BaseResult<void>& result) {
            outcome = result;
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
        QVERIFY2(outcome.isOk(), qPrintable(QString::number(outcome.code()) + QLatin1Char(' ') + outcome.message));
        QCOMPARE(m_env->hub().received(1108).size(), 1);
        const json sent = m_env->hub().received(1108)[0]["data"];
        std::map<std::string, json> expected;
        for (const auto& bean : {pipwick, rollane, thessa})
            expected[bean->sn.toStdString()] = stored(bean->id)->data["profiles"][key()]["deployConfig"];
        QCOMPARE(QByteArray::fromStdString(expected["PW-E2E"].dump()),
                 QByteArray(R"([{"keyCode":1,"singleClick":{"actions":[{"act":"play"}],"icon":"",)"
                            R"("name":"Button2-Click","show":true}}])"));
        QCOMPARE(QByteArray::fromStdString(expected["RL-E2E"].dump()),
                 QByteArray(R"({"button":{"keyCode":0,"singleClick":{"actions":[{"act":"mute"}],"icon":"",)"
                            R"("name":"Button-Click","show":true}},"counterclockwise":{"id":"vol","type":"volume"}})"));
        QCOMPARE(QByteArray::fromStdString(expected["TH-E2E"].dump()),
                 QByteArray(R"([{"actions":[{"act":"bell"}],"icon":"","mode":0,"name":"Tap-Event 1","show":true}])"));
        int checked = 0;
        for (const json& profile : sent) {
            const bool current = profile["id"].get<std::string>() == key();
            for (const json& module : profile.value("module", json::array())) {
                const std::string sn = module["serialNo"];
                if (!expected.count(sn))
                    continue;
                QVERIFY2(current, sn.c_str());
                QCOMPARE(QByteArray::fromStdString(module["config"].dump()),
                         QByteArray::fromStdString(expected[sn].dump()));
                ++checked;
            }
        }
        QCOMPARE(checked, 3);
        QCOMPARE(sent.size(), size_t(2));
    }
};

ORVEL_WIDGET_TEST_MAIN(TestModuleProfileEditors, 1600, 1000)
#include "tst_ModuleProfileEditors.moc"
