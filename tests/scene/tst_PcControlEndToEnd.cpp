// A PC-control action made in the editors is carried out on this machine when the hub sends
// its payload back as a command (act 1000000, type PC_CONTROL).
#include "device/KSCmdUseCase.h"
#include "device/KestrinDevice.h"
#include "device/OSCtrlExecutor.h"
#include "os/OSControllerWin.h"
#include "project/ProjectDbHostBean.h"
#include "project/ProjectManager.h"
#include "scene/SceneActionConfigPanel.h"
#include "scene/SceneOSCtrlConfig.h"
#include "scene/SceneOSCtrlExecCmd.h"
#include "scene/SceneOSCtrlOpenBrowser.h"
#include "scene/SceneOSCtrlTypeList.h"
#include "support/FakeOsPlatform.h"
#include "support/StandinHub.h"
#include "support/TestSetup.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using Json = nlohmann::json;

namespace {

// Records every start; shell commands also really run, so their effect can be seen.
class RecordingLauncher : public Test::FakeProcessLauncher
{
public:
    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        Test::FakeProcessLauncher::startDetached(program, arguments);
        if (program == QLatin1String("/bin/sh"))
            return QProcess::startDetached(program, arguments);
        return true;
    }
};

} // namespace

class TestPcControlEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    Test::StandinHub hub;
    Test::FakeOsPlatform fake;
    std::shared_ptr<RecordingLauncher> launcher = std::make_shared<RecordingLauncher>();
    std::unique_ptr<OSControllerWin> controller;
    std::unique_ptr<OSCtrlExecutor> executor;
    std::unique_ptr<KSCmdUseCase> commands;

    // The editor of a type, as the picker shows it for the hub's PC_CONTROL node.
    Json record(const QString& type, const QString& input)
    {
        const Json node = {
            {"name", "PC control"}, {"last", true}, {"id", "pc.control"}, {"type", "PC_CONTROL"}, {"objectName", "PC"}};
        SceneActionConfigPanel panel(node);
        auto* config = qobject_cast<SceneOSCtrlConfig*>(panel.specialEditor());
        config->typeList()->buttonFor(type)->click();
        config->currentEditor()->findChild<QLineEdit*>()->setText(input);
        return panel.buildActionJson();
    }

    void sendBack(const Json& action)
    {
        // What the hub keeps of the action and hands back: the value's payload.
        const Json payload = action["deployData"]["values"][0]["value"]["payload"];
        hub.sendCommand("PC_CONTROL", payload);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        fake.launcher = launcher;
        controller = std::make_unique<OSControllerWin>(fake.platform(), nullptr);
        executor = std::make_unique<OSCtrlExecutor>(controller.get());
        commands = std::make_unique<KSCmdUseCase>(executor.get());

        QVERIFY(hub.listen());
        hub.setValidToken(QStringLiteral("valid"));
        ProjectManager* pm = ProjectManager::instance();
        pm->setHubCommandHandler([this](const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message) {
            commands->process(device, message);
        });
        QVERIFY(
            Test::startCurrentHub(*pm, Test::standinHost(hub, QStringLiteral("KS-1"), QStringLiteral("valid")), 5000));
    }

    void browserStarts()
    {
        const Json action = record(QStringLiteral("openBrowser"), QStringLiteral(" https://example.org/desk "));
        QCOMPARE(QString::fromStdString(action["configDesc"].get<std::string>()),
                 QStringLiteral("Open browser, URL: https://example.org/desk"));
        launcher->calls.clear();
        sendBack(action);
        QTRY_COMPARE(launcher->calls.size(), size_t(1));
        QCOMPARE(launcher->calls[0].program, QStringLiteral("xdg-open"));
        QCOMPARE(launcher->calls[0].arguments, QStringList{QStringLiteral("https://example.org/desk")});
        QVERIFY(launcher->calls[0].detached);
    }

    void commandRuns()
    {
        const QString marker = dir.filePath(QStringLiteral("ran.txt"));
        const Json action =
            record(QStringLiteral("execCmd"), QStringLiteral("printf 'from the hub' > '%1'").arg(marker));
        sendBack(action);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(marker).size() == 12, 5000);
        QFile file(marker);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("from the hub"));
    }

    void cleanupTestCase() { ProjectManager::instance()->getCurrentKestrin()->stop(); }
};

QTEST_MAIN(TestPcControlEndToEnd)
#include "tst_PcControlEndToEnd.moc"
