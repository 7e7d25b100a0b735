#pragma once

#include "project/ProjectDbJsBean.h"

#include <memory>

namespace OV {

// One profile: a hub screen layout with its module bindings. k1 is "true" for the
// project's default profile and empty otherwise.
class ProjectDbProfileBean : public ProjectDbJsBean
{
public:
    static constexpr const char* kRecordType = "profile";

    // Mirrors k1; the row keeps k1, so code that sets one sets the other.
    bool isDefault = false;
    QString name;
    bool showName = true;
    QString icon;
    bool preferred = false;

    ProjectDbProfileBean();

    void validate() const override;
    void toJson(nlohmann::json& out) const override;
    static std::shared_ptr<ProjectDbProfileBean> parseRecord(const JsonStoreRecord& record);
};

} // namespace OV
