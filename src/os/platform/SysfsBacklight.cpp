#include "os/platform/SysfsBacklight.h"

#include "core/Logger.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>

namespace OV {

namespace {

const char* const kTag = "SysfsBacklight";

std::optional<long long> readNumber(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool ok = false;
    const long long value = file.readAll().trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

SysfsBacklight::SysfsBacklight(QString sysRoot) : m_sysRoot(std::move(sysRoot)) {}

std::optional<SysfsBacklight::Device> SysfsBacklight::device() const
{
    const QDir base(m_sysRoot + QLatin1String("/class/backlight"));
    // The entries are links to the devices: list them whatever they point at.
    const QStringList names = base.entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const QString dir = base.filePath(name);
        const auto max = readNumber(dir + QLatin1String("/max_brightness"));
        if (max && *max > 0)
            return Device{dir, *max};
    }
    Logger::warn(kTag, "no backlight device");
    return std::nullopt;
}

std::optional<int> SysfsBacklight::brightness()
{
    const auto dev = device();
    if (!dev)
        return std::nullopt;
    const auto value = readNumber(dev->dir + QLatin1String("/brightness"));
    if (!value || *value < 0)
        return std::nullopt;
    return int(std::clamp(std::lround(double(*value) * 100.0 / double(dev->max)), 0L, 100L));
}

bool SysfsBacklight::setBrightness(int percent)
{
    if (percent < 0 || percent > 100)
        return false;
    const auto dev = device();
    if (!dev)
        return false;
    const long long raw = std::llround(double(percent) * double(dev->max) / 100.0);
    // A device attribute takes one write in place; it cannot be replaced the way a saved file is.
    QFile file(dev->dir + QLatin1String("/brightness"));
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray::number(raw)) < 0 || !file.flush()) {
        Logger::warn(kTag, "cannot set the brightness: %s", file.errorString().toUtf8().constData());
        return false;
    }
    return true;
}

} // namespace OV
