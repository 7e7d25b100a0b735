#include "project/ProjectDbHostBean.h"
#include "project/ProjectDbIntegrationBean.h"
#include "project/ProjectDbMetaBean.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbPluginBean.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"

#include <QTest>

#include <functional>

using namespace OV;
using json = nlohmann::json;

Q_DECLARE_METATYPE(std::function<void()>)

namespace {

// The message a call throws, or "" when it does not throw.
QString thrown(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

JsonStoreRecord row(const char* type, const QString& columns, const QString& k1 = {}, const QString& k2 = {})
{
    JsonStoreRecord r;
    r.id = 7;
    r.type = QString::fromLatin1(type);
    r.columns = columns;
    r.k1 = k1;
    r.k2 = k2;
    return r;
}

class BareBean : public ProjectDbJsBean
{
public:
    BareBean() : ProjectDbJsBean(QStringLiteral("bare")) {}
    void toJson(json&) const override {}
};

const QString kPluginColumns = QStringLiteral(
    R"({"icon":"i","name":"n","author":"a","versionName":"1.0","versionCode":3,"desc":"d","official":1})");

} // namespace

class TestProjectBeans : public QObject
{
    Q_OBJECT
private slots:
    void defaultsAndStoredText()
    {
        ProjectDbMetaBean meta;
        QCOMPARE(meta.id, int64_t(-1));
        QCOMPARE(meta.sortId, int64_t(2147483647));
        const auto record = meta.toRecord();
        QCOMPARE(record->type, QStringLiteral("mate"));
        QCOMPARE(record->columns, QStringLiteral(R"({"create_app_version_code":1,"create_app_version_name":"V1.0.0",)"
                                                 R"("project_data_format_version":2})"));
        QCOMPARE(record->sort_id, int64_t(2147483647));
        QCOMPARE(BareBean().toRecord()->columns, QStringLiteral("{}"));

        ProjectDbProfileBean profile;
        QVERIFY(profile.data == json::parse(R"({"widgetConfigList":[],"moduleConfigList":[]})"));
        profile.name = QStringLiteral("Ünïcode");
        json data;
        data["b"] = 1;
        data["a"] = "é";
        data["widgetConfigList"] = json::array();
        data["moduleConfigList"] = json::array();
        profile.setData(data);
        QCOMPARE(profile.toRecord()->data,
                 QStringLiteral(R"({"a":"é","b":1,"moduleConfigList":[],"widgetConfigList":[]})"));
        QCOMPARE(thrown([&] { profile.setData(json::array()); }), QStringLiteral("arg 'data' is not json object"));
        QVERIFY(profile.data["b"] == 1);
    }

    void validationTexts_data()
    {
        QTest::addColumn<std::function<void()>>("check");
        QTest::addColumn<QString>("message");
        auto host = [](QString conn, QString ip, int port) -> std::function<void()> {
            return [=] {
                ProjectDbHostBean b;
                b.connType = conn;
                b.ip = ip;
                b.port = port;
                b.validate();
            };
        };
        QTest::newRow("usb") << host("usb", "", 0) << "";
        QTest::newRow("tcp no ip") << host("tcp", "", 0) << "invalid ip:";
        QTest::newRow("tcp big port") << host("tcp", "192.168.1.20", 65536) << "";
        QTest::newRow("leading zero two digits") << host("tcp", "01.1.1.1", 1) << "";
        QTest::newRow("leading zero three digits") << host("tcp", "010.1.1.1", 1) << "invalid ip:010.1.1.1";
        QTest::newRow("256") << host("tcp", "256.1.1.1", 1) << "invalid ip:256.1.1.1";
        QTest::newRow("three parts") << host("tcp", "1.2.3", 1) << "invalid ip:1.2.3";
        QTest::newRow("newline") << host("tcp", "1.2.3.4\n", 1) << "invalid ip:1.2.3.4\n";
        QTest::newRow("port 0") << host("tcp", "1.2.3.4", 0) << "invalid port:0";
        QTest::newRow("conn") << host("serial", "", 0) << "invalid connType:serial";
        QTest::newRow("integ") << std::function<void()>([] {
            ProjectDbIntegrationBean b;
            b.integType = QStringLiteral("weather");
            b.validate();
        }) << "invalid integType:weather";
        auto module = [](QString gateway, uint64_t product, QString sn, int netId) -> std::function<void()> {
            return [=] {
                ProjectDbModuleBean b;
                b.gatewayType = gateway;
                b.productId = product;
                b.sn = sn;
                b.netId = netId;
                b.validate();
            };
        };
        QTest::newRow("module ok") << module("mesh", 0x10000005, "S1", 0) << "";
        QTest::newRow("gateway") << module("usb", 0x10000001, "S1", 0) << "invalid gatewayType:usb";
        QTest::newRow("product") << module("can", 0x10000006, "S1", 0) << "invalid productId:268435462";
        QTest::newRow("sn") << module("can", 0x10000001, "  ", 0) << "invalid sn:  ";
        QTest::newRow("netId") << module("can", 0x10000001, "S1", -1) << "invalid netId_:-1";
        auto plugin = [](QString k1, QString k2, int64_t version) -> std::function<void()> {
            return [=] {
                ProjectDbPluginBean b;
                b.k1 = k1;
                b.k2 = k2;
                b.versionCode = version;
                b.validate();
            };
        };
        QTest::newRow("plugin ok") << plugin("u", "1", 0) << "";
        QTest::newRow("uuid") << plugin(" ", "1", 0) << "invalid uuid(k1): ";
        QTest::newRow("empty type") << plugin("u", "", 0) << "empty type(k2):";
        QTest::newRow("type 2") << plugin("u", "2", 0) << "invalid type(k2):2";
        QTest::newRow("version") << plugin("u", "0", -1) << "invalid versionCode:-1";
        auto profile = [](QString name, json data) -> std::function<void()> {
            return [=] {
                ProjectDbProfileBean b;
                b.name = name;
                b.data = data;
                b.validate();
            };
        };
        const json lists = json::parse(R"({"widgetConfigList":[],"moduleConfigList":[]})");
        QTest::newRow("profile name") << profile(" ", lists) << "profile name is empty";
        QTest::newRow("widget list") << profile("p", json::parse(R"({"widgetConfigList":{},"moduleConfigList":[]})"))
                                     << "data/widgetConfigList is not array";
        QTest::newRow("module list") << profile("p", json::parse(R"({"widgetConfigList":[],"moduleConfigList":1})"))
                                     << "data/moduleConfigList is not array";
        QTest::newRow("data array") << profile("p", json::array()) << "data is not json object";
        auto card = [](QString k1, QString widgetType, QString uid) -> std::function<void()> {
            return [=] {
                ProjectDbProfileKsWidgetBean b;
                b.k1 = k1;
                b.widgetType = widgetType;
                b.uid = uid;
                b.validate();
            };
        };
        QTest::newRow("card ok") << card("12", "clock", "u") << "";
        QTest::newRow("card k1") << card("abc", "clock", "u") << "invalid profileId(k1):abc";
        QTest::newRow("card type") << card("1", " ", "u") << "widgetType is empty";
        QTest::newRow("card uid") << card("1", "clock", "") << "uid is empty";
        QTest::newRow("id") << std::function<void()>([] {
            ProjectDbMetaBean b;
            b.id = -5;
            b.validate();
        }) << "invalid id:-5";
    }

    void validationTexts()
    {
        QFETCH(std::function<void()>, check);
        QFETCH(QString, message);
        QCOMPARE(thrown(check), message);
    }

    void parsersNormaliseKeysAndRefuseBadRows()
    {
        auto plugin = [](const QString& k2) {
            return ProjectDbPluginBean::parseRecord(row("plugin", kPluginColumns, "u", k2));
        };
        QCOMPARE(plugin(QStringLiteral("1"))->pluginType, 1);
        QCOMPARE(thrown([&] { plugin(QStringLiteral("2"))->validate(); }), QStringLiteral("invalid type(k2):2"));
        QCOMPARE(plugin(QString())->k2, QStringLiteral("0"));
        QCOMPARE(plugin(QStringLiteral(" 1a"))->k2, QStringLiteral("1"));
        QCOMPARE(thrown([&] { plugin(QStringLiteral("x")); }), QStringLiteral("invalid stoi argument"));
        QCOMPARE(thrown([&] { plugin(QStringLiteral("99999999999")); }), QStringLiteral("stoi argument out of range"));
        const auto full = plugin(QStringLiteral("0"));
        QCOMPARE(full->versionCode, int64_t(3));
        QCOMPARE(full->official, 1);
        QCOMPARE(full->id, int64_t(7));

        const QString profileColumns = QStringLiteral(R"({"name":"P","showName":false,"icon":"","preferred":true})");
        const auto profile = ProjectDbProfileBean::parseRecord(row("profile", profileColumns, "yes"));
        QVERIFY(!profile->isDefault);
        QVERIFY(profile->k1.isEmpty());
        QVERIFY(profile->preferred && !profile->showName);
        QCOMPARE(profile->data.size(), size_t(2)); // empty data text keeps the constructor's document
        QVERIFY(ProjectDbProfileBean::parseRecord(row("profile", profileColumns, "true"))->isDefault);

        const auto card = ProjectDbProfileKsWidgetBean::parseRecord(
            row("profileKsWidget", QStringLiteral(R"({"widgetType":"clock","uid":"u"})"), " 42abc"));
        QCOMPARE(card->profileId, int64_t(42));
        QCOMPARE(card->k1, QStringLiteral("42"));
        QVERIFY(card->name.isEmpty());
        QVERIFY(!thrown([] {
                     ProjectDbProfileKsWidgetBean::parseRecord(
                         row("profileKsWidget", QStringLiteral(R"({"widgetType":"clock"})"), "1"));
                 }).isEmpty());
        QCOMPARE(thrown([] {
                     ProjectDbProfileKsWidgetBean::parseRecord(
                         row("profileKsWidget", QStringLiteral(R"({"widgetType":"clock","uid":"u"})"), ""));
                 }),
                 QStringLiteral("invalid stoll argument"));

        auto module = [](const char* productId) {
            return ProjectDbModuleBean::parseRecord(
                row("module", QStringLiteral(R"({"gatewayType":"can","productId":%1,"name":"","sn":"s","netId":0,)"
                                             R"("workMode":1,"extraConfig":{"x":[1]}})")
                                  .arg(QLatin1String(productId))));
        };
        QCOMPARE(module("268435457.0")->productId, uint64_t(0x10000001));
        QVERIFY(module("1")->extraConfig == json::parse(R"({"x":[1]})"));
        QVERIFY(thrown([&] { module("\"a\""); }).contains(QLatin1String("type must be number, but is string")));
        QVERIFY(thrown([&] { module("-1"); }).contains(QLatin1String("out of range")));
        QVERIFY(thrown([] {
                    ProjectDbHostBean::parseRecord(
                        row("host", QStringLiteral(R"({"connType":"tcp","name":"",)"
                                                   R"("ip":"","port":1e12,"sn":"","token":""})")));
                }).contains(QLatin1String("port is out of range")));

        QCOMPARE(thrown([] { ProjectDbHostBean::parseRecord(row("module", QStringLiteral("{}"))); }),
                 QStringLiteral("ProjectDbBean-checkRecordType, host expect, but got module"));
        QVERIFY(
            thrown([] { ProjectDbMetaBean::parseRecord(row("mate", QString())); }).contains(QLatin1String("parse")));
        JsonStoreRecord arrayData = row("integration", QStringLiteral(R"({"integType":"ha"})"));
        arrayData.data = QStringLiteral("[1]");
        QCOMPARE(thrown([&] { ProjectDbIntegrationBean::parseRecord(arrayData); }),
                 QStringLiteral("data is not json object"));
    }

    void aDocumentNotReadIsNotWrittenBack()
    {
        JsonStoreRecord stored = row("integration", QStringLiteral(R"({"integType":"ha"})"));
        stored.data = QString(); // the read left the data column out
        const auto bean = ProjectDbIntegrationBean::parseRecord(stored);
        QVERIFY(bean->toRecord()->data.isNull());
        bean->data["key"] = 1;
        QCOMPARE(bean->toRecord()->data, QStringLiteral(R"({"key":1})"));
        stored.data = QStringLiteral("");
        QCOMPARE(ProjectDbIntegrationBean::parseRecord(stored)->toRecord()->data, QStringLiteral("{}"));
    }
};

QTEST_GUILESS_MAIN(TestProjectBeans)
#include "tst_ProjectBeans.moc"
