#include "project/ProjectDbMetaBean.h"

namespace OV {

ProjectDbMetaBean::ProjectDbMetaBean() : ProjectDbJsBean(recordTypeName<ProjectDbMetaBean>()) {}

void ProjectDbMetaBean::validate() const
{
    ProjectDbJsBean::validate();
}

void ProjectDbMetaBean::toJson(nlohmann::json& out) const
{
    out["create_app_version_name"] = utf8(create_app_version_name);
    out["create_app_version_code"] = create_app_version_code;
    out["project_data_format_version"] = project_data_format_version;
}

std::shared_ptr<ProjectDbMetaBean> ProjectDbMetaBean::parseRecord(const JsonStoreRecord& record)
{
    checkRecordType(record, kRecordType);
    auto bean = std::make_shared<ProjectDbMetaBean>();
    bean->fromRecord(record);
    const Columns columns = parseColumns(record);
    bean->create_app_version_name = readString(columns, "create_app_version_name");
    bean->create_app_version_code = readNumber<int32_t>(columns, "create_app_version_code");
    bean->project_data_format_version = readNumber<int32_t>(columns, "project_data_format_version");
    return bean;
}

} // namespace OV
