#include "core/TokenScrambler.h"
#include "device/KSCmdUseCase.h"
#include "device/KestrinDevice.h"
#include "device/OSCtrlExecutor.h"
#include "os/OSController.h"
#include "support/StandinHub.h"
#include "support/TestUtils.h"

#include <QTest>

using namespace OV;
using Test::StandinHub;
using Json = nlohmann::json;

namespace {

// Records every action; the readings are set by the test.
class FakeOSController : public OSController
{
public:
    QStringList calls;
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
    bool inputText(const std::string& text) override { return record("inputText " + QString::fromStdString(text)); }
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
        return true;
    }
};

Json pc(const char* action, Json params)
{
    return {{"type", "PC_CONTROL"}, {"payload", {{"action", action}, {"params", std::move(params)}}}};
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

    void init() { os.calls.clear(); }

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

QTEST_GUILESS_MAIN(TestKSCmdUseCase)
#include "tst_KSCmdUseCase.moc"
