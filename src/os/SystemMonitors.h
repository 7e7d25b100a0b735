#pragma once

#include "os/platform/SystemStats.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace OV {

// Three background threads that sample CPU utilisation (every second), disk usage (every 3 s)
// and the network interface's byte counters (every second) into atomics, so that readers
// answer at once. Each monitor starts once; stop() ends and joins the threads.
class SystemMonitors
{
public:
    struct Options
    {
        std::chrono::milliseconds cpuPeriod = std::chrono::seconds(1);
        std::chrono::milliseconds diskPeriod = std::chrono::seconds(3);
        std::chrono::milliseconds networkPeriod = std::chrono::seconds(1);
        // Starts a thread; may throw std::system_error like std::thread does.
        std::function<std::thread(std::function<void()>)> startThread;
    };

    explicit SystemMonitors(std::shared_ptr<SystemStats> stats);
    SystemMonitors(std::shared_ptr<SystemStats> stats, Options options);
    ~SystemMonitors();
    SystemMonitors(const SystemMonitors&) = delete;
    SystemMonitors& operator=(const SystemMonitors&) = delete;

    // The monitors of this machine, stopped when the application object is destroyed (or at
    // process exit when there is none).
    static SystemMonitors* instance();

    void startCpuMonitor();
    void startDiskMonitor();
    void startNetworkMonitor();
    // Wakes and joins the threads; the monitors do not start again afterwards.
    void stop();

    int cpuUsage() const { return m_cpu.load(); }
    int diskUsage() const { return m_disk.load(); }
    uint64_t totalReceivedBytes() const { return m_received.load(); }
    uint64_t totalSentBytes() const { return m_sent.load(); }

    // Threads that have been started and not yet joined.
    int threadCount() const;

private:
    bool launch(std::thread& slot, std::atomic<bool>& running, const char* name, std::function<void()> body);
    // Waits for the period; false when the monitors are stopping.
    bool pause(std::chrono::milliseconds period);
    void cpuLoop(SystemStats::CpuTimes previous);
    void diskLoop();
    void networkLoop();

    std::shared_ptr<SystemStats> m_stats;
    Options m_options;

    std::atomic<int> m_cpu{0};
    std::atomic<int> m_disk{0};
    std::atomic<uint64_t> m_received{0};
    std::atomic<uint64_t> m_sent{0};

    std::atomic<bool> m_cpuRunning{false};
    std::atomic<bool> m_diskRunning{false};
    std::atomic<bool> m_networkRunning{false};

    mutable std::mutex m_mutex; // guards the threads and m_stopping
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_cpuThread;
    std::thread m_diskThread;
    std::thread m_networkThread;
};

} // namespace OV
