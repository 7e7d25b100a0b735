#include "os/SystemMonitors.h"

#include "core/Logger.h"
#include "os/platform/ProcSystemStats.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <exception>

namespace OV {

namespace {

const char* const kTag = "SystemMonitors";

std::thread startStdThread(std::function<void()> body)
{
    return std::thread(std::move(body));
}

SystemMonitors& machineMonitors()
{
    static SystemMonitors monitors(std::make_shared<ProcSystemStats>());
    return monitors;
}

// Called while the application object is destroyed.
void stopMachineMonitors()
{
    machineMonitors().stop();
}

} // namespace

SystemMonitors::SystemMonitors(std::shared_ptr<SystemStats> stats) : SystemMonitors(std::move(stats), Options()) {}

SystemMonitors::SystemMonitors(std::shared_ptr<SystemStats> stats, Options options)
    : m_stats(std::move(stats)), m_options(std::move(options))
{
    if (!m_options.startThread)
        m_options.startThread = startStdThread;
}

SystemMonitors::~SystemMonitors()
{
    stop();
}

SystemMonitors* SystemMonitors::instance()
{
    // The threads must be gone before the application object is: they log, and nothing else
    // may run while the process tears down its globals. Without an application object they
    // are joined when the process exits.
    static std::atomic<bool> hooked{false};
    if (!hooked.load() && QCoreApplication::instance() && !hooked.exchange(true))
        qAddPostRoutine(stopMachineMonitors);
    return &machineMonitors();
}

int SystemMonitors::threadCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_cpuThread.joinable()) + int(m_diskThread.joinable()) + int(m_networkThread.joinable());
}

bool SystemMonitors::launch(std::thread& slot, std::atomic<bool>& running, const char* name, std::function<void()> body)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stopping) {
        Logger::warn(kTag, "%s monitor not started: the monitors have been stopped", name);
        return false;
    }
    if (running.exchange(true))
        return false;
    try {
        slot = m_options.startThread(std::move(body));
    } catch (const std::exception& e) {
        running = false;
        Logger::error(kTag, "cannot start the %s monitor thread: %s", name, e.what());
        return false;
    }
    return true;
}

bool SystemMonitors::pause(std::chrono::milliseconds period)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_wake.wait_for(lock, period, [this] { return m_stopping; });
}

void SystemMonitors::startCpuMonitor()
{
    if (m_cpuRunning.load())
        return;
    // A first sample, so that the first figure has one to compare with.
    const auto first = m_stats->cpuTimes();
    if (!first) {
        Logger::warn(kTag, "CPU times cannot be read: the CPU figure stays 0");
        return;
    }
    launch(m_cpuThread, m_cpuRunning, "CPU", [this, previous = *first] { cpuLoop(previous); });
}

void SystemMonitors::startDiskMonitor()
{
    launch(m_diskThread, m_diskRunning, "disk", [this] { diskLoop(); });
}

void SystemMonitors::startNetworkMonitor()
{
    launch(m_networkThread, m_networkRunning, "network", [this] { networkLoop(); });
}

void SystemMonitors::stop()
{
    std::thread cpu;
    std::thread disk;
    std::thread network;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        cpu = std::move(m_cpuThread);
        disk = std::move(m_diskThread);
        network = std::move(m_networkThread);
    }
    m_wake.notify_all();
    for (std::thread* t : {&cpu, &disk, &network}) {
        if (t->joinable())
            t->join();
    }
}

void SystemMonitors::cpuLoop(SystemStats::CpuTimes previous)
{
    do {
        const auto now = m_stats->cpuTimes();
        // No time passed or a counter went back: the sample is not used and the figure stays.
        if (now && now->total > previous.total && now->idle >= previous.idle) {
            const double total = double(now->total - previous.total);
            const double idle = std::min(double(now->idle - previous.idle), total);
            m_cpu.store(int(std::lround((total - idle) * 100.0 / total)));
            previous = *now;
        }
    } while (pause(m_options.cpuPeriod));
}

void SystemMonitors::diskLoop()
{
    do {
        if (const auto usage = m_stats->diskUsage())
            m_disk.store(*usage);
    } while (pause(m_options.diskPeriod));
}

void SystemMonitors::networkLoop()
{
    // The interface is chosen once: the one that carries the default route now.
    const auto interface = m_stats->defaultRouteInterface();
    if (!interface) {
        Logger::warn(kTag, "no default route: the network figures stay 0");
        return;
    }
    auto traffic = m_stats->interfaceTraffic(*interface);
    if (!traffic) {
        Logger::warn(kTag, "no counters for %s: the network figures stay 0", interface->toUtf8().constData());
        return;
    }
    do {
        if (traffic) {
            m_received.store(traffic->received);
            m_sent.store(traffic->sent);
        }
        if (!pause(m_options.networkPeriod))
            break;
        traffic = m_stats->interfaceTraffic(*interface);
    } while (true);
}

} // namespace OV
