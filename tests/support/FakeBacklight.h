#pragma once

#include "os/platform/Backlight.h"

namespace OV::Test {

// A backlight that holds its value, or none at all.
class FakeBacklight : public Backlight
{
public:
    std::optional<int> brightness() override { return available ? std::optional<int>(level) : std::nullopt; }
    bool setBrightness(int percent) override
    {
        if (!available || percent < 0 || percent > 100)
            return false;
        level = percent;
        return true;
    }

    bool available = true;
    int level = 80;
};

} // namespace OV::Test
