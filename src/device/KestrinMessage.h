#pragma once

#include <QString>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

namespace OV {

// One line of the hub protocol: {"act", "code", "data", "id", "msg"}.
class KestrinMessage
{
public:
    static constexpr int64_t kCodeAbsent = std::numeric_limits<int64_t>::min();

    std::string id;
    int32_t act = 0;
    int64_t code = kCodeAbsent;
    QString msg;
    nlohmann::json data;

    bool hasCode() const { return code != kCodeAbsent; }

    // A message the desktop originates: the next id of the process-wide counter.
    static KestrinMessage create(int32_t act, nlohmann::json data = nullptr);
    // The process-wide message-id counter as decimal text; each call takes the next value.
    // GUI thread only.
    static std::string nextId();

    static KestrinMessage makeReply(std::string id, int32_t act);

    // Compact, keys sorted, UTF-8 unescaped; no line feed.
    std::string toJson() const;
    // Throws the JSON library's exceptions for a missing or mistyped "id", "act", "code" or "msg".
    static std::shared_ptr<KestrinMessage> fromJson(nlohmann::json value);
    // fromJson(parse(text)), with the same result and the same exceptions.
    static std::shared_ptr<KestrinMessage> parse(const char* first, const char* last);

    // Reads object[key] as a 32-bit integer: a JSON number in range (a fraction is cut off).
    // Throws the JSON library's exceptions for a missing key, another type or a value that
    // does not fit.
    static int32_t readInt(const nlohmann::json& object, const char* key);
};

} // namespace OV
