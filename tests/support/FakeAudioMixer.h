#pragma once

#include "os/platform/AudioMixer.h"

namespace OV::Test {

// A mixer that holds its values, or one without a sound server.
class FakeAudioMixer : public AudioMixer
{
public:
    std::optional<int> volume() override { return available ? std::optional<int>(level) : std::nullopt; }
    bool setVolume(int percent) override
    {
        if (!available || percent < 0 || percent > 100)
            return false;
        level = percent;
        return true;
    }
    std::optional<bool> isMuted() override { return available ? std::optional<bool>(muted) : std::nullopt; }
    bool setMuted(bool value) override
    {
        if (!available)
            return false;
        muted = value;
        return true;
    }

    bool available = true;
    int level = 50;
    bool muted = false;
};

} // namespace OV::Test
