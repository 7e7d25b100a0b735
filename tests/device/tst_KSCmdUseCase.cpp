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

// Records every call; the readings are set by the test.
class FakeOSController : public OSController
{
public:
    QStringList calls;
    int volume = 35;
    bool mute = true;
    int cpu = 42;
    int memory = 57;
    int disk = 80;
    uint64_t received = uint64_t(1) << 40;
    uint64_t sent = 12345;

    std::vector<OSRunningApp> getRunningApps() override { return {}; }
    QPixmap getFileIcon(const QString&, bool) override { return {}; }
    bool execCommand(const std::string& command, bool wait, std::string* output) override
    {
        return record(QStringLiteral("execCommand %1 %2 %3").arg(command.c_str()).arg(wait).arg(output != nullptr));
    }
    bool openFile(const std::string& path) override { return record("openFile " + QString::fromStdString(path)); }
    bool openBrowser(const std::string& url) override { return record("openBrowser " + QString::fromStdString(url)); }
    bool startApplication(const std::string& path, OSAppLaunchMode mode) override
    {
        return record(QStringLiteral("startApplication %1 %2").arg(path.c_str()).arg(int(mode)));
    }
    bool inputText(const std::string& text) override { return record("inputText " + QString::fromStdString(text)); }
    bool setVolume(int percent) override { return record(QStringLiteral("setVolume %1").arg(percent)); }
    int getVolume() override { return volume; }
    bool setMute(bool on) override { return record(QStringLiteral("setMute %1").arg(on)); }
    bool isMute() override { return mute; }
    bool setBrightness(int) override { return false; }
    int getBrightness() override { return -1; }
    std::vector<OSInstalledApp> getInstalledApps() override { return {}; }
    int getCpuUsage() override { return cpu; }
    int getMemoryUsage() override { return memory; }
    int getDiskUsage() override { return disk; }
    uint64_t getTotalReceivedBytes() override { return received; }
    uint64_t getTotalSentBytes() override { return sent; }

private:
    bool record(const QString& call)
    {
        calls.append(call);
        return true;
    }
};

// JSON compared as text, so a failure shows both sides.
QString js(const Json& value)
{
    return QString::fromStdString(value.dump());
}

Json pc(const char* action, Json params)
{
    return {{"action", action}, {"params", std::move(params)}};
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

    Json replyTo(const Json& data)
    {
        const QList<Json> replies = exchange(data);
        return replies.size() == 1 ? replies[0] : Json{{"replies", replies.size()}};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(hub.listen());
        hub.setValidToken(QStringLiteral("tok"));
        auto host = std::make_shared<KestrinHost>(
            KestrinHost{"tcp", "Desk", StandinHub::address(), int(hub.port()), "KS-1", encodeToken("tok")});
        KestrinTimings timings;
        timings.tickMs = 20;
        device = std::make_shared<KestrinDevice>(host, timings);
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
        const auto expect = [](const std::string& id, const char* type, Json payload) {
            return Json{{"id", id}, {"act", 1000000}, {"code", 200}, {"data", {{"type", type}, {"payload", payload}}}};
        };
        const std::map<std::string, Json> payloads = {
            {"GET_VOLUME", 35}, {"GET_MUTE", true},
            {"CPU", 42},        {"MEMORY", 57},
            {"STORAGE", 80},    {"NETWORK", {{"totalReceived", uint64_t(1) << 40}, {"totalSent", 12345}}}};
        for (const auto& [type, payload] : payloads) {
            const std::string id = hub.sendCommand(type, "ignored");
            QTRY_COMPARE_WITH_TIMEOUT(hub.receivedWithId(id).size(), 1, 5000);
            QCOMPARE(js(hub.receivedWithId(id)[0]), js(expect(id, type.c_str(), payload)));
        }
        // Failed readings: volume as it is, memory and disk never below 0.
        os.volume = -1;
        os.memory = -1;
        os.disk = 0;
        os.mute = false;
        QCOMPARE(js(replyTo({{"type", "GET_VOLUME"}})["data"]["payload"]), js(-1));
        QCOMPARE(js(replyTo({{"type", "MEMORY"}})["data"]["payload"]), js(0));
        QCOMPARE(js(replyTo({{"type", "STORAGE"}})["data"]["payload"]), js(0));
        QCOMPARE(js(replyTo({{"type", "GET_MUTE"}})["data"]["payload"]), js(false));
        os = FakeOSController();

        const Json test = {{"type", "TEST"}, {"payload", {{"a", 1}}}, {"extra", {1, "two"}}};
        const Json echo = replyTo(test);
        QCOMPARE(js(echo["data"]), js(test));
        QCOMPARE(js(echo["code"]), js(200));
        QVERIFY(!echo.contains("msg"));
        QVERIFY(os.calls.isEmpty());
    }

    void carriesOutActionsWithoutAnswering()
    {
        const QList<Json> commands = {
            {{"type", "PC_CONTROL"}, {"payload", pc("openFile", {{"path", "/tmp/a b.txt"}})}},
            {{"type", "PC_CONTROL"}, {"payload", pc("openBrowser", {{"url", "https://example.org"}})}},
            {{"type", "PC_CONTROL"}, {"payload", pc("startApp", {{"path", "/usr/bin/x"}, {"launchMode", 0}})}},
            {{"type", "PC_CONTROL"}, {"payload", pc("startApp", {{"path", "/usr/bin/x"}, {"launchMode", 1}})}},
            {{"type", "PC_CONTROL"}, {"payload", pc("startApp", {{"path", "/usr/bin/x"}, {"launchMode", 2}})}},
            {{"type", "PC_CONTROL"}, {"payload", pc("inputText", {{"text", "héllo"}})}},
            {{"type", "PC_CONTROL"}, {"payload", pc("execCmd", {{"cmd", "echo hi"}})}},
            {{"type", "PC_CONTROL"}, {"payload", pc("reboot", Json::object())}},
            {{"type", "SET_VOLUME"}, {"payload", 30}},
            {{"type", "SET_VOLUME"}, {"payload", 30.7}},
            {{"type", "SET_MUTE"}, {"payload", true}},
            {{"type", "SHUTDOWN"}, {"payload", 1}},
        };
        for (const Json& command : commands)
            QVERIFY2(exchange(command).isEmpty(), command.dump().c_str());
        QCOMPARE(os.calls, (QStringList{"openFile /tmp/a b.txt", "openBrowser https://example.org",
                                        "startApplication /usr/bin/x 0", "startApplication /usr/bin/x 2",
                                        "startApplication /usr/bin/x 2", "inputText héllo", "execCommand echo hi 0 0",
                                        "setVolume 30", "setVolume 30", "setMute 1"}));
    }

    void keepsServingAfterMalformedCommands()
    {
        const QList<Json> malformed = {
            "GET_VOLUME",
            Json::object(),
            {{"type", 7}},
            {{"type", "PC_CONTROL"}},
            {{"type", "PC_CONTROL"}, {"payload", {{"action", "openFile"}}}},
            {{"type", "PC_CONTROL"}, {"payload", pc("openFile", {{"path", 1}})}},
            {{"type", "PC_CONTROL"}, {"payload", pc("startApp", {{"path", "/x"}, {"launchMode", "1"}})}},
            {{"type", "PC_CONTROL"}, {"payload", pc("inputText", Json::object())}},
            {{"type", "SET_VOLUME"}, {"payload", "30"}},
            {{"type", "SET_VOLUME"}, {"payload", 1e20}},
            {{"type", "SET_VOLUME"}},
            {{"type", "SET_MUTE"}, {"payload", 1}},
        };
        Test::LogCapture log;
        for (const Json& command : malformed) {
            QVERIFY2(exchange(command).isEmpty(), command.dump().c_str());
            QCOMPARE(js(replyTo({{"type", "GET_VOLUME"}})["data"]["payload"]), js(35));
        }
        QCOMPARE(log.text().count("[KSCmdUseCase] process error:"), malformed.size());
        QVERIFY(os.calls.isEmpty());

        // Without a session there is nothing to answer through.
        KestrinMessage test = KestrinMessage::makeReply("x", KSCmdUseCase::kActCommand);
        test.data = {{"type", "TEST"}};
        useCase.process(nullptr, test);
        QVERIFY(log.text().contains("process error:no hub session"));
    }
};

QTEST_GUILESS_MAIN(TestKSCmdUseCase)
#include "tst_KSCmdUseCase.moc"
