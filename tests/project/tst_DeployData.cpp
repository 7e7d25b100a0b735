#include "project/ProjectDeploy.h"
#include "project/ProjectIntegrationUseCase.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileUseCase.h"
#include "support/DeployTestUtils.h"
#include "support/ProjectTestUtils.h"
#include "support/TestUtils.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using namespace OV::Test;
using json = nlohmann::json;

class TestDeployData : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_work;
    QString m_assets;
    std::unique_ptr<ProjectManager> m_pm;
    int64_t m_profileId = -1;

    json build()
    {
        const auto profiles = m_pm->getProfileUseCase();
        const auto profile = profiles->accessor->findById(m_profileId);
        return profiles->buildDeploymentData(**profile.data, m_assets);
    }

    QStringList images() const { return QDir(m_assets + QStringLiteral("/image")).entryList(QDir::Files); }

private slots:
    void init()
    {
        m_work = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) +
                                QString::fromLatin1(QTest::currentDataTag()).remove(QLatin1Char(' ')));
        m_assets = m_work + QStringLiteral("/assets");
        QVERIFY(QDir().mkpath(m_assets));
        m_pm = std::make_unique<ProjectManager>(m_work + QStringLiteral("/recent.json"), m_work);
        QVERIFY(m_pm->createProject(QStringLiteral("Data"), m_work).isOk());
        m_profileId = (*m_pm->getProfileUseCase()->findFirst(QStringLiteral("true")).data)->id;
    }

    void cleanup() { m_pm.reset(); }

    void cardThatCannotBeDeployed_data()
    {
        QTest::addColumn<QString>("uid");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("iconBytes");
        QTest::addColumn<QString>("error");

        const QByteArray deployable = R"({"deploymentData": {"type": "clock"}})";
        QTest::newRow("icon not stored") << QStringLiteral("u1") << deployable << QByteArray()
                                         << QStringLiteral("export widget icon error");
        QTest::newRow("uid leaves the folder")
            << QStringLiteral("../u1") << deployable << QByteArray("PNG") << QStringLiteral("invalid widget uid:../u1");
        QTest::newRow("no deploymentData") << QStringLiteral("u1") << QByteArray(R"({"other": 1})") << QByteArray("PNG")
                                           << QStringLiteral("deploymentData");
    }

    void cardThatCannotBeDeployed()
    {
        QFETCH(QString, uid);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, iconBytes);
        QFETCH(QString, error);
        DeployTestProject project(*m_pm);
        QVERIFY(project.card(m_profileId, QStringLiteral("basicClock"), uid, QStringLiteral("a.png"),
                             json::parse(data.toStdString()), iconBytes) > 0);

        QVERIFY(thrownText([&] { build(); }).contains(error));
        // The whole step fails before anything is sent (a send to no hub would give 1003).
        std::vector<BaseResult<void>> results;
        m_pm->getProfileUseCase()->deployAllProfiles(
            nullptr, m_assets, [&](const BaseResult<void>& result) { results.push_back(result); });
        QCOMPARE(results.size(), size_t(1));
        QCOMPARE(results.front().code(), 1000);
        QVERIFY(results.front().message.contains(error));
        QVERIFY(images().isEmpty());
        QVERIFY(!QFileInfo::exists(m_assets + QStringLiteral("/u1.png")));
    }

    void moduleSettingsOfTheProfile()
    {
        DeployTestProject project(*m_pm);
        const QString key = ProjectProfileUseCase::profileKey(m_profileId);
        const json configs =
            json::array({nullptr, json::object(), json::array(), "x", 0, json::array({1}), json{{"a", 1}}});
        json expected = json::array();
        for (size_t i = 0; i < configs.size(); ++i) {
            const QString sn = QStringLiteral("SN-%1").arg(i);
            const int64_t id = project.module(i % 2 ? "can" : "mesh", 0x10000002, sn, nullptr);
            QVERIFY(project.moduleDeployConfig(id, key, configs[i]));
            if (i >= 3)
                expected.push_back({{"productId", 0x10000002}, {"serialNo", sn.toStdString()}, {"config", configs[i]}});
        }
        // Settings kept for another profile only.
        QVERIFY(project.moduleDeployConfig(project.module("can", 0x10000001, QStringLiteral("OTHER"), nullptr),
                                           QStringLiteral("profile_999"), "y"));
        const json entry = build();
        QCOMPARE(entry["module"].dump(), expected.dump());
        QCOMPARE(entry["widget"].dump(), std::string("[]"));
    }

    void pluginButtonIconsAreBestEffort()
    {
        DeployTestProject project(*m_pm);
        QVERIFY(project.plugin(QStringLiteral("plug"), makeZip({{QStringLiteral("icons/one.png"), "ONE"}})) > 0);
        const json buttons = json::array({
            {{"id", "../evil"}, {"icon", "file://icons/one.png"}},
            {{"icon", "file://icons/one.png"}},
            {{"id", "ok"}, {"icon", "FILE://ICONS/ONE.PNG"}},
            {{"id", "missing"}, {"icon", "file://icons/none.png"}},
        });
        const json withButtons = {{"pluginUuid", "plug"}, {"deploymentData", {{"param", {{"button", buttons}}}}}};
        const json withoutParam = {{"pluginUuid", "plug"}, {"deploymentData", {{"type", "group"}}}};
        const json uninstalled = {{"pluginUuid", "gone"}, {"deploymentData", {{"param", {{"button", buttons}}}}}};
        for (const json& data : {withButtons, withoutParam, uninstalled})
            QVERIFY(project.card(m_profileId, QStringLiteral("pcCtrlGroup"), QStringLiteral("g"), QString(), data) > 0);

        LogCapture log;
        const json widgets = build()["widget"];
        json rewritten = buttons;
        rewritten[2]["icon"] = "file://image/ok.png";
        rewritten[3]["icon"] = "file://image/missing.png";
        QCOMPARE(widgets[0]["param"]["button"].dump(), rewritten.dump());
        QCOMPARE(widgets[1].dump(), json({{"type", "group"}, {"param", {{"button", json::array()}}}}).dump());
        QCOMPARE(widgets[2].dump(), uninstalled["deploymentData"].dump());
        QCOMPARE(images(), QStringList{QStringLiteral("ok.png")});
        QCOMPARE(fileBytes(m_assets + QStringLiteral("/image/ok.png")), QByteArray("ONE"));
        QVERIFY(!QFileInfo::exists(m_work + QStringLiteral("/evil.png")));
        QVERIFY(log.text().contains(QStringLiteral("invalid button id: ../evil, pluginUuid: plug")));
        QVERIFY(log.text().contains(QStringLiteral("exportPCCtrlGroupIcons error: ")));
        QVERIFY(log.text().contains(QStringLiteral("plugin not install, uuid: gone")));
    }

    void integrationNeedToDeploy()
    {
        const auto deployed = [](const json& data) {
            ProjectDbIntegrationBean bean;
            bean.integType = QStringLiteral("ha");
            bean.setData(data);
            std::vector<BaseResult<void>> results;
            ProjectIntegrationUseCase::deployAppConfig(
                nullptr, bean, [&](const BaseResult<void>& result) { results.push_back(result); });
            return results.size() == 1 ? results.front().code() : -1;
        };
        QCOMPARE(deployed({{"needToDeploy", false}, {"deployData", {{"a", 1}}}}), 0);
        // Sent (and refused for want of a hub).
        QCOMPARE(deployed({{"deployData", {{"a", 1}}}}), 1003);
        QCOMPARE(deployed({{"needToDeploy", "yes"}, {"deployData", {{"a", 1}}}}), 1000);
        QCOMPARE(deployed({{"needToDeploy", true}}), 1000);
    }

    void deployImageFiles()
    {
        QVERIFY(ProjectDeploy::writeDeployImageFile(m_assets, "first", QStringLiteral("a.png"), true));
        QVERIFY(ProjectDeploy::writeDeployImageFile(m_assets, "second", QStringLiteral("a.png"), false));
        QCOMPARE(fileBytes(m_assets + QStringLiteral("/image/a.png")), QByteArray("first"));
        QVERIFY(ProjectDeploy::writeDeployImageFile(m_assets, "third", QStringLiteral("a.png"), true));
        QCOMPARE(fileBytes(m_assets + QStringLiteral("/image/a.png")), QByteArray("third"));
        for (const char* name : {"..", "x/y.png", "../up.png", ""})
            QVERIFY(!ProjectDeploy::writeDeployImageFile(m_assets, "bad", QString::fromLatin1(name), true));
        QCOMPARE(images(), QStringList{QStringLiteral("a.png")});
    }
};

QTEST_GUILESS_MAIN(TestDeployData)
#include "tst_DeployData.moc"
