#include "module/TaskSequenceTimer.h"

#include <QTimer>

namespace OV {

TaskSequenceTimer::TaskSequenceTimer(int restIntervalMs, QObject* parent)
    : QObject(parent), m_restIntervalMs(restIntervalMs), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &TaskSequenceTimer::onTimeout);
}

void TaskSequenceTimer::append(int intervalMs, std::function<void()> task)
{
    m_tasks.push_back({intervalMs, std::move(task)});
}

void TaskSequenceTimer::start()
{
    m_index = 0;
    if (m_tasks.empty())
        return;
    m_timer->start(m_tasks.front().intervalMs);
}

void TaskSequenceTimer::stop()
{
    m_timer->stop();
}

bool TaskSequenceTimer::isActive() const
{
    return m_timer->isActive();
}

int TaskSequenceTimer::pendingIntervalMs() const
{
    return m_timer->interval();
}

void TaskSequenceTimer::onTimeout()
{
    if (m_tasks.empty())
        return;
    const size_t current = m_index;
    ++m_index;
    if (m_index < m_tasks.size()) {
        m_timer->start(m_tasks[m_index].intervalMs);
    } else {
        m_index = 0;
        m_timer->start(m_restIntervalMs);
    }
    // The timer is set before the task runs, so a task that stops the sequence stays stopped.
    if (m_tasks[current].run)
        m_tasks[current].run();
}

} // namespace OV
