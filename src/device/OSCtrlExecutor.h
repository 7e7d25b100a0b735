#pragma once

#include "device/KestrinMessage.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <string>

namespace OV {

class KestrinDevice;
class OSController;

// Carries out what the hub asks of the PC: PC actions (never answered) and the system
// commands (the queries are answered with their figures). GUI thread only.
class OSCtrlExecutor
{
public:
    // The process-wide executor over the platform's controller; throws where there is none.
    static OSCtrlExecutor* instance();

    explicit OSCtrlExecutor(OSController* controller);

    // Runs payload {"action", "params"}. Throws the JSON library's exceptions for missing keys
    // or wrong types.
    void executePcControl(const KestrinMessage& message, const nlohmann::json& payload);
    static bool isSystemType(const std::string& type);
    // Throws the JSON library's exceptions for a setter's payload of the wrong type.
    void executeSystem(const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message,
                       const std::string& type);
    // {"type": the command's type, "payload": payload}, with the command's id and act, code 200.
    static void reply(const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message,
                      nlohmann::json payload);

private:
    OSController* m_controller;
};

} // namespace OV
