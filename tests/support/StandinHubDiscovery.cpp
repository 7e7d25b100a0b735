#include "support/StandinHubDiscovery.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

namespace OV::Test {

StandinHubDiscovery::StandinHubDiscovery(QObject* parent)
    : QObject(parent), m_listenSocket(new QUdpSocket(this)), m_replySocket(new QUdpSocket(this)),
      m_announceTimer(new QTimer(this))
{
    connect(m_listenSocket, &QUdpSocket::readyRead, this, &StandinHubDiscovery::onReadyRead);
    connect(m_announceTimer, &QTimer::timeout, this, [this] { sendReply(m_announceTarget, m_announcePort); });
}

StandinHubDiscovery::Json StandinHubDiscovery::makeReply(const QString& serialNo, const QString& ip, int tcpPort)
{
    return {{"serialNo", serialNo.toStdString()}, {"ip", ip.toStdString()}, {"tcpPort", tcpPort}};
}

bool StandinHubDiscovery::listen(const QHostAddress& address, quint16 port, const QHostAddress& replyFrom)
{
    // Shared, so that a searcher on the same machine can hold the port too.
    if (!m_listenSocket->bind(address, port, QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint))
        return false;
    return m_replySocket->bind(replyFrom, 0);
}

quint16 StandinHubDiscovery::port() const
{
    return m_listenSocket->localPort();
}

QHostAddress StandinHubDiscovery::listenAddress() const
{
    return m_listenSocket->localAddress();
}

QHostAddress StandinHubDiscovery::replyAddress() const
{
    return m_replySocket->localAddress();
}

void StandinHubDiscovery::announce(const QHostAddress& target, quint16 port, int intervalMs)
{
    if (!target.isLoopback())
        return;
    m_announceTarget = target;
    m_announcePort = port;
    sendReply(target, port);
    if (intervalMs > 0)
        m_announceTimer->start(intervalMs);
}

void StandinHubDiscovery::onReadyRead()
{
    while (m_listenSocket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_listenSocket->receiveDatagram();
        if (datagram.data() != kRequestText)
            continue;
        ++m_requests;
        emit requestReceived(datagram.senderAddress(), quint16(datagram.senderPort()));
        sendReply(datagram.senderAddress(), quint16(datagram.senderPort()));
    }
}

void StandinHubDiscovery::sendReply(const QHostAddress& target, quint16 port)
{
    if (m_reply.isEmpty() || m_replySocket->state() != QAbstractSocket::BoundState)
        return;
    if (m_replySocket->writeDatagram(m_reply, target, port) == m_reply.size())
        ++m_replies;
}

} // namespace OV::Test
