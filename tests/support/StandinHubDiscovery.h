#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>

#include <nlohmann/json.hpp>

class QTimer;
class QUdpSocket;

namespace OV::Test {

// The hub's side of discovery: listens for "discovery.orvelbar" and answers each with its
// JSON reply, sent from a loopback address other than 127.0.0.1 (the searcher ignores that
// one). Only ever sends to the sender of a request or to an explicit loopback target.
class StandinHubDiscovery : public QObject
{
    Q_OBJECT
public:
    using Json = nlohmann::json;

    static constexpr const char* kRequestText = "discovery.orvelbar";

    explicit StandinHubDiscovery(QObject* parent = nullptr);

    // Listens on address:port (port 0 picks a free one) and answers from replyFrom.
    bool listen(const QHostAddress& address, quint16 port,
                const QHostAddress& replyFrom = QHostAddress(QStringLiteral("127.0.0.2")));
    quint16 port() const;
    QHostAddress listenAddress() const;
    QHostAddress replyAddress() const;

    // The reply {"serialNo", "ip", "tcpPort"}; any JSON, so tests can send wrong types.
    void setReply(const Json& reply) { m_reply = QByteArray::fromStdString(reply.dump()); }
    void setReplyBytes(const QByteArray& bytes) { m_reply = bytes; }
    static Json makeReply(const QString& serialNo, const QString& ip, int tcpPort);

    // Sends the reply unasked to a loopback target, now and then every intervalMs (0: once).
    void announce(const QHostAddress& target, quint16 port, int intervalMs = 0);

    int requestCount() const { return m_requests; }
    int replyCount() const { return m_replies; }

signals:
    void requestReceived(const QHostAddress& sender, quint16 senderPort);

private:
    void onReadyRead();
    void sendReply(const QHostAddress& target, quint16 port);

    QUdpSocket* m_listenSocket;
    QUdpSocket* m_replySocket;
    QTimer* m_announceTimer;
    QHostAddress m_announceTarget;
    quint16 m_announcePort = 0;
    QByteArray m_reply;
    int m_requests = 0;
    int m_replies = 0;
};

} // namespace OV::Test
