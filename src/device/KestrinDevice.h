#pragma once

#include "core/BaseResult.h"
#include "device/KestrinHost.h"
#include "device/KestrinMessage.h"
#include "device/KestrinTimings.h"
#include "device/MessageDispatcher.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QTimer;

namespace OV {

class KestrinConnectionTcp;
class Workflow;

// What the pairing screens are told while a session connects and authorises.
struct PairingPromptCallbacks
{
    // The hub asks the user to confirm on the device.
    std::function<void()> onWaitConfirm;
    std::function<void(const QString& reason)> onError;
    // Authorised and online.
    std::function<void()> onSuccess;
};

// One live link to one hub: connects and authorises with the stored token (or asks the hub for
// one), keeps the link alive with heartbeats, reconnects when it is not ready, and offers every
// received message to the registered listeners. Held by shared pointer; GUI thread only.
class KestrinDevice : public QObject, public std::enable_shared_from_this<KestrinDevice>
{
    Q_OBJECT
public:
    enum State : int {
        Disconnected = 0,
        Connecting = 1,
        Connected = 2,
    };

    // Stores the host record after the token changed. Until one is set, a new token lives in
    // the host record in memory only.
    using HostSaver = std::function<BaseResult<void>(KestrinHost& host)>;

    static constexpr int kActHeartbeat = 20;
    static constexpr int kActCheckToken = 100;
    static constexpr int kActRequestToken = 101;
    static constexpr const char* kClientName = "Orvel WorkSpace";
    static constexpr const char* kClientId = "4b1f7d2e-9c3a-4e6b-8f0d-2a5c7e9b1d36";

    // Throws std::invalid_argument for a host that is not reached over "tcp".
    explicit KestrinDevice(std::shared_ptr<KestrinHost> host, KestrinTimings timings = {});
    ~KestrinDevice() override;

    void setHostSaver(HostSaver saver) { m_hostSaver = std::move(saver); }

    // The callbacks serve the first attempt after start(). While started, only the given
    // callbacks hear "kestrin is already start".
    void start(PairingPromptCallbacks* callbacks);
    void stop();
    bool send(const KestrinMessage& message);

    int addMessageListener(MessageDispatcher::Handler handler, int timeoutMs,
                           MessageDispatcher::TimeoutHandler onTimeout);
    void removeMessageListener(int id);

    std::shared_ptr<KestrinHost> getHost() const { return m_host; }
    QString getConnType() const { return m_host->connType; }
    int getState() const { return m_state; }
    bool isStarted() const { return m_started; }
    bool isReady() const;

    // The time-out a request with this act waits for its reply.
    int requestTimeout(int act, int timeoutMs) const;

signals:
    void onStateChanged(int state);

private:
    using Clock = std::chrono::steady_clock;

    std::shared_ptr<void> keepAlive();
    void setSessionState(int state);
    void onTimer();
    void onDataReceived(const QByteArray& line);
    void onConnectionStateChanged(int state);
    bool readyAt(Clock::time_point now) const;
    Clock::time_point now() const { return m_timings.now ? m_timings.now() : Clock::now(); }
    void connectAndAuth();
    void stepConnect(Workflow& workflow);
    void stepCheckToken(Workflow& workflow);
    void stepRequestToken(Workflow& workflow);
    MessageDispatchResult onTokenReply(const std::shared_ptr<Workflow>& workflow, const KestrinMessage& message);
    void onAttemptDone(Workflow& workflow, const std::exception* error);
    BaseResult<void> saveHost();

    bool m_started = false;
    QTimer* m_tickTimer = nullptr;
    std::optional<Clock::time_point> m_lastHeartbeat;
    std::optional<Clock::time_point> m_lastReceive;
    std::optional<Clock::time_point> m_lastAttempt;
    KestrinConnectionTcp* m_connection = nullptr;
    int m_state = Disconnected;
    std::shared_ptr<KestrinHost> m_host;
    MessageDispatcher m_dispatcher;
    std::shared_ptr<Workflow> m_workflow;
    bool m_authorised = false;
    PairingPromptCallbacks m_callbacks;
    int64_t m_attemptCount = 0;
    // keepAlive() holds alive now.
    int m_holds = 0;
    KestrinTimings m_timings;
    HostSaver m_hostSaver;
};

} // namespace OV
