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

// One request result in a comparable form: code, detail and value.
struct Outcome
{
    int code = -1;
    QString detail;
    Json value;
    qint64 atMs = 0;
};

using Record = std::function<void(Outcome)>;

template <typename T>
BaseResultCallback<T> recorder(Record record, const QElapsedTimer& clock)
{
    return [record, &clock](const BaseResult<T>& r) {
        Outcome o{r.code(), r.message, nullptr, clock.elapsed()};
        if constexpr (!std::is_void_v<T>) {
            if (r.data)
                o.value = *r.data;
        }
        record(o);
    };
}

struct Case
{
    const char* name;
    int act;
    Json sentData; // null: the line carries no "data"
    int timeoutMs;
    Json replyData; // what a code-200 reply carries
    Json value;     // the success value (null for void)
    std::function<void(KestrinApi::Device, Record, const QElapsedTimer&)> call;
};

// The request table: function, act, data on the wire, time-out, the data of a 200 reply and the
// value it gives.
#define CALL(T, expr)                                                                                                  \
    [](KestrinApi::Device d, Record r, const QElapsedTimer& c) {                                                       \
        const auto cb = recorder<T>(r, c);                                                                             \
        expr;                                                                                                          \
    }
QList<Case> requestTable()
{
    using A = KestrinApi;
    const Json tree = Json::array({{{"id", "n1"}}});
    const Json oneProfile = Json::array({{{"p", 1}}});
    // clang-format off
    return {
        {"setCurrentProfile", 1103, "profile-1", 5000, nullptr, nullptr,
         CALL(void, A::setCurrentProfile(d, QStringLiteral("profile-1"), cb))},
        {"getWidgetList", 1002, "sys.widget.apps", 5000, tree, tree, CALL(Json, A::getWidgetList(d, "sys.widget.apps", cb))},
        {"getSceneActionTree", 1205, "root", 5000, tree, tree, CALL(Json, A::getSceneActionTree(d, "root", cb))},
        {"getKnobCtrlDeviceTree", 1617, "knob", 5000, tree, tree, CALL(Json, A::getKnobCtrlDeviceTree(d, "knob", cb))},
        {"deployAppConfig", 1010, {{"integ", 1}}, 8000, nullptr, nullptr, CALL(void, A::deployAppConfig(d, {{"integ", 1}}, cb))},
        {"deployProfiles", 1108, oneProfile, 8000, nullptr, nullptr,
         CALL(void, A::deployProfiles(d, Json::array({{{"p", 1}}}), cb))},
        {"deployKestrinConfig", 30300, {{"modules", Json::array()}}, 5000, nullptr, nullptr,
         CALL(void, A::deployKestrinConfig(d, {{"modules", Json::array()}}, cb))},
        {"startScanWifiList", 1633, nullptr, 5000, nullptr, nullptr, CALL(void, A::startScanWifiList(d, cb))},
        {"stopScanWifiList", 1634, nullptr, 5000, nullptr, nullptr, CALL(void, A::stopScanWifiList(d, cb))},
        {"startDiscoveryModule", 30100, "can", 5000, nullptr, nullptr,
         CALL(void, A::startDiscoveryModule(d, QStringLiteral("can"), cb))},
        {"stopDiscoveryModule", 30101, nullptr, 5000, nullptr, nullptr, CALL(void, A::stopDiscoveryModule(d, cb))},
        {"readProperty", 30200, {{"serialNo", "M1"}, {"deviceId", 0}, {"propertyId", 5}, {"extra", "x"}}, 5000,
         {{"result", "2.1.0"}}, "2.1.0", CALL(Json, A::readProperty(d, "M1", 0, 5, "x", cb))},
        {"writeProperty", 30201, {{"serialNo", "M1"}, {"deviceId", 1}, {"propertyId", 9}, {"value", {{"ssid", "a"}}}},
         5000, nullptr, nullptr, CALL(void, A::writeProperty(d, "M1", 1, 9, {{"ssid", "a"}}, cb))},
        {"startEpOTA", 30400, {{"gatewayType", "can"}, {"epSn", "EP7"}, {"fileSize", 1000}, {"packSize", 128},
         {"fileMD5", "abc"}}, 12000, {{"epSn", "EP7"}, {"err", 3}}, 3,
         CALL(int, A::startEpOTA(d, "can", "EP7", 1000, 128, "abc", cb))},
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

// A paired session whose request time-outs are divided by kDivisor; the time-outs asked for are
// recorded per act.
struct Fixture
{
    std::map<int, QList<int>> askedTimeouts;
    StandinHub hub;
    std::shared_ptr<KestrinHost> host = std::make_shared<KestrinHost>();
    std::shared_ptr<KestrinDevice> device;
    bool ready = false;

    explicit Fixture(bool pair = true)
    {
        hub.listen();
        hub.setValidToken(QStringLiteral("k"));
        host->connType = QStringLiteral("tcp");
        host->ip = StandinHub::address();
        host->port = hub.port();
        host->token = encodeToken(QStringLiteral("k"));
        KestrinTimings t;
        t.tickMs = 50;
        t.requestTimeout = [this](int act, int ms) {
            askedTimeouts[act].append(ms);
            return ms / kDivisor;
        };
        device = std::make_shared<KestrinDevice>(host, t);
        if (pair) {
            device->start(nullptr);
            ready = QTest::qWaitFor([this] { return device->isReady(); }, 5000);
        }
    }
    ~Fixture() { device->stop(); }
};

QString describe(const Outcome& o)
{
    return QStringLiteral("%1 '%2' %3").arg(o.code).arg(o.detail, QString::fromStdString(o.value.dump()));
}

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
            if (mode == QLatin1String("ok") && c.act == 30401) // two cases share the act: answer per packet
                f.hub.setHandler(c.act, [](QSslSocket* client, const Json& m) {
                    StandinHub::reply(client, m, 200, {{"err", m["data"]["packNumber"]}});
                });
            else if (mode == QLatin1String("ok"))
                f.hub.replyOk(c.act, c.replyData);
            else if (mode == QLatin1String("silent"))
                f.hub.replySilent(c.act);
            else if (c.act == 30200) // its failure detail is the data's "error"
                f.hub.setHandler(c.act, [](QSslSocket* client, const Json& m) {
                    StandinHub::reply(client, m, 500, {{"error", 7}}, QStringLiteral("ignored"));
                });
            else
                f.hub.replyError(c.act, 500, QStringLiteral("busy %1").arg(c.act));
        }

        QElapsedTimer clock;
        clock.start();
        std::map<int, QList<Outcome>> outcomes;
        for (int i = 0; i < cases.size(); ++i)
            cases[i].call(
                f.device, [&outcomes, i](Outcome o) { outcomes[i].append(o); }, clock);
        QTRY_COMPARE_WITH_TIMEOUT(int(outcomes.size()), int(cases.size()), 5000);
        QTest::qWait(18000 / kDivisor + 100); // nothing arrives twice, even after the longest time-out

        std::map<int, int> sentPerAct;
        for (int i = 0; i < cases.size(); ++i) {
            const Case& c = cases[i];
            const QByteArray name(c.name);
            QVERIFY2(outcomes[i].size() == 1, name.constData());
            const Outcome& o = outcomes[i].first();
            // The line on the wire: the act, a fresh id and the data, without "data" when there is none.
            const Json sent = f.hub.received(c.act).value(sentPerAct[c.act]++);
            QVERIFY2(sent.value("act", 0) == c.act, name.constData());
            QVERIFY2(sent.contains("id") && sent["id"].is_string(), name.constData());
            QVERIFY2(sent.size() == (c.sentData.is_null() ? 2u : 3u), sent.dump().c_str());
            QVERIFY2(!sent.contains("data") || sent["data"] == c.sentData, sent.dump().c_str());
            QVERIFY2(f.askedTimeouts[c.act].contains(c.timeoutMs), name.constData());

            if (mode == QLatin1String("ok")) {
                QVERIFY2(o.code == 0 && o.detail.isEmpty() && o.value == c.value, qPrintable(name + describe(o)));
            } else if (mode == QLatin1String("error")) {
                const QString detail =
                    c.act == 30200 ? QStringLiteral("error code: 7") : QStringLiteral("busy %1").arg(c.act);
                QVERIFY2(o.code == 6001 && o.detail == detail && o.value.is_null(), qPrintable(describe(o)));
            } else {
                QVERIFY2(o.code == 6000 && o.detail.isEmpty() && o.value.is_null(), qPrintable(describe(o)));
                QVERIFY2(o.atMs >= c.timeoutMs / kDivisor - 5, qPrintable(QString::number(o.atMs)));
            }
        }
        // The last OTA packet waits longer than the others.
        QCOMPARE(f.askedTimeouts[30401], (QList<int>{8000, 18000}));
    }

    void repliesMustMatchIdAndAct()
    {
        Fixture f;
        QVERIFY(f.ready);
        QElapsedTimer clock;
        clock.start();
        QList<Outcome> outcomes;
        // Answered with the right act but another id, another act, then properly, then once more.
        f.hub.setHandler(1002, [](QSslSocket* client, const Json& m) {
            Json other = m;
            other["id"] = "not-" + m["id"].get<std::string>();
            StandinHub::reply(client, other, 200, "wrong id");
            Json otherAct = m;
            otherAct["act"] = 1205;
            StandinHub::reply(client, otherAct, 200, "wrong act");
            StandinHub::reply(client, m, 200);
            StandinHub::reply(client, m, 500, nullptr, QStringLiteral("late"));
        });
        const auto record = recorder<Json>([&](Outcome o) { outcomes.append(o); }, clock);
        // A callback that throws ends its request all the same: never a second call.
        KestrinApi::getWidgetList(f.device, "sys.widget.apps", [&](const BaseResult<Json>& r) {
            record(r);
            throw std::runtime_error("callback failed");
        });
        int guarded = 0;
        KestrinApi::readProperty(f.device, "M1", 0, 5, "x", [&](const BaseResult<Json>&) {
            ++guarded;
            throw std::runtime_error("callback failed too");
        });
        QTRY_VERIFY_WITH_TIMEOUT(outcomes.size() == 1 && guarded == 1, 3000);
        QTest::qWait(5000 / kDivisor + 100);
        QCOMPARE(outcomes.size(), 1);
        QCOMPARE(guarded, 1);
        QVERIFY(f.device->isReady());
        // Code 200 without data: success with a null value.
        QVERIFY2(outcomes[0].code == 0 && outcomes[0].value.is_null(), qPrintable(describe(outcomes[0])));
    }

    void defensiveRepliesWaitOnWhenUnreadable()
    {
        Fixture f;
        QVERIFY(f.ready);
        QElapsedTimer clock;
        clock.start();
        Test::LogCapture log;
        std::map<QString, QList<Outcome>> outcomes;
        auto into = [&](const QString& key) { return [&outcomes, key](Outcome o) { outcomes[key].append(o); }; };

        f.hub.replyOk(30200, {{"noResult", 1}});
        KestrinApi::readProperty(f.device, "M1", 0, 5, "", recorder<Json>(into(QStringLiteral("read")), clock));
        f.hub.setHandler(30400, [](QSslSocket* client, const Json& m) {
            StandinHub::reply(client, m, 200, {{"epSn", "OTHER"}, {"err", 0}}); // another module's answer
            StandinHub::reply(client, m, 200, {{"epSn", "EP1"}});               // no "err"
        });
        KestrinApi::startEpOTA(f.device, "can", "EP1", 10, 1, "m", recorder<int>(into(QStringLiteral("ota")), clock));
        f.hub.replyOk(30401, {{"err", "zero"}});
        KestrinApi::sendEpOTAData(f.device, "can", 1, false, "d", recorder<int>(into(QStringLiteral("pack")), clock));

        QTRY_COMPARE_WITH_TIMEOUT(int(outcomes.size()), 3, 3000);
        for (const auto& [key, list] : outcomes) {
            QCOMPARE(list.size(), 1);
            QVERIFY2(list[0].code == 6000, qPrintable(key + describe(list[0])));
        }
        QVERIFY(log.text().contains(QLatin1String("[KestrinTcpApi] readProperty error:")));
        QVERIFY(log.text().contains(QLatin1String("[KestrinTcpApi] startEpOTA error:")));
        QVERIFY(log.text().contains(QLatin1String("[KestrinTcpApi] sendEpOTAData error:")));
        // An empty extra is sent as null, never left out.
        const Json read = f.hub.received(30200).first();
        QVERIFY(read["data"].contains("extra") && read["data"]["extra"].is_null());
    }

    void requestsWithoutALinkEndByTimeOutOrStop()
    {
        Fixture f(false);
        QElapsedTimer clock;
        clock.start();
        QList<Outcome> outcomes;
        KestrinApi::deployProfiles(f.device, Json::array(),
                                   recorder<void>([&](Outcome o) { outcomes.append(o); }, clock));
        QTest::qWait(8000 / kDivisor - 60);
        QVERIFY(outcomes.isEmpty()); // never earlier than its time-out
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 1, 2000);
        QCOMPARE(outcomes[0].code, 6000);

        // A stopped session ends what is pending at once.
        f.device->start(nullptr);
        QVERIFY(QTest::qWaitFor([&] { return f.device->isReady(); }, 5000));
        f.hub.replySilent(1108);
        KestrinApi::deployProfiles(f.device, Json::array(),
                                   recorder<void>([&](Outcome o) { outcomes.append(o); }, clock));
        QTRY_COMPARE_WITH_TIMEOUT(f.hub.receivedCount(1108), 1, 2000); // the first was never written
        f.device->stop();
        QCOMPARE(outcomes.size(), 2);
        QCOMPARE(outcomes[1].code, 6000);

        QList<int> codes;
        KestrinApi::stopScanWifiList(nullptr, [&](const BaseResult<void>& r) { codes.append(r.code()); });
        QCOMPARE(codes, QList<int>{1003});
    }
};

QTEST_GUILESS_MAIN(TestKestrinApi)
#include "tst_KestrinApi.moc"
