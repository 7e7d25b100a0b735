#include "module/PelloraDeployData.h"

#include "project/ProjectDbModuleBean.h"
#include "project/ProjectModuleUseCase.h"

#include <stdexcept>

namespace OV {

const nlohmann::json& pelloraLayerWidgets(const nlohmann::json& layer)
{
    static const nlohmann::json none = nlohmann::json::array();
    if (!layer.is_object())
        throw std::invalid_argument("layer is not json object");
    const auto widgets = layer.find("widgets");
    if (widgets == layer.end())
        return none;
    if (!widgets->is_array())
        throw std::invalid_argument("layer widgets is not json array");
    return *widgets;
}

BaseResult<nlohmann::json> buildPelloraDeployData(ProjectModuleUseCase& useCase, const ProjectDbModuleBean& bean,
                                                  bool writeFiles, QString& tgzPath)
{
    Q_UNUSED(useCase);
    Q_UNUSED(tgzPath);
    if (bean.productId != ProjectModuleUseCase::kPelloraProductId)
        return BaseResult<nlohmann::json>(Errors::Logic);
    if (writeFiles)
        return BaseResult<nlohmann::json>(Errors::NotInitialized, QStringLiteral("package writing is not available"));

    const nlohmann::json& stored = bean.data;
    nlohmann::json out = nlohmann::json::object();
    const auto netConfig = stored.find("netConfig");
    out["netConfig"] = netConfig != stored.end() ? *netConfig : nlohmann::json{{"ssid", ""}, {"password", ""}};

    const auto dataConfig = stored.find("dataConfig");
    if (dataConfig == stored.end())
        return out;
    out["dataConfig"] = nlohmann::json::object();
    if (!dataConfig->is_object())
        return out;
    const auto layers = dataConfig->find("layers");
    if (layers == dataConfig->end() || layers->is_null())
        return out;
    if (!layers->is_array())
        throw std::invalid_argument("dataConfig layers is not json array");
    if (layers->empty())
        return out;

    nlohmann::json outLayers = nlohmann::json::array();
    int64_t defaultLayer = 0;
    bool first = true;
    for (const nlohmann::json& layer : *layers) {
        const nlohmann::json& widgets = pelloraLayerWidgets(layer);
        const int64_t id = layer.at("id").get<int64_t>();
        const auto isDefault = layer.find("default");
        // The last layer flagged default wins; the first layer is the fallback.
        if (first || (isDefault != layer.end() && isDefault->get<bool>()))
            defaultLayer = id;
        first = false;
        nlohmann::json items = nlohmann::json::array();
        for (const nlohmann::json& widget : widgets)
            items.push_back({{"type", widget.at("type").get<int64_t>()}, {"id", widget.at("id").get<int64_t>()}});
        outLayers.push_back({{"id", id}, {"items", std::move(items)}});
    }
    out["dataConfig"]["layers"] = std::move(outLayers);
    out["dataConfig"]["defaultLayer"] = defaultLayer;
    return out;
}

} // namespace OV
