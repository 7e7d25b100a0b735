#pragma once

#include "device/KestrinMessage.h"

#include <QPointer>

#include <nlohmann/json.hpp>

#include <deque>
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
    // How long a typed text stays offered before the next one replaces it: the focused window
    // fetches it only once our paste keys reach it, and fetches it from this process, whose
    // event loop must answer first. An xterm on the test X server lost texts at 10 ms and
    // never at 15 ms; ten times that leaves room for a busy desktop and is still not felt when
    // a name and then a password are typed.
    static constexpr int kTypedTextSettleMs = 150;

    // The process-wide executor over the platform's controller; throws where there is none.
    static OSCtrlExecutor* instance();

    explicit OSCtrlExecutor(OSController* controller);
    ~OSCtrlExecutor();
    OSCtrlExecutor(const OSCtrlExecutor&) = delete;
    OSCtrlExecutor& operator=(const OSCtrlExecutor&) = delete;

    // Runs payload {"action", "params"}. Throws the JSON library's exceptions for missing keys
    // or wrong types. Texts to type are typed in the order received, each after the one before
    // has settled (kTypedTextSettleMs); the first at once. The others do not wait for them.
    void executePcControl(const KestrinMessage& message, const nlohmann::json& payload);
    static bool isSystemType(const std::string& type);
    // Throws the JSON library's exceptions for a setter's payload of the wrong type.
    void executeSystem(const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message,
                       const std::string& type);
    // {"type": the command's type, "payload": payload}, with the command's id and act, code 200.
    static void reply(const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message,
                      nlohmann::json payload);

private:
    void typeText(std::string text);
    void typeNext();
    // Null without an application, whose event loop is needed to wait.
    QTimer* settleTimer();

    OSController* m_controller;
    std::deque<std::string> m_typing;
    // Owned by the application: the shared executor outlives it.
    QPointer<QTimer> m_settle;
};

} // namespace OV
