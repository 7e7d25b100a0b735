#include "core/MainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>

#include <deque>
#include <mutex>

namespace OV {

namespace {

// The callables waiting for the GUI thread, handed over under a standard mutex: the order
// between the posting thread and the GUI thread is then plain to the thread sanitizer too,
// which cannot see the locks inside Qt's event queue. One queued call runs one callable, so
// each keeps its place among the other events.
class MainThreadQueue : public QObject
{
    Q_OBJECT
public:
    void push(std::function<void()> fn)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_waiting.push_back(std::move(fn));
    }

public slots:
    void runOne()
    {
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_waiting.empty())
                return;
            fn = std::move(m_waiting.front());
            m_waiting.pop_front();
        }
        fn();
    }

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_waiting;
};

MainThreadQueue* g_queue = nullptr;

// Made by the application object's constructor, on its thread, before any worker can post.
// Never destroyed, like the logger: workers may post while static objects go away.
void makeQueue()
{
    if (!g_queue)
        g_queue = new MainThreadQueue();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(makeQueue)

void runOnMainThread(std::function<void()> fn)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !fn)
        return;
    if (!g_queue || g_queue->thread() != app->thread()) {
        QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
        return;
    }
    g_queue->push(std::move(fn));
    QMetaObject::invokeMethod(g_queue, "runOne", Qt::QueuedConnection);
}

} // namespace OV

#include "MainThread.moc"
