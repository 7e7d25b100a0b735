#include "device/KestrinMessage.h"

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

std::string KestrinMessage::toJson() const
{
    nlohmann::json object = nlohmann::json::object();
    object["id"] = id;
    object["act"] = act;
    if (hasCode()) {
        object["code"] = code;
        if (!msg.isEmpty())
            object["msg"] = msg.toStdString();
    }
    if (!data.is_null())
        object["data"] = data;
    return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
}

std::shared_ptr<KestrinMessage> KestrinMessage::fromJson(nlohmann::json value)
{
    auto message = std::make_shared<KestrinMessage>();
    message->id = value.at("id").get<std::string>();
    message->act = readInt(value, "act");
    if (value.contains("code"))
        message->code = readInt(value, "code");
    if (value.contains("msg"))
        message->msg = QString::fromStdString(value.at("msg").get<std::string>());
    if (value.contains("data"))
        message->data = std::move(value.at("data"));
    return message;
}

} // namespace OV
