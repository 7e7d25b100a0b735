#include "device/KestrinMessage.h"

#include <charconv>
#include <cmath>
#include <string_view>

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
        message->msg = QString::fromStdString(value.at("msg").get<std::string>());
    if (value.contains("data"))
        message->data = std::move(value.at("data"));
    return message;
}

namespace {

// Reads a well-formed envelope straight into a message as the parser meets it: only "data" is
// built as a JSON value, so a received line no longer makes an object of its own first. Anything
// unusual (a missing, repeated or mistyped field, a number that is not a plain integer, a syntax
// error) stops the reader, and the line is read again the long way, which gives the exact
// result or exception.
class EnvelopeReader
{
public:
    using Json = nlohmann::json;

    explicit EnvelopeReader(KestrinMessage& message) : m_message(message), m_dataBuilder(message.data) {}

    // True when the whole line was read into the message.
    bool complete() const { return m_closed && (m_seen & kId) && (m_seen & kAct); }

    bool null()
    {
        return scalar([&] { return m_dataBuilder.null(); });
    }
    bool boolean(bool value)
    {
        return scalar([&] { return m_dataBuilder.boolean(value); });
    }
    bool number_integer(Json::number_integer_t value)
    {
        if (m_field == kAct || m_field == kCode)
            return integer(value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max(),
                           value);
        return scalar([&] { return m_dataBuilder.number_integer(value); });
    }
    bool number_unsigned(Json::number_unsigned_t value)
    {
        if (m_field == kAct || m_field == kCode)
            return integer(value <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max()), int64_t(value));
        return scalar([&] { return m_dataBuilder.number_unsigned(value); });
    }
    bool number_float(Json::number_float_t value, const Json::string_t& text)
    {
        return scalar([&] { return m_dataBuilder.number_float(value, text); });
    }
    bool string(Json::string_t& value)
    {
        if (m_nest == 0 && m_field == kId) {
            m_message.id = std::move(value);
            m_field = kNone;
            return true;
        }
        if (m_nest == 0 && m_field == kMsg) {
            m_message.msg = QString::fromStdString(value);
            m_field = kNone;
            return true;
        }
        return scalar([&] { return m_dataBuilder.string(value); });
    }
    bool binary(Json::binary_t&) { return false; }
    bool start_object(std::size_t elements)
    {
        if (m_depth == 0 && !m_closed) {
            m_depth = 1;
            return true;
        }
        return open([&] { return m_dataBuilder.start_object(elements); });
    }
    bool key(Json::string_t& name)
    {
        if (m_nest > 0)
            return m_field != kData || m_dataBuilder.key(name);
        int field = kOther;
        if (name == "id")
            field = kId;
        else if (name == "act")
            field = kAct;
        else if (name == "code")
            field = kCode;
        else if (name == "msg")
            field = kMsg;
        else if (name == "data")
            field = kData;
        if (field != kOther) {
            if (m_seen & field)
                return false;
            m_seen |= field;
        }
        m_field = field;
        return true;
    }
    bool end_object()
    {
        if (m_nest == 0) {
            if (m_depth != 1 || m_field != kNone)
                return false;
            m_depth = 0;
            m_closed = true;
            return true;
        }
        return close([&] { return m_dataBuilder.end_object(); });
    }
    bool start_array(std::size_t elements)
    {
        return open([&] { return m_dataBuilder.start_array(elements); });
    }
    bool end_array()
    {
        return close([&] { return m_dataBuilder.end_array(); });
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

private:
    enum : int {
        kNone = 0,
        kId = 1,
        kAct = 2,
        kCode = 4,
        kMsg = 8,
        kData = 16,
        kOther = 32,
    };

    bool integer(bool fits, int64_t value)
    {
        if (m_nest != 0 || !fits)
            return false;
        if (m_field == kAct)
            m_message.act = static_cast<int32_t>(value);
        else
            m_message.code = value;
        m_field = kNone;
        return true;
    }
    // A value of "data", or of a field the message does not keep, or a mistyped field.
    template <typename Build>
    bool scalar(Build build)
    {
        if (m_field == kOther)
            return endValue();
        if (m_field != kData || !build())
            return false;
        return endValue();
    }
    template <typename Build>
    bool open(Build build)
    {
        if (m_depth == 0 || (m_field != kData && m_field != kOther))
            return false;
        ++m_nest;
        return m_field == kOther || build();
    }
    template <typename Build>
    bool close(Build build)
    {
        if (m_nest == 0)
            return false;
        --m_nest;
        if (m_field == kData && !build())
            return false;
        return m_nest == 0 ? endValue() : true;
    }
    bool endValue()
    {
        if (m_nest == 0)
            m_field = kNone;
        return true;
    }

    KestrinMessage& m_message;
    nlohmann::detail::json_sax_dom_parser<Json> m_dataBuilder;
    int m_depth = 0;
    int m_nest = 0;
    int m_field = kNone;
    int m_seen = 0;
    bool m_closed = false;
};

// The plainest lines, as the hub writes its short replies: compact, only the five fields, texts of
// printable ASCII without escapes, integers, and "data" empty, null, true, false or such a text.
// They are read by hand; false for anything else, which the general reader takes.
class PlainEnvelope
{
public:
    PlainEnvelope(const char* first, const char* last) : m_p(first), m_end(last) {}

    bool read(KestrinMessage& message)
    {
        if (!take('{'))
            return false;
        int seen = 0;
        do {
            std::string_view key;
            if (!text(key) || !take(':'))
                return false;
            int field = 0;
            if (key == "id" && text(m_text)) {
                field = 1;
                message.id.assign(m_text);
            } else if (key == "act" && integer(message.act)) {
                field = 2;
            } else if (key == "code" && integer(m_code)) {
                field = 4;
                message.code = m_code;
            } else if (key == "msg" && text(m_text)) {
                field = 8;
                message.msg = QString::fromLatin1(m_text.data(), qsizetype(m_text.size()));
            } else if (key == "data" && data(message.data)) {
                field = 16;
            }
            if (field == 0 || (seen & field))
                return false;
            seen |= field;
        } while (take(','));
        return take('}') && m_p == m_end && (seen & 1) && (seen & 2);
    }

private:
    bool take(char c)
    {
        if (m_p == m_end || *m_p != c)
            return false;
        ++m_p;
        return true;
    }
    bool word(std::string_view w)
    {
        if (size_t(m_end - m_p) < w.size() || std::string_view(m_p, w.size()) != w)
            return false;
        m_p += w.size();
        return true;
    }
    bool text(std::string_view& out)
    {
        if (!take('"'))
            return false;
        const char* const start = m_p;
        while (m_p != m_end && *m_p != '"') {
            if (*m_p < 0x20 || *m_p > 0x7e || *m_p == '\\')
                return false;
            ++m_p;
        }
        if (m_p == m_end)
            return false;
        out = std::string_view(start, size_t(m_p - start));
        ++m_p;
        return true;
    }
    // A JSON integer that fits 32 bits; a fraction or exponent is left to the general reader.
    template <typename Int>
    bool integer(Int& out)
    {
        const bool negative = take('-');
        const char* const start = m_p;
        int64_t value = 0;
        while (m_p != m_end && *m_p >= '0' && *m_p <= '9' && m_p - start < 11) {
            value = value * 10 + (*m_p - '0');
            ++m_p;
        }
        const size_t digits = size_t(m_p - start);
        if (digits == 0 || (digits > 1 && *start == '0') || digits > 10)
            return false;
        if (m_p != m_end && (*m_p == '.' || *m_p == 'e' || *m_p == 'E' || (*m_p >= '0' && *m_p <= '9')))
            return false;
        if (negative)
            value = -value;
        if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
            return false;
        out = static_cast<Int>(value);
        return true;
    }
    bool data(nlohmann::json& out)
    {
        if (word("[]"))
            out = nlohmann::json::array();
        else if (word("{}"))
            out = nlohmann::json::object();
        else if (word("null"))
            out = nullptr;
        else if (word("true"))
            out = true;
        else if (word("false"))
            out = false;
        else if (m_p != m_end && *m_p == '"' && text(m_text))
            out = std::string(m_text);
        else
            return false;
        return true;
    }

    const char* m_p;
    const char* const m_end;
    std::string_view m_text;
    int64_t m_code = 0;
};

} // namespace

std::shared_ptr<KestrinMessage> KestrinMessage::parse(const char* first, const char* last)
{
    auto message = std::make_shared<KestrinMessage>();
    if (PlainEnvelope(first, last).read(*message))
        return message;
    *message = KestrinMessage();
    EnvelopeReader reader(*message);
    if (nlohmann::json::sax_parse(first, last, &reader) && reader.complete())
        return message;
    return fromJson(nlohmann::json::parse(first, last));
}

} // namespace OV
