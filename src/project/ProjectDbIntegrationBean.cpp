#include "project/ProjectDbIntegrationBean.h"

namespace OV {

ProjectDbIntegrationBean::ProjectDbIntegrationBean() : ProjectDbJsBean(recordTypeName<ProjectDbIntegrationBean>()) {}

void ProjectDbIntegrationBean::validate() const
{
    ProjectDbJsBean::validate();
    if (integType != QLatin1String("ha") && integType != QLatin1String("accuWeather") &&
        integType != QLatin1String("hotkey"))
        throw std::invalid_argument("invalid integType:" + utf8(integType));
}

void ProjectDbIntegrationBean::toJson(nlohmann::json& out) const
{
    out["integType"] = utf8(integType);
}

std::shared_ptr<ProjectDbIntegrationBean> ProjectDbIntegrationBean::parseRecord(const JsonStoreRecord& record)
{
    checkRecordType(record, kRecordType);
    auto bean = std::make_shared<ProjectDbIntegrationBean>();
    bean->fromRecord(record);
    const Columns columns = parseColumns(record);
    bean->integType = readString(columns, "integType");
    return bean;
}

} // namespace OV
