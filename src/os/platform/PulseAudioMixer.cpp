#include "os/platform/PulseAudioMixer.h"

#include "core/Logger.h"

#include <pulse/pulseaudio.h>

#include <cmath>
#include <functional>

namespace OV {

namespace {

const char* const kTag = "PulseAudioMixer";

struct SinkState
{
    bool done = false;
    bool found = false;
    uint32_t index = 0;
    pa_cvolume volume{};
    bool muted = false;
};

struct SuccessState
{
    bool done = false;
    bool success = false;
};

void onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata)
{
    auto* state = static_cast<SinkState*>(userdata);
    if (eol != 0) {
        state->done = true;
        return;
    }
    if (info && !state->found) {
        state->found = true;
        state->index = info->index;
        state->volume = info->volume;
        state->muted = info->mute != 0;
    }
}

void onSuccess(pa_context*, int success, void* userdata)
{
    auto* state = static_cast<SuccessState*>(userdata);
    state->success = success != 0;
    state->done = true;
}

// One connection with its own main loop, iterated by hand until a condition holds or time runs out.
class PulseSession
{
public:
    PulseSession(const QByteArray& server, std::chrono::milliseconds timeout)
        : m_deadline(std::chrono::steady_clock::now() + timeout)
    {
        m_loop = pa_mainloop_new();
        if (!m_loop)
            return;
        m_context = pa_context_new(pa_mainloop_get_api(m_loop), "OrvelWorkSpace");
        if (!m_context)
            return;
        if (pa_context_connect(m_context, server.isEmpty() ? nullptr : server.constData(), PA_CONTEXT_NOAUTOSPAWN,
                               nullptr) < 0) {
            Logger::warn(kTag, "no sound server: %s", pa_strerror(pa_context_errno(m_context)));
            return;
        }
        const bool settled = iterateUntil([this] {
            const pa_context_state_t s = pa_context_get_state(m_context);
            return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
        });
        m_ready = settled && pa_context_get_state(m_context) == PA_CONTEXT_READY;
        if (!m_ready)
            Logger::warn(kTag, "no sound server: %s", pa_strerror(pa_context_errno(m_context)));
    }

    ~PulseSession()
    {
        if (m_context) {
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
        if (m_loop)
            pa_mainloop_free(m_loop);
    }
    PulseSession(const PulseSession&) = delete;
    PulseSession& operator=(const PulseSession&) = delete;

    bool ready() const { return m_ready; }
    pa_context* context() const { return m_context; }

    // Runs the operation to its end; false when it could not be issued or did not finish in time.
    bool finish(pa_operation* operation, const bool& done)
    {
        if (!operation)
            return false;
        const bool ok = iterateUntil([&] { return done || pa_operation_get_state(operation) != PA_OPERATION_RUNNING; });
        if (!ok)
            pa_operation_cancel(operation);
        pa_operation_unref(operation);
        return ok && done;
    }

    bool defaultSink(SinkState* sink)
    {
        if (!m_ready)
            return false;
        if (!finish(pa_context_get_sink_info_by_name(m_context, "@DEFAULT_SINK@", onSinkInfo, sink), sink->done) ||
            !sink->found) {
            Logger::warn(kTag, "no default sink");
            return false;
        }
        return true;
    }

private:
    bool iterateUntil(const std::function<bool()>& condition)
    {
        while (!condition()) {
            const auto left =
                std::chrono::duration_cast<std::chrono::microseconds>(m_deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                Logger::warn(kTag, "the sound server did not answer in time");
                return false;
            }
            if (pa_mainloop_prepare(m_loop, int(left.count())) < 0 || pa_mainloop_poll(m_loop) < 0 ||
                pa_mainloop_dispatch(m_loop) < 0)
                return false;
        }
        return true;
    }

    std::chrono::steady_clock::time_point m_deadline;
    pa_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    bool m_ready = false;
};

} // namespace

PulseAudioMixer::PulseAudioMixer(QByteArray server, std::chrono::milliseconds timeout)
    : m_server(std::move(server)), m_timeout(timeout)
{}

std::optional<int> PulseAudioMixer::volume()
{
    PulseSession session(m_server, m_timeout);
    SinkState sink;
    if (!session.defaultSink(&sink))
        return std::nullopt;
    return int(std::lround(double(pa_cvolume_max(&sink.volume)) * 100.0 / double(PA_VOLUME_NORM)));
}

bool PulseAudioMixer::setVolume(int percent)
{
    if (percent < 0 || percent > 100)
        return false;
    PulseSession session(m_server, m_timeout);
    SinkState sink;
    if (!session.defaultSink(&sink))
        return false;
    // Scaling keeps the balance between the channels, as a master volume does.
    const auto target = pa_volume_t(std::lround(double(percent) * double(PA_VOLUME_NORM) / 100.0));
    pa_cvolume volume = sink.volume;
    if (!pa_cvolume_valid(&volume) || !pa_cvolume_scale(&volume, target))
        return false;
    SuccessState result;
    return session.finish(
               pa_context_set_sink_volume_by_index(session.context(), sink.index, &volume, onSuccess, &result),
               result.done) &&
           result.success;
}

std::optional<bool> PulseAudioMixer::isMuted()
{
    PulseSession session(m_server, m_timeout);
    SinkState sink;
    if (!session.defaultSink(&sink))
        return std::nullopt;
    return sink.muted;
}

bool PulseAudioMixer::setMuted(bool muted)
{
    PulseSession session(m_server, m_timeout);
    SinkState sink;
    if (!session.defaultSink(&sink))
        return false;
    SuccessState result;
    return session.finish(
               pa_context_set_sink_mute_by_index(session.context(), sink.index, muted ? 1 : 0, onSuccess, &result),
               result.done) &&
           result.success;
}

} // namespace OV
