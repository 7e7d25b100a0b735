#pragma once

#include "project/ProjectDbJsBean.h"

#include <memory>

namespace OV {

// One installed plug-in: k1 its uuid, k2 its type as decimal text (0 marks a widget
// plug-in); its configuration document lives in data.
class ProjectDbPluginBean : public ProjectDbJsBean
{
public:
    static constexpr const char* kRecordType = "plugin";

    // Mirrors k2; the row keeps k2, so code that sets one sets the other.
    int32_t pluginType = 0;
    QString icon;
    QString name;
    QString author;
    QString versionName;
    int64_t versionCode = -1;
    QString desc;
    int32_t official = 0;

    ProjectDbPluginBean();

    void validate() const override;
    void toJson(nlohmann::json& out) const override;
    static std::shared_ptr<ProjectDbPluginBean> parseRecord(const JsonStoreRecord& record);
};

} // namespace OV
