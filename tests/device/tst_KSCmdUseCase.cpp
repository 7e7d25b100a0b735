#include "core/TokenScrambler.h"
#include "device/KSCmdUseCase.h"
#include "device/KestrinDevice.h"
#include "device/OSCtrlExecutor.h"
#include "os/OSController.h"
#include "support/StandinHub.h"
#include "support/TestUtils.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QTimer>

using namespace OV;
using Test::StandinHub;
using Json = nlohmann::json;

namespace {

// Records every action; the readings are set by the test.
class FakeOSController : public OSController
{
public:
    QStringList calls;
    QList<qint64> callTimes; // ms on clock
    QElapsedTimer clock;
    std::string failingText;
    bool seesFetches = true;
    // As a focused text field does; else the test calls fetch().
    bool fetchesAtOnce = true;
    std::function<void()> onFetch;
    int volume = 35;
    bool mute = true;
    int memory = 57;
    int disk = 80;

    std::vector<OSRunningApp> getRunningApps() override { return {}; }
    QPixmap getFileIcon(const QString&, bool) override { return {}; }
    bool execCommand(const std::string& cmd, bool wait, std::string* out) override
    {
        return record(QStringLiteral("exec %1 %2 %3").arg(cmd.c_str()).arg(wait).arg(out != nullptr));
    }
    bool openFile(const std::string& path) override { return record("openFile " + QString::fromStdString(path)); }
    bool openBrowser(const std::string& url) override { return record("openBrowser " + QString::fromStdString(url)); }
    bool startApplication(const std::string& path, OSAppLaunchMode mode) override
    {
        return record(QStringLiteral("start %1 %2").arg(path.c_str()).arg(int(mode)));
    }
    bool inputText(const std::string& text) override
    {
        return record("inputText " + QString::fromStdString(text)) && text != failingText;
    }
    bool whenTypedTextFetched(std::function<void()> onFetched) override
    {
        if (!seesFetches)
            return false;
        if (fetchesAtOnce)
            QTimer::singleShot(0, std::move(onFetched));
        else
            onFetch = std::move(onFetched);
        return true;
    }
    // The focused window fetches the text offered last.
    void fetch() { std::exchange(onFetch, nullptr)(); }
    bool setVolume(int percent) override { return record(QStringLiteral("setVolume %1").arg(percent)); }
    int getVolume() override { return volume; }
    bool setMute(bool on) override { return record(QStringLiteral("setMute %1").arg(on)); }
    bool isMute() override { return mute; }
    bool setBrightness(int) override { return false; }
    int getBrightness() override { return -1; }
    std::vector<OSInstalledApp> getInstalledApps() override { return {}; }
    int getCpuUsage() override { return 42; }
    int getMemoryUsage() override { return memory; }
    int getDiskUsage() override { return disk; }
    uint64_t getTotalReceivedBytes() override { return uint64_t(1) << 40; }
    uint64_t getTotalSentBytes() override { return 12345; }

private:
    bool record(const QString& call)
    {
        calls.append(call);
        callTimes.append(clock.isValid() ? clock.elapsed() : -1);
        return true;
    }
};

Json pc(const char* action, Json params)
{
    return {{"type", "PC_CONTROL"}, {"payload", {{"action", action}, {"params", std::move(params)}}}};
}

// Set in the child that types through the shared executor and ends with texts still waiting.
constexpr const char* kSharedExecutorChild = "ORVEL_TEST_SHARED_EXECUTOR_CHILD";

int typeThroughTheSharedExecutorAndQuit(QCoreApplication& app)
{
    for (const char* text : {"one", "two", "three"})
        OSCtrlExecutor::instance()->executePcControl({}, pc("inputText", {{"text", text}}).at("payload"));
    // One has waited its turn; the last still waits when the application goes.
    QTimer::singleShot(OSCtrlExecutor::kTypedTextCapMs + 50, &app, &QCoreApplication::quit);
    return app.exec();
}

} // namespace

class TestKSCmdUseCase : public QObject
{
    Q_OBJECT

    StandinHub hub;
    FakeOSController os;
    OSCtrlExecutor executor{&os};
    KSCmdUseCase useCase{&executor};
    std::shared_ptr<KestrinDevice> device;

    // Sends the command and returns what came back with its id once a later "TEST" was
    // answered: the link keeps the order, so an answer would have arrived by then.
    QList<Json> exchange(const Json& data)
    {
        const std::string id = hub.sendCommandData(data);
        const std::string fence = hub.sendCommand("TEST");
        if (!QTest::qWaitFor([&] { return !hub.receivedWithId(fence).isEmpty(); }, 5000))
            qWarning("no answer to the fence");
        return hub.receivedWithId(id);
    }

    // The reply without its id (it matched the command's), or how many came when not exactly one.
    QString replyTo(const Json& data)
    {
        QList<Json> replies = exchange(data);
        if (replies.size() != 1)
            return QString::number(replies.size());
        replies[0].erase("id");
        return QString::fromStdString(replies[0].dump());
    }

    static QString answer(const Json& data)
    {
        return QString::fromStdString(Json{{"act", 1000000}, {"code", 200}, {"data", data}}.dump());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(hub.listen());
        hub.setValidToken(QStringLiteral("tok"));
        KestrinTimings timings;
        timings.tickMs = 20;
        const KestrinHost host{"tcp", "", StandinHub::address(), hub.port(), "", encodeToken("tok")};
        device = std::make_shared<KestrinDevice>(std::make_shared<KestrinHost>(host), timings);
        // As the project manager does: every command goes to the use case, the listener stays.
        device->addMessageListener(
            [this](const KestrinMessage& m) {
                if (m.act == KSCmdUseCase::kActCommand)
                    useCase.process(device, m);
                return KeepListening;
            },
            -1, nullptr);
        device->start(nullptr);
        QVERIFY(QTest::qWaitFor([this] { return device->isReady(); }, 5000));
    }

    void cleanupTestCase() { device->stop(); }

    void init()
    {
        os.calls.clear();
        os.callTimes.clear();
        os.failingText.clear();
        os.seesFetches = os.fetchesAtOnce = true;
    }

    void answersQueriesWithTheirFigures()
    {
        const std::pair<const char*, Json> figures[] = {
            {"GET_VOLUME", 35}, {"GET_MUTE", true},
            {"CPU", 42},        {"MEMORY", 57},
            {"STORAGE", 80},    {"NETWORK", {{"totalReceived", uint64_t(1) << 40}, {"totalSent", 12345}}}};
        for (const auto& [type, payload] : figures)
            QCOMPARE(replyTo({{"type", type}, {"payload", "ignored"}}), answer({{"type", type}, {"payload", payload}}));
        // Failed readings: volume as it is, memory and disk never below 0.
        os.volume = os.memory = os.disk = -1;
        const std::pair<const char*, int> failed[] = {{"GET_VOLUME", -1}, {"MEMORY", 0}, {"STORAGE", 0}};
        for (const auto& [type, payload] : failed)
            QCOMPARE(replyTo({{"type", type}}), answer({{"type", type}, {"payload", payload}}));
        os = FakeOSController();
        // TEST is echoed with all its data.
        const Json test = {{"type", "TEST"}, {"payload", {{"a", 1}}}, {"extra", {1, "two"}}};
        QCOMPARE(replyTo(test), answer(test));
        QVERIFY(os.calls.isEmpty());
    }

    void carriesOutActionsWithoutAnswering()
    {
        const Json commands[] = {
            pc("openFile", {{"path", "/tmp/a b.txt"}}),
            pc("openBrowser", {{"url", "https://example.org"}}),
            pc("startApp", {{"path", "/usr/bin/x"}, {"launchMode", 0}}),
            pc("startApp", {{"path", "/usr/bin/x"}, {"launchMode", 1}}),
            pc("startApp", {{"path", "/usr/bin/x"}, {"launchMode", 2}}),
            pc("inputText", {{"text", "héllo"}}),
            pc("execCmd", {{"cmd", "echo hi"}}),
            pc("reboot", Json::object()),
            {{"type", "SET_VOLUME"}, {"payload", 30.7}},
            {{"type", "SET_MUTE"}, {"payload", true}},
            {{"type", "SHUTDOWN"}, {"payload", 1}},
        };
        for (const Json& command : commands)
            QCOMPARE(replyTo(command), QStringLiteral("0"));
        QCOMPARE(os.calls, (QStringList{"openFile /tmp/a b.txt", "openBrowser https://example.org",
                                        "start /usr/bin/x 0", "start /usr/bin/x 2", "start /usr/bin/x 2",
                                        "inputText héllo", "exec echo hi 0 0", "setVolume 30", "setMute 1"}));
    }

    // The hub's PC actions run in its order: each text waits until the focused window fetched
    // it, and what comes behind waits for it; a failed paste holds nothing up, and the system
    // commands are carried out at once.
    void keepsTheHubsOrderBehindAWaitingText()
    {
        os.fetchesAtOnce = false;
        auto typist = std::make_unique<OSCtrlExecutor>(&os); // none of the other cases' texts waiting
        auto run = [&typist](const char* action, Json params) {
            typist->executePcControl({}, pc(action, std::move(params)).at("payload"));
        };
        os.failingText = "second-";
        for (const char* text : {"first-", "second-", "third"})
            run("inputText", {{"text", text}});
        run("execCmd", {{"cmd", "echo hi"}});
        run("openFile", {{"path", "/tmp/x"}});
        KestrinMessage setVolume;
        setVolume.data = {{"type", "SET_VOLUME"}, {"payload", 30}};
        typist->executeSystem(device, setVolume, "SET_VOLUME");
        QCOMPARE(os.calls, (QStringList{"inputText first-", "setVolume 30"}));
        const std::function<void()> staleFetch = os.onFetch;
        os.fetch();
        QCOMPARE(os.calls, (QStringList{"inputText first-", "setVolume 30", "inputText second-", "inputText third"}));
        staleFetch(); // the first text's fetch again: the third is not yet fetched
        QCOMPARE(os.calls.size(), 4);
        os.fetch();
        QCOMPARE(os.calls.mid(4), (QStringList{"exec echo hi 0 0", "openFile /tmp/x"}));

        // Nothing fetches: the cap lets the queue go on, no sooner.
        os.calls.clear();
        os.callTimes.clear();
        os.clock.start();
        run("inputText", {{"text", "unseen"}});
        run("execCmd", {{"cmd", "after"}});
        QCOMPARE(os.calls, QStringList{"inputText unseen"});
        QTRY_COMPARE_WITH_TIMEOUT(os.calls.size(), 2, 5000);
        QVERIFY2(os.callTimes[1] - os.callTimes[0] >= OSCtrlExecutor::kTypedTextCapMs - 2, // whole ms
                 qPrintable(QStringLiteral("ran after %1 ms").arg(os.callTimes[1] - os.callTimes[0])));
        // An idle queue types at once; a fetch reported after the executor is gone does nothing.
        run("inputText", {{"text", "last"}});
        QCOMPARE(os.calls.last(), QStringLiteral("inputText last"));
        typist.reset();
        os.fetch();
        QCOMPARE(os.calls.size(), 3);
    }

    // Where fetches cannot be seen, each text holds the next back for the cap.
    void typesTextsAtTheCapWhereFetchesAreNotSeen()
    {
        os.seesFetches = false;
        OSCtrlExecutor typist(&os);
        os.clock.start();
        for (const char* text : {"a", "b", "c"})
            typist.executePcControl({}, pc("inputText", {{"text", text}}).at("payload"));
        QCOMPARE(os.calls, QStringList{"inputText a"});
        QTRY_COMPARE_WITH_TIMEOUT(os.calls.size(), 3, 5000);
        QCOMPARE(os.calls, (QStringList{"inputText a", "inputText b", "inputText c"}));
        const qint64 cap = OSCtrlExecutor::kTypedTextCapMs - 2;
        QVERIFY(os.callTimes[1] - os.callTimes[0] >= cap && os.callTimes[2] - os.callTimes[1] >= cap);
    }

    // The shared executor outlives the application: ending with texts still waiting is quiet.
    void sharedExecutorEndsWithTheApplication()
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kSharedExecutorChild, "1");
        env.remove("DISPLAY"); // no keys sent to a desktop
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(30000));
        const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(errors, QString());
    }

    void keepsServingAfterMalformedCommands()
    {
        const Json malformed[] = {
            "GET_VOLUME",
            {{"type", 7}},
            {{"type", "PC_CONTROL"}},
            {{"type", "PC_CONTROL"}, {"payload", {{"action", "openFile"}}}},
            pc("openFile", {{"path", 1}}),
            pc("startApp", {{"path", "/x"}, {"launchMode", "1"}}),
            {{"type", "SET_VOLUME"}, {"payload", 1e20}},
            {{"type", "SET_MUTE"}, {"payload", 1}},
        };
        Test::LogCapture log;
        for (const Json& command : malformed) {
            QCOMPARE(replyTo(command), QStringLiteral("0"));
            QCOMPARE(replyTo({{"type", "GET_VOLUME"}}), answer({{"type", "GET_VOLUME"}, {"payload", 35}}));
        }
        QCOMPARE(log.text().count("[KSCmdUseCase] process error:"), int(std::size(malformed)));
        QVERIFY(os.calls.isEmpty());
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kSharedExecutorChild))
        return typeThroughTheSharedExecutorAndQuit(app);
    TestKSCmdUseCase test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_KSCmdUseCase.moc"
