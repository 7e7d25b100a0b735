#include "project/ProjectDbJsBean.h"
#include "core/Utils.h"

#include "core/JsonTextReader.h"

#include <utility>

namespace OV {

ProjectDbJsBean::ProjectDbJsBean(QString recordType) : type(std::move(recordType)) {}

void ProjectDbJsBean::validate() const
{
    ProjectDbBean<JsonStoreRecord>::validate();
    if (type.isEmpty())
        throw std::invalid_argument("type is empty");
    if (!data.is_object())
        throw std::invalid_argument("data is not json object");
}

void ProjectDbJsBean::fromRecord(const JsonStoreRecord& record)
{
    ProjectDbBean<JsonStoreRecord>::fromRecord(record);
    type = record.type;
    k1 = record.k1;
    k2 = record.k2;
    k3 = record.k3;
    k4 = record.k4;
    sortId = record.sort_id;
    m_unreadData.reset();
    if (record.data.isNull()) {
        m_unreadData = data;
    } else if (!record.data.isEmpty()) {
        nlohmann::json parsed = JsonTextReader::parse(record.data);
        // Every screen addresses the document by key; another shape is damage, not data.
        if (!parsed.is_object())
            throw std::invalid_argument("data is not json object");
        data = std::move(parsed);
    }
}

void ProjectDbJsBean::writeRecord(JsonStoreRecord& record) const
{
    record.type = type;
    record.k1 = k1;
    record.k2 = k2;
    record.k3 = k3;
    record.k4 = k4;
    nlohmann::json columns;
    toJson(columns);
    record.columns = columns.is_null() ? QStringLiteral("{}") : OV::fromStdText(columns.dump());
    const bool unreadAndUnchanged = m_unreadData && *m_unreadData == data;
    if (!data.is_null() && !unreadAndUnchanged)
        record.data = OV::fromStdText(data.dump());
    record.sort_id = sortId;
}

void ProjectDbJsBean::setData(nlohmann::json value)
{
    if (!value.is_object())
        throw std::invalid_argument("arg 'data' is not json object");
    data = std::move(value);
    m_unreadData.reset();
}

void ProjectDbJsBean::checkRecordType(const JsonStoreRecord& record, const char* expected)
{
    if (record.type != QLatin1String(expected))
        throw std::invalid_argument(std::string("ProjectDbBean-checkRecordType, ") + expected + " expect, but got " +
                                    record.type.toStdString());
}

ProjectDbJsBean::Columns::Columns(const QString& text)
{
    m_members.reserve(8); // every kind has at most seven typed fields
    if (!JsonTextReader::readMembers(text, m_members)) {
        m_members.clear();
        m_whole = JsonTextReader::parse(text);
    }
}

const JsonTextReader::Member* ProjectDbJsBean::Columns::find(const char* key) const
{
    // The last of two equal keys counts, as in the library's object.
    for (auto member = m_members.rbegin(); member != m_members.rend(); ++member) {
        if (member->key == key)
            return &*member;
    }
    return nullptr;
}

bool ProjectDbJsBean::Columns::contains(const char* key) const
{
    return m_whole ? m_whole->contains(key) : find(key) != nullptr;
}

nlohmann::json ProjectDbJsBean::Columns::at(const char* key) const
{
    if (m_whole)
        return m_whole->at(key);
    const JsonTextReader::Member* member = find(key);
    if (!member)
        return nlohmann::json::object().at(key); // the library's "key not found"
    if (member->isText)
        return member->text.toStdString();
    return member->value;
}

const QString* ProjectDbJsBean::Columns::text(const char* key) const
{
    if (m_whole)
        return nullptr;
    const JsonTextReader::Member* member = find(key);
    return member && member->isText ? &member->text : nullptr;
}

ProjectDbJsBean::Columns ProjectDbJsBean::parseColumns(const JsonStoreRecord& record)
{
    return Columns(record.columns);
}

QString ProjectDbJsBean::readString(const Columns& columns, const char* key)
{
    if (const QString* text = columns.text(key))
        return *text;
    const std::string text = columns.at(key).get<std::string>();
    return JsonTextReader::textFromUtf8(text.data(), text.data() + text.size());
}

bool ProjectDbJsBean::readBool(const Columns& columns, const char* key)
{
    return columns.at(key).get<bool>();
}

} // namespace OV
