#include "project/ProjectDbProfileKsWidgetBean.h"

#include <string>

namespace OV {

namespace {

// The key as the program writes it (decimal digits, no sign, no leading zero, at most 18 so
// that it fits): read directly, and already in its canonical spelling.
bool readCanonicalId(const QString& key, int64_t& id)
{
    if (key.isEmpty() || key.size() > 18 || (key.size() > 1 && key.front() == u'0'))
        return false;
    int64_t value = 0;
    for (const QChar c : key) {
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c.unicode() - u'0');
    }
    id = value;
    return true;
}

} // namespace

ProjectDbProfileKsWidgetBean::ProjectDbProfileKsWidgetBean()
    : ProjectDbJsBean(recordTypeName<ProjectDbProfileKsWidgetBean>())
{}

void ProjectDbProfileKsWidgetBean::setProfileId(int64_t id)
{
    profileId = id;
    k1 = QString::number(id);
}

void ProjectDbProfileKsWidgetBean::validate() const
{
    ProjectDbJsBean::validate();
    bool ok = false;
    k1.toLongLong(&ok, 10);
    if (!ok)
        throw std::invalid_argument("invalid profileId(k1):" + utf8(k1));
    if (widgetType.trimmed().isEmpty())
        throw std::invalid_argument("widgetType is empty");
    if (uid.trimmed().isEmpty())
        throw std::invalid_argument("uid is empty");
}

void ProjectDbProfileKsWidgetBean::toJson(nlohmann::json& out) const
{
    out["name"] = utf8(name);
    out["icon"] = utf8(icon);
    out["widgetType"] = utf8(widgetType);
    out["uid"] = utf8(uid);
}

std::shared_ptr<ProjectDbProfileKsWidgetBean> ProjectDbProfileKsWidgetBean::parseRecord(const JsonStoreRecord& record)
{
    checkRecordType(record, kRecordType);
    auto bean = std::make_shared<ProjectDbProfileKsWidgetBean>();
    bean->fromRecord(record);
    if (!readCanonicalId(bean->k1, bean->profileId)) {
        try {
            bean->profileId = std::stoll(bean->k1.toStdString(), nullptr, 10);
        } catch (const std::invalid_argument&) {
            throw std::invalid_argument("invalid stoll argument");
        } catch (const std::out_of_range&) {
            throw std::out_of_range("stoll argument out of range");
        }
        bean->setProfileId(bean->profileId);
    }
    const Columns columns = parseColumns(record);
    bean->name = columns.contains("name") ? readString(columns, "name") : QString();
    bean->icon = columns.contains("icon") ? readString(columns, "icon") : QString();
    bean->widgetType = readString(columns, "widgetType");
    bean->uid = readString(columns, "uid");
    return bean;
}

} // namespace OV
