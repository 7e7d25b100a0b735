#pragma once

#include <condition_variable>
#include <mutex>

namespace OV {

// One-shot signal with a time-out: a worker waits, the GUI thread notifies.
// A notify that comes before the wait is kept for exactly one wait.
// A wait also ends at once when the workers are asked to stop (WorkerThreads::requestStop).
class WaiterUtils
{
public:
    // True when the time-out ran out or the workers are asked to stop, false when notified.
    bool waitFor(int ms);
    void notify();

    // Wakes every wait in progress; WorkerThreads calls it once its stop flag is set.
    static void wakeAllForStop();

private:
    std::mutex m_mutex;
    std::condition_variable m_cond;
    bool m_signalled = false;
};

} // namespace OV
