#pragma once

#include <nlohmann/json.hpp>

namespace OV {

// The compact configuration the hub receives for a module's events in one profile, built from
// the editable event records at every save of the module's profile editor. The builders throw
// the JSON library's exceptions for records that break the format (an enabled event without
// "actionList" or its prompt keys, an action without "deployData", a turn event whose device
// strings are not strings); the editors catch them.

// {"actions": [deployData...], "name", "show", "icon"}; {} when the event has no actions.
nlohmann::json buildEventDeployData(const nlohmann::json& event);
// "singleClick", "doubleClick", "longPress" of the enabled events with actions, and "keyCode"
// when any is there; {} otherwise. A missing "enabled" counts as true.
nlohmann::json buildKeyDeployData(int keyCode, const nlohmann::json& keyConfig);
// "counterclockwise" / "clockwise" {"id", "type"} for each turn with a chosen device. A turn
// event with "enabled" false is left out, as key events and tap modes are.
nlohmann::json buildKnobDeployData(const nlohmann::json& knobConfig);
// One entry per enabled tap mode with actions, "mode" 0 for "mode1" to 4 for "mode5".
nlohmann::json buildThessaDeployData(const nlohmann::json& tapConfig);

// The "deployConfig" of one profile's configuration cfg, per module kind; [] when it holds
// nothing.
nlohmann::json buildPipwickDeployConfig(const nlohmann::json& cfg);
nlohmann::json buildRollaneDeployConfig(const nlohmann::json& cfg);
nlohmann::json buildThessaDeployConfig(const nlohmann::json& cfg);
// Walks the screen cube's layers and their widgets in order; only buttons (type 1) count, each
// with "keyCode" = its widget id and "widgetType" 1.
nlohmann::json buildPelloraDeployConfig(const nlohmann::json& layers, const nlohmann::json& cfg);
// The screen cube's layers in its module data ("dataConfig" -> "layers"); [] when it has none.
const nlohmann::json& pelloraLayersOf(const nlohmann::json& moduleData);

// True for null, {} and [].
bool isEmptyDeployValue(const nlohmann::json& value);

} // namespace OV
