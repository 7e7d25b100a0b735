#include "device/HubLineLog.h"

#include "core/JsonTextReader.h"

#include <nlohmann/json.hpp>

#include <QByteArrayView>

#include <algorithm>
#include <cctype>
#include <utility>

namespace OV {

namespace {

using Json = nlohmann::json;

constexpr int kActCheckToken = 100;
constexpr int kActReadProperty = 30200;
constexpr int kActWriteProperty = 30201;
constexpr int kWifiDeviceId = 256;
constexpr int kWifiConfigProperty = 7;
constexpr size_t kRememberedReplies = 64;

bool isSecretKey(const std::string& key)
{
    std::string lower(key);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == "token" || lower == "password" || lower == "apikey";
}

Json hidden(const Json& value)
{
    if (value.is_string())
        return "<hidden, " + std::to_string(value.get_ref<const std::string&>().size()) + " bytes>";
    return "<hidden>";
}

void hideSecrets(Json& value)
{
    if (value.is_object()) {
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (isSecretKey(it.key()))
                it.value() = hidden(it.value());
            else
                hideSecrets(it.value());
        }
    } else if (value.is_array()) {
        for (Json& element : value)
            hideSecrets(element);
    }
}

int intOf(const Json& object, const char* key)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_number_integer() ? found->get<int>() : -1;
}

std::string idOf(const Json& message)
{
    const auto found = message.find("id");
    return found != message.end() && found->is_string() ? found->get<std::string>() : std::string();
}

bool isWifiConfig(const Json& data)
{
    return data.is_object() && intOf(data, "deviceId") == kWifiDeviceId &&
           intOf(data, "propertyId") == kWifiConfigProperty;
}

std::string notJson(const QByteArray& line)
{
    return "<" + std::to_string(line.size()) + " bytes, not a JSON object>";
}

// The quick reader gives up on very deep nesting: walking or printing such a value recursively
// would exhaust the stack, so the log shows its length instead.
Json objectOf(const QByteArray& line)
{
    Json message;
    if (!JsonTextReader::read(line.constBegin(), line.constEnd(), message))
        return Json();
    return message;
}

std::string text(const Json& message)
{
    return message.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool containsNoCase(QByteArrayView text, QByteArrayView lowerWord)
{
    return std::search(text.begin(), text.end(), lowerWord.begin(), lowerWord.end(),
                       [](char a, char b) { return (a | 0x20) == b; }) != text.end();
}

// Whether the line can be shown as it is, unread: printable ASCII without escapes (so a secret's
// member name can only be written out plainly) and without those names anywhere, shaped as an
// object. Most lines are such; reading and writing out each one again would cost a good part of
// a request.
bool plain(const QByteArray& line)
{
    if (!line.startsWith('{') || !line.endsWith('}'))
        return false;
    for (const char c : line) {
        if (uchar(c) < 0x20 || uchar(c) > 0x7E || c == '\\')
            return false;
    }
    return !containsNoCase(line, "token") && !containsNoCase(line, "password") && !containsNoCase(line, "apikey");
}

// The act of a line this program wrote, which starts {"act":N; -1 for any other start.
int leadingAct(const QByteArray& line)
{
    constexpr QByteArrayView kStart("{\"act\":");
    if (!line.startsWith(kStart))
        return -1;
    int act = 0;
    qsizetype i = kStart.size();
    for (; i < line.size() && i < kStart.size() + 9 && line[i] >= '0' && line[i] <= '9'; ++i)
        act = act * 10 + (line[i] - '0');
    return i > kStart.size() && i < line.size() && (line[i] == ',' || line[i] == '}') ? act : -1;
}

// Remembers a request's id; the oldest go first past a small bound, so requests never answered
// do not pile up.
void remember(std::deque<std::string>& ids, std::string id)
{
    if (ids.size() >= kRememberedReplies)
        ids.pop_front();
    ids.push_back(std::move(id));
}

// Whether the id was remembered; it is forgotten.
bool take(std::deque<std::string>& ids, const std::string& id)
{
    const auto found = std::find(ids.begin(), ids.end(), id);
    if (found == ids.end())
        return false;
    ids.erase(found);
    return true;
}

} // namespace

std::string HubLineLog::sent(const QByteArray& line)
{
    const int act = leadingAct(line);
    if (act >= 0 && act != kActCheckToken && act != kActReadProperty && act != kActWriteProperty && plain(line))
        return line.toStdString();
    Json message = objectOf(line);
    if (!message.is_object())
        return notJson(line);
    const auto data = message.find("data");
    if (data != message.end()) {
        const int act = intOf(message, "act");
        if (act == kActCheckToken) {
            *data = hidden(*data);
        } else if (act == kActWriteProperty && isWifiConfig(*data)) {
            if (data->contains("value"))
                (*data)["value"] = hidden((*data)["value"]);
        } else if (act == kActReadProperty) {
            if (std::string id = idOf(message); !id.empty()) {
                const std::lock_guard<std::mutex> lock(m_mutex);
                remember(isWifiConfig(*data) ? m_secretReplies : m_plainReads, std::move(id));
            }
        }
        hideSecrets(*data);
    }
    return text(message);
}

std::string HubLineLog::received(const QByteArray& line)
{
    // A second "act" would be the one read (the last of equal keys counts).
    const int act = leadingAct(line);
    if (act >= 0 && act != kActReadProperty && line.indexOf("\"act\"", 2) < 0 && plain(line)) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_secretReplies.empty())
            return line.toStdString();
    }
    Json message = objectOf(line);
    if (!message.is_object())
        return notJson(line);
    const std::string id = idOf(message);
    bool secret = false;
    {
        // A property read's reply not tied to a read of another property than the Wi-Fi setting
        // may hold that setting: its request may have been sent before the log began, or have
        // been forgotten.
        const std::lock_guard<std::mutex> lock(m_mutex);
        const bool secretRead = take(m_secretReplies, id);
        const bool plainRead = take(m_plainReads, id);
        secret = secretRead || (intOf(message, "act") == kActReadProperty && !plainRead);
    }
    const auto data = message.find("data");
    if (secret && data != message.end())
        *data = hidden(*data);
    hideSecrets(message);
    return text(message);
}

} // namespace OV
