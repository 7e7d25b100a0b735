#include "support/StandinHubConsole.h"

#include "support/StandinHub.h"
#include "support/StandinHubModuleStates.h"

#include <QSocketNotifier>

#include <unistd.h>

#include <cerrno>
#include <optional>
#include <utility>

namespace OV::Test {

StandinHubConsole::StandinHubConsole(StandinHub& hub, StandinHubModuleStates& states, int fd, Print print,
                                     QObject* parent)
    : QObject(parent), m_hub(hub), m_states(states), m_fd(fd), m_print(std::move(print)),
      m_notifier(new QSocketNotifier(fd, QSocketNotifier::Read, this))
{
    connect(m_notifier, &QSocketNotifier::activated, this, &StandinHubConsole::onReadable);
}

void StandinHubConsole::onReadable()
{
    char buffer[4096];
    const ssize_t n = ::read(m_fd, buffer, sizeof(buffer));
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {
        // A last line without its line feed still counts.
        if (!m_pending.empty())
            runLine(std::exchange(m_pending, {}));
        m_print("standard input closed: stopping");
        finish();
        return;
    }
    m_pending.append(buffer, size_t(n));
    size_t feed;
    while (!m_finished && (feed = m_pending.find('\n')) != std::string::npos) {
        const std::string line = m_pending.substr(0, feed);
        m_pending.erase(0, feed + 1);
        runLine(line);
    }
}

void StandinHubConsole::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_notifier->setEnabled(false);
    emit finished();
}

// "cmd TYPE [payload as JSON]", e.g. "cmd GET_VOLUME", "cmd SET_MUTE true",
// "cmd PC_CONTROL {"action":"openBrowser","params":{"url":"https://example.org"}}".
void StandinHubConsole::runLine(const std::string& line)
{
    if (line.empty() || m_finished)
        return;
    if (line == "help") {
        m_print("cmd TYPE [JSON payload]   send a command to the PC (TEST, PC_CONTROL, GET_VOLUME, SET_VOLUME,");
        m_print("                          GET_MUTE, SET_MUTE, CPU, MEMORY, STORAGE, NETWORK)");
        m_print("module SERIAL online|offline");
        m_print("                          what the hub reports of a module's online state (act 30730)");
        m_print("quit                      stop (so does the end of the input)");
        return;
    }
    if (std::string reply; m_states.runCommand(line, reply)) {
        m_print(reply);
        return;
    }
    if (line == "quit") {
        finish();
        return;
    }
    if (line.rfind("cmd ", 0) != 0) {
        m_print("unknown input; type help");
        return;
    }
    const std::string rest = line.substr(4);
    const size_t space = rest.find(' ');
    const std::string type = rest.substr(0, space);
    std::optional<StandinHub::Json> payload;
    if (space != std::string::npos) {
        payload = StandinHub::Json::parse(rest.substr(space + 1), nullptr, false);
        if (payload->is_discarded()) {
            m_print("the payload is not JSON");
            return;
        }
    }
    if (m_hub.clientCount() == 0) {
        m_print("no program connected");
        return;
    }
    m_print("-> command " + m_hub.sendCommand(type, payload) + " " + type);
}

} // namespace OV::Test
