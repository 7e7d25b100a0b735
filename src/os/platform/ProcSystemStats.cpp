#include "os/platform/ProcSystemStats.h"

#include "core/FileUtils.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <algorithm>
#include <cmath>

#include <sys/statvfs.h>

namespace OV {

namespace {

QByteArray readSmallFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QList<QByteArray> fieldsOf(const QByteArray& line)
{
    return line.simplified().split(' ');
}

// /proc/self/mounts writes blanks, tabs, newlines and backslashes in names as octal escapes.
QString decodeMountField(const QByteArray& field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && code < 256) {
                out += char(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QFile::decodeName(out);
}

bool isReadOnlyImage(const QByteArray& type)
{
    static const QSet<QByteArray> kTypes = {"squashfs", "iso9660", "udf", "erofs", "cramfs"};
    return kTypes.contains(type);
}

} // namespace

ProcSystemStats::ProcSystemStats(QString root, FsSizeFunction fsSize)
    : m_root(std::move(root)), m_fsSize(fsSize ? std::move(fsSize) : FsSizeFunction(&ProcSystemStats::statvfsSize))
{}

QString ProcSystemStats::path(const char* relative) const
{
    return QDir(m_root).filePath(QLatin1String(relative));
}

std::optional<SystemStats::CpuTimes> ProcSystemStats::cpuTimes()
{
    const QList<QByteArray> lines = readSmallFile(path("proc/stat")).split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = fieldsOf(line);
        if (fields.isEmpty() || fields.front() != "cpu")
            continue;
        // user nice system idle iowait irq softirq steal; guest time is already part of user.
        if (fields.size() < 5)
            return std::nullopt;
        CpuTimes times;
        for (qsizetype i = 1; i < fields.size() && i <= 8; ++i) {
            bool ok = false;
            const uint64_t value = fields[i].toULongLong(&ok);
            if (!ok)
                return std::nullopt;
            times.total += value;
            if (i == 4 || i == 5)
                times.idle += value;
        }
        return times;
    }
    return std::nullopt;
}

std::optional<int> ProcSystemStats::memoryUsage()
{
    const QList<QByteArray> lines = readSmallFile(path("proc/meminfo")).split('\n');
    std::optional<uint64_t> total, available, free, buffers, cached;
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = fieldsOf(line);
        if (fields.size() < 2)
            continue;
        bool ok = false;
        const uint64_t kb = fields[1].toULongLong(&ok);
        if (!ok)
            continue;
        if (fields[0] == "MemTotal:")
            total = kb;
        else if (fields[0] == "MemAvailable:")
            available = kb;
        else if (fields[0] == "MemFree:")
            free = kb;
        else if (fields[0] == "Buffers:")
            buffers = kb;
        else if (fields[0] == "Cached:")
            cached = kb;
    }
    // Kernels before 3.14 do not report MemAvailable; free plus caches comes close.
    if (!available && free)
        available = *free + buffers.value_or(0) + cached.value_or(0);
    if (!total || *total == 0 || !available)
        return std::nullopt;
    const double used = (double(*total) - double(*available)) * 100.0 / double(*total);
    return int(std::lround(std::clamp(used, 0.0, 100.0)));
}

QStringList ProcSystemStats::storageMounts() const
{
    QStringList mounts;
    QSet<QString> devices;
    const QList<QByteArray> lines = readSmallFile(path("proc/self/mounts")).split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = fieldsOf(line);
        if (fields.size() < 3)
            continue;
        const QString source = decodeMountField(fields[0]);
        const QByteArray& type = fields[2];
        // Storage sits on a block device (ZFS names its pool instead); memory, kernel and
        // network file systems do not.
        const bool storage = source.startsWith(QLatin1String("/dev/")) || type == "zfs";
        if (!storage || isReadOnlyImage(type))
            continue;
        // The same device mounted again (bind mounts, subvolumes) counts once.
        if (devices.contains(source))
            continue;
        devices.insert(source);
        mounts << decodeMountField(fields[1]);
    }
    return mounts;
}

std::optional<int> ProcSystemStats::diskUsage()
{
    uint64_t total = 0;
    uint64_t free = 0;
    for (const QString& mount : storageMounts()) {
        const auto size = m_fsSize(mount);
        if (!size || size->total == 0)
            continue; // an empty drive or a file system that does not answer
        total += size->total;
        free += std::min(size->free, size->total);
    }
    if (total == 0)
        return std::nullopt;
    const double used = (double(total) - double(free)) * 100.0 / double(total);
    return int(std::clamp(used, 0.0, 100.0) + 0.5);
}

std::optional<QString> ProcSystemStats::defaultRouteInterface()
{
    const QList<QByteArray> lines = readSmallFile(path("proc/net/route")).split('\n');
    std::optional<QString> best;
    long long bestMetric = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        // Iface Destination Gateway Flags RefCnt Use Metric Mask ...
        const QList<QByteArray> fields = fieldsOf(lines[i]);
        if (fields.size() < 8)
            continue;
        bool flagsOk = false;
        bool metricOk = false;
        const uint flags = fields[3].toUInt(&flagsOk, 16);
        const long long metric = fields[6].toLongLong(&metricOk);
        const bool isDefault = fields[1] == "00000000" && fields[7] == "00000000";
        const bool up = flagsOk && (flags & 0x1U) != 0;
        if (!isDefault || !up || !metricOk)
            continue;
        const QString name = QString::fromLatin1(fields[0]);
        if (!isSafePathComponent(name))
            continue;
        if (!best || metric < bestMetric) {
            best = name;
            bestMetric = metric;
        }
    }
    return best;
}

std::optional<SystemStats::Traffic> ProcSystemStats::interfaceTraffic(const QString& interface)
{
    if (!isSafePathComponent(interface))
        return std::nullopt;
    const QString dir =
        QDir(m_root).filePath(QLatin1String("sys/class/net/") + interface + QLatin1String("/statistics"));
    bool rxOk = false;
    bool txOk = false;
    Traffic traffic;
    traffic.received = readSmallFile(dir + QLatin1String("/rx_bytes")).trimmed().toULongLong(&rxOk);
    traffic.sent = readSmallFile(dir + QLatin1String("/tx_bytes")).trimmed().toULongLong(&txOk);
    if (!rxOk || !txOk)
        return std::nullopt;
    return traffic;
}

std::optional<ProcSystemStats::FsSize> ProcSystemStats::statvfsSize(const QString& mountPoint)
{
    struct statvfs st
    {};
    if (::statvfs(QFile::encodeName(mountPoint).constData(), &st) != 0)
        return std::nullopt;
    FsSize size;
    size.total = uint64_t(st.f_blocks) * st.f_frsize;
    size.free = uint64_t(st.f_bfree) * st.f_frsize;
    return size;
}

} // namespace OV
