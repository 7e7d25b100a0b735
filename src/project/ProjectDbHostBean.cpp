#include "project/ProjectDbHostBean.h"

#include <QRegularExpression>

namespace OV {

ProjectDbHostBean::ProjectDbHostBean() : ProjectDbJsBean(recordTypeName<ProjectDbHostBean>()) {}

void ProjectDbHostBean::validate() const
{
    ProjectDbJsBean::validate();
    if (connType != QLatin1String("tcp") && connType != QLatin1String("usb"))
        throw std::invalid_argument("invalid connType:" + utf8(connType));
    if (connType == QLatin1String("tcp")) {
        // Anchored with \A and \z so that a trailing line break does not pass.
        static const QRegularExpression ipv4(
            QStringLiteral("\\A((25[0-5]|2[0-4]\\d|1?\\d?\\d)\\.){3}(25[0-5]|2[0-4]\\d|1?\\d?\\d)\\z"));
        if (ip.isNull() || !ipv4.match(ip).hasMatch())
            throw std::invalid_argument("invalid ip:" + utf8(ip));
        if (port < 1)
            throw std::invalid_argument("invalid port:" + std::to_string(port));
    }
}

void ProjectDbHostBean::toJson(nlohmann::json& out) const
{
    out["connType"] = utf8(connType);
    out["name"] = utf8(name);
    out["ip"] = utf8(ip);
    out["port"] = port;
    out["sn"] = utf8(sn);
    out["token"] = utf8(token);
}

std::shared_ptr<ProjectDbHostBean> ProjectDbHostBean::parseRecord(const JsonStoreRecord& record)
{
    checkRecordType(record, kRecordType);
    auto bean = std::make_shared<ProjectDbHostBean>();
    bean->fromRecord(record);
    const Columns columns = parseColumns(record);
    bean->connType = readString(columns, "connType");
    bean->name = readString(columns, "name");
    bean->ip = readString(columns, "ip");
    bean->port = readNumber<int32_t>(columns, "port");
    bean->sn = readString(columns, "sn");
    bean->token = readString(columns, "token");
    return bean;
}

} // namespace OV
