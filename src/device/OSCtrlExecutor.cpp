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
    delete m_cap.data();
}

void OSCtrlExecutor::executePcControl(const KestrinMessage& message, const nlohmann::json& payload)
{
    const std::string action = readString(payload, "action");
    const nlohmann::json& params = payload.at("params");
    Logger::debug(kTag, "pc control %s (id %s)", action.c_str(), message.id.c_str());
    OSController* os = m_controller;
    if (action == "openFile") {
        enqueue({[os, path = readString(params, "path")] { os->openFile(path); }, {}});
    } else if (action == "openBrowser") {
        enqueue({[os, url = readString(params, "url")] { os->openBrowser(url); }, {}});
    } else if (action == "startApp") {
        const std::string path = readString(params, "path");
        const OSAppLaunchMode mode = KestrinMessage::readInt(params, "launchMode") != 0 ? SingleInstance : NewInstance;
        enqueue({[os, path, mode] { os->startApplication(path, mode); }, {}});
    } else if (action == "inputText") {
        enqueue({{}, readString(params, "text")});
    } else if (action == "execCmd") {
        enqueue({[os, cmd = readString(params, "cmd")] { os->execCommand(cmd, false, nullptr); }, {}});
    }
}

void OSCtrlExecutor::enqueue(PcAction action)
{
    m_queue.push_back(std::move(action));
    if (!m_waiting)
        runQueue();
}

void OSCtrlExecutor::runQueue()
{
    while (!m_waiting && !m_queue.empty()) {
        PcAction action = std::move(m_queue.front());
        m_queue.pop_front();
        // A later action may run from a timer: nothing may escape into the event loop.
        try {
            if (action.run)
                action.run();
            else
                typeText(action.text);
        } catch (const std::exception& e) {
            Logger::warn(kTag, "pc control failed: %s", e.what());
        }
    }
}

void OSCtrlExecutor::typeText(const std::string& text)
{
    const uint64_t serial = ++m_textSerial;
    QTimer* cap = capTimer();
    if (!cap) {
        // Nothing can wait without an event loop, and no window fetches anything either.
        m_controller->inputText(text);
        return;
    }
    // Waiting before the paste: a failed or throwing one ends the wait below at once.
    m_waiting = true;
    cap->start();
    bool pasted = false;
    try {
        pasted = m_controller->inputText(text);
    } catch (const std::exception& e) {
        Logger::warn(kTag, "inputText failed: %s", e.what());
    }
    if (!pasted) {
        // Nothing will fetch a text that was not offered.
        textDone(serial);
        return;
    }
    std::weak_ptr<char> alive = m_alive;
    m_controller->whenTypedTextFetched([this, alive, serial] {
        if (alive.expired())
            return;
        textDone(serial);
        runQueue();
    });
}

void OSCtrlExecutor::textDone(uint64_t serial)
{
    if (!m_waiting || serial != m_textSerial)
        return;
    m_waiting = false;
    if (m_cap)
        m_cap->stop();
}

QTimer* OSCtrlExecutor::capTimer()
{
    if (!m_cap) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return nullptr;
        m_cap = new QTimer(app);
        m_cap->setSingleShot(true);
        m_cap->setTimerType(Qt::PreciseTimer);
        m_cap->setInterval(kTypedTextCapMs);
        QObject::connect(m_cap, &QTimer::timeout, m_cap, [this] {
            Logger::debug(kTag, "no window fetched the typed text");
            textDone(m_textSerial);
            runQueue();
        });
    }
    return m_cap;
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
