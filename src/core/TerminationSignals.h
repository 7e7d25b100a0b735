#pragma once

#include <QObject>

class QSocketNotifier;

namespace OV {

// Turns the requests to stop that a desktop session or a terminal sends (SIGTERM, SIGHUP,
// SIGINT) into a signal on the thread that made the watcher, so the program can end as its own
// "Exit" does: the event loop returns, the project closes, every buffered log line is written.
// A second request ends the program at once, from the handler, whatever it is doing.
// Only one watcher is active at a time; destroying it restores the default handling.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool isActive() const { return m_notifier != nullptr; }

signals:
    void stopRequested(int signalNumber);

private:
    void readPending();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace OV
