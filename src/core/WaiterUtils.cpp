#include "core/WaiterUtils.h"

#include <chrono>

namespace OV {

bool WaiterUtils::waitFor(int ms)
{
    std::unique_lock lock(m_mutex);
    bool timedOut = false;
    if (!m_signalled)
        timedOut = !m_cond.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_signalled; });
    m_signalled = false;
    return timedOut;
}

void WaiterUtils::notify()
{
    {
        std::lock_guard lock(m_mutex);
        m_signalled = true;
    }
    m_cond.notify_all();
}

} // namespace OV
