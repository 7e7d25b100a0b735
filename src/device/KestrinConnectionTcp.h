#pragma once

#include "device/KestrinConnection.h"
#include "device/KestrinHost.h"
#include "device/LineFramer.h"

#include <memory>

class QSslSocket;
class QTimer;

namespace OV {

// The hub link over TLS 1.3: one JSON object per line in both directions.
class KestrinConnectionTcp : public KestrinConnection
{
    Q_OBJECT
public:
    KestrinConnectionTcp(QObject* parent, std::shared_ptr<KestrinHost> host);
    ~KestrinConnectionTcp() override;

    void close() override;
    bool send(QByteArray& line) override;
    void connect() override;
    void disconnectSocket() override;

    std::shared_ptr<KestrinHost> host() const { return m_host; }

private:
    void onReadyRead();
    void onConnectTimeout();

    std::shared_ptr<KestrinHost> m_host;
    QSslSocket* m_socket = nullptr;
    QTimer* m_connectTimer = nullptr;
    LineFramer m_framer;
};

} // namespace OV
