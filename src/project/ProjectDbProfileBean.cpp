#include "project/ProjectDbProfileBean.h"

namespace OV {

ProjectDbProfileBean::ProjectDbProfileBean() : ProjectDbJsBean(recordTypeName<ProjectDbProfileBean>())
{
    data = {{"widgetConfigList", nlohmann::json::array()}, {"moduleConfigList", nlohmann::json::array()}};
}

void ProjectDbProfileBean::validate() const
{
    ProjectDbJsBean::validate();
    if (name.trimmed().isEmpty())
        throw std::invalid_argument("profile name is empty");
    if (!data.at("widgetConfigList").is_array())
        throw std::invalid_argument("data/widgetConfigList is not array");
    if (!data.at("moduleConfigList").is_array())
        throw std::invalid_argument("data/moduleConfigList is not array");
}

void ProjectDbProfileBean::toJson(nlohmann::json& out) const
{
    out["name"] = utf8(name);
    out["showName"] = showName;
    out["icon"] = utf8(icon);
    out["preferred"] = preferred;
}

std::shared_ptr<ProjectDbProfileBean> ProjectDbProfileBean::parseRecord(const JsonStoreRecord& record)
{
    checkRecordType(record, kRecordType);
    auto bean = std::make_shared<ProjectDbProfileBean>();
    bean->fromRecord(record);
    bean->isDefault = bean->k1 == QLatin1String("true");
    bean->k1 = bean->isDefault ? QStringLiteral("true") : QString();
    const Columns columns = parseColumns(record);
    bean->name = readString(columns, "name");
    bean->showName = readBool(columns, "showName");
    bean->icon = readString(columns, "icon");
    bean->preferred = readBool(columns, "preferred");
    return bean;
}

} // namespace OV
