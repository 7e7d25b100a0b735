#include "module/ModuleOtaSender.h"

#include "core/Logger.h"
#include "core/MainThread.h"
#include "core/WaiterUtils.h"
#include "core/WorkerThreads.h"
#include "device/KestrinApi.h"
#include "device/KestrinDevice.h"
#include "module/HexUtils.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

namespace OV {

namespace {

constexpr const char* kTag = "ModuleOTADialog";

using Clock = std::chrono::steady_clock;

// Packets the worker makes ahead of the one in flight.
constexpr int kPacketsAhead = 64;
constexpr int kPacketsPerRefill = 8;

struct Packet
{
    int index = 0;
    bool isEndPack = false;
    std::string payload;
};

// What the worker, its jobs and the reply handlers share. Jobs and reply handlers hold it weakly:
// once the worker ended they do nothing.
struct SenderState : std::enable_shared_from_this<SenderState>
{
    std::weak_ptr<KestrinDevice> hub;
    std::string gatewayType;
    ModuleOtaSender::Callbacks callbacks;
    int count = 0;

    WaiterUtils waiter;
    // Guards everything below. The worker decides from these alone, never from how often it
    // was woken, so notifications that pile up or come late do no harm.
    std::mutex mutex;
    // The result of the packet that ended last (or of the update, once it stopped).
    int result = ModuleOtaSender::kResultUnknown;
    // The packet whose answer is awaited, -1 for none; an answer to another packet is late.
    int awaited = -1;
    // The packet answered last.
    int ended = -1;
    // The packets after the awaited one, made ahead by the worker; a good answer sends the first
    // at once on the GUI thread.
    std::deque<Packet> ready;
    // When the awaited packet went out: its wait runs from then.
    Clock::time_point sentAt{};
    Clock::duration packetWait{};
    Clock::duration endPacketWait{};

    Clock::time_point deadlineOf(int packet) const
    {
        return sentAt + (packet == count - 1 ? endPacketWait : packetWait);
    }
};

void postJob(const std::weak_ptr<SenderState>& weak, std::function<void(SenderState&)> job)
{
    runOnMainThread([weak, job = std::move(job)] {
        if (const std::shared_ptr<SenderState> state = weak.lock())
            job(*state);
    });
}

void onPacketAnswer(const std::weak_ptr<SenderState>& weak, int i, const BaseResult<int>& reply);

// On the GUI thread: progress, the packet's log line, and its request.
void sendPacket(SenderState& state, const Packet& packet)
{
    const int i = packet.index;
    const int progress = ModuleOtaSender::progressOf(i, state.count);
    if (state.callbacks.onProgress)
        state.callbacks.onProgress(progress);
    Logger::info(kTag, "packNumber:%d/%d, pregress:%d", i + 1, state.count, progress);
    KestrinApi::sendEpOTAData(
        state.hub.lock(), state.gatewayType, i, packet.isEndPack, packet.payload,
        [weak = state.weak_from_this(), i](const BaseResult<int>& reply) { onPacketAnswer(weak, i, reply); });
}

// On the GUI thread. A good answer sends the next packet made ahead straight away.
void onPacketAnswer(const std::weak_ptr<SenderState>& weak, int i, const BaseResult<int>& reply)
{
    const std::shared_ptr<SenderState> s = weak.lock();
    if (!s)
        return;
    std::optional<Packet> next;
    bool wake = true;
    {
        const std::lock_guard lock(s->mutex);
        if (s->awaited != i)
            return;
        if (reply.isOk() && reply.data)
            s->result = *reply.data;
        else
            s->result = reply.code() == Errors::RequestTimeout.code ? ModuleOtaSender::kResultTimeout
                                                                    : ModuleOtaSender::kResultUnknown;
        s->ended = i;
        s->awaited = -1;
        if (s->result == 0 && !s->ready.empty() && s->ready.front().index == i + 1) {
            next = std::move(s->ready.front());
            s->ready.pop_front();
            s->awaited = i + 1;
            s->result = ModuleOtaSender::kResultTimeout;
            s->sentAt = Clock::now();
            // The worker sleeps on through good answers until its packets made ahead run low; when
            // it wakes it finds the later packet and the wait that runs from its sending.
            wake = int(s->ready.size()) < kPacketsAhead / 2;
        }
    }
    if (next)
        sendPacket(*s, *next);
    // Wakes the worker at once on a failed packet, with its error, and on an answer it must act on.
    if (wake)
        s->waiter.notify();
}

} // namespace

int ModuleOtaSender::packSizeFor(const QString& gatewayType)
{
    return gatewayType == QLatin1String("can") ? 200 : 32;
}

int ModuleOtaSender::packetCount(qsizetype bodySize, int packSize)
{
    if (bodySize <= 0 || packSize <= 0)
        return 0;
    return int((bodySize + packSize - 1) / packSize);
}

int ModuleOtaSender::progressOf(int index, int count)
{
    return int(float(index + 1) * float(kProgressMaximum) / float(count));
}

QString ModuleOtaSender::errorText(int result)
{
    switch (result) {
    case 1:
        return tr("OTA data error.");
    case 16:
        return tr("Signature verification failed.");
    case kResultTimeout:
        return tr("Send OTA data timeout.");
    default:
        return tr("Unknown error");
    }
}

void ModuleOtaSender::start(const std::shared_ptr<KestrinDevice>& hub, std::string gatewayType, QByteArray body,
                            int packSize, Callbacks callbacks)
{
    start(hub, std::move(gatewayType), std::move(body), packSize, std::move(callbacks), Timings());
}

void ModuleOtaSender::start(const std::shared_ptr<KestrinDevice>& hub, std::string gatewayType, QByteArray body,
                            int packSize, Callbacks callbacks, Timings timings)
{
    auto state = std::make_shared<SenderState>();
    state->hub = hub;
    state->gatewayType = std::move(gatewayType);
    state->callbacks = std::move(callbacks);
    state->count = packetCount(body.size(), packSize);
    state->packetWait = std::chrono::milliseconds(timings.packetWaitMs);
    state->endPacketWait = std::chrono::milliseconds(timings.endPacketWaitMs);
    // Not detached: at exit the application stops the update and waits for the worker.
    WorkerThreads::start([state, body = std::move(body), packSize, timings]() mutable {
        const std::weak_ptr<SenderState> weak = state;
        const int count = state->count;
        const auto packetAt = [&](int i) {
            const qsizetype offset = qsizetype(i) * packSize;
            const qsizetype length = std::min<qsizetype>(packSize, body.size() - offset);
            return Packet{
                i, i == count - 1,
                hexEncode(reinterpret_cast<const uint8_t*>(body.constData()), size_t(offset), size_t(length))};
        };
        bool stopped = false;
        try {
            int next = count > 0 ? 0 : -1;
            while (next >= 0) {
                // No packet is in flight: this one goes out through a job, its wait starting now.
                {
                    const std::lock_guard lock(state->mutex);
                    state->result = kResultTimeout;
                    state->awaited = next;
                    state->sentAt = Clock::now();
                }
                postJob(weak, [packet = packetAt(next)](SenderState& s) { sendPacket(s, packet); });
                next = -1;
                for (;;) {
                    // Refill the packets made ahead a few at a time, made outside the lock (only this
                    // thread appends), so that the first are ready soon.
                    Clock::time_point deadline;
                    for (;;) {
                        int first = -1;
                        int room = 0;
                        {
                            const std::lock_guard lock(state->mutex);
                            deadline = state->awaited >= 0 ? state->deadlineOf(state->awaited) : Clock::now();
                            if (state->awaited >= 0) {
                                first = state->ready.empty() ? state->awaited + 1 : state->ready.back().index + 1;
                                room = std::min(kPacketsPerRefill, kPacketsAhead - int(state->ready.size()));
                            }
                        }
                        std::vector<Packet> made;
                        for (int i = first; first >= 0 && i < count && int(made.size()) < room; ++i)
                            made.push_back(packetAt(i));
                        if (made.empty())
                            break;
                        const std::lock_guard lock(state->mutex);
                        if (state->awaited < 0 ||
                            (state->ready.empty() ? state->awaited + 1 : state->ready.back().index + 1) !=
                                made.front().index)
                            break;
                        for (Packet& packet : made)
                            state->ready.push_back(std::move(packet));
                    }
                    const bool timedOut = state->waiter.waitFor(int(std::max<qint64>(
                        0, std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count())));
                    const std::lock_guard lock(state->mutex);
                    if (WorkerThreads::stopRequested()) {
                        // The application exits: the update ends unfinished, an answer after this is dropped.
                        state->awaited = -1;
                        state->ready.clear();
                        state->result = kResultUnknown;
                        stopped = true;
                        break;
                    }
                    if (state->awaited >= 0) {
                        // Still in flight (maybe a later packet than before, sent on a good answer).
                        if (timedOut && Clock::now() >= state->deadlineOf(state->awaited)) {
                            // No answer in time: one arriving later is dropped.
                            state->awaited = -1;
                            state->ready.clear();
                            state->result = kResultTimeout;
                            stopped = true;
                            break;
                        }
                        continue;
                    }
                    // Packet `ended` was answered and nothing else is in flight.
                    state->ready.clear();
                    if (state->result != 0)
                        stopped = true;
                    else if (state->ended + 1 < count)
                        next = state->ended + 1;
                    break;
                }
            }
        } catch (const std::exception& e) {
            Logger::error(kTag, "sendOTADAta error:%s", e.what());
            const std::lock_guard lock(state->mutex);
            state->awaited = -1;
            state->ready.clear();
            state->result = kResultUnknown;
            stopped = true;
        }
        int result = kResultUnknown;
        {
            const std::lock_guard lock(state->mutex);
            result = state->result;
        }
        // Nothing notifies any more but the closing job: a notification already taken in must not
        // cut its wait short.
        state->waiter.waitFor(0);
        if (stopped) {
            postJob(weak, [result](SenderState& s) {
                if (s.callbacks.onFailed)
                    s.callbacks.onFailed(result);
            });
        }
        postJob(weak, [result](SenderState& s) {
            if (s.callbacks.onFinished)
                s.callbacks.onFinished(result);
            s.waiter.notify();
        });
        state->waiter.waitFor(timings.closingWaitMs);
    });
}

} // namespace OV
