#include "device/OSCtrlExecutor.h"

#include "core/Logger.h"
#include "device/KestrinDevice.h"
#include "os/OSController.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace OV {

namespace {

constexpr const char* kTag = "OSCtrlExecutor";
constexpr int kReplyCode = 200;

const std::array<const char*, 8> kSystemTypes = {"SET_VOLUME", "GET_VOLUME", "SET_MUTE", "GET_MUTE",
                                                 "CPU",        "MEMORY",     "STORAGE",  "NETWORK"};

std::string readString(const nlohmann::json& object, const char* key)
{
    return object.at(key).get<std::string>();
}

} // namespace

OSCtrlExecutor* OSCtrlExecutor::instance()
{
    static OSCtrlExecutor executor(OSController::instance());
    return &executor;
}

OSCtrlExecutor::OSCtrlExecutor(OSController* controller) : m_controller(controller)
{
    if (!m_controller)
        throw std::invalid_argument("no OSController");
}

OSCtrlExecutor::~OSCtrlExecutor()
{
    delete m_settle.data();
}

void OSCtrlExecutor::executePcControl(const KestrinMessage& message, const nlohmann::json& payload)
{
    const std::string action = readString(payload, "action");
    const nlohmann::json& params = payload.at("params");
    Logger::debug(kTag, "pc control %s (id %s)", action.c_str(), message.id.c_str());
    if (action == "openFile") {
        m_controller->openFile(readString(params, "path"));
    } else if (action == "openBrowser") {
        m_controller->openBrowser(readString(params, "url"));
    } else if (action == "startApp") {
        const std::string path = readString(params, "path");
        const int launchMode = KestrinMessage::readInt(params, "launchMode");
        m_controller->startApplication(path, launchMode != 0 ? SingleInstance : NewInstance);
    } else if (action == "inputText") {
        typeText(readString(params, "text"));
    } else if (action == "execCmd") {
        m_controller->execCommand(readString(params, "cmd"), false, nullptr);
    }
}

void OSCtrlExecutor::typeText(std::string text)
{
    m_typing.push_back(std::move(text));
    if (!settleTimer()) {
        // Nothing can wait without an event loop, and no window fetches anything either.
        while (!m_typing.empty())
            typeNext();
    } else if (!m_settle->isActive()) {
        typeNext();
    }
}

void OSCtrlExecutor::typeNext()
{
    if (m_typing.empty())
        return;
    const std::string text = std::move(m_typing.front());
    m_typing.pop_front();
    // Started first, so that a text arriving meanwhile waits its turn. A failed paste waits
    // the same and never holds up the texts behind it.
    if (m_settle)
        m_settle->start();
    try {
        m_controller->inputText(text);
    } catch (const std::exception& e) {
        Logger::warn(kTag, "inputText failed: %s", e.what());
    }
}

QTimer* OSCtrlExecutor::settleTimer()
{
    if (!m_settle) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return nullptr;
        m_settle = new QTimer(app);
        m_settle->setSingleShot(true);
        m_settle->setTimerType(Qt::PreciseTimer);
        m_settle->setInterval(kTypedTextSettleMs);
        QObject::connect(m_settle, &QTimer::timeout, m_settle, [this] { typeNext(); });
    }
    return m_settle;
}

bool OSCtrlExecutor::isSystemType(const std::string& type)
{
    return std::any_of(kSystemTypes.begin(), kSystemTypes.end(), [&type](const char* t) { return type == t; });
}

void OSCtrlExecutor::executeSystem(const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message,
                                   const std::string& type)
{
    if (type == "SET_VOLUME") {
        m_controller->setVolume(KestrinMessage::readInt(message.data, "payload"));
    } else if (type == "GET_VOLUME") {
        reply(device, message, m_controller->getVolume());
    } else if (type == "SET_MUTE") {
        m_controller->setMute(message.data.at("payload").get<bool>());
    } else if (type == "GET_MUTE") {
        reply(device, message, m_controller->isMute());
    } else if (type == "CPU") {
        reply(device, message, m_controller->getCpuUsage());
    } else if (type == "MEMORY") {
        reply(device, message, std::max(m_controller->getMemoryUsage(), 0));
    } else if (type == "STORAGE") {
        reply(device, message, std::max(m_controller->getDiskUsage(), 0));
    } else if (type == "NETWORK") {
        reply(device, message,
              {{"totalReceived", m_controller->getTotalReceivedBytes()},
               {"totalSent", m_controller->getTotalSentBytes()}});
    }
}

void OSCtrlExecutor::reply(const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message,
                           nlohmann::json payload)
{
    KestrinMessage answer = KestrinMessage::makeReply(message.id, message.act);
    answer.code = kReplyCode;
    answer.data = {{"type", message.data.at("type")}, {"payload", std::move(payload)}};
    device->send(answer);
}

} // namespace OV
