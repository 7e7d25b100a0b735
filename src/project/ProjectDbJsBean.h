#pragma once

#include "core/JsonTextReader.h"
#include "project/JsonStoreRecord.h"
#include "project/ProjectDbBean.h"

#include <QString>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace OV {

// A stored object of one kind: the row's generic part (type, keys, position, free JSON
// document) plus the kind's typed fields, which travel as one JSON object in the row's
// columns text.
class ProjectDbJsBean : public ProjectDbBean<JsonStoreRecord>
{
public:
    QString type;
    QString k1;
    QString k2;
    QString k3;
    QString k4;
    int64_t sortId = 2147483647;
    nlohmann::json data = nlohmann::json::object();

    explicit ProjectDbJsBean(QString recordType);

    void validate() const override;
    void fromRecord(const JsonStoreRecord& record) override;
    void writeRecord(JsonStoreRecord& record) const override;
    // Fills the given value with the kind's typed fields.
    virtual void toJson(nlohmann::json& out) const = 0;

    // Replaces the document; anything but a JSON object is refused and changes nothing.
    void setData(nlohmann::json value);

    // Throws std::invalid_argument when the record is not of the expected type.
    static void checkRecordType(const JsonStoreRecord& record, const char* expected);

protected:
    // A row's columns object, read for its typed fields. Its string members are kept as text,
    // not as JSON values turned into text again; a text that is not a plain object is kept as
    // the library reads it. Lookups behave as the library's on the whole object: a missing key
    // or a value of another kind throws the library's exception.
    class Columns
    {
    public:
        // Throws the library's parse error on a malformed text.
        explicit Columns(const QString& text);
        bool contains(const char* key) const;
        nlohmann::json at(const char* key) const;
        // The text of a string member; null when the member is missing or not a string.
        const QString* text(const char* key) const;

    private:
        const JsonTextReader::Member* find(const char* key) const;

        std::vector<JsonTextReader::Member> m_members;
        std::optional<nlohmann::json> m_whole;
    };

    // The kind's type string, one shared copy for all its beans.
    template <typename Kind>
    static const QString& recordTypeName()
    {
        static const QString name = QString::fromLatin1(Kind::kRecordType);
        return name;
    }

    static Columns parseColumns(const JsonStoreRecord& record);
    static QString readString(const Columns& columns, const char* key);
    static bool readBool(const Columns& columns, const char* key);
    // A JSON number of any kind that fits T; a number outside T's range is refused rather
    // than silently changed.
    template <typename T>
    static T readNumber(const Columns& columns, const char* key);
    static std::string utf8(const QString& text) { return text.toStdString(); }

private:
    // When the row was read without its document, the document as it stood then: writing the
    // bean back with that document unchanged leaves the stored one alone.
    std::optional<nlohmann::json> m_unreadData;
};

template <typename T>
T ProjectDbJsBean::readNumber(const Columns& columns, const char* key)
{
    const nlohmann::json value = columns.at(key);
    bool inRange = true;
    if (value.is_number_float()) {
        const double number = value.get<double>();
        inRange = number == number && number >= static_cast<double>(std::numeric_limits<T>::min()) &&
                  number < static_cast<double>(std::numeric_limits<T>::max()) + 1.0;
    } else if (value.is_number_unsigned()) {
        inRange = value.get<uint64_t>() <= static_cast<uint64_t>(std::numeric_limits<T>::max());
    } else if (value.is_number_integer()) {
        const int64_t number = value.get<int64_t>();
        if constexpr (std::numeric_limits<T>::is_signed)
            inRange = number >= static_cast<int64_t>(std::numeric_limits<T>::min()) &&
                      number <= static_cast<int64_t>(std::numeric_limits<T>::max());
        else
            inRange = number >= 0;
    }
    if (!inRange)
        throw std::out_of_range(std::string(key) + " is out of range: " + value.dump());
    return value.get<T>();
}

} // namespace OV
