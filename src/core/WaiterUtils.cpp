#include "core/WaiterUtils.h"

#include "core/WorkerThreads.h"

#include <chrono>
#include <set>

namespace OV {

namespace {

// The waits in progress, so that a stop can wake them. Never destroyed: workers may wait while
// static objects go away.
std::mutex g_waitingMutex;
std::set<WaiterUtils*>& g_waiting = *new std::set<WaiterUtils*>();

} // namespace

bool WaiterUtils::waitFor(int ms)
{
    {
        std::lock_guard lock(g_waitingMutex);
        g_waiting.insert(this);
    }
    bool timedOut = false;
    {
        std::unique_lock lock(m_mutex);
        if (!m_signalled) {
            // The stop flag is set before the waits are woken under their own lock, so a stop is
            // either seen here or wakes this wait.
            timedOut = !m_cond.wait_for(lock, std::chrono::milliseconds(ms), [this] {
                return m_signalled || WorkerThreads::stopRequested();
            }) || !m_signalled;
        }
        m_signalled = false;
    }
    std::lock_guard lock(g_waitingMutex);
    g_waiting.erase(this);
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

void WaiterUtils::wakeAllForStop()
{
    std::lock_guard waitingLock(g_waitingMutex);
    for (WaiterUtils* waiter : g_waiting) {
        // Taken and left: a wait between its check and its sleep cannot miss the wake-up.
        {
            std::lock_guard lock(waiter->m_mutex);
        }
        waiter->m_cond.notify_all();
    }
}

} // namespace OV
