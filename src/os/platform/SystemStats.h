#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace OV {

// Raw figures of the machine, read fresh on each call.
class SystemStats
{
public:
    struct CpuTimes
    {
        uint64_t total = 0; // all time spent, in clock ticks since boot
        uint64_t idle = 0;  // of which idle or waiting for I/O
    };
    struct Traffic
    {
        uint64_t received = 0;
        uint64_t sent = 0;
    };

    virtual ~SystemStats() = default;
    virtual std::optional<CpuTimes> cpuTimes() = 0;
    // Used physical memory in percent, 0 to 100.
    virtual std::optional<int> memoryUsage() = 0;
    // Used space over all storage file systems in percent, rounded half up; nothing when no size is known.
    virtual std::optional<int> diskUsage() = 0;
    // The interface that carries the default route.
    virtual std::optional<QString> defaultRouteInterface() = 0;
    // The interface's byte counters since it came up.
    virtual std::optional<Traffic> interfaceTraffic(const QString& interface) = 0;
};

} // namespace OV
