#pragma once

#include "project/ProjectDbJsBean.h"

#include <memory>

namespace OV {

// One outside service or hotkey set; its settings live in data.
class ProjectDbIntegrationBean : public ProjectDbJsBean
{
public:
    static constexpr const char* kRecordType = "integration";

    QString integType;

    ProjectDbIntegrationBean();

    void validate() const override;
    void toJson(nlohmann::json& out) const override;
    static std::shared_ptr<ProjectDbIntegrationBean> parseRecord(const JsonStoreRecord& record);
};

} // namespace OV
