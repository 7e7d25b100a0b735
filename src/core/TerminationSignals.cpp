#include "core/TerminationSignals.h"

#include "core/Logger.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace OV {

namespace {

const int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
// The write end, used from the handler; -1 while no watcher is active.
std::atomic<int> g_writeEnd{-1};
int g_readEnd = -1;
// Stop requests received while the watcher is active.
std::atomic<int> g_received{0};

// Asked again, the program ends at once, wherever it is: the first request may be waiting
// for an event loop that no longer runs, or for workers at exit. The signal's own default
// ends it, as if nothing had been watching.
void endNow(int signalNumber)
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signalNumber, &action, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signalNumber);
    ::pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
    ::raise(signalNumber);
    ::_exit(128 + signalNumber);
}

void onSignal(int signalNumber)
{
    if (g_received.fetch_add(1) > 0)
        endNow(signalNumber);
    // Only what a handler may do: one write of the signal number, errno left as it was.
    const int savedErrno = errno;
    const int fd = g_writeEnd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (g_writeEnd.load() >= 0) {
        Logger::warn("TerminationSignals", "another watcher is already active");
        return;
    }
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0) {
        Logger::warn("TerminationSignals", "cannot watch for stop requests: %s", std::strerror(errno));
        return;
    }
    g_readEnd = fds[0];
    g_received = 0;
    g_writeEnd = fds[1];
    m_notifier = new QSocketNotifier(g_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPending);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
    const int writeEnd = g_writeEnd.exchange(-1);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(writeEnd);
    ::close(g_readEnd);
    g_readEnd = -1;
}

void TerminationSignals::readPending()
{
    unsigned char bytes[16];
    ssize_t count = 0;
    while ((count = ::read(g_readEnd, bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            Logger::info("TerminationSignals", "stop requested by signal %d", int(bytes[i]));
            emit stopRequested(int(bytes[i]));
        }
    }
}

} // namespace OV
