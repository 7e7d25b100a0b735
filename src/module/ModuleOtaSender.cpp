#include "module/ModuleOtaSender.h"

#include "core/Logger.h"
#include "core/MainThread.h"
#include "core/WaiterUtils.h"
#include "device/KestrinApi.h"
#include "device/KestrinDevice.h"
#include "module/HexUtils.h"

#include <mutex>
#include <thread>

namespace OV {

namespace {

constexpr const char* kTag = "ModuleOTADialog";

// What the worker and its jobs share. Jobs and reply handlers hold it weakly: once the worker
// ended they do nothing.
struct SenderState
{
    WaiterUtils waiter;
    // Guards the three below; a reply writes them and notifies under it, so a reply that
    // races the end of a wait is either taken whole or not at all.
    std::mutex mutex;
    int result = ModuleOtaSender::kResultUnknown;
    // The packet whose reply is awaited; a reply to another packet is stale.
    int packet = -1;
    bool answered = false;
};

void postJob(const std::weak_ptr<SenderState>& weak, std::function<void(SenderState&)> job)
{
    runOnMainThread([weak, job = std::move(job)] {
        if (const std::shared_ptr<SenderState> state = weak.lock())
            job(*state);
    });
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
    const std::weak_ptr<KestrinDevice> weakHub = hub;
    auto shared = std::make_shared<const Callbacks>(std::move(callbacks));
    std::thread([state, weakHub, gatewayType = std::move(gatewayType), body = std::move(body), packSize, shared,
                 timings]() mutable {
        const std::weak_ptr<SenderState> weak = state;
        bool stopped = false;
        try {
            const int count = packetCount(body.size(), packSize);
            for (int i = 0; i < count; ++i) {
                {
                    const std::lock_guard lock(state->mutex);
                    state->result = kResultTimeout;
                    state->packet = i;
                    state->answered = false;
                }
                const qsizetype offset = qsizetype(i) * packSize;
                const qsizetype length = std::min<qsizetype>(packSize, body.size() - offset);
                std::string payload =
                    hexEncode(reinterpret_cast<const uint8_t*>(body.constData()), size_t(offset), size_t(length));
                const bool isEndPack = i == count - 1;
                postJob(weak, [weak, weakHub, gatewayType, payload = std::move(payload), i, count, isEndPack,
                               shared](SenderState&) {
                    const int progress = progressOf(i, count);
                    if (shared->onProgress)
                        shared->onProgress(progress);
                    Logger::info(kTag, "packNumber:%d/%d, pregress:%d", i + 1, count, progress);
                    KestrinApi::sendEpOTAData(
                        weakHub.lock(), gatewayType, i, isEndPack, payload, [weak, i](const BaseResult<int>& reply) {
                            const std::shared_ptr<SenderState> s = weak.lock();
                            if (!s)
                                return;
                            const std::lock_guard lock(s->mutex);
                            if (s->packet != i)
                                return;
                            if (reply.isOk() && reply.data)
                                s->result = *reply.data;
                            else
                                s->result =
                                    reply.code() == Errors::RequestTimeout.code ? kResultTimeout : kResultUnknown;
                            s->answered = true;
                            s->packet = -1;
                            // A failed packet wakes the worker at once, with its error.
                            s->waiter.notify();
                        });
                });
                const bool timedOut = state->waiter.waitFor(isEndPack ? timings.endPacketWaitMs : timings.packetWaitMs);
                int packetResult = kResultTimeout;
                {
                    const std::lock_guard lock(state->mutex);
                    state->packet = -1;
                    packetResult = state->result;
                    // Answered just as the wait ran out: its notification must not end the next wait.
                    if (timedOut && state->answered)
                        state->waiter.waitFor(0);
                }
                if (packetResult != 0) {
                    stopped = true;
                    break;
                }
            }
        } catch (const std::exception& e) {
            Logger::error(kTag, "sendOTADAta error:%s", e.what());
            const std::lock_guard lock(state->mutex);
            state->result = kResultUnknown;
            stopped = true;
        }
        int result = kResultUnknown;
        {
            const std::lock_guard lock(state->mutex);
            result = state->result;
        }
        if (stopped) {
            postJob(weak, [shared, result](SenderState&) {
                if (shared->onFailed)
                    shared->onFailed(result);
            });
        }
        postJob(weak, [shared, result](SenderState& s) {
            if (shared->onFinished)
                shared->onFinished(result);
            s.waiter.notify();
        });
        state->waiter.waitFor(timings.closingWaitMs);
    }).detach();
}

} // namespace OV
