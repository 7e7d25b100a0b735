#pragma once

#include "device/KestrinMessage.h"

#include <QPointer>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

class QTimer;

namespace OV {

class KestrinDevice;
class OSController;

// Carries out what the hub asks of the PC: PC actions (never answered) and the system
// commands (the queries are answered with their figures). GUI thread only.
class OSCtrlExecutor
{
public:
    // A typed text stays offered until the focused window has fetched it; where no fetch is
    // seen (no window with a text field has the focus, or the platform cannot tell) the next
    // action goes after this long. An xterm on the test X server lost texts at a fixed 10 ms
    // and never at 15 ms.
    static constexpr int kTypedTextCapMs = 150;

    // The process-wide executor over the platform's controller; throws where there is none.
    static OSCtrlExecutor* instance();

    explicit OSCtrlExecutor(OSController* controller);
    ~OSCtrlExecutor();
    OSCtrlExecutor(const OSCtrlExecutor&) = delete;
    OSCtrlExecutor& operator=(const OSCtrlExecutor&) = delete;

    // Runs payload {"action", "params"}. Throws the JSON library's exceptions for missing keys
    // or wrong types, before anything runs. The actions run in the order received: one that
    // arrives while a typed text waits to be fetched (at most kTypedTextCapMs) waits behind it.
    void executePcControl(const KestrinMessage& message, const nlohmann::json& payload);
    static bool isSystemType(const std::string& type);
    // Throws the JSON library's exceptions for a setter's payload of the wrong type.
    void executeSystem(const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message,
                       const std::string& type);
    // {"type": the command's type, "payload": payload}, with the command's id and act, code 200.
    static void reply(const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message,
                      nlohmann::json payload);

private:
    struct PcAction
    {
        std::function<void()> run;
        std::string text; // what inputText types; run is empty then
    };

    void enqueue(PcAction action);
    void runQueue();
    void typeText(const std::string& text);
    void textDone(uint64_t serial);
    // Null without an application, whose event loop is needed to wait.
    QTimer* capTimer();

    OSController* m_controller;
    std::deque<PcAction> m_queue;
    bool m_waiting = false;
    uint64_t m_textSerial = 0;
    // Owned by the application: the shared executor outlives it.
    QPointer<QTimer> m_cap;
    // A fetch reported after this executor is gone finds it expired.
    std::shared_ptr<char> m_alive = std::make_shared<char>();
};

} // namespace OV
