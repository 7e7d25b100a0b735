#include "device/KestrinSearcher.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "core/NetUtils.h"
#include "device/KestrinMessage.h"

#include <QNetworkDatagram>
#include <QPointer>
#include <QTimer>
#include <QUdpSocket>

#include <nlohmann/json.hpp>

#include <stdexcept>

namespace OV {

namespace {

constexpr const char* kTag = "KestrinSearcher";

// "tcpPort" is a number; hubs that send a boolean or a fraction are read as C would.
int readPort(const nlohmann::json& reply)
{
    const nlohmann::json& field = reply.at("tcpPort");
    if (field.is_boolean())
        return field.get<bool>() ? 1 : 0;
    return KestrinMessage::readInt(reply, "tcpPort");
}

} // namespace

KestrinSearcher::KestrinSearcher(QObject* parent) : KestrinSearcher(KestrinSearchOptions{}, parent) {}

KestrinSearcher::KestrinSearcher(const KestrinSearchOptions& options, QObject* parent)
    : QObject(parent), m_options(options)
{
    m_localAddress = m_options.localAddress ? *m_options.localAddress : localIpAddress();
    m_target = m_options.target.isNull() ? broadcastAddressOf(m_localAddress) : m_options.target;

    m_socket = new QUdpSocket(this);
    // Other programs on this machine may listen for hubs too: share the port.
    if (!m_socket->bind(QHostAddress::AnyIPv4, m_options.bindPort,
                        QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        Logger::error(kTag, "bind port %d error:%s", int(m_options.bindPort),
                      m_socket->errorString().toUtf8().constData());
    }
    connect(m_socket, &QUdpSocket::readyRead, this, &KestrinSearcher::onReadyRead);

    m_timer = new QTimer(this);
    m_timer->setInterval(m_options.intervalMs);
    connect(m_timer, &QTimer::timeout, this, &KestrinSearcher::broadcast);
}

KestrinSearcher::~KestrinSearcher() = default;

void KestrinSearcher::start()
{
    Logger::info(kTag, "start searching...");
    Logger::info(kTag, "use broadcast address:%s", m_target.toString().toUtf8().constData());
    m_timer->start();
    broadcast();
}

void KestrinSearcher::stop()
{
    Logger::info(kTag, "stop searching...");
    m_timer->stop();
}

bool KestrinSearcher::isSearching() const
{
    return m_timer->isActive();
}

bool KestrinSearcher::isBound() const
{
    return m_socket->state() == QAbstractSocket::BoundState;
}

quint16 KestrinSearcher::boundPort() const
{
    return m_socket->localPort();
}

void KestrinSearcher::broadcast()
{
    m_socket->writeDatagram(QByteArray(kDiscoveryText), m_target, m_options.targetPort);
}

void KestrinSearcher::onReadyRead()
{
    // onFound may delete the searcher.
    QPointer<KestrinSearcher> alive(this);
    while (alive && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        try {
            handleDatagram(datagram);
        } catch (const std::exception& e) {
            Logger::error(kTag, "readyRead error:%s", e.what());
        }
    }
}

void KestrinSearcher::handleDatagram(const QNetworkDatagram& datagram)
{
    const QHostAddress sender = datagram.senderAddress();
    // Our own broadcast comes back to us.
    if (!m_localAddress.isNull() && sender.isEqual(m_localAddress, QHostAddress::ConvertV4MappedToIPv4))
        return;
    if (sender == QHostAddress(QHostAddress::LocalHost) || sender == QHostAddress(QHostAddress::LocalHostIPv6) ||
        sender == QHostAddress(QHostAddress::AnyIPv4))
        return;

    const std::string text = QString::fromUtf8(datagram.data()).toStdString();
    const nlohmann::json reply = nlohmann::json::parse(text);
    KestrinSearchResult result;
    result.sn = OV::fromStdText(reply.at("serialNo").get<std::string>());
    result.ip = OV::fromStdText(reply.at("ip").get<std::string>());
    result.port = readPort(reply);

    if (m_reported.contains(result.sn))
        return;
    m_reported.insert(result.sn);
    Logger::info(kTag, "find new device, sn:%s, ip:%s, port:%d", result.sn.toUtf8().constData(),
                 result.ip.toUtf8().constData(), result.port);
    if (onFound)
        onFound(result);
}

} // namespace OV
