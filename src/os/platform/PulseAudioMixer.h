#pragma once

#include "os/platform/AudioMixer.h"

#include <QByteArray>

#include <chrono>

namespace OV {

// The default sink of the PulseAudio server (or PipeWire's PulseAudio service) through libpulse.
// Each call connects, does its one job and disconnects; it waits at most the time-out.
class PulseAudioMixer : public AudioMixer
{
public:
    // server empty: the one the environment names. Never starts a server of its own.
    explicit PulseAudioMixer(QByteArray server = {}, std::chrono::milliseconds timeout = std::chrono::seconds(3));

    std::optional<int> volume() override;
    bool setVolume(int percent) override;
    std::optional<bool> isMuted() override;
    bool setMuted(bool muted) override;

private:
    QByteArray m_server;
    std::chrono::milliseconds m_timeout;
};

} // namespace OV
