#include "module/ModuleEventDeployData.h"

#include <string>

namespace OV {

namespace {

bool isEnabled(const nlohmann::json& event)
{
    // A missing "enabled" counts as true; a present one must be a boolean.
    const auto found = event.find("enabled");
    return found == event.end() || found->get<bool>();
}

nlohmann::json orEmptyArray(nlohmann::json value)
{
    return isEmptyDeployValue(value) ? nlohmann::json::array() : value;
}

} // namespace

bool isEmptyDeployValue(const nlohmann::json& value)
{
    return value.is_null() || ((value.is_object() || value.is_array()) && value.empty());
}

nlohmann::json buildEventDeployData(const nlohmann::json& event)
{
    const nlohmann::json& actionList = event.at("actionList");
    if (actionList.empty())
        return nlohmann::json::object();
    nlohmann::json result = {{"actions", nlohmann::json::array()}};
    for (const nlohmann::json& action : actionList)
        result["actions"].push_back(action.at("deployData"));
    result["name"] = event.at("promptText");
    result["show"] = event.at("promptEnabled");
    result["icon"] = event.at("promptDialogBg");
    return result;
}

nlohmann::json buildKeyDeployData(int keyCode, const nlohmann::json& keyConfig)
{
    static const std::pair<const char*, const char*> kEvents[] = {
        {"click", "singleClick"}, {"doubleClick", "doubleClick"}, {"longPress", "longPress"}};
    nlohmann::json result = nlohmann::json::object();
    bool added = false;
    for (const auto& [source, target] : kEvents) {
        if (!keyConfig.is_object() || !keyConfig.contains(source))
            continue;
        const nlohmann::json& event = keyConfig.at(source);
        if (!isEnabled(event))
            continue;
        nlohmann::json built = buildEventDeployData(event);
        if (isEmptyDeployValue(built))
            continue;
        result[target] = std::move(built);
        added = true;
    }
    if (added)
        result["keyCode"] = keyCode;
    return result;
}

nlohmann::json buildKnobDeployData(const nlohmann::json& knobConfig)
{
    static const std::pair<const char*, const char*> kTurns[] = {{"turnLeft", "counterclockwise"},
                                                                 {"turnRight", "clockwise"}};
    nlohmann::json result = nlohmann::json::object();
    if (!knobConfig.is_object())
        return result;
    // A knob switched off as a whole deploys nothing.
    const auto knobEnabled = knobConfig.find("enabled");
    if (knobEnabled != knobConfig.end() && knobEnabled->is_boolean() && !knobEnabled->get<bool>())
        return result;
    for (const auto& [source, target] : kTurns) {
        const auto turn = knobConfig.find(source);
        if (turn == knobConfig.end() || !turn->is_object())
            continue;
        if (!turn->contains("deviceId") || !turn->contains("deviceType"))
            continue;
        if (!isEnabled(*turn))
            continue;
        const std::string id = turn->at("deviceId").get<std::string>();
        const std::string type = turn->at("deviceType").get<std::string>();
        if (id.empty() || type.empty())
            continue;
        result[target]["id"] = id;
        result[target]["type"] = type;
    }
    return result;
}

nlohmann::json buildThessaDeployData(const nlohmann::json& tapConfig)
{
    nlohmann::json result = nlohmann::json::array();
    for (int i = 0; i < 5; ++i) {
        const std::string mode = "mode" + std::to_string(i + 1);
        if (!tapConfig.is_object() || !tapConfig.contains(mode))
            continue;
        const nlohmann::json& event = tapConfig.at(mode);
        if (!isEnabled(event))
            continue;
        nlohmann::json built = buildEventDeployData(event);
        if (isEmptyDeployValue(built))
            continue;
        built["mode"] = i;
        result.push_back(std::move(built));
    }
    return result;
}

nlohmann::json buildPipwickDeployConfig(const nlohmann::json& cfg)
{
    static const std::pair<const char*, int> kKeys[] = {{"button1", 2}, {"button2", 1}, {"button3", 0}};
    nlohmann::json result = nlohmann::json::array();
    for (const auto& [key, code] : kKeys) {
        if (!cfg.is_object() || !cfg.contains(key))
            continue;
        nlohmann::json built = buildKeyDeployData(code, cfg.at(key));
        if (!isEmptyDeployValue(built))
            result.push_back(std::move(built));
    }
    return orEmptyArray(std::move(result));
}

nlohmann::json buildRollaneDeployConfig(const nlohmann::json& cfg)
{
    nlohmann::json result = nlohmann::json::object();
    if (cfg.is_object() && cfg.contains("button")) {
        nlohmann::json button = buildKeyDeployData(0, cfg.at("button"));
        if (!isEmptyDeployValue(button))
            result["button"] = std::move(button);
    }
    if (cfg.is_object() && cfg.contains("knob")) {
        const nlohmann::json knob = buildKnobDeployData(cfg.at("knob"));
        for (const auto& [name, value] : knob.items())
            result[name] = value;
    }
    return orEmptyArray(std::move(result));
}

nlohmann::json buildThessaDeployConfig(const nlohmann::json& cfg)
{
    if (!cfg.is_object() || !cfg.contains("tap"))
        return nlohmann::json::array();
    nlohmann::json result = buildThessaDeployData(cfg.at("tap"));
    return result.is_array() ? orEmptyArray(std::move(result)) : nlohmann::json::array();
}

nlohmann::json buildPelloraDeployConfig(const nlohmann::json& layers, const nlohmann::json& cfg)
{
    nlohmann::json result = nlohmann::json::array();
    if (!layers.is_array())
        return result;
    for (const nlohmann::json& layer : layers) {
        for (const nlohmann::json& widget : layer.at("widgets")) {
            const int64_t type = widget.at("type").get<int64_t>();
            const std::string uniqueId = widget.at("uniqueId").get<std::string>();
            const int64_t id = widget.at("id").get<int64_t>();
            if (type != 1)
                continue;
            nlohmann::json built = cfg.is_object() && cfg.contains(uniqueId)
                                       ? buildKeyDeployData(int(id), cfg.at(uniqueId))
                                       : nlohmann::json::object();
            if (isEmptyDeployValue(built))
                continue;
            built["widgetType"] = 1;
            result.push_back(std::move(built));
        }
    }
    return result;
}

const nlohmann::json& pelloraLayersOf(const nlohmann::json& moduleData)
{
    static const nlohmann::json none = nlohmann::json::array();
    if (!moduleData.is_object())
        return none;
    const auto config = moduleData.find("dataConfig");
    if (config == moduleData.end() || !config->is_object())
        return none;
    const auto layers = config->find("layers");
    return layers != config->end() && layers->is_array() ? *layers : none;
}

} // namespace OV
