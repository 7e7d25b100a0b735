#pragma once

#include "device/KestrinMessage.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <queue>
#include <utility>
#include <vector>

class QTimer;

namespace OV {

enum MessageDispatchResult : int {
    KeepListening = 0,
    Handled = 1,
};

// Offers every received message to the registered listeners; a listener that recognises its
// message returns Handled and is dropped, one whose deadline passes is dropped after its
// time-out function ran. Deadlines are kept on a steady clock. GUI thread only.
class MessageDispatcher
{
public:
    using Handler = std::function<MessageDispatchResult(const KestrinMessage&)>;
    using TimeoutHandler = std::function<void()>;

    MessageDispatcher();
    ~MessageDispatcher();
    MessageDispatcher(const MessageDispatcher&) = delete;
    MessageDispatcher& operator=(const MessageDispatcher&) = delete;

    // timeoutMs 0 or less: no deadline.
    int addListener(Handler handler, int timeoutMs, TimeoutHandler onTimeout);
    // Removes without running the time-out function.
    bool removeListener(int id);
    void dispatchMessage(const KestrinMessage& message);
    void processTimeouts();
    void rearmTimer();
    // Ends every listener that has a deadline through its time-out function; listeners without
    // a deadline stay registered.
    void clear();

    // Entries of the deadline queue, stale ones included.
    size_t queueSize() const { return m_queue.size(); }
    size_t listenerCount() const { return m_listeners.size(); }
    bool hasListener(int id) const { return m_listeners.count(id) != 0; }
    const QTimer* timer() const { return m_timer.get(); }

    // Called around every operation that runs outside code; what it returns is held until the
    // operation is done, so that the owner can keep itself alive.
    void setKeepAlive(std::function<std::shared_ptr<void>()> keepAlive) { m_keepAlive = std::move(keepAlive); }

    static int64_t nowMs();

private:
    struct Listener
    {
        int id = 0;
        int64_t deadline = -1;
        Handler handler;
        TimeoutHandler onTimeout;
    };
    using QueueEntry = std::pair<int64_t, int>;

    std::shared_ptr<void> hold() const;
    static void runTimeout(const std::shared_ptr<Listener>& listener, const char* where);

    // By id, which is registration order.
    std::map<int, std::shared_ptr<Listener>> m_listeners;
    // Reused by each pass of dispatchMessage.
    std::vector<std::shared_ptr<Listener>> m_snapshot;
    int64_t m_armedDeadline = -1;
    std::priority_queue<QueueEntry, std::vector<QueueEntry>, std::greater<>> m_queue;
    int m_nextId = 1;
    std::unique_ptr<QTimer> m_timer;
    std::function<std::shared_ptr<void>()> m_keepAlive;
};

} // namespace OV
