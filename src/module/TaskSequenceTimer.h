#pragma once

#include <QObject>

#include <functional>
#include <vector>

class QTimer;

namespace OV {

// Runs a fixed list of tasks one after another, each after its own interval, then rests and
// starts over: with tasks (100 ms, A) and (500 ms, B) and a rest of 5000 ms, A runs 100 ms after
// start(), B 500 ms later, A again 5000 ms after B, and so on until stop().
class TaskSequenceTimer : public QObject
{
    Q_OBJECT
public:
    explicit TaskSequenceTimer(int restIntervalMs, QObject* parent = nullptr);

    void append(int intervalMs, std::function<void()> task);
    // From the first task again.
    void start();
    void stop();
    bool isActive() const;
    // The interval the timer now waits (the next task's, or the rest).
    int pendingIntervalMs() const;
    int restIntervalMs() const { return m_restIntervalMs; }

public slots:
    // What the timer does when its interval passed; tests call it in place of waiting.
    void onTimeout();

private:
    struct Task
    {
        int intervalMs;
        std::function<void()> run;
    };
    std::vector<Task> m_tasks;
    size_t m_index = 0;
    int m_restIntervalMs;
    QTimer* m_timer;
};

} // namespace OV
