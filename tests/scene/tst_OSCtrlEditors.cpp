#include "os/OSControllerWin.h"
#include "scene/HotKeyRecorder.h"
#include "scene/RunningAppListDialog.h"
#include "scene/SceneActionConfigPanel.h"
#include "scene/SceneFileChooser.h"
#include "scene/SceneOSCtrlConfig.h"
#include "scene/SceneOSCtrlExecCmd.h"
#include "scene/SceneOSCtrlHotKey.h"
#include "scene/SceneOSCtrlInputText.h"
#include "scene/SceneOSCtrlOpenBrowser.h"
#include "scene/SceneOSCtrlOpenFile.h"
#include "scene/SceneOSCtrlStartApp.h"
#include "scene/SceneOSCtrlTypeList.h"
#include "support/FakeOsPlatform.h"
#include "support/TestSetup.h"
#include "support/TestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"
#include "widgets/SearchableComboBox.h"
#include "widgets/SelectableLabel.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using namespace OV;
using Json = nlohmann::json;

namespace {

const Json kNode = {{"name", "PC control"}, {"last", true},       {"id", "pc.control"},
                    {"type", "PC_CONTROL"}, {"objectName", "PC"}, {"objectParams", {{"target", "desktop"}}}};

Json payloadValue(const char* action, Json params)
{
    return {{"output", 10}, {"payload", {{"action", action}, {"params", std::move(params)}}}};
}

// Makes the editor of a type and fills its form with text.
SceneActionExPanel* makeEditor(const QString& type, const QString& text, QWidget* parent)
{
    if (type == QLatin1String("execCmd")) {
        auto* editor = new SceneOSCtrlExecCmd(kNode, parent);
        editor->lineEdit()->setText(text);
        return editor;
    }
    if (type == QLatin1String("openBrowser")) {
        auto* editor = new SceneOSCtrlOpenBrowser(kNode, parent);
        editor->lineEdit()->setText(text);
        return editor;
    }
    if (type == QLatin1String("inputText")) {
        auto* editor = new SceneOSCtrlInputText(kNode, parent);
        editor->textEdit()->setPlainText(text);
        return editor;
    }
    if (type == QLatin1String("openFileOrFolder")) {
        auto* editor = new SceneOSCtrlOpenFile(kNode, parent);
        editor->lineEdit()->setText(text);
        return editor;
    }
    if (type == QLatin1String("startApp")) {
        auto* editor = new SceneOSCtrlStartApp(kNode, parent);
        editor->lineEdit()->setText(text);
        return editor;
    }
    auto* editor = new SceneOSCtrlHotKey(kNode, parent);
    if (!text.isEmpty())
        editor->bindData({{"keys", {224, 4}}});
    return editor;
}

} // namespace

class TestOSCtrlEditors : public QObject
{
    Q_OBJECT

    QStringList messages;
    QWidget host;

    void shot(QWidget* widget, const QString& name)
    {
        const QString folder = Test::screenshotDir();
        if (folder.isEmpty())
            return;
        widget->resize(760, 420);
        widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(widget));
        widget->grab().save(QDir(folder).filePath(name));
    }

private slots:
    void initTestCase()
    {
        Test::applyBaseTheme();
        MessageDialog::setAnswerProvider([this](MessageDialog& dialog) {
            messages << dialog.text();
            return 1;
        });
    }

    void init() { messages.clear(); }

    void payloads_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("desc");
        QTest::addColumn<QString>("value");
        QTest::newRow("command") << "execCmd"
                                 << "  echo hi  "
                                 << "Command: echo hi"
                                 << QString::fromStdString(payloadValue("execCmd", {{"cmd", "echo hi"}}).dump());
        QTest::newRow("text blanks kept")
            << "inputText"
            << "  typed  "
            << "Input text:   typed  "
            << QString::fromStdString(payloadValue("inputText", {{"text", "  typed  "}}).dump());
        QTest::newRow("file") << "openFileOrFolder"
                              << "/tmp/a.txt"
                              << "Open file: /tmp/a.txt"
                              << QString::fromStdString(payloadValue("openFile", {{"path", "/tmp/a.txt"}}).dump());
        QTest::newRow("explorer") << "openFileOrFolder"
                                  << " "
                                  << "Open file explorer"
                                  << QString::fromStdString(payloadValue("openFile", {{"path", ""}}).dump());
        QTest::newRow("browser") << "openBrowser"
                                 << "https://example.org"
                                 << "Open browser, URL: https://example.org"
                                 << QString::fromStdString(
                                        payloadValue("openBrowser", {{"url", "https://example.org"}}).dump());
        QTest::newRow("browser empty") << "openBrowser"
                                       << ""
                                       << "Open browser"
                                       << QString::fromStdString(payloadValue("openBrowser", {{"url", ""}}).dump());
        QTest::newRow("app") << "startApp"
                             << "/usr/bin/app"
                             << "Start App: /usr/bin/app"
                             << QString::fromStdString(
                                    payloadValue("startApp", {{"path", "/usr/bin/app"}, {"launchMode", 2}}).dump());
        QTest::newRow("hotkey") << "hotKey"
                                << "x"
                                << "Hot Key: [Ctrl] + [A]"
                                << QString::fromStdString(
                                       Json{{"output", 5}, {"keys", {224, 4}}, {"keysDesc", "[Ctrl] + [A]"}}.dump());
    }

    void payloads()
    {
        QFETCH(QString, type);
        QFETCH(QString, text);
        QFETCH(QString, desc);
        QFETCH(QString, value);
        std::unique_ptr<SceneActionExPanel> editor(makeEditor(type, text, nullptr));
        for (bool showError : {true, false}) {
            const Json record = editor->buildActionJson(showError);
            JSON_COMPARE(record["configDesc"], Json(desc.toStdString()));
            const Json expected = {
                {"type", "PC_CONTROL"},
                {"objectParams", kNode["objectParams"]},
                {"values", Json::array({{{"id", "1"}, {"value", Json::parse(value.toStdString())}}})}};
            JSON_COMPARE(record["deployData"], expected);
            JSON_COMPARE(record["rawData"], kNode);
        }
        QVERIFY(messages.isEmpty());
    }

    void blankInput_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("key");
        QTest::newRow("command") << "execCmd"
                                 << "Command is empty"
                                 << "cmd";
        QTest::newRow("text") << "inputText"
                              << "Text is empty"
                              << "text";
        QTest::newRow("app") << "startApp"
                             << "App path not configured"
                             << "path";
        QTest::newRow("hotkey") << "hotKey"
                                << "Key combination not configured"
                                << "";
    }

    void blankInput()
    {
        QFETCH(QString, type);
        QFETCH(QString, message);
        QFETCH(QString, key);
        std::unique_ptr<SceneActionExPanel> editor(makeEditor(type, type == "inputText" ? "" : "   ", nullptr));
        if (type == QLatin1String("hotKey"))
            editor.reset(makeEditor(type, QString(), nullptr));
        JSON_COMPARE(editor->buildActionJson(true), Json::object());
        QTRY_COMPARE(messages, QStringList{message});
        // Without messages the record is made from what the form holds.
        const Json record = editor->buildActionJson(false);
        const Json value = record["deployData"]["values"][0]["value"];
        if (key.isEmpty())
            JSON_COMPARE(value["keys"], Json::array());
        else
            JSON_COMPARE(value["payload"]["params"][key.toStdString()], Json(""));
        QCOMPARE(messages.size(), 1);
    }

    void openFileChoosers()
    {
        SceneOSCtrlOpenFile editor(kNode);
        QString answer;
        SceneFileChooser::Request asked;
        SceneFileChooser::setProvider([&](const SceneFileChooser::Request& request) {
            asked = request;
            return answer;
        });
        answer = QStringLiteral("/home/u/Music");
        editor.folderButton()->click();
        QCOMPARE(asked.mode, SceneFileChooser::Directory);
        QCOMPARE(asked.title, QStringLiteral("Choose folder"));
        // A path typed by hand keeps the folder flag.
        editor.lineEdit()->setText(QStringLiteral("/home/u/Videos"));
        JSON_COMPARE(editor.buildActionJson(true)["configDesc"], Json("Open directory: /home/u/Videos"));
        answer.clear();
        editor.fileButton()->click(); // cancelled: nothing changes
        QVERIFY(editor.isFolder());
        answer = QStringLiteral("/home/u/a.pdf");
        editor.fileButton()->click();
        JSON_COMPARE(editor.buildActionJson(true)["configDesc"], Json("Open file: /home/u/a.pdf"));

        SceneOSCtrlStartApp app(kNode);
        QString chosen;
        app.onPathChosen = [&](const QString& path) { chosen = path; };
        answer = QStringLiteral("/opt/tool/tool.exe");
        app.browseButton()->click();
        QCOMPARE(asked.nameFilter, QStringLiteral("App (*.exe *.lnk)"));
        QCOMPARE(chosen, answer);
        QCOMPARE(app.lineEdit()->text(), answer);
        SceneFileChooser::setProvider({});
    }

    void launchModeRoundTrip_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("single instance") << 2;
        QTest::newRow("new instance") << 0;
    }

    void launchModeRoundTrip()
    {
        QFETCH(int, mode);
        SceneOSCtrlStartApp first(kNode);
        first.lineEdit()->setText(QStringLiteral("/usr/bin/app"));
        (mode == 0 ? first.newInstanceBox() : first.singleInstanceBox())->setChecked(true);
        const Json stored = first.buildActionJson(true)["deployData"]["values"][0]["value"]["payload"]["params"];
        QCOMPARE(stored["launchMode"].get<int>(), mode);
        // Loaded into a fresh editor and saved again, the mode stays.
        SceneOSCtrlStartApp second(kNode);
        second.bindData(stored);
        const Json again = second.buildActionJson(true)["deployData"]["values"][0]["value"]["payload"]["params"];
        JSON_COMPARE(again, stored);
    }

    void hotkeyLoads_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("desc");
        QTest::newRow("ctrl a") << "[224,4]"
                                << "[Ctrl] + [A]";
        QTest::newRow("unknown code") << "[224,50,20130]"
                                      << "[Ctrl] + [unknown] + [Sleep]";
    }

    void hotkeyLoads()
    {
        QFETCH(QString, keys);
        QFETCH(QString, desc);
        SceneOSCtrlHotKey editor(kNode);
        editor.bindData({{"keys", Json::parse(keys.toStdString())}});
        QCOMPARE(editor.recorder()->description, desc);
        QCOMPARE(editor.recorder()->keyBox()->text(), desc);
        JSON_COMPARE(editor.buildActionJson(true)["deployData"]["values"][0]["value"]["keys"],
                     Json::parse(keys.toStdString()));
        editor.reset();
        QVERIFY(editor.recorder()->keyCodes.isEmpty());
        QVERIFY(editor.recorder()->keyBox()->text().isEmpty());
    }

    void badStoredParamsAreLogged()
    {
        Test::LogCapture log;
        SceneOSCtrlExecCmd command(kNode);
        command.bindData(Json::array());
        SceneOSCtrlHotKey hotkey(kNode);
        hotkey.bindData({{"keys", {224, "x"}}});
        QCOMPARE(hotkey.recorder()->keyCodes, QList<int>{224});
        QVERIFY(log.text().contains(QStringLiteral("[SceneOSCtrlExecCmd] bindData error:")));
        QVERIFY(log.text().contains(QStringLiteral("[SceneOSCtrlHotKey] bindData error:")));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, command.setEditStateWatcher(nullptr));
    }

    void watcherSeesChanges()
    {
        EditStateWatcher watcher;
        watcher.setWatching(true);
        SceneOSCtrlStartApp app(kNode);
        app.setEditStateWatcher(&watcher);
        app.newInstanceBox()->setChecked(true);
        QVERIFY(watcher.isDirty());
        watcher.clearDirty();
        SceneOSCtrlHotKey hotkey(kNode);
        hotkey.setEditStateWatcher(&watcher);
        hotkey.recorder()->openSelector();
        QVERIFY(hotkey.recorder()->selector());
        hotkey.recorder()->selector()->onFinish({4}, QStringLiteral("[A]"));
        QVERIFY(watcher.isDirty());
        QCOMPARE(hotkey.recorder()->keyCodes, QList<int>{4});
        QTRY_VERIFY(!hotkey.recorder()->selector());
    }

    void configSwitchesTypes()
    {
        SceneOSCtrlConfig config(kNode);
        QCOMPARE(config.typeList()->currentType(), QStringLiteral("hotKey"));
        QVERIFY(qobject_cast<SceneOSCtrlHotKey*>(config.currentEditor()));
        config.typeList()->buttonFor(QStringLiteral("execCmd"))->click();
        auto* command = qobject_cast<SceneOSCtrlExecCmd*>(config.currentEditor());
        QVERIFY(command);
        command->lineEdit()->setText(QStringLiteral("ls"));
        JSON_COMPARE(config.buildActionJson(true)["configDesc"], Json("Command: ls"));
        config.reset();
        QVERIFY(command->lineEdit()->text().isEmpty());
        // A fresh editor for every switch: nothing carries over.
        config.typeList()->buttonFor(QStringLiteral("openBrowser"))->click();
        config.typeList()->buttonFor(QStringLiteral("execCmd"))->click();
        QVERIFY(qobject_cast<SceneOSCtrlExecCmd*>(config.currentEditor())->lineEdit()->text().isEmpty());
        QCOMPARE(pcControlTypeLabel("openFileOrFolder"), QStringLiteral("Open File/Folder"));
        QCOMPARE(pcControlTypeLabel("nope"), QString());
        createOSCtrlEditor(&config, QStringLiteral("nope"));
        QVERIFY(qobject_cast<SceneOSCtrlExecCmd*>(config.currentEditor()));
    }

    void runningAppsOncePerExecutable()
    {
        Test::FakeOsPlatform fake;
        fake.windows->list = {{1, "Editor — a.txt", 10, false},
                              {2, "Editor — b.txt", 11, false},
                              {3, "OrvelWorkSpace", 12, false},
                              {4, "Terminal", 13, false},
                              {5, "No process", 0, false}};
        fake.processes->executables = {{10, "/usr/bin/editor"},
                                       {11, "/usr/bin/editor"},
                                       {12, "/opt/orvel/orvelworkspace"},
                                       {13, "/usr/bin/term.bin"}};
        OSControllerWin controller(fake.platform(), nullptr);
        QCoreApplication::setApplicationName(QStringLiteral("OrvelWorkSpace"));
        auto* dialog = new RunningAppListDialog(&controller);
        QCOMPARE(dialog->apps().size(), size_t(2));
        QCOMPARE(dialog->comboBox()->count(), 2);
        QCOMPARE(dialog->comboBox()->itemText(0), QStringLiteral("editor"));
        QCOMPARE(dialog->comboBox()->itemText(1), QStringLiteral("term"));
        QCOMPARE(dialog->comboBox()->itemData(1).toString(), QStringLiteral("/usr/bin/term.bin"));
        delete dialog;

        // Through the editor: the choice fills the path and the dialog closes.
        SceneOSCtrlStartApp app(kNode);
        app.setController(&controller);
        QString chosen;
        app.onPathChosen = [&](const QString& path) { chosen = path; };
        app.runningListButton()->click();
        RunningAppListDialog* shown = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<RunningAppListDialog*>(w); d && d->isVisible())
                shown = d;
        }
        QVERIFY(shown);
        shown->comboBox()->setCurrentIndex(1);
        shown->button3->click();
        QCOMPARE(chosen, QStringLiteral("/usr/bin/term.bin"));
        QCOMPARE(app.lineEdit()->text(), chosen);
        QTRY_VERIFY(!shown->isVisible());
    }

    void screenshots()
    {
        if (Test::screenshotDir().isEmpty())
            QSKIP("no screenshots asked for");
        const QStringList types = {"hotKey", "inputText", "openFileOrFolder", "openBrowser", "startApp", "execCmd"};
        const QStringList texts = {"x",
                                   "Hello from the hub",
                                   "/home/user/Documents",
                                   "https://example.org",
                                   "/usr/bin/gedit",
                                   "notify-send 'Desk' 'Hello'"};
        for (int i = 0; i < types.size(); ++i) {
            // As the picker shows it: inside the configuration panel on the window's background.
            QWidget frame;
            frame.setObjectName(QStringLiteral("window"));
            frame.setAttribute(Qt::WA_StyledBackground);
            auto* frameLayout = new QVBoxLayout(&frame);
            frameLayout->setContentsMargins(0, 0, 0, 0);
            auto* panel = new SceneActionConfigPanel(kNode, &frame);
            frameLayout->addWidget(panel);
            auto& config = *qobject_cast<SceneOSCtrlConfig*>(panel->specialEditor());
            config.typeList()->buttonFor(types[i])->click();
            SceneActionExPanel* editor = config.currentEditor();
            if (auto* e = qobject_cast<SceneOSCtrlHotKey*>(editor))
                e->bindData({{"keys", {224, 226, 76}}});
            else if (auto* e = qobject_cast<SceneOSCtrlInputText*>(editor))
                e->textEdit()->setPlainText(texts[i]);
            else
                editor->findChild<QLineEdit*>()->setText(texts[i]);
            shot(&frame, QStringLiteral("scene_pc_control_%1.png").arg(types[i]));
        }
    }
};

ORVEL_WIDGET_TEST_MAIN(TestOSCtrlEditors, 1600, 1000)
#include "tst_OSCtrlEditors.moc"
