#include "device/KestrinMessage.h"
#include "core/Utils.h"

#include "core/JsonTextReader.h"

#include <charconv>
#include <cmath>

namespace OV {

namespace {

uint64_t g_nextMessageId = 0;

} // namespace

// Refuses what does not fit instead of letting the conversion wrap or overflow.
int32_t KestrinMessage::readInt(const nlohmann::json& value, const char* key)
{
    const nlohmann::json& field = value.at(key);
    if (!field.is_number())
        throw nlohmann::json::type_error::create(
            302, std::string("type must be number, but is ") + field.type_name() + " (" + key + ")", &field);
    if (field.is_number_unsigned()) {
        const uint64_t v = field.get<uint64_t>();
        if (v <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
            return static_cast<int32_t>(v);
    } else if (field.is_number_integer()) {
        const int64_t v = field.get<int64_t>();
        if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max())
            return static_cast<int32_t>(v);
    } else {
        const double v = field.get<double>();
        if (std::isfinite(v) && v > static_cast<double>(std::numeric_limits<int32_t>::min()) - 1.0 &&
            v < static_cast<double>(std::numeric_limits<int32_t>::max()) + 1.0)
            return static_cast<int32_t>(v);
    }
    throw nlohmann::json::out_of_range::create(406, std::string("value out of range (") + key + ")", &field);
}

std::string KestrinMessage::nextId()
{
    return std::to_string(g_nextMessageId++);
}

KestrinMessage KestrinMessage::create(int32_t act, nlohmann::json data)
{
    KestrinMessage message;
    message.id = nextId();
    message.act = act;
    message.data = std::move(data);
    return message;
}

KestrinMessage KestrinMessage::makeReply(std::string id, int32_t act)
{
    KestrinMessage message;
    message.id = std::move(id);
    message.act = act;
    return message;
}

namespace {

// Text the JSON library would write between quotes unchanged: printable ASCII but '"' and '\\'.
bool plainJsonText(const std::string& text)
{
    for (const char c : text) {
        if (c < 0x20 || c > 0x7e || c == '"' || c == '\\')
            return false;
    }
    return true;
}

void appendJsonString(std::string& out, const std::string& text)
{
    if (plainJsonText(text)) {
        out += '"';
        out += text;
        out += '"';
    } else {
        out += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
    }
}

template <typename Int>
void appendInt(std::string& out, Int value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof(digits), value).ptr;
    out.append(digits, size_t(end - digits));
}

} // namespace

// Byte for byte what dumping an object of these members writes (keys in sorted order, compact),
// without building that object and copying "data" into it for every message sent.
std::string KestrinMessage::toJson() const
{
    std::string out;
    out.reserve(64);
    out += "{\"act\":";
    appendInt(out, act);
    if (hasCode()) {
        out += ",\"code\":";
        appendInt(out, code);
    }
    if (data.is_string()) {
        // Most requests carry one text: written as the library writes a text value.
        out += ",\"data\":";
        appendJsonString(out, data.get_ref<const std::string&>());
    } else if (!data.is_null()) {
        out += ",\"data\":";
        out += data.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
    }
    out += ",\"id\":";
    appendJsonString(out, id);
    if (hasCode() && !msg.isEmpty()) {
        out += ",\"msg\":";
        appendJsonString(out, msg.toStdString());
    }
    out += '}';
    return out;
}

std::shared_ptr<KestrinMessage> KestrinMessage::fromJson(nlohmann::json value)
{
    auto message = std::make_shared<KestrinMessage>();
    message->id = value.at("id").get<std::string>();
    message->act = readInt(value, "act");
    if (value.contains("code"))
        message->code = readInt(value, "code");
    if (value.contains("msg"))
        message->msg = OV::fromStdText(value.at("msg").get<std::string>());
    if (value.contains("data"))
        message->data = std::move(value.at("data"));
    return message;
}

std::shared_ptr<KestrinMessage> KestrinMessage::parse(const char* first, const char* last)
{
    return fromJson(JsonTextReader::parse(first, last));
}

} // namespace OV
