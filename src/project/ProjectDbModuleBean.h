#pragma once

#include "project/ProjectDbJsBean.h"

#include <memory>

namespace OV {

// One pogo-pin module attached to the hub; its per-profile settings live in data.
class ProjectDbModuleBean : public ProjectDbJsBean
{
public:
    static constexpr const char* kRecordType = "module";

    QString gatewayType;
    uint64_t productId = 0;
    QString name;
    QString sn;
    int32_t netId = 0;
    int32_t workMode = 1;
    nlohmann::json extraConfig;

    ProjectDbModuleBean();

    void setExtraConfig(nlohmann::json value) { extraConfig = std::move(value); }

    void validate() const override;
    void toJson(nlohmann::json& out) const override;
    static std::shared_ptr<ProjectDbModuleBean> parseRecord(const JsonStoreRecord& record);
};

} // namespace OV
