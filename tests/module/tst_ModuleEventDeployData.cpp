// The deploy configuration each module kind's events become, as the hub receives it.

#include "module/ModuleEventDeployData.h"
#include "support/ProjectTestUtils.h"

#include <QTest>

using namespace OV;
using json = nlohmann::json;

namespace {

// An event as the panels write it, with one action per deploy value given.
json eventRecord(std::initializer_list<const char*> actions, const char* name = "Prompt", bool show = true)
{
    json list = json::array();
    for (const char* action : actions)
        list.push_back({{"configDesc", action}, {"deployData", {{"act", action}}}});
    return {{"enabled", true},
            {"promptEnabled", show},
            {"promptText", name},
            {"promptDialogBg", "bg.png"},
            {"actionList", list}};
}

json disabled(json e)
{
    e["enabled"] = false;
    return e;
}

json withoutEnabled(json e)
{
    e.erase("enabled");
    return e;
}

QByteArray dumped(const json& value)
{
    return QByteArray::fromStdString(value.dump());
}

} // namespace

class TestModuleEventDeployData : public QObject
{
    Q_OBJECT

private slots:
    void kinds_data()
    {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QByteArray>("cfg");
        QTest::addColumn<QByteArray>("expected");

        const auto row = [](const char* name, const char* kind, const json& cfg, const char* expected) {
            QTest::newRow(name) << QByteArray(kind) << dumped(cfg) << QByteArray(expected);
        };
        row("pipwick nothing", "pipwick", json::object(), "[]");
        row("pipwick button3 only", "pipwick", {{"button3", {{"click", eventRecord({"a"})}}}},
            R"([{"keyCode":0,"singleClick":{"actions":[{"act":"a"}],"icon":"bg.png","name":"Prompt","show":true}}])");
        row("pipwick codes run backwards", "pipwick",
            {{"button2", {{"longPress", eventRecord({"b"})}}}, {"button1", {{"doubleClick", eventRecord({"a"})}}}},
            R"([{"doubleClick":{"actions":[{"act":"a"}],"icon":"bg.png","name":"Prompt","show":true},"keyCode":2},)"
            R"({"keyCode":1,"longPress":{"actions":[{"act":"b"}],"icon":"bg.png","name":"Prompt","show":true}}])");
        row("pipwick empty keys dropped", "pipwick",
            {{"button1",
              {{"click", eventRecord({})},
               {"doubleClick", eventRecord({})},
               {"longPress", disabled(eventRecord({"x"}))}}}},
            "[]");
        row("pipwick missing enabled is enabled", "pipwick",
            {{"button1", {{"click", withoutEnabled(eventRecord({"a"}))}}}},
            R"([{"keyCode":2,"singleClick":{"actions":[{"act":"a"}],"icon":"bg.png","name":"Prompt","show":true}}])");
        row("show copied when false", "pipwick", {{"button1", {{"click", eventRecord({"a"}, "Quiet", false)}}}},
            R"([{"keyCode":2,"singleClick":{"actions":[{"act":"a"}],"icon":"bg.png","name":"Quiet","show":false}}])");
        row("rollane nothing", "rollane", {{"button", json::object()}, {"knob", json::object()}}, "[]");
        row("rollane right turn only", "rollane",
            {{"knob",
              {{"turnRight", {{"enabled", true}, {"deviceName", "Lamp"}, {"deviceId", "l1"}, {"deviceType", "lamp"}}},
               {"turnLeft", {{"enabled", true}, {"deviceName", ""}, {"deviceId", ""}, {"deviceType", ""}}}}}},
            R"({"clockwise":{"id":"l1","type":"lamp"}})");
        row("rollane disabled turn", "rollane",
            {{"knob", {{"turnLeft", {{"enabled", false}, {"deviceId", "l1"}, {"deviceType", "lamp"}}}}}}, "[]");
        row("rollane button and knob", "rollane",
            {{"button", {{"click", eventRecord({"a"})}}},
             {"knob", {{"turnLeft", {{"deviceId", "v"}, {"deviceType", "volume"}}}}}},
            R"({"button":{"keyCode":0,"singleClick":{"actions":[{"act":"a"}],"icon":"bg.png","name":"Prompt",)"
            R"("show":true}},"counterclockwise":{"id":"v","type":"volume"}})");
        row("thessa nothing", "thessa", json::object(), "[]");
        row("thessa mode3 is 2", "thessa",
            {{"tap",
              {{"mode1", disabled(eventRecord({"a"}))}, {"mode2", eventRecord({})}, {"mode3", eventRecord({"c"})}}}},
            R"([{"actions":[{"act":"c"}],"icon":"bg.png","mode":2,"name":"Prompt","show":true}])");
        row("thessa tap not object", "thessa", {{"tap", 3}}, "[]");
    }

    void kinds()
    {
        QFETCH(QByteArray, kind);
        QFETCH(QByteArray, cfg);
        QFETCH(QByteArray, expected);
        const json config = json::parse(cfg.toStdString());
        json built;
        if (kind == "pipwick")
            built = buildPipwickDeployConfig(config);
        else if (kind == "rollane")
            built = buildRollaneDeployConfig(config);
        else
            built = buildThessaDeployConfig(config);
        QCOMPARE(dumped(built), expected);
    }

    // Only buttons count, each with its widget id as key code, in layer and widget order.
    void pellora()
    {
        const json layers = json::parse(R"([
            {"id":1,"widgets":[{"id":7,"type":1,"uniqueId":"u7"},{"id":102,"type":2,"uniqueId":"t"}]},
            {"id":2,"widgets":[{"id":201,"type":1,"uniqueId":"u201"},{"id":202,"type":1,"uniqueId":"none"}]}])");
        const json cfg = {{"u201", {{"longPress", eventRecord({"b"})}}},
                          {"u7", {{"click", eventRecord({"a"})}}},
                          {"t", {{"click", eventRecord({"t"})}}}};
        QCOMPARE(dumped(buildPelloraDeployConfig(layers, cfg)),
                 QByteArray(R"([{"keyCode":7,"singleClick":{"actions":[{"act":"a"}],"icon":"bg.png","name":"Prompt",)"
                            R"("show":true},"widgetType":1},{"keyCode":201,"longPress":{"actions":[{"act":"b"}],)"
                            R"("icon":"bg.png","name":"Prompt","show":true},"widgetType":1}])"));
        QCOMPARE(dumped(buildPelloraDeployConfig(json::array(), cfg)), QByteArray("[]"));
    }

    void malformedRecordsThrow_data()
    {
        QTest::addColumn<QByteArray>("cfg");
        QTest::newRow("no actionList") << dumped({{"button1", {{"click", {{"enabled", true}}}}}});
        QTest::newRow("action without deployData")
            << dumped({{"button1", {{"click", {{"actionList", {{{"x", 1}}}}}}}}});
        QTest::newRow("event not object") << dumped({{"button1", {{"click", 5}}}});
        QTest::newRow("no prompt keys") << dumped({{"button1", {{"click", {{"actionList", {{{"deployData", 1}}}}}}}}});
    }

    void malformedRecordsThrow()
    {
        QFETCH(QByteArray, cfg);
        QVERIFY(!Test::thrownText([&] { buildPipwickDeployConfig(json::parse(cfg.toStdString())); }).isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestModuleEventDeployData)
#include "tst_ModuleEventDeployData.moc"
