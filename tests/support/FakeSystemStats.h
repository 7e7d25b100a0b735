#pragma once

#include "os/platform/SystemStats.h"

#include <atomic>
#include <mutex>

namespace OV::Test {

// Scripted figures, safe to change while monitor threads read them.
class FakeSystemStats : public SystemStats
{
public:
    std::optional<CpuTimes> cpuTimes() override
    {
        std::lock_guard<std::mutex> lock(mutex);
        ++cpuReads;
        return cpu;
    }
    std::optional<int> memoryUsage() override
    {
        std::lock_guard<std::mutex> lock(mutex);
        return memory;
    }
    std::optional<int> diskUsage() override
    {
        std::lock_guard<std::mutex> lock(mutex);
        ++diskReads;
        return disk;
    }
    std::optional<QString> defaultRouteInterface() override
    {
        std::lock_guard<std::mutex> lock(mutex);
        return route;
    }
    std::optional<Traffic> interfaceTraffic(const QString& interface) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!route || interface != *route)
            return std::nullopt;
        return traffic;
    }

    std::mutex mutex;
    std::optional<CpuTimes> cpu = CpuTimes{1000, 800};
    std::optional<int> memory = 40;
    std::optional<int> disk = 55;
    std::optional<QString> route = QStringLiteral("eth0");
    std::optional<Traffic> traffic = Traffic{100, 200};
    std::atomic<int> cpuReads{0};
    std::atomic<int> diskReads{0};
};

} // namespace OV::Test
