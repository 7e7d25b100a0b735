#include "device/KestrinConnectionTcp.h"

#include "core/Logger.h"
#include "core/ResourceUtils.h"

#include <QNetworkProxy>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

namespace OV {

namespace {
constexpr const char* kTag = "KestrinConnectionTcp";
}

KestrinConnectionTcp::KestrinConnectionTcp(QObject* parent, std::shared_ptr<KestrinHost> host)
    : KestrinConnection(parent), m_host(std::move(host))
{
    m_socket = new QSslSocket(this);
    QSslConfiguration config = m_socket->sslConfiguration();
    const QList<QSslCertificate> ca = QSslCertificate::fromData(readResource(QStringLiteral(":/file/ks_root_ca.crt")));
    if (ca.isEmpty())
        Logger::warn(kTag, "root certificate missing");
    else
        config.addCaCertificate(ca.first());
    // The hub requires TLS 1.3 and presents a certificate that cannot be verified today.
    config.setProtocol(QSsl::TlsV1_3);
    m_socket->ignoreSslErrors();
    m_socket->setSslConfiguration(config);
    m_socket->setPeerVerifyMode(QSslSocket::VerifyNone);
    QObject::connect(m_socket, &QSslSocket::sslErrors, this, [](const QList<QSslError>& errors) {
        for (const QSslError& error : errors)
            Logger::error(kTag, "ssl error:%s", error.errorString().toUtf8().constData());
    });
    m_socket->setProxy(QNetworkProxy::NoProxy);
    QObject::connect(m_socket, &QSslSocket::connected, this, [this]() {
        // Requests and replies are single short lines: each goes out at once.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_connectTimer->stop();
        setState(Connected);
    });
    QObject::connect(m_socket, &QSslSocket::disconnected, this, [this]() { setState(Disconnected); });
    QObject::connect(m_socket, &QSslSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        Logger::error(kTag, "Socket error: %d, %s", static_cast<int>(error),
                      m_socket->errorString().toUtf8().constData());
        setState(Disconnected);
    });
    QObject::connect(m_socket, &QSslSocket::readyRead, this, &KestrinConnectionTcp::onReadyRead);

    m_connectTimer = new QTimer(this);
    m_connectTimer->setSingleShot(true);
    QObject::connect(m_connectTimer, &QTimer::timeout, this, &KestrinConnectionTcp::onConnectTimeout);
}

KestrinConnectionTcp::~KestrinConnectionTcp()
{
    // The socket aborts in its destructor; its signals must not reach a half-destroyed owner.
    onData = nullptr;
    onStateChanged = nullptr;
    onConnectResult = nullptr;
    m_socket->disconnect(this);
    m_connectTimer->stop();
}

void KestrinConnectionTcp::connect()
{
    if (m_socket->state() != QAbstractSocket::UnconnectedState) {
        // A link still closing belongs to an abandoned attempt: drop it quietly so that its
        // late signals do not answer for this attempt.
        const bool blocked = m_socket->blockSignals(true);
        m_socket->abort();
        m_socket->blockSignals(blocked);
    }
    // Bytes left from the previous link must not prefix the first line of this one.
    m_framer.reset();
    const int port = m_host ? m_host->port : 0;
    const QString ip = m_host ? m_host->ip : QString();
    m_connectTimer->start(connectTimeoutMs());
    if (port < 1 || port > 65535) {
        Logger::error(kTag, "invalid port:%d", port);
        m_connectTimer->stop();
        setState(Disconnected);
        return;
    }
    m_socket->connectToHostEncrypted(ip, static_cast<quint16>(port), QIODevice::ReadWrite,
                                     QAbstractSocket::AnyIPProtocol);
}

bool KestrinConnectionTcp::send(QByteArray& line)
{
    line.append('\n');
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return false;
    if (m_socket->write(line) <= 0)
        return false;
    // Handed to the network now rather than from a queued event on the next loop pass.
    m_socket->flush();
    return true;
}

void KestrinConnectionTcp::close()
{
    disconnectSocket();
    setState(Disconnected);
}

void KestrinConnectionTcp::disconnectSocket()
{
    m_connectTimer->stop();
    m_socket->disconnectFromHost();
}

void KestrinConnectionTcp::onConnectTimeout()
{
    if (state() == Connected)
        return;
    Logger::error(kTag, "connect timeout after %d ms", connectTimeoutMs());
    m_socket->abort();
    setState(Disconnected);
}

void KestrinConnectionTcp::onReadyRead()
{
    // Exactly what is there: readAll() sizes its result for a whole buffer block first and asks
    // the socket once more, while a read of this size hands over the received block as it is.
    const QList<QByteArray> lines = m_framer.push(m_socket->read(m_socket->bytesAvailable()));
    const bool overflowed = m_framer.overflowed();
    QPointer<KestrinConnectionTcp> alive(this);
    for (const QByteArray& line : lines) {
        if (onData) {
            const auto callback = onData;
            callback(line);
        }
        if (!alive)
            return;
    }
    if (overflowed) {
        Logger::error(kTag, "received line longer than %lld bytes, dropping the connection",
                      static_cast<long long>(m_framer.maxLineBytes()));
        m_socket->abort();
        setState(Disconnected);
    }
}

} // namespace OV
