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
// update is reassembled and its MD5 and size checked against the start request; the updated
// module then reports the version its image names (see firmwareImage). Made after a stand-in
// screen cube, it leaves the properties to the cube and sets the versions there.
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

    // One module of every product the program knows, as the runnable stand-in offers them.
    static std::vector<Module> everyProduct();
    // A firmware image as the stand-in's modules take it: "STANDIN-FIRMWARE", the version name
    // in 16 bytes (zero-padded, as in an update file's header), then filler up to `size` bytes.
    // Only the header of an update file names its version, and the hub never receives the
    // header: a module learns its new version from the image itself.
    static QByteArray firmwareImage(const QByteArray& versionName, int size);
    // The version an image names; empty when it is not one of firmwareImage's.
    static std::string imageVersion(const QByteArray& image);

    explicit StandinHubModules(StandinHub& hub);

    void setModules(std::vector<Module> modules) { m_modules = std::move(modules); }
    void setDiscoveryDelayMs(int ms) { m_discoveryDelayMs = ms; }
    // The version property 5 reports for every module (updated ones included); the one a module
    // reports after an update whose image names none.
    void setVersion(const std::string& version);
    void setVersionAfterUpdate(const std::string& version) { m_versionAfterUpdate = version; }
    std::string version(const std::string& serialNumber) const;
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
    void setModuleVersion(const std::string& serialNumber, const std::string& version);

    StandinHub& m_hub;
    StandinPelloraModule* m_cube = nullptr;
    std::vector<Module> m_modules;
    int m_discoveryDelayMs = kDefaultDiscoveryDelayMs;
    std::string m_version = "1.0.0";
    std::string m_versionAfterUpdate;
    std::map<std::string, std::string> m_updatedVersions;
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

// Gives the hub one "can" module of every product (everyProduct) found a second after discovery
// starts, their versions, and firmware updates that are accepted whole, printing their progress
// through `print`.
StandinHubModules* installModuleLifecycle(StandinHub& hub, std::function<void(const std::string&)> print = {});

} // namespace OV::Test
