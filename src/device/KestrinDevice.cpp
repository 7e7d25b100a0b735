#include "device/KestrinDevice.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "core/TokenScrambler.h"
#include "device/HubLineLog.h"
#include "device/KestrinConnectionTcp.h"
#include "device/Workflow.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

#include <stdexcept>
#include <utility>

namespace OV {

namespace {

constexpr const char* kTag = "DeviceKestrin";
constexpr size_t kListenerWarnCount = 128;
const char* const kErrorKey = "error";

// The last reference to a session must not go while the session is still on the stack (a
// callback of the session may drop its owner's reference): it is released from the event loop.
void releaseLater(std::shared_ptr<KestrinDevice> self)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!self || self.use_count() > 1 || !app)
        return;
    QMetaObject::invokeMethod(
        app, [last = std::move(self)]() mutable { last.reset(); }, Qt::QueuedConnection);
}

// The pairing callbacks belong to screens; one that throws must not unwind through the link's
// signal handlers.
template <typename Fn, typename... Args>
void invokeCallback(const char* name, const Fn& fn, Args&&... args)
{
    if (!fn)
        return;
    try {
        fn(std::forward<Args>(args)...);
    } catch (const std::exception& e) {
        Logger::error(kTag, "%s error:%s", name, e.what());
    } catch (...) {
        Logger::error(kTag, "%s error:%s", name, "unknown");
    }
}

// Message ids are unique in the process: one filter serves every session.
HubLineLog& lineLog()
{
    static HubLineLog log;
    return log;
}

} // namespace

KestrinDevice::KestrinDevice(std::shared_ptr<KestrinHost> host, KestrinTimings timings)
    : m_host(std::move(host)), m_timings(std::move(timings))
{
    if (!m_host)
        throw std::invalid_argument("no host");
    if (m_host->connType != QLatin1String("tcp"))
        throw std::invalid_argument("unsupported connType: " + m_host->connType.toStdString());
    m_tickTimer = new QTimer(this);
    m_tickTimer->setInterval(m_timings.tickMs);
    QObject::connect(m_tickTimer, &QTimer::timeout, this, &KestrinDevice::onTimer);
    m_dispatcher.setKeepAlive([this]() { return keepAlive(); });

    m_connection = new KestrinConnectionTcp(this, m_host);
    m_connection->setConnectTimeoutMs(m_timings.connectTimeoutMs);
    m_connection->onData = [this](const QByteArray& line) { onDataReceived(line); };
    m_connection->onStateChanged = [this](DeviceConnection::State state) { onConnectionStateChanged(state); };
}

KestrinDevice::~KestrinDevice()
{
    if (m_started)
        stop();
    m_dispatcher.clear();
    m_connection->onData = nullptr;
    m_connection->onStateChanged = nullptr;
    m_connection->onConnectResult = nullptr;
    delete m_connection;
    m_connection = nullptr;
}

std::shared_ptr<void> KestrinDevice::keepAlive()
{
    // Holds live on the stack of the calls that take them, so they nest: while an outer one
    // lives, an inner one adds nothing but an allocation (a received message takes two).
    if (m_holds > 0)
        return nullptr;
    std::shared_ptr<KestrinDevice> self = weak_from_this().lock();
    if (!self)
        return nullptr;
    ++m_holds;
    return std::shared_ptr<void>(nullptr, [self = std::move(self)](void*) mutable {
        --self->m_holds;
        releaseLater(std::move(self));
    });
}

int KestrinDevice::requestTimeout(int act, int timeoutMs) const
{
    return m_timings.requestTimeout ? m_timings.requestTimeout(act, timeoutMs) : timeoutMs;
}

void KestrinDevice::setSessionState(int state)
{
    if (state == m_state)
        return;
    m_state = state;
    Logger::info(kTag, "onStateChanged: %d", state);
    emit onStateChanged(state);
}

void KestrinDevice::start(PairingPromptCallbacks* callbacks)
{
    const auto keep = keepAlive();
    if (m_started) {
        // Told to the caller that asked; the attempt under way keeps its own callbacks.
        if (callbacks)
            invokeCallback("onError", callbacks->onError, tr("kestrin is already start"));
        return;
    }
    m_callbacks = callbacks ? *callbacks : PairingPromptCallbacks{};
    Logger::info(kTag, "start");
    m_attemptCount = 0;
    m_started = true;
    m_tickTimer->start();
    onTimer();
}

void KestrinDevice::stop()
{
    if (!m_started)
        return;
    const auto keep = keepAlive();
    Logger::info(kTag, "stop");
    m_started = false;
    m_tickTimer->stop();
    m_connection->close();
    m_dispatcher.clear();
    m_workflow.reset();
    m_lastAttempt.reset();
    m_lastReceive.reset();
    m_authorised = false;
    setSessionState(Disconnected);
}

bool KestrinDevice::send(const KestrinMessage& message)
{
    QByteArray line;
    try {
        const std::string json = message.toJson();
        // Room for the line feed the connection adds, so that adding it moves nothing.
        line.reserve(qsizetype(json.size()) + 1);
        line.append(json.data(), qsizetype(json.size()));
    } catch (const std::exception& e) {
        Logger::error(kTag, "send error:%s", e.what());
        return false;
    }
    // Logged before the bytes go: a failing write logs lines of its own, which must come after.
    if (Logger::instance()->minLevel() <= LogDebug)
        Logger::debug(kTag, "send(len:%d): %s", static_cast<int>(line.size()), lineLog().sent(line).c_str());
    return m_connection->send(line);
}

int KestrinDevice::addMessageListener(MessageDispatcher::Handler handler, int timeoutMs,
                                      MessageDispatcher::TimeoutHandler onTimeout)
{
    const int id = m_dispatcher.addListener(std::move(handler), timeoutMs, std::move(onTimeout));
    const size_t count = m_dispatcher.queueSize();
    if (count < kListenerWarnCount)
        Logger::debug(kTag, "addMessageListener, listener count:%zu", count);
    else
        Logger::warn(kTag, "reply listener count exception, current count:%zu", count);
    return id;
}

void KestrinDevice::removeMessageListener(int id)
{
    const auto keep = keepAlive();
    m_dispatcher.removeListener(id);
    m_dispatcher.rearmTimer();
    Logger::debug(kTag, "removeMessageListener, listener count:%zu", m_dispatcher.queueSize());
}

bool KestrinDevice::readyAt(Clock::time_point now) const
{
    return m_connection->state() == DeviceConnection::Connected && m_authorised && m_lastReceive &&
           now - *m_lastReceive < std::chrono::milliseconds(m_timings.readyWindowMs);
}

bool KestrinDevice::isReady() const
{
    return readyAt(now());
}

void KestrinDevice::onTimer()
{
    const auto keep = keepAlive();
    try {
        const Clock::time_point now = this->now();
        if (readyAt(now)) {
            const bool heartbeatRecent =
                m_lastHeartbeat && now - *m_lastHeartbeat < std::chrono::milliseconds(m_timings.heartbeatIntervalMs);
            const bool receivedRecently =
                now - *m_lastReceive < std::chrono::milliseconds(m_timings.heartbeatSilenceMs);
            if (heartbeatRecent || receivedRecently)
                return;
            m_lastHeartbeat = now;
            send(KestrinMessage::create(kActHeartbeat));
            return;
        }
        if (m_lastAttempt && now - *m_lastAttempt < std::chrono::milliseconds(m_timings.reconnectSpacingMs))
            return;
        m_lastAttempt = now;
        connectAndAuth();
    } catch (const std::exception& e) {
        Logger::error(kTag, "onTimer error:%s", e.what());
    }
}

void KestrinDevice::onDataReceived(const QByteArray& line)
{
    const auto keep = keepAlive();
    if (Logger::instance()->minLevel() <= LogDebug)
        Logger::debug(kTag, "recv(len:%d): %s", static_cast<int>(line.size()), lineLog().received(line).c_str());
    try {
        const std::shared_ptr<KestrinMessage> message = KestrinMessage::parse(line.constBegin(), line.constEnd());
        m_lastReceive = now();
        m_dispatcher.dispatchMessage(*message);
    } catch (const nlohmann::json::parse_error& e) {
        // The parser's own text quotes what it read last, which may be part of a secret.
        Logger::error(kTag, "recv error:%d bytes, not JSON at byte %zu", static_cast<int>(line.size()), e.byte);
    } catch (const std::exception& e) {
        Logger::error(kTag, "recv error:%s", e.what());
    }
}

void KestrinDevice::onConnectionStateChanged(int state)
{
    const auto keep = keepAlive();
    Logger::info(kTag, "on connection state changed: %d", state);
    if (state != DeviceConnection::Connected && m_state != Disconnected)
        setSessionState(Disconnected);
}

void KestrinDevice::connectAndAuth()
{
    Logger::info(kTag, "[connectAndAuth] connectAndAuth start");
    ++m_attemptCount;
    if (m_attemptCount > 1)
        m_callbacks = {};
    m_authorised = false;
    auto workflow = std::make_shared<Workflow>();
    m_workflow = workflow;
    m_connection->close();
    setSessionState(Disconnected);
    setSessionState(Connecting);

    const QPointer<KestrinDevice> guard(this);
    workflow->then([guard](Workflow& w) {
        if (guard)
            guard->stepConnect(w);
    });
    workflow->then([guard](Workflow& w) {
        if (guard)
            guard->stepCheckToken(w);
    });
    workflow->then([guard](Workflow& w) {
        if (guard)
            guard->stepRequestToken(w);
    });
    workflow->start([guard](Workflow& w, const std::exception* error) {
        if (guard)
            guard->onAttemptDone(w, error);
    });
}

void KestrinDevice::stepConnect(Workflow& workflow)
{
    Logger::info(kTag, "[connectAndAuth] connecting...");
    const std::weak_ptr<Workflow> weak = workflow.shared_from_this();
    const QPointer<KestrinDevice> guard(this);
    m_connection->onConnectResult = [guard, weak](bool connected) {
        const auto keep = guard ? guard->keepAlive() : nullptr;
        const std::shared_ptr<Workflow> w = weak.lock();
        if (!w || !w->isRunning())
            return;
        if (connected) {
            Logger::info(kTag, "[connectAndAuth] connect succeed");
            w->next();
        } else {
            Logger::info(kTag, "[connectAndAuth] connect failed");
            w->data()[kErrorKey] = tr("failed to connect kestrin");
            w->finish(nullptr);
        }
    };
    m_connection->setState(DeviceConnection::Connecting);
    m_connection->connect();
}

void KestrinDevice::stepCheckToken(Workflow& workflow)
{
    if (m_host->token.isEmpty()) {
        Logger::info(kTag, "[connectAndAuth] no token");
        workflow.next();
        return;
    }
    Logger::info(kTag, "[connectAndAuth] has token, checking...");
    const std::weak_ptr<Workflow> weak = workflow.shared_from_this();
    addMessageListener(
        [this, weak](const KestrinMessage& message) {
            if (message.act != kActCheckToken)
                return KeepListening;
            const std::shared_ptr<Workflow> w = weak.lock();
            if (!w || !w->isRunning())
                return Handled;
            if (w != m_workflow) {
                // A late reply of an abandoned attempt ends that attempt only.
                w->finish(nullptr);
                return Handled;
            }
            if (message.code == 200) {
                Logger::info(kTag, "[connectAndAuth] check token succeed");
                m_authorised = true;
                w->finish(nullptr);
            } else {
                Logger::error(kTag, "[connectAndAuth] check token failed");
                w->next();
            }
            return Handled;
        },
        m_timings.tokenCheckTimeoutMs,
        [weak]() {
            const std::shared_ptr<Workflow> w = weak.lock();
            if (!w || !w->isRunning())
                return;
            w->data()[kErrorKey] = tr("authorization timeout");
            w->finish(nullptr);
        });
    send(KestrinMessage::create(kActCheckToken, decodeToken(m_host->token).toStdString()));
}

void KestrinDevice::stepRequestToken(Workflow& workflow)
{
    Logger::info(kTag, "[connectAndAuth] requesting token...");
    const std::weak_ptr<Workflow> weak = workflow.shared_from_this();
    addMessageListener(
        [this, weak](const KestrinMessage& message) {
            if (message.act != kActRequestToken)
                return KeepListening;
            const std::shared_ptr<Workflow> w = weak.lock();
            if (!w || !w->isRunning())
                return Handled;
            if (w != m_workflow) {
                w->finish(nullptr);
                return Handled;
            }
            return onTokenReply(w, message);
        },
        m_timings.tokenRequestTimeoutMs,
        [weak]() {
            const std::shared_ptr<Workflow> w = weak.lock();
            if (!w || !w->isRunning())
                return;
            w->data()[kErrorKey] = tr("request token timeout");
            w->finish(nullptr);
        });
    send(KestrinMessage::create(kActRequestToken, {{"name", kClientName}, {"id", kClientId}}));
}

MessageDispatchResult KestrinDevice::onTokenReply(const std::shared_ptr<Workflow>& workflow,
                                                  const KestrinMessage& message)
{
    if (message.code != 200) {
        workflow->data()[kErrorKey] = tr("request token failed");
        workflow->finish(nullptr);
        return Handled;
    }
    int state = 0;
    std::string token;
    try {
        state = KestrinMessage::readInt(message.data, "state");
        if (state == 1)
            token = message.data.at("token").get<std::string>();
    } catch (const std::exception& e) {
        // A reply that cannot be read would otherwise leave the user waiting for nothing.
        Logger::error(kTag, "[connectAndAuth] malformed token reply:%s", e.what());
        workflow->data()[kErrorKey] = tr("request token failed");
        workflow->finish(nullptr);
        return Handled;
    }
    if (state == 0) {
        const auto onWaitConfirm = m_callbacks.onWaitConfirm;
        invokeCallback("onWaitConfirm", onWaitConfirm);
        return KeepListening;
    }
    if (state != 1)
        return KeepListening;

    // Kept in the record even when saving fails, so the next attempt checks this token.
    m_host->token = encodeToken(OV::fromStdText(token));
    const BaseResult<void> saved = saveHost();
    if (!saved.isOk()) {
        const QString detail = saved.message.isEmpty() ? QString::fromUtf8(saved.text()) : saved.message;
        Logger::error(kTag, "[connectAndAuth] save token failed:%s", detail.toUtf8().constData());
        workflow->data()[kErrorKey] = tr("save token failed: %1").arg(detail);
        workflow->finish(nullptr);
        return Handled;
    }
    Logger::info(kTag, "[connectAndAuth] request token succeed");
    m_authorised = true;
    workflow->finish(nullptr);
    return Handled;
}

BaseResult<void> KestrinDevice::saveHost()
{
    if (!m_hostSaver) {
        Logger::warn(kTag, "no host store: the token is kept in memory only");
        return {};
    }
    try {
        return m_hostSaver(*m_host);
    } catch (const std::exception& e) {
        return BaseResult<void>(Errors::Unknown, QString::fromUtf8(e.what()));
    }
}

void KestrinDevice::onAttemptDone(Workflow& workflow, const std::exception* error)
{
    const auto keep = keepAlive();
    if (m_workflow.get() != &workflow) {
        Logger::info(kTag, "[connectAndAuth] an abandoned attempt ended");
        return;
    }
    // Taken before any callback runs: a callback may start the next attempt.
    const std::shared_ptr<Workflow> self = std::move(m_workflow);
    m_workflow.reset();
    const PairingPromptCallbacks callbacks = std::move(m_callbacks);
    m_callbacks = {};

    if (error) {
        Logger::error(kTag, "[connectAndAuth] error:%s", error->what());
        setSessionState(Disconnected);
        invokeCallback("onError", callbacks.onError, QString::fromUtf8(error->what()));
        return;
    }
    if (m_authorised) {
        Logger::info(kTag, "[connectAndAuth] connectAndAuth end, succeed");
        setSessionState(Connected);
        invokeCallback("onSuccess", callbacks.onSuccess);
        return;
    }
    m_connection->close();
    setSessionState(Disconnected);
    QString reason = QStringLiteral("unknown");
    const auto it = workflow.data().find(kErrorKey);
    if (it != workflow.data().end() && it->second.type() == typeid(QString))
        reason = std::any_cast<QString>(it->second);
    Logger::error(kTag, "[connectAndAuth] connectAndAuth end, error:%s", reason.toUtf8().constData());
    invokeCallback("onError", callbacks.onError, reason);
}

} // namespace OV
