#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <functional>
#include <memory>
#include <string>

namespace OV {

class KestrinDevice;

// Streams a firmware body to the hub packet by packet on a worker thread, each packet
// acknowledged before the next (act 30401). The worker owns copies of everything it reads; it
// never touches a widget: progress, requests and outcomes run on the GUI thread. The worker makes
// the next packets ahead and the GUI thread sends one as soon as the previous is acknowledged, so
// a packet does not wait for the two threads to hand over; the worker keeps each packet's wait.
// At exit the application stops the worker (the update fails) and waits for it.
class ModuleOtaSender
{
    Q_DECLARE_TR_FUNCTIONS(ModuleOtaSender)
public:
    // The product's waits; tests pass shorter ones.
    struct Timings
    {
        int packetWaitMs = 10000;
        int endPacketWaitMs = 20000;
        // How long the worker keeps its state for the closing job.
        int closingWaitMs = 3000;
    };

    // Run on the GUI thread; none of them runs once the worker ended.
    struct Callbacks
    {
        // Progress of 0 to 1000 as each packet goes out.
        std::function<void(int progress)> onProgress;
        // The update stopped at a packet with this result (never 0).
        std::function<void(int result)> onFailed;
        // Always last: 0 when every packet was acknowledged.
        std::function<void(int result)> onFinished;
    };

    static constexpr int kProgressMaximum = 1000;
    static constexpr int kResultTimeout = 254;
    static constexpr int kResultUnknown = 255;

    // Starts the worker; throws std::system_error when no thread can be started. The hub is held weakly: the session
    // stays owned by the GUI thread.
    static void start(const std::shared_ptr<KestrinDevice>& hub, std::string gatewayType, QByteArray body, int packSize,
                      Callbacks callbacks, Timings timings);
    static void start(const std::shared_ptr<KestrinDevice>& hub, std::string gatewayType, QByteArray body, int packSize,
                      Callbacks callbacks);

    // 200 bytes a packet on the "can" link, 32 on any other.
    static int packSizeFor(const QString& gatewayType);
    static int packetCount(qsizetype bodySize, int packSize);
    // The progress value while packet `index` of `count` is in flight.
    static int progressOf(int index, int count);
    // What the user is told for a packet result other than 0.
    static QString errorText(int result);
};

} // namespace OV
