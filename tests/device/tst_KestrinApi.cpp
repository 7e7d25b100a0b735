#include "core/TokenScrambler.h"
#include "device/KestrinApi.h"
#include "device/KestrinDevice.h"
#include "support/StandinHub.h"
#include "support/TestUtils.h"

#include <QElapsedTimer>
#include <QTest>

#include <map>
#include <stdexcept>

using namespace OV;
using Test::StandinHub;
using Json = nlohmann::json;

namespace {

constexpr int kDivisor = 40;

// One request result as "code|detail|value", and when it came.
struct Outcome
{
    QString text;
    qint64 atMs = 0;
};
using Record = std::function<void(Outcome)>;

template <typename T>
BaseResultCallback<T> recorder(Record record, const QElapsedTimer& clock)
{
    return [record, &clock](const BaseResult<T>& r) {
        Json value;
        if constexpr (!std::is_void_v<T>) {
            if (r.data)
                value = *r.data;
        }
        record({QStringLiteral("%1|%2|%3").arg(r.code()).arg(r.message, QString::fromStdString(value.dump())),
                clock.elapsed()});
    };
}

// The request table: function, act, data on the wire (null: no "data"), time-out, the data of a
// 200 reply and the value it gives.
struct Case
{
    const char* name;
    int act;
    Json sentData;
    int timeoutMs;
    Json replyData;
    Json value;
    std::function<void(KestrinApi::Device, Record, const QElapsedTimer&)> call;
};

#define CALL(T, expr)                                                                                                  \
    [](KestrinApi::Device d, Record r, const QElapsedTimer& c) {                                                       \
        const auto cb = recorder<T>(r, c);                                                                             \
        expr;                                                                                                          \
    }
QList<Case> requestTable()
{
    using A = KestrinApi;
    const Json tree = Json::array({{{"id", "n1"}}});
    // clang-format off
    return {
        {"setCurrentProfile", 1103, "profile-1", 5000, nullptr, nullptr, CALL(void, A::setCurrentProfile(d, "profile-1", cb))},
        {"getWidgetList", 1002, "sys.widget.apps", 5000, tree, tree, CALL(Json, A::getWidgetList(d, "sys.widget.apps", cb))},
        {"getSceneActionTree", 1205, "root", 5000, tree, tree, CALL(Json, A::getSceneActionTree(d, "root", cb))},
        {"getKnobCtrlDeviceTree", 1617, "knob", 5000, tree, tree, CALL(Json, A::getKnobCtrlDeviceTree(d, "knob", cb))},
        {"deployAppConfig", 1010, {{"integ", 1}}, 8000, nullptr, nullptr, CALL(void, A::deployAppConfig(d, {{"integ", 1}}, cb))},
        {"deployProfiles", 1108, Json::array({1}), 8000, nullptr, nullptr, CALL(void, A::deployProfiles(d, Json::array({1}), cb))},
        {"deployKestrinConfig", 30300, {{"m", 1}}, 5000, nullptr, nullptr, CALL(void, A::deployKestrinConfig(d, {{"m", 1}}, cb))},
        {"startScanWifiList", 1633, nullptr, 5000, nullptr, nullptr, CALL(void, A::startScanWifiList(d, cb))},
        {"stopScanWifiList", 1634, nullptr, 5000, nullptr, nullptr, CALL(void, A::stopScanWifiList(d, cb))},
        {"startDiscoveryModule", 30100, "can", 5000, nullptr, nullptr, CALL(void, A::startDiscoveryModule(d, "can", cb))},
        {"stopDiscoveryModule", 30101, nullptr, 5000, nullptr, nullptr, CALL(void, A::stopDiscoveryModule(d, cb))},
        {"readProperty", 30200, {{"serialNo", "M1"}, {"deviceId", 0}, {"propertyId", 5}, {"extra", nullptr}}, 5000,
         {{"result", "2.1.0"}}, "2.1.0", CALL(Json, A::readProperty(d, "M1", 0, 5, "", cb))},
        {"writeProperty", 30201, {{"serialNo", "M1"}, {"deviceId", 1}, {"propertyId", 9}, {"value", {{"ssid", "a"}}}},
         5000, nullptr, nullptr, CALL(void, A::writeProperty(d, "M1", 1, 9, {{"ssid", "a"}}, cb))},
        {"startEpOTA", 30400, {{"gatewayType", "can"}, {"epSn", "EP7"}, {"fileSize", 1000}, {"packSize", 128},
         {"fileMD5", "abc"}}, 12000, {{"epSn", "EP7"}, {"err", 3}}, 3, CALL(int, A::startEpOTA(d, "can", "EP7", 1000, 128, "abc", cb))},
        {"sendEpOTAData", 30401, {{"gatewayType", "mesh"}, {"packNumber", 4}, {"isEndPack", false}, {"data", "AAEC"}},
         8000, nullptr, 4, CALL(int, A::sendEpOTAData(d, "mesh", 4, false, "AAEC", cb))},
        {"sendEpOTAData last", 30401, {{"gatewayType", "mesh"}, {"packNumber", 5}, {"isEndPack", true}, {"data", ""}},
         18000, nullptr, 5, CALL(int, A::sendEpOTAData(d, "mesh", 5, true, "", cb))},
        {"getModuleOnlineState", 30730, Json::array({"A", "B"}), 5000, {{"A", true}}, {{"A", true}},
         CALL(Json, A::getModuleOnlineState(d, {QStringLiteral("A"), QStringLiteral("B")}, cb))},
    };
    // clang-format on
}
#undef CALL

// A paired session whose request time-outs are divided by kDivisor; the time-outs asked for are recorded per act.
struct Fixture
{
    std::map<int, QList<int>> askedTimeouts;
    StandinHub hub;
    std::shared_ptr<KestrinDevice> device;
    QElapsedTimer clock;
    bool ready = false;

    Fixture()
    {
        hub.listen();
        hub.setValidToken(QStringLiteral("k"));
        KestrinTimings t;
        t.tickMs = 50;
        t.requestTimeout = [this](int act, int ms) {
            askedTimeouts[act].append(ms);
            return ms / kDivisor;
        };
        const KestrinHost host{"tcp", "", StandinHub::address(), hub.port(), "", encodeToken("k")};
        device = std::make_shared<KestrinDevice>(std::make_shared<KestrinHost>(host), t);
        device->start(nullptr);
        ready = QTest::qWaitFor([this] { return device->isReady(); }, 5000);
        clock.start();
    }
    ~Fixture() { device->stop(); }
};

} // namespace

class TestKestrinApi : public QObject
{
    Q_OBJECT
private slots:
    void everyRequestSucceedsFailsOrTimesOut_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("200") << "ok";
        QTest::newRow("error") << "error";
        QTest::newRow("silent") << "silent";
    }

    void everyRequestSucceedsFailsOrTimesOut()
    {
        QFETCH(QString, mode);
        Fixture f;
        QVERIFY(f.ready);
        const QList<Case> cases = requestTable();
        for (const Case& c : cases) {
            if (mode == "ok" && c.act == 30401) // two cases share the act: answer per packet
                f.hub.setHandler(c.act, [](QSslSocket* client, const Json& m) {
                    StandinHub::reply(client, m, 200, {{"err", m["data"]["packNumber"]}});
                });
            else if (mode == "ok")
                f.hub.replyOk(c.act, c.replyData);
            else if (mode == "silent")
                f.hub.replySilent(c.act);
            else if (c.act == 30200) // its failure detail is the data's "error"
                f.hub.setHandler(c.act, [](QSslSocket* client, const Json& m) {
                    StandinHub::reply(client, m, 500, {{"error", 7}}, QStringLiteral("ignored"));
                });
            else
                f.hub.replyError(c.act, 500, QStringLiteral("busy %1").arg(c.act));
        }

        std::map<int, QList<Outcome>> outcomes;
        for (int i = 0; i < cases.size(); ++i)
            cases[i].call(
                f.device, [&outcomes, i](Outcome o) { outcomes[i].append(o); }, f.clock);
        QTRY_COMPARE_WITH_TIMEOUT(int(outcomes.size()), int(cases.size()), 5000);
        QTest::qWait(18000 / kDivisor + 100); // nothing arrives twice, even after the longest time-out

        std::map<int, int> sentPerAct;
        for (int i = 0; i < cases.size(); ++i) {
            const Case& c = cases[i];
            // The line on the wire: the act, a fresh id and the data, without "data" when there is none.
            const Json sent = f.hub.received(c.act).value(sentPerAct[c.act]++);
            Json expected = {{"act", c.act}, {"id", sent.value("id", Json())}};
            if (!c.sentData.is_null())
                expected["data"] = c.sentData;
            QVERIFY2(sent["id"].is_string() && sent == expected, sent.dump().c_str());
            QVERIFY2(f.askedTimeouts[c.act].contains(c.timeoutMs), c.name);

            const QString detail =
                c.act == 30200 ? QStringLiteral("error code: 7") : QStringLiteral("busy %1").arg(c.act);
            const QString want = mode == "ok"      ? QString("0||" + QString::fromStdString(c.value.dump()))
                                 : mode == "error" ? QStringLiteral("6001|%1|null").arg(detail)
                                                   : QStringLiteral("6000||null");
            QCOMPARE(outcomes[i].size(), 1);
            QCOMPARE(outcomes[i][0].text, want);
            if (mode == "silent")
                QVERIFY2(outcomes[i][0].atMs >= c.timeoutMs / kDivisor - 5, c.name);
        }
    }

    void onlyTheMatchingReadableReplyEndsARequest()
    {
        Fixture f;
        QVERIFY(f.ready);
        QList<Outcome> outcomes;
        const Record into = [&](Outcome o) { outcomes.append(o); };
        // Answered with another id, another act, then properly, then once more.
        f.hub.setHandler(1002, [](QSslSocket* client, const Json& m) {
            StandinHub::reply(client, Json{{"id", "x"}, {"act", 1002}}, 200, "wrong id");
            StandinHub::reply(client, Json{{"id", m["id"]}, {"act", 1205}}, 200, "wrong act");
            StandinHub::reply(client, m, 200);
            StandinHub::reply(client, m, 500, nullptr, QStringLiteral("late"));
        });
        // A callback that throws ends its request all the same: never a second call.
        const auto record = recorder<Json>(into, f.clock);
        KestrinApi::getWidgetList(f.device, "w", [&](const BaseResult<Json>& r) {
            record(r);
            throw std::runtime_error("callback failed");
        });
        // Unreadable 200 replies, or another module's, are logged and the request waits on.
        Test::LogCapture log;
        f.hub.replyOk(30200, {{"noResult", 1}});
        KestrinApi::readProperty(f.device, "M1", 0, 5, "", recorder<Json>(into, f.clock));
        f.hub.setHandler(30400, [](QSslSocket* client, const Json& m) {
            StandinHub::reply(client, m, 200, {{"epSn", "OTHER"}, {"err", 0}});
            StandinHub::reply(client, m, 200, {{"epSn", "EP1"}});
        });
        KestrinApi::startEpOTA(f.device, "can", "EP1", 10, 1, "m", recorder<int>(into, f.clock));
        f.hub.replyOk(30401, {{"err", "zero"}});
        KestrinApi::sendEpOTAData(f.device, "can", 1, false, "d", recorder<int>(into, f.clock));

        QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 4, 3000);
        QTest::qWait(100);
        QCOMPARE(outcomes[0].text, QStringLiteral("0||null")); // code 200 without data
        for (int i = 1; i < outcomes.size(); ++i)
            QCOMPARE(outcomes[i].text, QStringLiteral("6000||null"));
        QVERIFY(log.text().contains(QLatin1String("[KestrinTcpApi] startEpOTA error:")));
        QVERIFY(f.device->isReady());

        QList<int> codes;
        KestrinApi::stopScanWifiList(nullptr, [&](const BaseResult<void>& r) { codes.append(r.code()); });
        QCOMPARE(codes, QList<int>{1003}); // no session: refused at once
    }
};

QTEST_GUILESS_MAIN(TestKestrinApi)
#include "tst_KestrinApi.moc"
