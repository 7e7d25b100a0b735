#include "support/StandinHubModules.h"

#include "support/StandinHub.h"
#include "support/StandinPelloraModule.h"

#include <QCryptographicHash>
#include <QPointer>
#include <QSslSocket>
#include <QTimer>

namespace OV::Test {

namespace {

constexpr int kActStartDiscovery = 30100;
constexpr int kActStopDiscovery = 30101;
constexpr int kActModuleDiscovered = 30102;
constexpr int kActReadProperty = 30200;
constexpr int kActStartOta = 30400;
constexpr int kActOtaData = 30401;
constexpr int kVersionDevice = 0;
constexpr int kVersionProperty = 5;
constexpr char kImageMagic[] = "STANDIN-FIRMWARE";
constexpr int kImageMagicSize = 16;
constexpr int kImageVersionSize = 16;

} // namespace

StandinHubModules::StandinHubModules(StandinHub& hub) : QObject(&hub), m_hub(hub)
{
    m_hub.setHandler(kActStartDiscovery, [this](QSslSocket* client, const Json& request) {
        StandinHub::reply(client, request, 200);
        say("   module discovery started");
        QTimer::singleShot(m_discoveryDelayMs, this, [this] {
            for (const Module& module : m_modules) {
                m_hub.push(kActModuleDiscovered, 200,
                           {{"interfaceType", module.interfaceType},
                            {"serialNumber", module.serialNumber},
                            {"productId", module.productId},
                            {"netId", module.netId},
                            {"workMode", module.workMode}});
                say("   module found: " + module.serialNumber);
            }
        });
    });
    m_hub.setHandler(kActStopDiscovery, [this](QSslSocket* client, const Json& request) {
        StandinHub::reply(client, request, 200);
        say("   module discovery stopped");
    });
    // A screen cube already serves the module properties: the version becomes one of them.
    m_cube = m_hub.findChild<StandinPelloraModule*>();
    if (m_cube) {
        m_cube->setProperty(kVersionDevice, kVersionProperty, m_version);
    } else {
        m_hub.setHandler(kActReadProperty, [this](QSslSocket* client, const Json& request) {
            const Json data = request.value("data", Json::object());
            const int property = data.is_object() ? data.value("propertyId", -1) : -1;
            const Json serial = data.is_object() ? data.value("serialNo", Json()) : Json();
            // Other properties are answered as the hub's default answer has them.
            StandinHub::reply(
                client, request, 200,
                {{"result", property == kVersionProperty ? version(serial.is_string() ? serial.get<std::string>() : "")
                                                         : std::string("1.0.0")}});
        });
    }
    const auto answerer = [](QSslSocket* client, const Json& request) {
        const QPointer<QSslSocket> socket(client);
        return [socket, request](int code, const Json& data) {
            if (socket)
                StandinHub::reply(socket, request, code, data,
                                  code == 200 ? QString() : QStringLiteral("packet refused"));
        };
    };
    m_hub.setHandler(kActStartOta, [this, answerer](QSslSocket* client, const Json& request) {
        onStart(request, answerer(client, request));
    });
    m_hub.setHandler(kActOtaData, [this, answerer](QSslSocket* client, const Json& request) {
        onPacket(request, answerer(client, request));
    });
}

std::vector<StandinHubModules::Module> StandinHubModules::everyProduct()
{
    return {Module{"PW-STANDIN-01", 0x10000001, 1, 0, "can"}, Module{"RL-STANDIN-01", 0x10000002, 2, 0, "can"},
            Module{"PL-STANDIN-01", 0x10000003, 3, 0, "can"}, Module{"TH-STANDIN-01", 0x10000004, 4, 0, "can"},
            Module{"WK-STANDIN-01", 0x10000005, 5, 0, "can"}};
}

QByteArray StandinHubModules::firmwareImage(const QByteArray& versionName, int size)
{
    QByteArray image =
        QByteArray(kImageMagic, kImageMagicSize) + versionName.leftJustified(kImageVersionSize, '\0', true);
    // A filler that is not all one byte, so that a packet lost or sent twice changes the MD5.
    for (int i = int(image.size()); i < size; ++i)
        image.append(char('a' + i % 26));
    return image;
}

std::string StandinHubModules::imageVersion(const QByteArray& image)
{
    if (image.size() < kImageMagicSize + kImageVersionSize ||
        !image.startsWith(QByteArray(kImageMagic, kImageMagicSize)))
        return {};
    const QByteArray field = image.mid(kImageMagicSize, kImageVersionSize);
    const qsizetype end = field.indexOf('\0');
    return (end < 0 ? field : field.left(end)).toStdString();
}

void StandinHubModules::setVersion(const std::string& version)
{
    m_version = version;
    if (m_cube) {
        m_cube->setProperty(kVersionDevice, kVersionProperty, version);
        for (const auto& [serial, updated] : m_updatedVersions)
            m_cube->setProperty(serial, kVersionDevice, kVersionProperty, version);
    }
    m_updatedVersions.clear();
}

std::string StandinHubModules::version(const std::string& serialNumber) const
{
    const auto found = m_updatedVersions.find(serialNumber);
    return found == m_updatedVersions.end() ? m_version : found->second;
}

void StandinHubModules::setModuleVersion(const std::string& serialNumber, const std::string& version)
{
    m_updatedVersions[serialNumber] = version;
    if (m_cube)
        m_cube->setProperty(serialNumber, kVersionDevice, kVersionProperty, version);
}

void StandinHubModules::resetUpdateScripts()
{
    m_startErr = 0;
    m_packetDelayMs = 0;
    m_packetScripts.clear();
}

void StandinHubModules::say(const std::string& line) const
{
    if (m_print)
        m_print(line);
}

void StandinHubModules::onStart(const Json& request, const std::function<void(int, const Json&)>& answer)
{
    m_lastStart = request.value("data", Json::object());
    if (!m_lastStart.is_object())
        m_lastStart = Json::object();
    m_packets.clear();
    m_body.clear();
    m_expectedPacket = 0;
    m_lastPercent = -1;
    const std::string epSn = m_lastStart.value("epSn", std::string());
    say("   firmware update of " + epSn + ": " + std::to_string(m_lastStart.value("fileSize", 0)) +
        " bytes in packets of " + std::to_string(m_lastStart.value("packSize", 0)));
    if (m_startErr >= 0)
        answer(200, {{"epSn", epSn}, {"err", m_startErr}});
}

void StandinHubModules::onPacket(const Json& request, const std::function<void(int, const Json&)>& answer)
{
    Json data = request.value("data", Json::object());
    if (!data.is_object())
        data = Json::object();
    m_packets << data;
    const int number = data.value("packNumber", -1);
    const bool end = data.value("isEndPack", false);
    const auto script = m_packetScripts.find(number);
    const Packet kind = script == m_packetScripts.end() ? Packet::Accept : script->second;

    int err = 0;
    switch (kind) {
    case Packet::Silent:
        say("   firmware packet " + std::to_string(number) + " left unanswered");
        return;
    case Packet::HubError:
        answer(500, nullptr);
        return;
    case Packet::DataError:
        err = 1;
        break;
    case Packet::SignatureError:
        err = 16;
        break;
    case Packet::Accept: {
        const QByteArray bytes = QByteArray::fromHex(QByteArray::fromStdString(data.value("data", std::string())));
        if (number != m_expectedPacket) {
            err = 1;
            break;
        }
        ++m_expectedPacket;
        m_body += bytes;
        const int fileSize = m_lastStart.value("fileSize", 0);
        const int percent = fileSize > 0 ? int(qint64(m_body.size()) * 100 / fileSize) : 100;
        if (percent / 10 != m_lastPercent / 10 || end) {
            m_lastPercent = percent;
            say("   firmware " + std::to_string(m_body.size()) + "/" + std::to_string(fileSize) + " bytes (" +
                std::to_string(percent) + "%)");
        }
        if (end) {
            const std::string md5 =
                QCryptographicHash::hash(m_body, QCryptographicHash::Md5).toHex().toUpper().toStdString();
            if (m_body.size() != fileSize || md5 != m_lastStart.value("fileMD5", std::string())) {
                say("   firmware image does not check out");
                err = 16;
                break;
            }
            ++m_completed;
            const std::string epSn = m_lastStart.value("epSn", std::string());
            const std::string named = imageVersion(m_body);
            if (!named.empty())
                setModuleVersion(epSn, named);
            else if (!m_versionAfterUpdate.empty())
                setModuleVersion(epSn, m_versionAfterUpdate);
            say("   firmware update complete, " + epSn + " reports " + version(epSn) +
                (named.empty() ? " (the image names no version)" : ""));
            emit updateCompleted(m_body);
        }
        break;
    }
    }
    const Json reply = {{"err", err}};
    if (m_packetDelayMs > 0)
        QTimer::singleShot(m_packetDelayMs, this, [answer, reply] { answer(200, reply); });
    else
        answer(200, reply);
}

StandinHubModules* installModuleLifecycle(StandinHub& hub, std::function<void(const std::string&)> print)
{
    auto* modules = new StandinHubModules(hub);
    modules->setModules(StandinHubModules::everyProduct());
    modules->setPrinter(std::move(print));
    return modules;
}

} // namespace OV::Test
