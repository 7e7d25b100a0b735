#pragma once

#include <nlohmann/json.hpp>

#include <map>
#include <set>
#include <string>

namespace OV::Test {

class StandinHub;

// What the stand-in hub offers as its action tree (act 1205) or knob-control device tree
// (act 1617): the children of each parent id ("" is the root), the groups that answer with an
// error (code 500) and those that never answer. An id with no entry gets an empty array.
struct StandinActionTree
{
    std::map<std::string, nlohmann::json> children;
    std::set<std::string> failing;
    std::set<std::string> silent;
};

// The scene-action tree: PC_CONTROL, PLUGIN_WIDGET and PELLORA_TOGGLE leaves (the latter's id
// names the screen cube's module record), a generic action with every parameter kind, an
// empty group, a malformed child, a group that fails and one that never answers.
StandinActionTree defaultSceneActionTree(const std::string& pelloraModuleId = "1");
// The knob-control devices.
StandinActionTree defaultKnobDeviceTree();

// Serves both trees (replacing any script of acts 1205 and 1617).
void installActionTree(StandinHub& hub, StandinActionTree sceneTree = defaultSceneActionTree(),
                       StandinActionTree knobTree = defaultKnobDeviceTree());

} // namespace OV::Test
