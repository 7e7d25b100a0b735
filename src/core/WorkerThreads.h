#pragma once

#include <functional>

namespace OV {

// Background jobs that must not outlive the application: each runs on a thread of its own,
// and the application object asks them to stop and waits for all of them before it goes away
// (any application object, through a post routine), so no job runs while static objects are
// destroyed. A job that waits long checks stopRequested() and waits through WaiterUtils, whose
// waits a stop ends at once.
class WorkerThreads
{
public:
    // Runs the body on a new thread; an exception it throws is logged. May throw
    // std::system_error as std::thread does.
    static void start(std::function<void()> body);
    // Waits until every job started so far, and any they start meanwhile, has ended.
    static void waitAll();
    // Asks the jobs to stop and wakes their waits, waits for them all, then clears the request.
    static void stopAndWaitAll();
    static void requestStop();
    static bool stopRequested();
    // Jobs started and not yet waited for that are still running.
    static int running();
};

} // namespace OV
