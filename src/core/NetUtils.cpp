#include "core/NetUtils.h"

#include <QNetworkInterface>
#include <QUdpSocket>

namespace OV {

QHostAddress localIpAddress()
{
    QUdpSocket socket;
    socket.connectToHost(QHostAddress(QStringLiteral("8.8.8.8")), 53, QIODevice::ReadWrite);
    if (!socket.waitForConnected(0) && socket.state() != QAbstractSocket::ConnectedState)
        return {};
    return socket.localAddress();
}

QHostAddress broadcastAddressOf(const QHostAddress& address)
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& iface : interfaces) {
        const auto entries = iface.addressEntries();
        for (const QNetworkAddressEntry& entry : entries) {
            if (entry.ip() == address)
                return entry.broadcast();
        }
    }
    return {};
}

} // namespace OV
