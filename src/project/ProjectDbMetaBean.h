#pragma once

#include "project/ProjectDbJsBean.h"

#include <memory>

namespace OV {

// The project's own description; its record type is "mate" and its keys are snake_case,
// as every stored project has them.
class ProjectDbMetaBean : public ProjectDbJsBean
{
public:
    static constexpr const char* kRecordType = "mate";

    QString create_app_version_name = QStringLiteral("V1.0.0");
    int32_t create_app_version_code = 1;
    int32_t project_data_format_version = 2;

    ProjectDbMetaBean();

    void validate() const override;
    void toJson(nlohmann::json& out) const override;
    static std::shared_ptr<ProjectDbMetaBean> parseRecord(const JsonStoreRecord& record);
};

} // namespace OV
