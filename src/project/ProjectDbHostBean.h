#pragma once

#include "project/ProjectDbJsBean.h"

#include <memory>

namespace OV {

// The paired hub; a project keeps at most one.
class ProjectDbHostBean : public ProjectDbJsBean
{
public:
    static constexpr const char* kRecordType = "host";

    QString connType;
    QString name;
    QString ip;
    int32_t port = 0;
    QString sn;
    QString token;

    ProjectDbHostBean();

    void validate() const override;
    void toJson(nlohmann::json& out) const override;
    static std::shared_ptr<ProjectDbHostBean> parseRecord(const JsonStoreRecord& record);
};

} // namespace OV
