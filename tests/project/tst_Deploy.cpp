// ORVEL_TEST_LABELS: threads
#include "core/Logger.h"
#include "device/KestrinDevice.h"
#include "project/ProjectDeploy.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileUseCase.h"
#include "support/DeployTestUtils.h"
#include "support/FileSizeLimit.h"
#include "support/HostileZip.h"
#include "support/ProjectTestUtils.h"
#include "support/TestUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace OV;
using namespace OV::Test;
using json = nlohmann::json;

Q_DECLARE_METATYPE(OV::Test::HttpReply)

class TestDeploy : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<DeployHarness> h;

    // The deploy's messages the stand-in hub received: acts 30300, 1108 and 1010.
    QList<int> deployMessageCounts() const
    {
        return {h->hub().receivedCount(30300), h->hub().receivedCount(1108), h->hub().receivedCount(1010)};
    }

    // Deploys with no file of the process growing past `room` bytes until the deploy has ended; null
    // when the limit could not be set or the deploy did not end.
    std::shared_ptr<DeployOutcome> deployOnAFullDisk(qint64 room)
    {
        const Test::FileSizeLimit full(room);
        if (!full.isActive())
            return nullptr;
        const auto outcome = h->deploy();
        return h->finished(outcome) ? outcome : nullptr;
    }

private slots:
    void init()
    {
        h = std::make_unique<DeployHarness>(m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) +
                                                           QString::fromLatin1(QTest::currentDataTag())));
        QVERIFY(h->isValid());
    }

    void cleanup() { h.reset(); }

    void wholeProjectReachesTheHub()
    {
        QVERIFY(h->startHub());
        DeployTestProject project(h->pm());
        const int64_t p1 = (*h->pm().getProfileUseCase()->findFirst(QStringLiteral("true")).data)->id;
        QVERIFY(h->pm().getProfileUseCase()->accessor->updateSortId(p1, 0).isOk());
        const int64_t p2 = project.profile(QStringLiteral("Night"), QStringLiteral("moon"));
        const std::string key1 = ProjectProfileUseCase::profileKey(p1).toStdString();
        const std::string key2 = ProjectProfileUseCase::profileKey(p2).toStdString();

        const int64_t keys = project.module("can", 0x10000001, QStringLiteral("PW-1"), {{"keys", 4}});
        const int64_t sensor = project.module("mesh", 0x10000004, QStringLiteral("TH-1"), {{"rate", 5}});
        QVERIFY(project.moduleDeployConfig(keys, QString::fromStdString(key1), {{"button1", "x"}}));
        QVERIFY(project.moduleDeployConfig(keys, QString::fromStdString(key2), json::object()));
        QVERIFY(project.moduleDeployConfig(sensor, QString::fromStdString(key2), "tap"));
        // Kept for nothing, like the empty object: not sent.
        QVERIFY(project.moduleDeployConfig(sensor, QString::fromStdString(key1), json::array()));

        const json clock = {{"type", "clock"}, {"icon", "file://image/uidA.png"}};
        const json web = {{"type", "web"}, {"icon", "HTTPS://cdn/x.png"}};
        const json timer = {{"type", "timer"}};
        // A packaged icon (looked up in lower case), a web icon, and an id that would leave the folder.
        json group = {{"param",
                       {{"button",
                         {{{"id", "btn1"}, {"icon", " file://Icons/One.png"}},
                          {{"id", "btn2"}, {"icon", "http://x/two.png"}},
                          {{"id", "../evil"}, {"icon", "file://icons/one.png"}}}}}}};
        QVERIFY(project.card(p1, QStringLiteral("basicClock"), QStringLiteral("uidA"), QStringLiteral("a.png"),
                             {{"deploymentData", clock}}, "PNG-A") > 0);
        QVERIFY(project.card(p1, QStringLiteral("web"), QStringLiteral("uidB"), QStringLiteral("HTTPS://cdn/x.png"),
                             {{"deploymentData", web}}) > 0);
        QVERIFY(project.card(p1, QStringLiteral("pcCtrlGroup"), QStringLiteral("uidG"), QString(),
                             {{"pluginUuid", "plug-1"}, {"deploymentData", group}}) > 0);
        QVERIFY(project.card(p2, QStringLiteral("basicTimer"), QStringLiteral("uidC"), QStringLiteral("c.png"),
                             {{"deploymentData", timer}}, "PNG-C") > 0);
        QVERIFY(project.plugin(QStringLiteral("plug-1"), makeZip({{QStringLiteral("icons/one.png"), "PNG-ONE"}})) > 0);

        const json weather = {{"apiKey", "wk-7Q2xZ9"}, {"city", "Oslo"}};
        QVERIFY(project.integration("accuWeather", {{"needToDeploy", true}, {"deployData", weather}}) > 0);
        QVERIFY(project.integration("ha", {{"needToDeploy", false}, {"deployData", {{"url", "h"}}}}) > 0);
        QVERIFY(project.integration("hotkey", {{"deployData", {{"set", 1}}}}) > 0);

        LogCapture log;
        h->topics.clear();
        const auto outcome = h->deploy();
        QVERIFY(h->finished(outcome));
        QVERIFY2(outcome->result.isOk(), qPrintable(outcome->result.message));
        QVERIFY(outcome->calls == 1 && outcome->onGuiThread && !h->pm().isDeploying());
        QCOMPARE(h->topics, QStringList{QStringLiteral("ON_PRE_DEPLOY")});
        QVERIFY(log.text().contains(QStringLiteral("[ProjectManager] upload progress ")));

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
        group["param"]["button"][0]["icon"] = "file://image/uidG-btn1.png";
        const json profiles = {
            {{"id", key1},
             {"name", "Default Profile"},
             {"showName", true},
             {"icon", ""},
             {"iconScale", 100},
             {"default", true},
             {"widget", {clock, web, group}},
             {"module", {{{"productId", 268435457u}, {"serialNo", "PW-1"}, {"config", {{"button1", "x"}}}}}}},
            {{"id", key2},
             {"name", "Night"},
             {"showName", false},
             {"icon", "moon"},
             {"iconScale", 100},
             {"default", false},
             {"widget", {timer}},
             {"module", {{{"productId", 268435460u}, {"serialNo", "TH-1"}, {"config", "tap"}}}}}};
        const auto sentData = [this](int act) {
            QStringList all;
            for (const json& message : h->hub().received(act))
                all << QString::fromStdString(message["data"].dump());
            return all;
        };
        QCOMPARE(sentData(30300), QStringList{QString::fromStdString(hubConfig.dump())});
        QCOMPARE(sentData(1108), QStringList{QString::fromStdString(profiles.dump())});
        QCOMPARE(sentData(1010), QStringList{QString::fromStdString(weather.dump())});
        QList<int> order;
        for (const QByteArray& line : h->hub().receivedLines()) {
            const int act = json::parse(line.toStdString()).value("act", 0);
            if (act == 30300 || act == 1108 || act == 1010)
                order << act;
        }
        QCOMPARE(order, (QList<int>{30300, 1108, 1010}));

        const QList<HttpRequest> uploads = h->uploads();
        QCOMPARE(uploads.size(), 1);
        QCOMPARE(uploads.front().parts.size(), 1);
        const HttpFormPart& part = uploads.front().parts.front();
        QCOMPARE(part.name + QLatin1Char(' ') + part.fileName, QStringLiteral("file kestrin_assets.zip"));
        const QMap<QString, QByteArray> expected{{QStringLiteral("image/uidA.png"), "PNG-A"},
                                                 {QStringLiteral("image/uidC.png"), "PNG-C"},
                                                 {QStringLiteral("image/uidG-btn1.png"), "PNG-ONE"}};
        QCOMPARE(zipEntries(part.data), expected);
        QVERIFY(log.text().contains(QStringLiteral("invalid button id: ../evil, pluginUuid: plug-1")));
        // The weather service's key goes to the hub, never into the log.
        Logger::instance()->flush();
        QVERIFY(!log.text().contains(QLatin1String("wk-7Q2xZ9")));
    }

    // Two plug-ins whose group cards name their two buttons alike, or not at all, or one id
    // twice: each button points at a picture of its own in the archive, its own plug-in's
    // picture, found in the package as a case-insensitive file system finds it, under
    // "<card uid>-<stem>.png": its id, else (no string id, or one an earlier button took) its
    // place, made unique.
    void pluginButtonPicturesStayApart_data()
    {
        QTest::addColumn<QByteArray>("ids");         // the buttons' "id" members, null for none
        QTest::addColumn<QStringList>("references"); // the buttons' pictures
        QTest::addColumn<QStringList>("pictures");   // the package's members, for the buttons in turn
        QTest::addColumn<QStringList>("stems");      // of the buttons' picture names
        const QStringList refs{QStringLiteral("file://icons/1.png"), QStringLiteral("file://icons/2.png")};
        const QStringList plain{QStringLiteral("icons/1.png"), QStringLiteral("icons/2.png")};
        const QByteArray ids(R"(["btn-1","btn-2"])");
        const QStringList idStems{QStringLiteral("btn-1"), QStringLiteral("btn-2")};
        QTest::newRow("buttons with ids") << ids << refs << plain << idStems;
        QTest::newRow("buttons without ids, as packages describe them")
            << QByteArray("[null,null]") << refs << plain << QStringList{"0", "1"};
        QTest::newRow("one id twice") << QByteArray(R"(["x","x"])") << refs << plain << QStringList{"x", "1"};
        QTest::newRow("id 1 beside no id at position 1")
            << QByteArray(R"(["1",null])") << refs << plain << QStringList{"1", "1-1"};
        QTest::newRow("id a number") << QByteArray(R"([0,"0"])") << refs << plain << QStringList{"0-1", "0"};
        QTest::newRow("capitals in the package")
            << ids << QStringList{QStringLiteral("file://icons/Louder.png"), QStringLiteral("file://icons/softer.png")}
            << QStringList{QStringLiteral("icons/Louder.png"), QStringLiteral("Icons/SOFTER.png")} << idStems;
        QTest::newRow("capitals in the reference")
            << ids << QStringList{QStringLiteral("FILE://ICONS/1.PNG"), QStringLiteral("file://Icons/2.png")} << plain
            << idStems;
        QTest::newRow("other form in the reference")
            << ids << QStringList{QStringLiteral("file://icons/cafe\u0301.png"), refs[1]}
            << QStringList{QStringLiteral("icons/caf\u00e9.png"), plain[1]} << idStems;
        QTest::newRow("ids apart only in case")
            << QByteArray(R"(["Vol","vol"])") << refs << plain << QStringList{"Vol", "1"};
        QTest::newRow("ids apart only in form")
            << QByteArray("[\"caf\u00e9\",\"cafe\u0301\"]") << refs << plain << QStringList{"caf\u00e9", "1"};
        // Folded alike (the archive reader's rule), lower-cased apart: a final sigma.
        QTest::newRow("ids apart only in a final sigma")
            << QByteArray(R"(["ΟΔΟΣ","οδος"])") << refs << plain << QStringList{"ΟΔΟΣ", "1"};
    }

    void pluginButtonPicturesStayApart()
    {
        QFETCH(QByteArray, ids);
        QFETCH(QStringList, references);
        QFETCH(QStringList, pictures);
        QFETCH(QStringList, stems);
        DeployTestProject project(h->pm());
        const int64_t p1 = (*h->pm().getProfileUseCase()->findFirst(QStringLiteral("true")).data)->id;
        json buttons = json::array();
        for (const json& id : json::parse(ids.toStdString())) {
            buttons.push_back({{"icon", references[qsizetype(buttons.size())].toStdString()}});
            if (!id.is_null())
                buttons.back()["id"] = id;
        }
        const json group = {{"param", {{"button", buttons}}}};
        const QMap<QString, QByteArray> contents{{QStringLiteral("plug-1"), "PNG-ONE"},
                                                 {QStringLiteral("plug-2"), "PNG-TWO"}};
        for (auto it = contents.cbegin(); it != contents.cend(); ++it) {
            QVERIFY(project.card(p1, QStringLiteral("pcCtrlGroup"), QStringLiteral("uid-") + it.key(), QString(),
                                 {{"pluginUuid", it.key().toStdString()}, {"deploymentData", group}}) > 0);
            QVERIFY(project.plugin(it.key(),
                                   makeZip({{pictures[0], it.value() + "-1"}, {pictures[1], it.value() + "-2"}})) > 0);
        }
        QVERIFY(h->startHub());
        const auto outcome = h->deploy();
        QVERIFY(h->finished(outcome));
        QVERIFY2(outcome->result.isOk(), qPrintable(outcome->result.message));

        const json cards = h->hub().received(1108).value(0)["data"][0]["widget"];
        QCOMPARE(cards.size(), size_t(2));
        QCOMPARE(h->uploads().size(), 1);
        const QMap<QString, QByteArray> archive = zipEntries(h->uploads().front().parts.value(0).data);
        QCOMPARE(archive.size(), 4);
        const QList<QByteArray> expected = contents.values();
        for (size_t i = 0; i < cards.size(); ++i) {
            for (size_t b = 0; b < 2; ++b) {
                const QString ref = QString::fromStdString(cards[i]["param"]["button"][b]["icon"].get<std::string>());
                QVERIFY2(ref.startsWith(QLatin1String("file://")), qPrintable(ref));
                QCOMPARE(ref.section(QLatin1Char('/'), -1),
                         QStringLiteral("uid-%1-%2.png").arg(contents.keys()[qsizetype(i)], stems[qsizetype(b)]));
                QCOMPARE(archive.value(ref.mid(7)), expected[qsizetype(i)] + '-' + QByteArray::number(b + 1));
            }
        }
    }

    void noHubEndsAtOnce()
    {
        const auto outcome = h->deploy();
        QCOMPARE(outcome->calls, 1);
        QCOMPARE(outcome->result.code(), 5100);
        QVERIFY(outcome->result.message.isEmpty());
        QCOMPARE(h->topics, QStringList{QStringLiteral("ON_PRE_DEPLOY")});
        // The product's own upload address.
        QCOMPARE(ProjectDeploy::uploadUrl(QStringLiteral("10.1.2.3"), DeploySettings().uploadPort),
                 QStringLiteral("http://10.1.2.3:8080/upload/zip"));
    }

    void failedStepEndsTheRun_data()
    {
        QTest::addColumn<int>("act");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QList<int>>("sentCounts"); // acts 30300, 1108, 1010

        const QString timeout = QStringLiteral("Request api timeout. Details: no reply to act %1 within 300 ms");
        QTest::newRow("hub configuration silent") << 30300 << true << timeout.arg(30300) << QList<int>{1, 0, 0};
        QTest::newRow("profiles silent") << 1108 << true << timeout.arg(1108) << QList<int>{1, 1, 0};
        QTest::newRow("first integration silent") << 1010 << true << timeout.arg(1010) << QList<int>{1, 1, 1};
        QTest::newRow("first integration fails")
            << 1010 << false << QStringLiteral("Kestrin reply error. Details: bad") << QList<int>{1, 1, 1};
    }

    void failedStepEndsTheRun()
    {
        QFETCH(int, act);
        QFETCH(bool, silent);
        QFETCH(QString, detail);
        QFETCH(QList<int>, sentCounts);
        DeployTestProject project(h->pm());
        QVERIFY(project.integration("accuWeather", {{"deployData", {{"key", "a"}}}}) > 0);
        QVERIFY(project.integration("ha", {{"deployData", {{"url", "b"}}}}) > 0);
        QVERIFY(h->startHub());
        if (silent)
            h->hub().replySilent(act);
        else
            h->hub().replyError(act, 500, QStringLiteral("bad"));
        // The silent step waits 300 ms; the others wait long enough that ending before them
        // shows the run ended at the silent step's own wait, however busy the machine.
        const int otherWaitMs = 8000;
        h->settings.hostConfigWaitMs = act == 30300 ? 300 : otherWaitMs;
        h->settings.profilesWaitMs = act == 1108 ? 300 : otherWaitMs;
        h->settings.integrationWaitMs = act == 1010 ? 300 : otherWaitMs;

        const auto outcome = h->deploy();
        QVERIFY(h->finished(outcome));
        QCOMPARE(outcome->result.code(), 5004);
        QCOMPARE(outcome->result.message, detail);
        QVERIFY2(!silent || (outcome->elapsedMs >= 300 && outcome->elapsedMs < otherWaitMs),
                 qPrintable(QString::number(outcome->elapsedMs)));
        QCOMPARE(
            (QList<int>{h->hub().receivedCount(30300), h->hub().receivedCount(1108), h->hub().receivedCount(1010)}),
            sentCounts);
        QVERIFY(h->uploads().isEmpty());
    }

    void uploadReply_data()
    {
        QTest::addColumn<HttpReply>("reply");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("detail");

        const QString error = QStringLiteral("Upload Kestrin Assets file error");
        QTest::newRow("state 500") << HttpReply::json({{"state", 500}, {"msg", "disk full"}}) << 5004
                                   << error + QStringLiteral(", state:disk full");
        QTest::newRow("state 200 without msg") << HttpReply::json({{"state", 200}}) << 5004 << error;
        QTest::newRow("state 200, empty msg") << HttpReply::json({{"state", 200}, {"msg", ""}}) << 0 << QString();
        QTest::newRow("no answer in time")
            << HttpReply::silent() << 5004 << error + QStringLiteral(":no reply within 400 ms");
        QTest::newRow("endless answer") << HttpReply::endless("application/json", 16 << 20) << 5004
                                        << error + QStringLiteral(":Reply too large (more than 65536 bytes)");
    }

    void uploadReply()
    {
        QFETCH(HttpReply, reply);
        QFETCH(int, code);
        QFETCH(QString, detail);
        QVERIFY(h->startHub());
        h->http().route(QStringLiteral("/upload/zip"), reply);
        h->settings.uploadWaitMs = 400;

        const auto outcome = h->deploy();
        QVERIFY(h->finished(outcome));
        QCOMPARE(outcome->result.code(), code);
        QCOMPARE(outcome->result.message, detail);
        // An empty project still sends its (empty) archive.
        QCOMPARE(h->uploads().size(), 1);
        QVERIFY(zipEntries(h->uploads().front().parts.value(0).data).isEmpty());
    }

    void unsafeCardUidFailsTheProfiles()
    {
        DeployTestProject project(h->pm());
        const int64_t p1 = (*h->pm().getProfileUseCase()->findFirst(QStringLiteral("true")).data)->id;
        QVERIFY(project.card(p1, QStringLiteral("basicClock"), QStringLiteral("../uid"), QStringLiteral("a.png"),
                             {{"deploymentData", json::object()}}, "PNG") > 0);
        QVERIFY(h->startHub());
        const auto outcome = h->deploy();
        QVERIFY(h->finished(outcome));
        QCOMPARE(outcome->result.code(), 5004);
        QCOMPARE(outcome->result.message, QStringLiteral("Unknown error. Details: invalid widget uid:../uid"));
        QCOMPARE(h->hub().receivedCount(1108), 0);
        QVERIFY(!QFileInfo::exists(h->settings.tempDir + QStringLiteral("/KestrinAssets/uid.png")));
    }

    // A stored package that a project brings along is read with the package limits: a member
    // past the size limit or with a lying local header is refused and named, never inflated,
    // and the deploy goes on without that icon.
    void hostilePackIconsAreRefused()
    {
        Test::HostileZipMember lying{"icons/two.png", "PNG-TWO"};
        lying.localCompressed = lying.localUncompressed = 0x7FFFFFF0;
        const QList<std::pair<QString, QByteArray>> packs{
            {QStringLiteral("bomb"), Test::zipBomb("icons/one.png", 64ll * 1024 * 1024 + 1)},
            {QStringLiteral("mismatch"), Test::hostileZip({{"config.json", "{}"}, lying})}};
        DeployTestProject project(h->pm());
        const int64_t p1 = (*h->pm().getProfileUseCase()->findFirst(QStringLiteral("true")).data)->id;
        for (const auto& [uuid, pack] : packs) {
            const json group = {{"param",
                                 {{"button",
                                   {{{"id", "b-" + uuid.toStdString()}, {"icon", "file://icons/one.png"}},
                                    {{"id", "c-" + uuid.toStdString()}, {"icon", "file://icons/two.png"}}}}}}};
            QVERIFY(project.card(p1, QStringLiteral("pcCtrlGroup"), QStringLiteral("u-") + uuid, QString(),
                                 {{"pluginUuid", uuid.toStdString()}, {"deploymentData", group}}) > 0);
            QVERIFY(project.plugin(uuid, pack) > 0);
        }
        QVERIFY(h->startHub());
        LogCapture log;
        const auto outcome = h->deploy();
        QVERIFY(h->finished(outcome, 60000));
        QVERIFY2(outcome->result.isOk(), qPrintable(outcome->result.message));
        for (const char* line : {"read plugin icon error: member too large: icons/one.png, pluginUuid: bomb",
                                 "read plugin icon error: member too large: icons/one.png, pluginUuid: bomb, "
                                 "rawIcon: file://icons/two.png",
                                 "read plugin icon error: damaged local header: icons/two.png, pluginUuid: mismatch"})
            QVERIFY2(log.text().contains(QLatin1String(line)), line);
        const QList<HttpRequest> uploads = h->uploads();
        QVERIFY(uploads.size() <= 1);
        for (const HttpRequest& upload : uploads) {
            for (const HttpFormPart& part : upload.parts)
                QVERIFY2(zipEntries(part.data).isEmpty(), qPrintable(zipEntries(part.data).keys().join(u' ')));
        }
    }

    // A record that cannot be read is never silently left out of what the hub gets: the step
    // that needs it fails and names it, before anything of that step is sent.
    void damagedRecordFailsItsStep_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<int>>("sentCounts"); // acts 30300, 1108, 1010
        QTest::addColumn<bool>("packed");           // no archive is packed for profiles that cannot be built
        QTest::newRow("module") << "module" << QList<int>{1, 0, 0} << false;
        QTest::newRow("profile") << "profile" << QList<int>{1, 0, 0} << false;
        QTest::newRow("card") << "card" << QList<int>{1, 0, 0} << false;
        QTest::newRow("integration") << "integration" << QList<int>{1, 1, 0} << true;
    }

    void damagedRecordFailsItsStep()
    {
        QFETCH(QString, kind);
        QFETCH(QList<int>, sentCounts);
        QFETCH(bool, packed);
        DeployTestProject project(h->pm());
        const int64_t p1 = (*h->pm().getProfileUseCase()->findFirst(QStringLiteral("true")).data)->id;
        const QMap<QString, int64_t> ids{
            {"module", project.module("can", 0x10000001, QStringLiteral("M1"), json::object())},
            {"profile", project.profile(QStringLiteral("P2"), QString())},
            {"card", project.card(p1, QStringLiteral("basicClock"), QStringLiteral("u1"), QString(),
                                  {{"deploymentData", json::object()}})},
            {"integration", project.integration("ha", {{"deployData", {{"url", "b"}}}})},
        };
        QSqlQuery query(QSqlDatabase::database(QLatin1String(ProjectManager::kConnectionName), false));
        QVERIFY(query.prepare(QStringLiteral("UPDATE json_store SET data = '{\"x\":' WHERE id = ?")));
        query.addBindValue(qlonglong(ids.value(kind)));
        QVERIFY(query.exec() && query.numRowsAffected() == 1);
        QVERIFY(h->startHub());
        const auto outcome = h->deploy();
        QVERIFY(h->finished(outcome));
        QCOMPARE(outcome->result.code(), 5004);
        QVERIFY2(
            outcome->result.message.contains(QStringLiteral("1 damaged record(s) skipped: id %1: ").arg(ids[kind])),
            qPrintable(outcome->result.message));
        QCOMPARE(
            (QList<int>{h->hub().receivedCount(30300), h->hub().receivedCount(1108), h->hub().receivedCount(1010)}),
            sentCounts);
        QVERIFY(h->uploads().isEmpty());
        QCOMPARE(QFileInfo::exists(ProjectDeploy::archivePath(h->settings.tempDir)), packed);
    }

    // A picture the disk has no room for fails the deploy with the cause before the hub hears of it:
    // no hub configuration, no profiles, no integration, no archive.
    void pictureTheDiskCannotTakeFailsTheDeploy_data()
    {
        QTest::addColumn<bool>("cardPicture"); // the card's own picture, else a plug-in button's
        QTest::addColumn<QString>("cause");
        QTest::newRow("card picture") << true << QStringLiteral("write widget icon error: File too large");
        QTest::newRow("plug-in button picture") << false << QStringLiteral("write plugin icon error: File too large");
    }

    void pictureTheDiskCannotTakeFailsTheDeploy()
    {
        QFETCH(bool, cardPicture);
        QFETCH(QString, cause);
        DeployTestProject project(h->pm());
        const int64_t p1 = (*h->pm().getProfileUseCase()->findFirst(QStringLiteral("true")).data)->id;
        if (cardPicture) {
            QVERIFY(project.card(p1, QStringLiteral("basicClock"), QStringLiteral("uidA"), QStringLiteral("a.png"),
                                 {{"deploymentData", json::object()}}, "PNG-A") > 0);
        } else {
            const json group = {{"param", {{"button", {{{"id", "btn1"}, {"icon", "file://icons/one.png"}}}}}}};
            QVERIFY(project.card(p1, QStringLiteral("pcCtrlGroup"), QStringLiteral("uidG"), QString(),
                                 {{"pluginUuid", "plug-1"}, {"deploymentData", group}}) > 0);
            QVERIFY(project.plugin(QStringLiteral("plug-1"), makeZip({{QStringLiteral("icons/one.png"), "PNG-ONE"}})) >
                    0);
        }
        QVERIFY(project.integration("accuWeather", {{"deployData", {{"key", "a"}}}}) > 0);
        QVERIFY(h->startHub());
        const auto outcome = deployOnAFullDisk(0);
        QVERIFY(outcome);
        QCOMPARE(outcome->result.code(), 5004);
        QVERIFY2(outcome->result.message.contains(cause), qPrintable(outcome->result.message));
        QCOMPARE(deployMessageCounts(), (QList<int>{0, 0, 0}));
        QVERIFY(h->uploads().isEmpty());
    }

    // Room for the picture but not for the archive that holds it: the deploy fails with the cause
    // before the hub hears of it, and sends no archive (never an empty one).
    void archiveTheDiskCannotTakeFailsTheDeploy()
    {
        const QByteArray picture = "PNG-A";
        DeployTestProject project(h->pm());
        const int64_t p1 = (*h->pm().getProfileUseCase()->findFirst(QStringLiteral("true")).data)->id;
        QVERIFY(project.card(p1, QStringLiteral("basicClock"), QStringLiteral("uidA"), QStringLiteral("a.png"),
                             {{"deploymentData", json::object()}}, picture) > 0);
        QVERIFY(project.integration("accuWeather", {{"deployData", {{"key", "a"}}}}) > 0);
        QVERIFY(h->startHub());
        const auto outcome = deployOnAFullDisk(picture.size());
        QVERIFY(outcome);
        QCOMPARE(outcome->result.code(), 5004);
        QVERIFY2(outcome->result.message.contains(QLatin1String("Failed to create KestrinAssets.zip")) &&
                     outcome->result.message.contains(QLatin1String("File too large")),
                 qPrintable(outcome->result.message));
        // The picture itself fitted.
        QCOMPARE(fileBytes(h->settings.tempDir + QStringLiteral("/KestrinAssets/image/uidA.png")), picture);
        QCOMPARE(deployMessageCounts(), (QList<int>{0, 0, 0}));
        QVERIFY(h->uploads().isEmpty());
    }

    void droppedHubFailsAndTheNextDeployWorks()
    {
        QVERIFY(h->startHub());
        h->hub().replyDrop(1108);
        h->settings.profilesWaitMs = 600;
        const auto first = h->deploy();
        QVERIFY(h->finished(first));
        QCOMPARE(first->result.code(), 5004);

        h->hub().resetScript(1108);
        const auto device = h->pm().getCurrentKestrin();
        QVERIFY(QTest::qWaitFor([&] { return device->isReady() && h->hub().connectionCount() == 2; }, 8000));
        const auto second = h->deploy();
        QVERIFY(h->finished(second));
        QVERIFY2(second->result.isOk(), qPrintable(second->result.message));
        QCOMPARE(h->uploads().size(), 1);
    }

    void secondDeployIsRefusedAndLateRepliesChangeNothing()
    {
        QVERIFY(h->startHub());
        // The configuration is answered only after the first run has given up on it.
        h->hub().setHandler(30300, [](QSslSocket* client, const json& message) {
            QTimer::singleShot(500, client, [client = QPointer<QSslSocket>(client), message]() {
                if (client)
                    StandinHub::reply(client, message, 200);
            });
        });
        h->settings.hostConfigWaitMs = 200;
        const auto first = h->deploy();
        const auto refused = h->deploy();
        QCOMPARE(refused->calls, 1);
        QCOMPARE(refused->result.code(), 5004);
        QCOMPARE(refused->result.message, QStringLiteral("A deploy is already running"));
        QVERIFY(h->finished(first));
        QCOMPARE(first->result.code(), 5004);

        // The first run's late reply lands while this run waits for its own.
        h->settings.hostConfigWaitMs = 3000;
        const auto third = h->deploy();
        QVERIFY(h->finished(third));
        QVERIFY2(third->result.isOk(), qPrintable(third->result.message));
        QCOMPARE(h->hub().receivedCount(30300), 2);
        QCOMPARE(first->calls, 1);
    }
};

QTEST_GUILESS_MAIN(TestDeploy)
#include "tst_Deploy.moc"
