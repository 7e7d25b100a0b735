#pragma once

#include "os/platform/Backlight.h"

#include <QString>

namespace OV {

// The first device under <sys>/class/backlight, in name order.
class SysfsBacklight : public Backlight
{
public:
    explicit SysfsBacklight(QString sysRoot = QStringLiteral("/sys"));

    std::optional<int> brightness() override;
    bool setBrightness(int percent) override;

private:
    struct Device
    {
        QString dir;
        long long max = 0;
    };
    std::optional<Device> device() const;

    QString m_sysRoot;
};

} // namespace OV
