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
            // Other properties are answered as the hub's default answer has them.
            StandinHub::reply(client, request, 200,
                              {{"result", property == kVersionProperty ? m_version : std::string("1.0.0")}});
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

void StandinHubModules::setVersion(const std::string& version)
{
    m_version = version;
    if (m_cube)
        m_cube->setProperty(kVersionDevice, kVersionProperty, version);
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
            if (!m_versionAfterUpdate.empty())
                setVersion(m_versionAfterUpdate);
            say("   firmware update complete, module reports " + m_version);
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
    modules->setModules({StandinHubModules::Module{"PW-STANDIN-01", 0x10000001, 1, 0, "can"}});
    modules->setVersionAfterUpdate("1.0.1");
    modules->setPrinter(std::move(print));
    return modules;
}

} // namespace OV::Test
