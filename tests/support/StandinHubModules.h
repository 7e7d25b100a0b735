#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace OV::Test {

class StandinHub;
class StandinPelloraModule;

// The stand-in hub's pogo-pin modules: discovery (acts 30100/30101, pushing 30102 for each
// module a while after discovery starts), the application version (act 30200, property 5) and
// firmware updates (30400 start, 30401 packets), each packet's answer scriptable. A whole
// update is reassembled and its MD5 and size checked against the start request. Made after a
// stand-in screen cube, it leaves the properties to the cube and sets the version there.
class StandinHubModules : public QObject
{
    Q_OBJECT
public:
    using Json = nlohmann::json;

    struct Module
    {
        std::string serialNumber;
        uint64_t productId = 0x10000001;
        int netId = 1;
        int workMode = 0;
        std::string interfaceType = "can";
    };

    // How one packet is answered.
    enum class Packet {
        Accept,         // err 0 (err 16 for an end packet whose image does not check out)
        DataError,      // err 1
        SignatureError, // err 16
        Silent,         // no answer at all
        HubError,       // code 500, "packet refused"
    };

    static constexpr int kDefaultDiscoveryDelayMs = 1000;

    explicit StandinHubModules(StandinHub& hub);

    void setModules(std::vector<Module> modules) { m_modules = std::move(modules); }
    void setDiscoveryDelayMs(int ms) { m_discoveryDelayMs = ms; }
    // The version property 5 reports for every module, and the one it reports after an update.
    void setVersion(const std::string& version);
    void setVersionAfterUpdate(const std::string& version) { m_versionAfterUpdate = version; }
    // The start request's "err"; -1 leaves it unanswered.
    void setStartErr(int err) { m_startErr = err; }
    void setPacketReply(int packNumber, Packet reply) { m_packetScripts[packNumber] = reply; }
    // Holds each packet's answer back this long.
    void setPacketDelayMs(int ms) { m_packetDelayMs = ms; }
    void resetUpdateScripts();
    // Each line it would print about what it does (the runnable stand-in prints them).
    void setPrinter(std::function<void(const std::string&)> print) { m_print = std::move(print); }

    // The last start request's data, the packets as received, the body reassembled so far.
    Json lastStart() const { return m_lastStart; }
    QList<Json> packets() const { return m_packets; }
    QByteArray receivedBody() const { return m_body; }
    int completedUpdates() const { return m_completed; }

signals:
    void updateCompleted(const QByteArray& body);

private:
    void onStart(const Json& request, const std::function<void(int code, const Json& data)>& answer);
    void onPacket(const Json& request, const std::function<void(int code, const Json& data)>& answer);
    void say(const std::string& line) const;

    StandinHub& m_hub;
    StandinPelloraModule* m_cube = nullptr;
    std::vector<Module> m_modules;
    int m_discoveryDelayMs = kDefaultDiscoveryDelayMs;
    std::string m_version = "1.0.0";
    std::string m_versionAfterUpdate;
    int m_startErr = 0;
    int m_packetDelayMs = 0;
    std::map<int, Packet> m_packetScripts;
    std::function<void(const std::string&)> m_print;
    Json m_lastStart = Json::object();
    QList<Json> m_packets;
    QByteArray m_body;
    int m_expectedPacket = 0;
    int m_completed = 0;
    int m_lastPercent = -1;
};

// Gives the hub one "can" Pipwick found a second after discovery starts, its version, and
// firmware updates that are accepted whole, printing their progress through `print`.
StandinHubModules* installModuleLifecycle(StandinHub& hub, std::function<void(const std::string&)> print = {});

} // namespace OV::Test
