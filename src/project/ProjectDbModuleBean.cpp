#include "project/ProjectDbModuleBean.h"

namespace OV {

ProjectDbModuleBean::ProjectDbModuleBean() : ProjectDbJsBean(recordTypeName<ProjectDbModuleBean>()) {}

void ProjectDbModuleBean::validate() const
{
    ProjectDbJsBean::validate();
    if (gatewayType != QLatin1String("can") && gatewayType != QLatin1String("mesh"))
        throw std::invalid_argument("invalid gatewayType:" + utf8(gatewayType));
    if (productId < 0x10000001 || productId > 0x10000005)
        throw std::invalid_argument("invalid productId:" + std::to_string(productId));
    if (sn.trimmed().isEmpty())
        throw std::invalid_argument("invalid sn:" + utf8(sn));
    if (netId < 0)
        throw std::invalid_argument("invalid netId_:" + std::to_string(netId));
}

void ProjectDbModuleBean::toJson(nlohmann::json& out) const
{
    out["gatewayType"] = utf8(gatewayType);
    out["productId"] = productId;
    out["name"] = utf8(name);
    out["sn"] = utf8(sn);
    out["netId"] = netId;
    out["workMode"] = workMode;
    out["extraConfig"] = extraConfig;
}

std::shared_ptr<ProjectDbModuleBean> ProjectDbModuleBean::parseRecord(const JsonStoreRecord& record)
{
    checkRecordType(record, kRecordType);
    auto bean = std::make_shared<ProjectDbModuleBean>();
    bean->fromRecord(record);
    const Columns columns = parseColumns(record);
    bean->gatewayType = readString(columns, "gatewayType");
    bean->productId = readNumber<uint64_t>(columns, "productId");
    bean->name = readString(columns, "name");
    bean->sn = readString(columns, "sn");
    bean->netId = readNumber<int32_t>(columns, "netId");
    bean->workMode = readNumber<int32_t>(columns, "workMode");
    bean->extraConfig = columns.at("extraConfig");
    return bean;
}

} // namespace OV
