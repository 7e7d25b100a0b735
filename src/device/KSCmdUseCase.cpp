#include "device/KSCmdUseCase.h"

#include "core/Logger.h"
#include "device/KestrinDevice.h"
#include "device/OSCtrlExecutor.h"

#include <stdexcept>
#include <string>

namespace OV {

namespace {

constexpr const char* kTag = "KSCmdUseCase";
constexpr int kReplyCode = 200;

} // namespace

KSCmdUseCase* KSCmdUseCase::instance()
{
    static KSCmdUseCase useCase;
    return &useCase;
}

KSCmdUseCase::KSCmdUseCase(OSCtrlExecutor* executor) : m_executor(executor) {}

OSCtrlExecutor* KSCmdUseCase::executor()
{
    return m_executor ? m_executor : OSCtrlExecutor::instance();
}

void KSCmdUseCase::process(const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message)
{
    // One bad command from the hub must not end the handling of the ones that follow.
    try {
        dispatch(device, message);
    } catch (const std::exception& e) {
        Logger::error(kTag, "process error:%s", e.what());
    } catch (...) {
        Logger::error(kTag, "process error:%s", "unknown");
    }
}

void KSCmdUseCase::dispatch(const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message)
{
    if (!device)
        throw std::invalid_argument("no hub session");
    const std::string type = message.data.at("type").get<std::string>();
    if (type == "TEST") {
        Logger::debug(kTag, "process Test message");
        KestrinMessage answer = KestrinMessage::makeReply(message.id, message.act);
        answer.code = kReplyCode;
        answer.data = message.data;
        device->send(answer);
    } else if (type == "PC_CONTROL") {
        Logger::debug(kTag, "process OSCtrl message");
        executor()->executePcControl(message, message.data.at("payload"));
    } else if (OSCtrlExecutor::isSystemType(type)) {
        executor()->executeSystem(device, message, type);
    }
}

} // namespace OV
