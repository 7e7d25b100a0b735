#pragma once

#include <optional>

namespace OV {

// Brightness of the display's backlight.
class Backlight
{
public:
    virtual ~Backlight() = default;
    virtual std::optional<int> brightness() = 0; // percent
    virtual bool setBrightness(int percent) = 0; // 0 to 100; anything else is refused
};

} // namespace OV
