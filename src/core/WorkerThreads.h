#pragma once

#include <functional>

namespace OV {

// Background jobs that must not outlive the application: each runs on a thread of its own,
// and the application object waits for all of them before it goes away (any application
// object, through a post routine), so no job runs while static objects are destroyed.
class WorkerThreads
{
public:
    // Runs the body on a new thread; an exception it throws is logged. May throw
    // std::system_error as std::thread does.
    static void start(std::function<void()> body);
    // Waits until every job started so far, and any they start meanwhile, has ended.
    static void waitAll();
    // Jobs started and not yet waited for that are still running.
    static int running();
};

} // namespace OV
