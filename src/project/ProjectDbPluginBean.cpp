#include "project/ProjectDbPluginBean.h"

#include <string>

namespace OV {

ProjectDbPluginBean::ProjectDbPluginBean() : ProjectDbJsBean(recordTypeName<ProjectDbPluginBean>()) {}

void ProjectDbPluginBean::validate() const
{
    ProjectDbJsBean::validate();
    if (k1.trimmed().isEmpty())
        throw std::invalid_argument("invalid uuid(k1):" + utf8(k1));
    if (k2.trimmed().isEmpty())
        throw std::invalid_argument("empty type(k2):" + utf8(k2));
    bool ok = false;
    const int parsedType = k2.toInt(&ok, 10);
    if (!ok || (parsedType != 0 && parsedType != 1))
        throw std::invalid_argument("invalid type(k2):" + utf8(k2));
    if (versionCode < 0)
        throw std::invalid_argument("invalid versionCode:" + std::to_string(versionCode));
}

void ProjectDbPluginBean::toJson(nlohmann::json& out) const
{
    out["icon"] = utf8(icon);
    out["name"] = utf8(name);
    out["author"] = utf8(author);
    out["versionName"] = utf8(versionName);
    out["versionCode"] = versionCode;
    out["desc"] = utf8(desc);
    out["official"] = official;
}

std::shared_ptr<ProjectDbPluginBean> ProjectDbPluginBean::parseRecord(const JsonStoreRecord& record)
{
    checkRecordType(record, kRecordType);
    auto bean = std::make_shared<ProjectDbPluginBean>();
    bean->fromRecord(record);
    if (!bean->k2.isEmpty()) {
        try {
            bean->pluginType = std::stoi(bean->k2.toStdString(), nullptr, 10);
        } catch (const std::invalid_argument&) {
            throw std::invalid_argument("invalid stoi argument");
        } catch (const std::out_of_range&) {
            throw std::out_of_range("stoi argument out of range");
        }
    }
    bean->k2 = QString::number(bean->pluginType);
    const Columns columns = parseColumns(record);
    bean->icon = readString(columns, "icon");
    bean->name = readString(columns, "name");
    bean->author = readString(columns, "author");
    bean->versionName = readString(columns, "versionName");
    bean->versionCode = readNumber<int64_t>(columns, "versionCode");
    bean->desc = readString(columns, "desc");
    bean->official = readNumber<int32_t>(columns, "official");
    return bean;
}

} // namespace OV
