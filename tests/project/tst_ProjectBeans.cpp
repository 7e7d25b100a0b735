#include "project/ProjectDbHostBean.h"
#include "project/ProjectDbIntegrationBean.h"
#include "project/ProjectDbMetaBean.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbPluginBean.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "support/ProjectTestUtils.h"

#include <QTest>

using namespace OV;
using Test::projectRecord;
using Test::thrownText;
using json = nlohmann::json;

namespace {

// The validation failure of a stored row of the kind whose columns are the defaults with the
// patch applied; keys and document as given.
template <typename Bean>
QString invalid(const char* patch, const char* k1 = "1", const char* k2 = "0", const char* data = "")
{
    json columns;
    Bean().toJson(columns);
    columns.merge_patch(json::parse(patch));
    JsonStoreRecord record = projectRecord(Bean::kRecordType, QString::fromStdString(columns.dump()), "1", "0");
    record.data = QString::fromLatin1(data);
    return thrownText([&] {
        auto bean = Bean::parseRecord(record);
        bean->k1 = QString::fromLatin1(k1);
        bean->k2 = QString::fromLatin1(k2);
        bean->validate();
    });
}

class BareBean : public ProjectDbJsBean
{
public:
    BareBean() : ProjectDbJsBean(QStringLiteral("bare")) {}
    void toJson(json&) const override {}
};

} // namespace

class TestProjectBeans : public QObject
{
    Q_OBJECT
private slots:
    void storedTextIsCompactWithSortedKeys()
    {
        const auto meta = ProjectDbMetaBean().toRecord();
        QCOMPARE(meta->id, int64_t(-1));
        QCOMPARE(meta->sort_id, int64_t(2147483647));
        QCOMPARE(meta->columns, QStringLiteral(R"({"create_app_version_code":1,"create_app_version_name":"V1.0.0",)"
                                               R"("project_data_format_version":2})"));
        QCOMPARE(BareBean().toRecord()->columns, QStringLiteral("{}"));

        ProjectDbProfileBean profile;
        QVERIFY(profile.data == json::parse(R"({"widgetConfigList":[],"moduleConfigList":[]})"));
        profile.name = QStringLiteral("P");
        profile.setData(json::parse(R"({"b":1,"a":"é","widgetConfigList":[],"moduleConfigList":[]})"));
        QCOMPARE(profile.toRecord()->data,
                 QStringLiteral(R"({"a":"é","b":1,"moduleConfigList":[],"widgetConfigList":[]})"));
        QCOMPARE(thrownText([&] { profile.setData(json::array()); }), QStringLiteral("arg 'data' is not json object"));
        QVERIFY(profile.data["b"] == 1);
    }

    void validationTexts()
    {
        using Host = ProjectDbHostBean;
        QCOMPARE(invalid<Host>(R"({"connType":"usb"})"), QString());
        const std::pair<const char*, bool> ips[] = {{"192.168.1.20", true}, {"01.1.1.1", true}, {"010.1.1.1", false},
                                                    {"256.1.1.1", false},   {"1.2.3", false},   {"", false}};
        for (auto [ip, ok] : ips) {
            const QString patch = QStringLiteral(R"({"connType":"tcp","port":65536,"ip":"%1"})").arg(QLatin1String(ip));
            QCOMPARE(invalid<Host>(patch.toLatin1().constData()),
                     ok ? QString() : "invalid ip:" + QString::fromLatin1(ip));
        }
        QCOMPARE(invalid<Host>(R"({"connType":"tcp","ip":"1.2.3.4\n","port":1})"),
                 QStringLiteral("invalid ip:1.2.3.4\n"));
        QCOMPARE(invalid<Host>(R"({"connType":"tcp","ip":"1.2.3.4"})"), QStringLiteral("invalid port:0"));
        QCOMPARE(invalid<Host>(R"({"connType":"tcp1"})"), QStringLiteral("invalid connType:tcp1"));
        QCOMPARE(invalid<ProjectDbIntegrationBean>(R"({"integType":"x"})"), QStringLiteral("invalid integType:x"));
        QCOMPARE(invalid<ProjectDbIntegrationBean>(R"({"integType":"accuWeather"})"), QString());
        QCOMPARE(invalid<ProjectDbMetaBean>("{}"), QString());
        ProjectDbMetaBean meta;
        meta.id = -5;
        QCOMPARE(thrownText([&] { meta.validate(); }), QStringLiteral("invalid id:-5"));

        using Module = ProjectDbModuleBean;
        QCOMPARE(invalid<Module>(R"({"gatewayType":"can","productId":268435461,"sn":"S"})"), QString());
        QCOMPARE(invalid<Module>(R"({"gatewayType":"usb"})"), QStringLiteral("invalid gatewayType:usb"));
        QCOMPARE(invalid<Module>(R"({"gatewayType":"can","productId":268435462})"),
                 QStringLiteral("invalid productId:268435462"));
        QCOMPARE(invalid<Module>(R"({"gatewayType":"mesh","productId":268435457,"sn":"  "})"),
                 QStringLiteral("invalid sn:  "));
        QCOMPARE(invalid<Module>(R"({"gatewayType":"can","productId":268435457,"sn":"S","netId":-1})"),
                 QStringLiteral("invalid netId_:-1"));

        using Plugin = ProjectDbPluginBean;
        QCOMPARE(invalid<Plugin>(R"({"versionCode":0})", "u", "1"), QString());
        QCOMPARE(invalid<Plugin>(R"({"versionCode":0})", " "), QStringLiteral("invalid uuid(k1): "));
        QCOMPARE(invalid<Plugin>(R"({"versionCode":0})", "u", ""), QStringLiteral("empty type(k2):"));
        QCOMPARE(invalid<Plugin>(R"({"versionCode":0})", "u", "2"), QStringLiteral("invalid type(k2):2"));
        QCOMPARE(invalid<Plugin>("{}"), QStringLiteral("invalid versionCode:-1"));

        using Profile = ProjectDbProfileBean;
        QCOMPARE(invalid<Profile>(R"({"name":" "})"), QStringLiteral("profile name is empty"));
        QCOMPARE(invalid<Profile>(R"({"name":"p"})", "", "", R"({"widgetConfigList":{},"moduleConfigList":[]})"),
                 QStringLiteral("data/widgetConfigList is not array"));
        QCOMPARE(invalid<Profile>(R"({"name":"p"})", "", "", R"({"widgetConfigList":[],"moduleConfigList":1})"),
                 QStringLiteral("data/moduleConfigList is not array"));
        QVERIFY(invalid<Profile>(R"({"name":"p"})", "", "", R"({"widgetConfigList":[]})")
                    .contains(QLatin1String("not found")));
        QCOMPARE(invalid<Profile>(R"({"name":"p"})", "", "", "[]"), QStringLiteral("data is not json object"));

        using Card = ProjectDbProfileKsWidgetBean;
        QCOMPARE(invalid<Card>(R"({"widgetType":"clock","uid":"u"})", "12"), QString());
        QCOMPARE(invalid<Card>(R"({"widgetType":"clock","uid":"u"})", "abc"),
                 QStringLiteral("invalid profileId(k1):abc"));
        QCOMPARE(invalid<Card>(R"({"widgetType":" ","uid":"u"})"), QStringLiteral("widgetType is empty"));
        QCOMPARE(invalid<Card>(R"({"widgetType":"clock"})"), QStringLiteral("uid is empty"));
    }

    void parsersNormaliseKeysAndRefuseBadRows()
    {
        const QString pluginColumns = QStringLiteral(
            R"({"icon":"","name":"","author":"","versionName":"","versionCode":3,"desc":"","official":1})");
        auto plugin = [&](const char* k2) {
            return ProjectDbPluginBean::parseRecord(projectRecord("plugin", pluginColumns, "u", k2));
        };
        QCOMPARE(plugin("1")->pluginType, 1);
        QCOMPARE(plugin("")->k2, QStringLiteral("0"));
        QCOMPARE(plugin(" 1a")->k2, QStringLiteral("1"));
        QCOMPARE(thrownText([&] { plugin("x"); }), QStringLiteral("invalid stoi argument"));
        QCOMPARE(thrownText([&] { plugin("99999999999"); }), QStringLiteral("stoi argument out of range"));

        const QString profileColumns = QStringLiteral(R"({"name":"P","showName":false,"icon":"","preferred":true})");
        const auto profile = ProjectDbProfileBean::parseRecord(projectRecord("profile", profileColumns, "yes"));
        QVERIFY(!profile->isDefault && profile->k1.isEmpty() && profile->preferred && !profile->showName);
        QCOMPARE(profile->data.size(), size_t(2)); // no stored document: the constructor's stays
        QVERIFY(ProjectDbProfileBean::parseRecord(projectRecord("profile", profileColumns, "true"))->isDefault);

        auto card = [](const char* columns, const char* k1) {
            return ProjectDbProfileKsWidgetBean::parseRecord(
                projectRecord("profileKsWidget", QString::fromLatin1(columns), k1));
        };
        const auto parsed = card(R"({"widgetType":"clock","uid":"u"})", " 42abc");
        QVERIFY(parsed->profileId == 42 && parsed->k1 == "42" && parsed->name.isEmpty());
        QVERIFY(thrownText([&] { card(R"({"widgetType":"clock"})", "1"); }).contains(QLatin1String("'uid' not found")));
        QCOMPARE(thrownText([&] { card(R"({"widgetType":"clock","uid":"u"})", ""); }),
                 QStringLiteral("invalid stoll argument"));

        auto module = [](const char* productId) {
            return ProjectDbModuleBean::parseRecord(projectRecord(
                "module", QStringLiteral(R"({"gatewayType":"can","productId":%1,"name":"","sn":"s","netId":0,)"
                                         R"("workMode":1,"extraConfig":{"x":[1]}})")
                              .arg(QLatin1String(productId))));
        };
        QCOMPARE(module("268435457.0")->productId, uint64_t(0x10000001));
        QVERIFY(thrownText([&] { module("\"a\""); }).contains(QLatin1String("type must be number, but is string")));
        QVERIFY(thrownText([&] { module("-1"); }).contains(QLatin1String("productId is out of range")));
        QVERIFY(thrownText([&] { module("1e30"); }).contains(QLatin1String("productId is out of range")));

        QCOMPARE(thrownText([] { ProjectDbHostBean::parseRecord(projectRecord("module", "{}")); }),
                 QStringLiteral("ProjectDbBean-checkRecordType, host expect, but got module"));
        QVERIFY(thrownText([] {
                    ProjectDbMetaBean::parseRecord(projectRecord("mate", ""));
                }).contains(QLatin1String("parse")));
        JsonStoreRecord arrayData = projectRecord("integration", QStringLiteral(R"({"integType":"ha"})"));
        arrayData.data = QStringLiteral("[1]");
        QCOMPARE(thrownText([&] { ProjectDbIntegrationBean::parseRecord(arrayData); }),
                 QStringLiteral("data is not json object"));
    }
};

QTEST_GUILESS_MAIN(TestProjectBeans)
#include "tst_ProjectBeans.moc"
