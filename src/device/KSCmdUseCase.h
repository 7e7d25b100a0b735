#pragma once

#include "device/KestrinMessage.h"

#include <memory>

namespace OV {

class KestrinDevice;
class OSCtrlExecutor;

// Carries out one command the hub sends to the PC (act 1000000), sorted by its "type": "TEST"
// is echoed, "PC_CONTROL" and the system commands go to the executor. A malformed command is
// logged and dropped, so the listener that hands commands over keeps working. GUI thread only.
class KSCmdUseCase
{
public:
    static constexpr int kActCommand = 1000000;

    static KSCmdUseCase* instance();

    // Null: the process-wide executor, taken on first use.
    explicit KSCmdUseCase(OSCtrlExecutor* executor = nullptr);

    // Replies, where the command calls for one, go to the device. Never throws.
    void process(const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message);

private:
    void dispatch(const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message);
    OSCtrlExecutor* executor();

    OSCtrlExecutor* m_executor;
};

} // namespace OV
