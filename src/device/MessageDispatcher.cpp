#include "device/MessageDispatcher.h"

#include "core/Logger.h"

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <exception>

namespace OV {

namespace {
constexpr const char* kTag = "MessageDispatcher";
}

MessageDispatcher::MessageDispatcher() : m_timer(std::make_unique<QTimer>())
{
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this]() { processTimeouts(); });
}

MessageDispatcher::~MessageDispatcher()
{
    m_keepAlive = nullptr;
    clear();
    m_timer->stop();
}

int64_t MessageDispatcher::nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::shared_ptr<void> MessageDispatcher::hold() const
{
    return m_keepAlive ? m_keepAlive() : nullptr;
}

int MessageDispatcher::addListener(Handler handler, int timeoutMs, TimeoutHandler onTimeout)
{
    auto listener = std::make_shared<Listener>();
    listener->id = m_nextId++;
    listener->deadline = timeoutMs > 0 ? nowMs() + timeoutMs : -1;
    listener->handler = std::move(handler);
    listener->onTimeout = std::move(onTimeout);
    m_listeners.emplace(listener->id, listener);
    if (listener->deadline >= 0) {
        m_queue.emplace(listener->deadline, listener->id);
        // A timer already set for an earlier deadline serves this one too: it rearms when it fires.
        if (!m_timer->isActive() || listener->deadline < m_armedDeadline)
            rearmTimer();
    }
    return listener->id;
}

bool MessageDispatcher::removeListener(int id)
{
    const auto keep = hold();
    const auto it = m_listeners.find(id);
    if (it == m_listeners.end())
        return false;
    // Destroyed after the map entry is gone: its captures may run code that touches us.
    const std::shared_ptr<Listener> removed = std::move(it->second);
    m_listeners.erase(it);
    return true;
}

void MessageDispatcher::rearmTimer()
{
    while (!m_queue.empty()) {
        const auto [deadline, id] = m_queue.top();
        const auto it = m_listeners.find(id);
        if (it != m_listeners.end() && it->second->deadline == deadline && deadline >= 0) {
            // Restarting a timer costs more than a message. A timer still armed for an earlier
            // deadline (its listener was answered) is left to fire: it finds nothing due and
            // arms for this one then, so that a request answered before its deadline (nearly
            // all of them) costs no timer restart.
            if (!m_timer->isActive() || deadline < m_armedDeadline) {
                m_armedDeadline = deadline;
                m_timer->start(static_cast<int>(std::clamp<int64_t>(deadline - nowMs(), 0, INT32_MAX)));
            }
            return;
        }
        m_queue.pop();
    }
    m_timer->stop();
}

void MessageDispatcher::dispatchMessage(const KestrinMessage& message)
{
    const auto keep = hold();
    // Registration order: not promised to callers, but it keeps runs reproducible. The map is
    // kept in that order, so the snapshot needs no sorting.
    std::vector<std::shared_ptr<Listener>>& snapshot = m_snapshot;
    const size_t base = snapshot.size(); // a handler may dispatch again: its pass goes on top
    for (const auto& entry : m_listeners)
        snapshot.push_back(entry.second);
    struct Trim
    {
        std::vector<std::shared_ptr<Listener>>& list;
        size_t size;
        ~Trim() { list.resize(size); }
    } trim{snapshot, base};

    bool removedAny = false;
    for (size_t i = base; i < snapshot.size(); ++i) {
        const std::shared_ptr<Listener> listener = snapshot[i];
        const auto it = m_listeners.find(listener->id);
        if (it == m_listeners.end() || it->second != listener)
            continue; // removed by an earlier handler of this pass
        bool remove = false;
        try {
            remove = listener->handler(message) == Handled;
        } catch (const std::exception& e) {
            Logger::error(kTag, "dispatchMessage error:%s", e.what());
            remove = true;
        } catch (...) {
            Logger::error(kTag, "dispatchMessage error:%s", "unknown");
            remove = true;
        }
        if (remove) {
            const auto again = m_listeners.find(listener->id);
            if (again != m_listeners.end() && again->second == listener)
                m_listeners.erase(again);
            removedAny = true;
        }
    }
    if (removedAny)
        rearmTimer();
}

void MessageDispatcher::runTimeout(const std::shared_ptr<Listener>& listener, const char* where)
{
    if (!listener->onTimeout)
        return;
    try {
        listener->onTimeout();
    } catch (const std::exception& e) {
        Logger::error(kTag, "%s error:%s", where, e.what());
    } catch (...) {
        Logger::error(kTag, "%s error:%s", where, "unknown");
    }
}

void MessageDispatcher::processTimeouts()
{
    const auto keep = hold();
    const int64_t now = nowMs();
    while (!m_queue.empty()) {
        const auto [deadline, id] = m_queue.top();
        const auto it = m_listeners.find(id);
        if (it == m_listeners.end() || it->second->deadline != deadline) {
            m_queue.pop();
            continue;
        }
        if (deadline > now)
            break;
        m_queue.pop();
        const std::shared_ptr<Listener> listener = std::move(it->second);
        m_listeners.erase(it);
        runTimeout(listener, "processTimeouts");
    }
    rearmTimer();
}

void MessageDispatcher::clear()
{
    const auto keep = hold();
    m_timer->stop();
    if (m_queue.empty())
        return;
    // Taken out first: the time-out functions may register new listeners, which stay.
    std::vector<std::shared_ptr<Listener>> timed;
    for (auto it = m_listeners.begin(); it != m_listeners.end();) {
        if (it->second->deadline >= 0) {
            timed.push_back(std::move(it->second));
            it = m_listeners.erase(it);
        } else {
            ++it;
        }
    }
    m_queue = {};
    std::sort(timed.begin(), timed.end(), [](const auto& a, const auto& b) { return a->id < b->id; });
    for (const std::shared_ptr<Listener>& listener : timed)
        runTimeout(listener, "clear");
    rearmTimer();
}

} // namespace OV
