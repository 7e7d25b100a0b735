#pragma once

#include <optional>

namespace OV {

// Volume and mute of the default audio output.
class AudioMixer
{
public:
    virtual ~AudioMixer() = default;
    virtual std::optional<int> volume() = 0; // percent
    virtual bool setVolume(int percent) = 0; // 0 to 100; anything else is refused
    virtual std::optional<bool> isMuted() = 0;
    virtual bool setMuted(bool muted) = 0;
};

} // namespace OV
