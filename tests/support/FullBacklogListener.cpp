#include "support/FullBacklogListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace OV::Test {

FullBacklogListener::FullBacklogListener()
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listenFd < 0)
        return;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof(addr);
    // A backlog of 0 leaves room for exactly one unaccepted connection: the filler takes it.
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || ::listen(m_listenFd, 0) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return;
    m_fillerFd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_fillerFd < 0 || ::connect(m_fillerFd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0)
        return;
    m_port = ntohs(addr.sin_port);
}

FullBacklogListener::~FullBacklogListener()
{
    if (m_fillerFd >= 0)
        ::close(m_fillerFd);
    if (m_listenFd >= 0)
        ::close(m_listenFd);
}

} // namespace OV::Test
