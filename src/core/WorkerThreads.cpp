#include "core/WorkerThreads.h"

#include "core/Logger.h"
#include "core/WaiterUtils.h"

#include <QCoreApplication>

#include <atomic>
#include <exception>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace OV {

namespace {

struct Worker
{
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
};

std::mutex g_mutex;
std::atomic<bool> g_stopRequested{false};
// Never destroyed: a worker still listed at exit must not end the process from a destructor.
std::list<Worker>& g_workers = *new std::list<Worker>();

// Joins the workers that have ended; their threads are about to return, so this is quick.
void reapEnded()
{
    for (auto it = g_workers.begin(); it != g_workers.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = g_workers.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace

void WorkerThreads::start(std::function<void()> body)
{
    // Any application object, also one that is not ours, waits for the workers as it goes.
    if (QCoreApplication::instance()) {
        qRemovePostRoutine(&WorkerThreads::stopAndWaitAll);
        qAddPostRoutine(&WorkerThreads::stopAndWaitAll);
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    reapEnded();
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([body = std::move(body), done]() mutable {
        try {
            body();
        } catch (const std::exception& e) {
            Logger::error("WorkerThreads", "worker error:%s", e.what());
        }
        // What the body holds goes before the thread counts as ended.
        body = nullptr;
        done->store(true);
    });
    g_workers.push_back({std::move(thread), std::move(done)});
}

void WorkerThreads::waitAll()
{
    for (;;) {
        std::list<Worker> taken;
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            taken.splice(taken.end(), g_workers);
        }
        if (taken.empty())
            return;
        for (Worker& worker : taken)
            worker.thread.join();
    }
}

void WorkerThreads::stopAndWaitAll()
{
    requestStop();
    waitAll();
    // A later application object starts afresh.
    g_stopRequested.store(false);
}

void WorkerThreads::requestStop()
{
    g_stopRequested.store(true);
    WaiterUtils::wakeAllForStop();
}

bool WorkerThreads::stopRequested()
{
    return g_stopRequested.load();
}

int WorkerThreads::running()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    int count = 0;
    for (const Worker& worker : g_workers)
        count += worker.done->load() ? 0 : 1;
    return count;
}

} // namespace OV
