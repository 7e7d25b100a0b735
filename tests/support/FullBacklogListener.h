#pragma once

#include <QtGlobal>

namespace OV::Test {

// A loopback port whose connection attempts never complete: its accept queue is kept full,
// so the kernel drops every further handshake. For connect time-outs.
class FullBacklogListener
{
public:
    FullBacklogListener();
    ~FullBacklogListener();
    FullBacklogListener(const FullBacklogListener&) = delete;
    FullBacklogListener& operator=(const FullBacklogListener&) = delete;

    bool isReady() const { return m_port != 0; }
    quint16 port() const { return m_port; }

private:
    int m_listenFd = -1;
    int m_fillerFd = -1;
    quint16 m_port = 0;
};

} // namespace OV::Test
