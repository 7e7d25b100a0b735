#include "support/StandinPelloraModule.h"

#include <QTimer>

namespace OV::Test {

namespace {

constexpr int kActReadProperty = 30200;
constexpr int kActWriteProperty = 30201;
constexpr int kActStartScan = 1633;
constexpr int kActStopScan = 1634;
constexpr int kActScanResult = 1635;

std::string serialOf(const nlohmann::json& request)
{
    const nlohmann::json data = request.value("data", nlohmann::json::object());
    return data.is_object() && data.value("serialNo", nlohmann::json()).is_string()
               ? data["serialNo"].get<std::string>()
               : std::string();
}

std::pair<int, int> propertyKey(const nlohmann::json& request)
{
    const nlohmann::json data = request.value("data", nlohmann::json::object());
    if (!data.is_object())
        return {-1, -1};
    const auto number = [&](const char* key) {
        const auto found = data.find(key);
        return found != data.end() && found->is_number_integer() ? found->get<int>() : -1;
    };
    return {number("deviceId"), number("propertyId")};
}

} // namespace

StandinPelloraModule::StandinPelloraModule(StandinHub& hub) : QObject(&hub), m_hub(hub)
{
    m_properties[{256, 6}] = 1;
    m_properties[{256, 7}] = "0000";
    m_networks = Json::array({{{"name", "DeskNet"}, {"signal", "EXCELLENT"}, {"frequency", "GHZ_2_4G"}},
                              {{"name", "Kitchen"}, {"signal", "FAIR"}, {"frequency", "2.4G"}},
                              {{"name", "Upstairs 5G"}, {"signal", "GOOD"}, {"frequency", "GHZ_5G"}}});

    hub.setHandler(kActReadProperty, [this](QSslSocket* client, const Json& request) {
        const auto key = propertyKey(request);
        const auto failure = m_failures.find(key);
        if (failure != m_failures.end()) {
            StandinHub::reply(client, request, 500, {{"error", failure->second}});
            return;
        }
        StandinHub::reply(client, request, 200, {{"result", property(serialOf(request), key.first, key.second)}});
    });
    hub.setHandler(kActWriteProperty, [this](QSslSocket* client, const Json& request) {
        const auto key = propertyKey(request);
        const auto failure = m_failures.find(key);
        if (failure != m_failures.end()) {
            StandinHub::reply(client, request, 500, {{"error", failure->second}});
            return;
        }
        const Json data = request.value("data", Json::object());
        const Json value = data.is_object() ? data.value("value", Json()) : Json();
        const auto own = m_moduleProperties.find({serialOf(request), key.first, key.second});
        if (own != m_moduleProperties.end())
            own->second = value;
        else
            m_properties[key] = value;
        ++m_writes;
        StandinHub::reply(client, request, 200);
        emit propertyWritten(QString::fromStdString(serialOf(request)), key.first, key.second, value);
    });
    hub.setHandler(kActStartScan, [this](QSslSocket* client, const Json& request) {
        ++m_scanStarts;
        StandinHub::reply(client, request, 200);
        QTimer::singleShot(m_pushDelayMs, this, [this] { m_hub.push(kActScanResult, 200, m_networks); });
    });
    hub.setHandler(kActStopScan, [this](QSslSocket* client, const Json& request) {
        ++m_scanStops;
        StandinHub::reply(client, request, 200);
    });
}

nlohmann::json StandinPelloraModule::property(int deviceId, int propertyId) const
{
    const auto found = m_properties.find({deviceId, propertyId});
    return found == m_properties.end() ? Json() : found->second;
}

nlohmann::json StandinPelloraModule::property(const std::string& serialNo, int deviceId, int propertyId) const
{
    const auto found = m_moduleProperties.find({serialNo, deviceId, propertyId});
    return found == m_moduleProperties.end() ? property(deviceId, propertyId) : found->second;
}

StandinPelloraModule* installPelloraModule(StandinHub& hub)
{
    return new StandinPelloraModule(hub);
}

} // namespace OV::Test
