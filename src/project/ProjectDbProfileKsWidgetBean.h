#pragma once

#include "project/ProjectDbJsBean.h"

#include <memory>

namespace OV {

// One card placed on a profile's hub screen; k1 is the owning profile's id in decimal and
// sortId the card's place. The card's settings live in data.
class ProjectDbProfileKsWidgetBean : public ProjectDbJsBean
{
public:
    static constexpr const char* kRecordType = "profileKsWidget";

    // Mirrors k1; the row keeps k1, so it is set through setProfileId, which sets both.
    int64_t profileId = 0;
    QString name;
    QString icon;
    QString widgetType;
    QString uid;

    ProjectDbProfileKsWidgetBean();

    void setProfileId(int64_t id);

    void validate() const override;
    void toJson(nlohmann::json& out) const override;
    static std::shared_ptr<ProjectDbProfileKsWidgetBean> parseRecord(const JsonStoreRecord& record);
};

} // namespace OV
