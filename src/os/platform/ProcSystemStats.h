#pragma once

#include "os/platform/SystemStats.h"

#include <QStringList>

#include <functional>

namespace OV {

// Figures from /proc and /sys below a root folder ("/" on a running system), file-system
// sizes from statvfs.
class ProcSystemStats : public SystemStats
{
public:
    struct FsSize
    {
        uint64_t total = 0;
        uint64_t free = 0;
    };
    using FsSizeFunction = std::function<std::optional<FsSize>(const QString& mountPoint)>;

    // fsSize empty: statvfs of the mount point.
    explicit ProcSystemStats(QString root = QStringLiteral("/"), FsSizeFunction fsSize = {});

    std::optional<CpuTimes> cpuTimes() override;
    std::optional<int> memoryUsage() override;
    std::optional<int> diskUsage() override;
    std::optional<QString> defaultRouteInterface() override;
    std::optional<Traffic> interfaceTraffic(const QString& interface) override;

    // Mount points of the storage file systems, each device once; pseudo and read-only image
    // file systems are left out.
    QStringList storageMounts() const;

    static std::optional<FsSize> statvfsSize(const QString& mountPoint);

private:
    QString path(const char* relative) const;

    QString m_root;
    FsSizeFunction m_fsSize;
};

} // namespace OV
