#pragma once

#include <QObject>

#include <functional>
#include <string>

class QSocketNotifier;

namespace OV::Test {

class StandinHub;
class StandinHubModuleStates;

// What a person types to the runnable stand-in hub, one command a line, read from a file
// descriptor (its standard input): module states, commands for the PC, "help" and "quit". The
// end of the input ends it as "quit" does, so that a stand-in started from a script or with its
// input closed stops by itself.
class StandinHubConsole : public QObject
{
    Q_OBJECT
public:
    using Print = std::function<void(const std::string&)>;

    StandinHubConsole(StandinHub& hub, StandinHubModuleStates& states, int fd, Print print, QObject* parent = nullptr);

    void runLine(const std::string& line);

signals:
    // "quit" was typed or the input ended; nothing more is read.
    void finished();

private:
    void onReadable();
    void finish();

    StandinHub& m_hub;
    StandinHubModuleStates& m_states;
    int m_fd;
    Print m_print;
    QSocketNotifier* m_notifier;
    std::string m_pending;
    bool m_finished = false;
};

} // namespace OV::Test
