#pragma once

#include "device/KestrinSearchResult.h"

#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

class QNetworkDatagram;
class QTimer;
class QUdpSocket;

namespace OV {

// Where discovery datagrams go and how often. The defaults are the product's; tests point the
// searcher at a loopback responder and shorten the period.
struct KestrinSearchOptions
{
    // Null: the broadcast address of the interface that holds the local address.
    QHostAddress target;
    quint16 targetPort = 5319;
    quint16 bindPort = 5319;
    int intervalMs = 2000;
    // Unset: the address the system would use to reach the outside.
    std::optional<QHostAddress> localAddress;
};

// Finds hubs on the local network: broadcasts "discovery.orvelbar" every 2 s and reports each
// hub that answers once, by serial number. GUI thread only.
class KestrinSearcher : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 kPort = 5319;
    static constexpr int kIntervalMs = 2000;
    static constexpr const char* kDiscoveryText = "discovery.orvelbar";

    // Binds and listens at once; nothing is sent before start().
    explicit KestrinSearcher(QObject* parent = nullptr);
    explicit KestrinSearcher(const KestrinSearchOptions& options, QObject* parent = nullptr);
    ~KestrinSearcher() override;

    void start();
    // Stops broadcasting; replies are still handled until the searcher goes.
    void stop();

    bool isSearching() const;
    bool isBound() const;
    QHostAddress localAddress() const { return m_localAddress; }
    QHostAddress targetAddress() const { return m_target; }
    quint16 boundPort() const;

    // Called once for every serial number not seen before.
    std::function<void(const KestrinSearchResult&)> onFound;

private:
    void broadcast();
    void onReadyRead();
    void handleDatagram(const QNetworkDatagram& datagram);

    KestrinSearchOptions m_options;
    QHostAddress m_localAddress;
    QHostAddress m_target;
    QSet<QString> m_reported;
    QUdpSocket* m_socket = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace OV
