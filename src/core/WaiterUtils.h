#pragma once

#include <condition_variable>
#include <mutex>

namespace OV {

// One-shot signal with a time-out: a worker waits, the GUI thread notifies.
// A notify that comes before the wait is kept for exactly one wait.
class WaiterUtils
{
public:
    // True when the time-out ran out, false when notified.
    bool waitFor(int ms);
    void notify();

private:
    std::mutex m_mutex;
    std::condition_variable m_cond;
    bool m_signalled = false;
};

} // namespace OV
