#include "core/EventBus.h"
#include "core/TokenScrambler.h"
#include "device/KestrinDevice.h"
#include "project/ProjectDeploy.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileUseCase.h"
#include "support/DeployTestUtils.h"
#include "support/StandInHttpServer.h"
#include "support/StandinHub.h"
#include "support/TestUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace OV;
using namespace OV::Test;
using json = nlohmann::json;

Q_DECLARE_METATYPE(OV::Test::HttpReply)

namespace {

KestrinTimings fastTimings()
{
    KestrinTimings t;
    t.tickMs = 20;
    t.connectTimeoutMs = 2000;
    t.tokenCheckTimeoutMs = 400;
    t.tokenRequestTimeoutMs = 800;
    t.heartbeatIntervalMs = 150;
    t.heartbeatSilenceMs = 75;
    t.readyWindowMs = 750;
    t.reconnectSpacingMs = 1500;
    return t;
}

struct Outcome
{
    int calls = 0;
    BaseResult<void> result;
    bool onGuiThread = false;
    qint64 elapsedMs = 0;
};

} // namespace

class TestDeploySequence : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_work;
    std::unique_ptr<StandinHub> m_hub;
    std::unique_ptr<StandInHttpServer> m_http;
    std::unique_ptr<ProjectManager> m_pm;
    DeploySettings m_settings;
    QStringList m_topics;

    bool startHub()
    {
        m_hub->setValidToken(QStringLiteral("valid"));
        auto host = std::make_shared<ProjectDbHostBean>();
        host->connType = QStringLiteral("tcp");
        host->ip = StandinHub::address();
        host->port = m_hub->port();
        host->sn = QStringLiteral("KS-1");
        host->token = encodeToken(QStringLiteral("valid"));
        m_pm->setCurrentKestrin(host);
        const auto device = m_pm->getCurrentKestrin();
        device->start(nullptr);
        return QTest::qWaitFor([&] { return device->isReady(); }, 5000);
    }

    std::shared_ptr<Outcome> deploy()
    {
        m_pm->setDeploySettings(m_settings);
        auto outcome = std::make_shared<Outcome>();
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        m_pm->deployProject([outcome, clock](const BaseResult<void>& result) {
            ++outcome->calls;
            outcome->result = result;
            outcome->onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
            outcome->elapsedMs = clock->elapsed();
        });
        return outcome;
    }

    static bool finished(const std::shared_ptr<Outcome>& outcome, int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return outcome->calls > 0; }, timeoutMs);
    }

    QList<HttpRequest> uploads() const
    {
        QList<HttpRequest> list;
        for (const HttpRequest& request : m_http->requests()) {
            if (request.path == QLatin1String("/upload/zip"))
                list << request;
        }
        return list;
    }

    void addTwoIntegrations()
    {
        DeployTestProject project(*m_pm);
        QVERIFY(project.integration("accuWeather", {{"deployData", {{"key", "a"}}}}) > 0);
        QVERIFY(project.integration("ha", {{"needToDeploy", true}, {"deployData", {{"url", "b"}}}}) > 0);
    }

private slots:
    void initTestCase()
    {
        connect(EventBus::instance(), &EventBus::messagePosted, this,
                [this](QSharedPointer<EventBusMessage> message) { m_topics << message->topic; });
    }

    void init()
    {
        m_work = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) +
                                QString::fromLatin1(QTest::currentDataTag()).remove(QLatin1Char(' ')));
        QVERIFY(QDir().mkpath(m_work));
        m_pm = std::make_unique<ProjectManager>(m_work + QStringLiteral("/recent.json"), m_work, fastTimings());
        QVERIFY(m_pm->createProject(QStringLiteral("Deploy"), m_work).isOk());
        m_hub = std::make_unique<StandinHub>();
        QVERIFY(m_hub->listen());
        m_http = std::make_unique<StandInHttpServer>();
        QVERIFY(m_http->start());
        m_http->route(QStringLiteral("/upload/zip"), HttpReply::json({{"state", 200}, {"msg", "ok"}}));
        m_settings = DeploySettings();
        m_settings.tempDir = m_work + QStringLiteral("/temp");
        m_settings.uploadPort = m_http->port();
        m_topics.clear();
    }

    void cleanup()
    {
        // Lets every late reply and uploader of the test end while its stand-ins still exist.
        QTest::qWait(50);
        m_pm.reset();
        m_http.reset();
        m_hub.reset();
    }

    void productWaitsAndAddress()
    {
        const DeploySettings product;
        QCOMPARE(product.hostConfigWaitMs, 6000);
        QCOMPARE(product.profilesWaitMs, 6000);
        QCOMPARE(product.integrationWaitMs, 5000);
        QCOMPARE(product.uploadWaitMs, 18000);
        QCOMPARE(product.uploadTimeouts.connectMs, 3000);
        QCOMPARE(product.uploadTimeouts.stallMs, 10000);
        QCOMPARE(product.uploadTimeouts.totalMs, 15000);
        QVERIFY(product.tempDir.isEmpty());
        QCOMPARE(ProjectDeploy::uploadUrl(QStringLiteral("10.1.2.3"), product.uploadPort),
                 QStringLiteral("http://10.1.2.3:8080/upload/zip"));
    }

    void wholeProjectReachesTheHub()
    {
        QVERIFY(startHub());
        DeployTestProject project(*m_pm);
        const auto defaultProfile = m_pm->getProfileUseCase()->findFirst(QStringLiteral("true"));
        const int64_t p1 = (*defaultProfile.data)->id;
        QVERIFY(m_pm->getProfileUseCase()->accessor->updateSortId(p1, 0).isOk());
        const int64_t p2 = project.profile(QStringLiteral("Night"), QStringLiteral("moon"));
        const QString key1 = ProjectProfileUseCase::profileKey(p1);
        const QString key2 = ProjectProfileUseCase::profileKey(p2);

        const int64_t keys = project.module("can", 0x10000001, QStringLiteral("PW-1"), {{"keys", 4}});
        const int64_t sensor = project.module("mesh", 0x10000004, QStringLiteral("TH-1"), {{"rate", 5}});
        QVERIFY(project.moduleDeployConfig(keys, key1, {{"button1", "x"}}));
        QVERIFY(project.moduleDeployConfig(keys, key2, json::object()));
        QVERIFY(project.moduleDeployConfig(sensor, key2, "tap"));

        const json clock = {{"type", "clock"}, {"icon", "file://image/uidA.png"}};
        const json web = {{"type", "web"}, {"icon", "HTTPS://cdn/x.png"}};
        const json timer = {{"type", "timer"}, {"icon", "file://image/uidC.png"}};
        const json group = {{"param",
                             {{"button",
                               {{{"id", "btn1"}, {"icon", " file://Icons/One.png"}},
                                {{"id", "btn2"}, {"icon", "http://x/two.png"}}}}}}};
        QVERIFY(project.card(p1, QStringLiteral("basicClock"), QStringLiteral("uidA"), QStringLiteral("a.png"),
                             {{"deploymentData", clock}}, "PNG-A") > 0);
        QVERIFY(project.card(p1, QStringLiteral("web"), QStringLiteral("uidB"), QStringLiteral("HTTPS://cdn/x.png"),
                             {{"deploymentData", web}}) > 0);
        QVERIFY(project.card(p1, QStringLiteral("pcCtrlGroup"), QStringLiteral("uidG"), QString(),
                             {{"pluginUuid", "plug-1"}, {"deploymentData", group}}) > 0);
        QVERIFY(project.card(p2, QStringLiteral("basicTimer"), QStringLiteral("uidC"), QStringLiteral("c.png"),
                             {{"deploymentData", timer}}, "PNG-C") > 0);
        QVERIFY(project.plugin(QStringLiteral("plug-1"), makeZip({{QStringLiteral("icons/one.png"), "PNG-ONE"}})) > 0);

        const json weather = {{"apiKey", "k1"}, {"city", "Oslo"}};
        QVERIFY(project.integration("accuWeather", {{"needToDeploy", true}, {"deployData", weather}}) > 0);
        QVERIFY(project.integration("ha", {{"needToDeploy", false}, {"deployData", {{"url", "h"}}}}) > 0);
        QVERIFY(project.integration("hotkey", {{"deployData", {{"set", 1}}}}) > 0);

        LogCapture log;
        const auto outcome = deploy();
        QVERIFY(finished(outcome));
        QCOMPARE(outcome->calls, 1);
        QVERIFY2(outcome->result.isOk(), qPrintable(outcome->result.message));
        QVERIFY(outcome->onGuiThread);
        QVERIFY(m_topics.contains(QStringLiteral("ON_PRE_DEPLOY")));
        QVERIFY(log.text().contains(QStringLiteral("[ProjectManager] upload progress ")));
        QVERIFY(!m_pm->isDeploying());

        const auto endpoint = [](int64_t id, const char* type, const char* sn, uint64_t product, const json& extra) {
            return json{{"interfaceType", type},
                        {"uid", std::to_string(id)},
                        {"name", std::string("Module ") + sn},
                        {"serialNumber", sn},
                        {"workMode", 2},
                        {"productId", product},
                        {"netId", 3},
                        {"extraConfig", extra}};
        };
        const json hubConfig = {
            {"canGateway", {{"endpoints", {endpoint(keys, "can", "PW-1", 268435457u, {{"keys", 4}})}}}},
            {"meshGateway", {{"endpoints", {endpoint(sensor, "mesh", "TH-1", 268435460u, {{"rate", 5}})}}}}};
        QCOMPARE(m_hub->receivedCount(30300), 1);
        QCOMPARE(m_hub->received(30300).front()["data"].dump(), hubConfig.dump());

        json deployedGroup = group;
        deployedGroup["param"]["button"][0]["icon"] = "file://image/btn1.png";
        const json profiles = json::array(
            {{{"id", key1.toStdString()},
              {"name", "Default Profile"},
              {"showName", true},
              {"icon", ""},
              {"iconScale", 100},
              {"default", true},
              {"widget", {clock, web, deployedGroup}},
              {"module", {{{"productId", 268435457u}, {"serialNo", "PW-1"}, {"config", {{"button1", "x"}}}}}}},
             {{"id", key2.toStdString()},
              {"name", "Night"},
              {"showName", false},
              {"icon", "moon"},
              {"iconScale", 100},
              {"default", false},
              {"widget", {timer}},
              {"module", {{{"productId", 268435460u}, {"serialNo", "TH-1"}, {"config", "tap"}}}}}});
        QCOMPARE(m_hub->receivedCount(1108), 1);
        QCOMPARE(m_hub->received(1108).front()["data"].dump(), profiles.dump());
        QCOMPARE(m_hub->receivedCount(1010), 1);
        QCOMPARE(m_hub->received(1010).front()["data"].dump(), weather.dump());

        const QList<HttpRequest> sent = uploads();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.front().method, QByteArray("POST"));
        QCOMPARE(sent.front().parts.size(), 1);
        const HttpFormPart& part = sent.front().parts.front();
        QCOMPARE(part.name, QStringLiteral("file"));
        QCOMPARE(part.fileName, QStringLiteral("kestrin_assets.zip"));
        const QMap<QString, QByteArray> expected{{QStringLiteral("image/uidA.png"), "PNG-A"},
                                                 {QStringLiteral("image/uidC.png"), "PNG-C"},
                                                 {QStringLiteral("image/btn1.png"), "PNG-ONE"}};
        QCOMPARE(zipEntries(part.data), expected);
    }

    void noHubEndsAtOnce()
    {
        const auto outcome = deploy();
        QCOMPARE(outcome->calls, 1);
        QCOMPARE(outcome->result.code(), 5100);
        QVERIFY(outcome->result.message.isEmpty());
        QCOMPARE(m_topics, QStringList{QStringLiteral("ON_PRE_DEPLOY")});
        QVERIFY(!m_pm->isDeploying());
    }

    void failedStepEndsTheRun_data()
    {
        QTest::addColumn<int>("act");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QList<int>>("sentCounts"); // acts 30300, 1108, 1010

        QTest::newRow("hub configuration silent")
            << 30300 << true << QStringLiteral("Request api timeout. Details: no reply to act 30300 within 300 ms")
            << QList<int>{1, 0, 0};
        QTest::newRow("profiles silent") << 1108 << true
                                         << QStringLiteral(
                                                "Request api timeout. Details: no reply to act 1108 within 300 ms")
                                         << QList<int>{1, 1, 0};
        QTest::newRow("integration silent")
            << 1010 << true << QStringLiteral("Request api timeout. Details: no reply to act 1010 within 300 ms")
            << QList<int>{1, 1, 1};
        QTest::newRow("integration error")
            << 1010 << false << QStringLiteral("Kestrin reply error. Details: bad key") << QList<int>{1, 1, 1};
    }

    void failedStepEndsTheRun()
    {
        QFETCH(int, act);
        QFETCH(bool, silent);
        QFETCH(QString, detail);
        QFETCH(QList<int>, sentCounts);
        addTwoIntegrations();
        QVERIFY(startHub());
        if (silent)
            m_hub->replySilent(act);
        else
            m_hub->replyError(act, 500, QStringLiteral("bad key"));
        const int waitMs = 300;
        m_settings.hostConfigWaitMs = act == 30300 ? waitMs : 3000;
        m_settings.profilesWaitMs = act == 1108 ? waitMs : 3000;
        m_settings.integrationWaitMs = act == 1010 ? waitMs : 3000;

        const auto outcome = deploy();
        QVERIFY(finished(outcome));
        QCOMPARE(outcome->result.code(), 5004);
        QCOMPARE(outcome->result.message, detail);
        if (silent)
            QVERIFY2(outcome->elapsedMs >= waitMs && outcome->elapsedMs < waitMs + 2500,
                     qPrintable(QString::number(outcome->elapsedMs)));
        QCOMPARE((QList<int>{m_hub->receivedCount(30300), m_hub->receivedCount(1108), m_hub->receivedCount(1010)}),
                 sentCounts);
        QVERIFY(uploads().isEmpty());
    }

    void uploadReply_data()
    {
        QTest::addColumn<HttpReply>("reply");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("detail");

        QTest::newRow("state 500") << HttpReply::json({{"state", 500}, {"msg", "disk full"}}) << 5004
                                   << QStringLiteral("Upload Kestrin Assets file error, state:disk full");
        QTest::newRow("state 200 without msg")
            << HttpReply::json({{"state", 200}}) << 5004 << QStringLiteral("Upload Kestrin Assets file error");
        QTest::newRow("state 200, empty msg") << HttpReply::json({{"state", 200}, {"msg", ""}}) << 0 << QString();
        QTest::newRow("not JSON") << HttpReply::bytes("<html>", "text/html") << 5004
                                  << QStringLiteral("Upload Kestrin Assets file error");
        QTest::newRow("silent beyond the wait")
            << HttpReply::silent() << 5004 << QStringLiteral("Upload Kestrin Assets file error:no reply within 400 ms");
    }

    void uploadReply()
    {
        QFETCH(HttpReply, reply);
        QFETCH(int, code);
        QFETCH(QString, detail);
        QVERIFY(startHub());
        m_http->route(QStringLiteral("/upload/zip"), reply);
        m_settings.uploadWaitMs = 400;

        const auto outcome = deploy();
        QVERIFY(finished(outcome));
        QCOMPARE(outcome->result.code(), code);
        QCOMPARE(outcome->result.message, detail);
        QCOMPARE(uploads().size(), 1);
        // An empty project still sends an (empty) archive.
        QVERIFY(zipEntries(uploads().front().parts.front().data).isEmpty());
    }

    void uploaderTimeoutIsAFailure()
    {
        QVERIFY(startHub());
        m_http->route(QStringLiteral("/upload/zip"), HttpReply::silent());
        m_settings.uploadTimeouts = {1000, 300, 2000};
        const auto outcome = deploy();
        QVERIFY(finished(outcome));
        QCOMPARE(outcome->result.code(), 5004);
        QCOMPARE(outcome->result.message,
                 QStringLiteral("Upload Kestrin Assets file error:Upload stalled (no progress)"));
    }

    void droppedHubFailsAndTheNextDeployWorks()
    {
        QVERIFY(startHub());
        m_hub->replyDrop(1108);
        m_settings.profilesWaitMs = 600;
        const auto first = deploy();
        QVERIFY(finished(first));
        QCOMPARE(first->result.code(), 5004);
        QVERIFY(uploads().isEmpty());

        m_hub->resetScript(1108);
        const auto device = m_pm->getCurrentKestrin();
        QVERIFY(QTest::qWaitFor([&] { return device->isReady() && m_hub->connectionCount() == 2; }, 8000));
        const auto second = deploy();
        QVERIFY(finished(second));
        QVERIFY2(second->result.isOk(), qPrintable(second->result.message));
        QCOMPARE(uploads().size(), 1);
    }

    void secondDeployIsRefusedAndLateRepliesChangeNothing()
    {
        QVERIFY(startHub());
        // The hub answers the configuration only after the first run has given up on it.
        m_hub->setHandler(30300, [](QSslSocket* client, const json& message) {
            QTimer::singleShot(500, client, [client = QPointer<QSslSocket>(client), message]() {
                if (client)
                    StandinHub::reply(client, message, 200);
            });
        });
        m_settings.hostConfigWaitMs = 200;
        const auto first = deploy();
        const auto refused = deploy();
        QCOMPARE(refused->calls, 1);
        QCOMPARE(refused->result.code(), 5004);
        QCOMPARE(refused->result.message, QStringLiteral("A deploy is already running"));
        QVERIFY(finished(first));
        QCOMPARE(first->result.code(), 5004);

        // The first run's late reply lands while this run waits for its own.
        m_settings.hostConfigWaitMs = 3000;
        const auto third = deploy();
        QVERIFY(finished(third));
        QVERIFY2(third->result.isOk(), qPrintable(third->result.message));
        QCOMPARE(m_hub->receivedCount(30300), 2);
        QCOMPARE(uploads().size(), 1);
        QCOMPARE(first->calls, 1);
    }
};

QTEST_GUILESS_MAIN(TestDeploySequence)
#include "tst_DeploySequence.moc"
