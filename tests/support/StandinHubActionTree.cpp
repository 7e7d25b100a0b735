#include "support/StandinHubActionTree.h"

#include "support/StandinHub.h"

#include <memory>

namespace OV::Test {

using Json = nlohmann::json;

namespace {

constexpr int kActSceneActionTree = 1205;
constexpr int kActKnobDeviceTree = 1617;
constexpr int kFailCode = 500;

Json group(const std::string& name, const std::string& id)
{
    return {{"name", name}, {"last", false}, {"id", id}};
}

Json leaf(const std::string& name, const std::string& id, const std::string& type, const std::string& objectName)
{
    return {{"name", name}, {"last", true}, {"id", id}, {"type", type}, {"objectName", objectName}};
}

void serve(StandinHub& hub, int act, StandinActionTree tree)
{
    auto shared = std::make_shared<StandinActionTree>(std::move(tree));
    hub.setHandler(act, [shared](QSslSocket* client, const Json& request) {
        const Json data = request.value("data", Json());
        const std::string parent = data.is_string() ? data.get<std::string>() : std::string();
        if (shared->silent.count(parent))
            return;
        if (shared->failing.count(parent)) {
            StandinHub::reply(client, request, kFailCode, nullptr, QStringLiteral("group unavailable"));
            return;
        }
        const auto it = shared->children.find(parent);
        StandinHub::reply(client, request, 200, it != shared->children.end() ? it->second : Json::array());
    });
}

} // namespace

StandinActionTree defaultSceneActionTree(const std::string& pelloraModuleId)
{
    StandinActionTree tree;
    tree.children[""] = Json::array({group("Desk lamp", "lamp"), group("Computer", "pc"),
                                     leaf("Plug-in widget", "plugin.widget", "PLUGIN_WIDGET", ""),
                                     group("Screen cube", "cube"), group("Empty group", "empty"),
                                     group("Unavailable group", "broken"), group("Silent group", "silent"),
                                     // Malformed: no "last"; the desktop leaves it out.
                                     Json{{"name", "Malformed child"}, {"id", "bad"}}});

    Json brightness = leaf("Brightness", "lamp.brightness", "LAMP_SET", "Lamp");
    brightness["objectParams"] = {{"lamp", 1}};
    brightness["components"] = Json::array(
        {{{"uiType", "Input"},
          {"id", "level"},
          {"name", "Level"},
          {"inputType", "int"},
          {"unit", "%"},
          {"min", 0},
          {"max", 100}},
         {{"uiType", "input"}, {"id", "label"}, {"name", "Label"}, {"inputType", "text"}, {"unit", ""}},
         {{"uiType", "SELECT"},
          {"id", "mode"},
          {"name", "Mode"},
          {"options",
           Json::array({{{"label", "Warm"}, {"value", "warm"}}, {{"label", "Scene"}, {"value", {{"scene", 2}}}}})}},
         {{"uiType", "seekBar"}, {"id", "speed"}, {"name", "Speed"}, {"min", 1}, {"max", 10}},
         {{"uiType", "color_picker"}, {"id", "colour"}, {"name", "Colour"}}});
    Json toggle = leaf("Toggle", "lamp.toggle", "LAMP_TOGGLE", "");
    toggle["objectParams"] = nullptr;
    Json slider = leaf("Dimmer", "lamp.dimmer", "LAMP_DIM", "Lamp");
    slider["components"] = Json::array({{{"uiType", "slider"}, {"id", "dim"}, {"name", "Dim"}}});
    tree.children["lamp"] = Json::array({brightness, toggle, slider});

    Json pc = leaf("PC control", "pc.control", "PC_CONTROL", "PC");
    pc["objectParams"] = {{"target", "desktop"}};
    tree.children["pc"] = Json::array({pc});

    tree.children["cube"] = Json::array({leaf("Switch page", pelloraModuleId, "PELLORA_TOGGLE", "Screen cube")});
    tree.children["empty"] = Json::array();
    tree.failing.insert("broken");
    tree.silent.insert("silent");
    return tree;
}

StandinActionTree defaultKnobDeviceTree()
{
    StandinActionTree tree;
    tree.children[""] = Json::array({group("Lights", "lights"), leaf("Speaker", "speaker-1", "DEVICE", ""),
                                     group("Empty group", "empty"), group("Unavailable group", "broken")});
    tree.children["lights"] =
        Json::array({leaf("Desk lamp", "lamp-1", "DEVICE", ""), leaf("Floor lamp", "lamp-2", "DEVICE", "")});
    tree.failing.insert("broken");
    return tree;
}

void installActionTree(StandinHub& hub, StandinActionTree sceneTree, StandinActionTree knobTree)
{
    serve(hub, kActSceneActionTree, std::move(sceneTree));
    serve(hub, kActKnobDeviceTree, std::move(knobTree));
}

} // namespace OV::Test
