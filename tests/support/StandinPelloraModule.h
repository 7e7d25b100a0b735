#pragma once

#include "support/StandinHub.h"

#include <QObject>
#include <QString>

#include <nlohmann/json.hpp>

#include <map>
#include <string>
#include <tuple>
#include <utility>

namespace OV::Test {

// A screen cube behind the stand-in hub: its module properties (act 30200 reads, act 30201
// writes; device 256 property 6 the Wi-Fi state, property 7 the Wi-Fi settings as hex text) and
// its Wi-Fi scan (acts 1633/1634, networks pushed with act 1635 after each start). It keeps
// what was written so a person or a test can see it. The property acts name a module: a value
// set for one serial number answers that module alone, the others share the rest.
class StandinPelloraModule : public QObject
{
    Q_OBJECT
public:
    using Json = nlohmann::json;

    explicit StandinPelloraModule(StandinHub& hub);

    // Property values by (device id, property id).
    void setProperty(int deviceId, int propertyId, Json value) { m_properties[{deviceId, propertyId}] = value; }
    Json property(int deviceId, int propertyId) const;
    // A value only the module with that serial number reports.
    void setProperty(const std::string& serialNo, int deviceId, int propertyId, Json value)
    {
        m_moduleProperties[{serialNo, deviceId, propertyId}] = std::move(value);
    }
    Json property(const std::string& serialNo, int deviceId, int propertyId) const;
    // Reads and writes of that property are answered with code 500 and {"error": error}.
    void failProperty(int deviceId, int propertyId, int error) { m_failures[{deviceId, propertyId}] = error; }
    void clearFailures() { m_failures.clear(); }
    // The networks pushed after each scan start.
    void setNetworks(Json networks) { m_networks = std::move(networks); }
    void setPushDelayMs(int ms) { m_pushDelayMs = ms; }
    int writeCount() const { return m_writes; }
    int scanStarts() const { return m_scanStarts; }
    int scanStops() const { return m_scanStops; }

signals:
    void propertyWritten(const QString& serialNo, int deviceId, int propertyId, const nlohmann::json& value);

private:
    StandinHub& m_hub;
    std::map<std::pair<int, int>, Json> m_properties;
    std::map<std::tuple<std::string, int, int>, Json> m_moduleProperties;
    std::map<std::pair<int, int>, int> m_failures;
    Json m_networks;
    int m_pushDelayMs = 50;
    int m_writes = 0;
    int m_scanStarts = 0;
    int m_scanStops = 0;
};

// Serves the screen cube's acts on the hub; the module lives as long as the hub.
StandinPelloraModule* installPelloraModule(StandinHub& hub);

} // namespace OV::Test
