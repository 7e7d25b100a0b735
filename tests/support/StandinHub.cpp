#include "support/StandinHub.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTest>
#include <QTimer>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace OV::Test {

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 steadyMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

// Acts whose request carries a value the reply is expected to mirror or describe.
StandinHub::Json builtInData(int act, const StandinHub::Json& request)
{
    using Json = StandinHub::Json;
    const Json data = request.contains("data") ? request["data"] : Json();
    switch (act) {
    case 1002:
    case 1205:
    case 1617:
        return Json::array();
    case 30200:
        return {{"result", "1.0.0"}};
    case 30400:
        return {{"epSn", data.is_object() && data.contains("epSn") ? data["epSn"] : Json("")}, {"err", 0}};
    case 30401:
        return {{"err", 0}};
    case 30730: {
        Json states = Json::array();
        if (data.is_array())
            for (const Json& sn : data)
                states.push_back({{"serialNo", sn}, {"online", true}});
        return states;
    }
    default:
        return nullptr;
    }
}

} // namespace

QString StandinHub::certsDir()
{
    return QStringLiteral(ORVEL_TEST_CERTS_DIR);
}

StandinHub::StandinHub(QObject* parent) : QObject(parent)
{
    m_server = new QSslServer(this);
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificate(QSslCertificate(readFile(certsDir() + QStringLiteral("/hub.crt")), QSsl::Pem));
    config.setPrivateKey(QSslKey(readFile(certsDir() + QStringLiteral("/hub.key")), QSsl::Ec, QSsl::Pem));
    config.setProtocol(QSsl::TlsV1_3);
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_server->setSslConfiguration(config);
    connect(m_server, &QSslServer::startedEncryptionHandshake, this,
            [this](QSslSocket*) { m_connectTimes.append(steadyMs()); });
    connect(m_server, &QSslServer::pendingConnectionAvailable, this, &StandinHub::onPendingConnection);
}

StandinHub::~StandinHub()
{
    close();
}

bool StandinHub::listen(quint16 port)
{
    return m_server->listen(QHostAddress(address()), port);
}

bool StandinHub::listen(const QHostAddress& address, quint16 port)
{
    return m_server->listen(address, port);
}

QString StandinHub::listenAddress() const
{
    return m_server->serverAddress().toString();
}

void StandinHub::close()
{
    m_server->close();
    dropConnections();
}

quint16 StandinHub::port() const
{
    return m_server->serverPort();
}

void StandinHub::onPendingConnection()
{
    while (m_server->hasPendingConnections()) {
        auto* client = qobject_cast<QSslSocket*>(m_server->nextPendingConnection());
        if (!client)
            continue;
        client->setParent(this);
        m_clients.insert(client, {});
        connect(client, &QSslSocket::readyRead, this, [this, client]() { onReadyRead(client); });
        connect(client, &QSslSocket::disconnected, this, [this, client]() {
            m_clients.remove(client);
            client->deleteLater();
        });
        emit clientConnected();
        if (client->bytesAvailable() > 0)
            onReadyRead(client);
    }
}

void StandinHub::onReadyRead(QSslSocket* client)
{
    auto it = m_clients.find(client);
    if (it == m_clients.end())
        return;
    it->append(client->readAll());
    QList<QByteArray> lines;
    qsizetype feed;
    while ((feed = it->indexOf('\n')) >= 0) {
        lines.append(it->left(feed));
        it->remove(0, feed + 1);
    }
    QPointer<QSslSocket> alive(client);
    for (const QByteArray& line : lines) {
        if (!alive || !m_clients.contains(client))
            return;
        m_lines.append(line);
        m_lineTimes.append(steadyMs());
        emit lineReceived(line);
        onMessage(client, line);
    }
}

void StandinHub::onMessage(QSslSocket* client, const QByteArray& line)
{
    const Json message = Json::parse(line.constBegin(), line.constEnd(), nullptr, false);
    if (!message.is_object() || !message.contains("act") || !message["act"].is_number_integer())
        return;
    // Replies to the hub's own commands need no answer.
    if (message.contains("code"))
        return;
    const int act = message["act"].get<int>();
    const auto it = m_scripts.find(act);
    if (it == m_scripts.end()) {
        answerBuiltIn(client, act, message);
        return;
    }
    const Script script = it->second;
    switch (script.kind) {
    case Script::Ok:
        reply(client, message, 200, script.data);
        break;
    case Script::Error:
        reply(client, message, script.code, nullptr, script.msg);
        break;
    case Script::Silent:
        break;
    case Script::Twice:
        reply(client, message, 200, script.data);
        reply(client, message, 200, script.data);
        break;
    case Script::Drop:
        client->abort();
        break;
    case Script::Raw:
        sendTo(client, script.raw);
        break;
    case Script::Custom:
        if (script.handler)
            script.handler(client, message);
        break;
    }
}

void StandinHub::answerBuiltIn(QSslSocket* client, int act, const Json& message)
{
    if (act == 100) {
        const Json token = message.contains("data") ? message["data"] : Json();
        const bool valid = token.is_string() && !m_validToken.isEmpty() &&
                           QString::fromStdString(token.get<std::string>()) == m_validToken;
        if (valid)
            reply(client, message, 200);
        else
            reply(client, message, kRejectCode, nullptr, QStringLiteral("invalid token"));
        return;
    }
    if (act == 101) {
        answerTokenRequest(client, message);
        return;
    }
    reply(client, message, 200, builtInData(act, message));
}

void StandinHub::answerTokenRequest(QSslSocket* client, const Json& message)
{
    for (int i = 0; i < m_waitReplies; ++i)
        reply(client, message, 200, {{"state", 0}});
    QPointer<QSslSocket> target(client);
    QTimer::singleShot(m_confirmDelayMs, this, [this, target, message]() {
        if (!target || !m_clients.contains(target.data()))
            return;
        m_validToken = m_issuedToken;
        reply(target.data(), message, 200, {{"state", 1}, {"token", m_issuedToken.toStdString()}});
    });
}

void StandinHub::reply(QSslSocket* client, const Json& request, int code, const Json& data, const QString& msg)
{
    Json answer = {{"id", request.contains("id") ? request["id"] : Json("")},
                   {"act", request.contains("act") ? request["act"] : Json(0)},
                   {"code", code}};
    if (!msg.isEmpty())
        answer["msg"] = msg.toStdString();
    if (!data.is_null())
        answer["data"] = data;
    sendTo(client, QByteArray::fromStdString(answer.dump()) + '\n');
}

void StandinHub::sendTo(QSslSocket* client, const QByteArray& bytes)
{
    if (client && client->state() == QAbstractSocket::ConnectedState)
        client->write(bytes);
}

void StandinHub::push(int act, int code, const Json& data)
{
    Json message = {{"id", "hub-" + std::to_string(++m_pushCounter)}, {"act", act}, {"code", code}};
    if (!data.is_null())
        message["data"] = data;
    sendRaw(QByteArray::fromStdString(message.dump()) + '\n');
}

std::string StandinHub::sendCommand(const std::string& type, const std::optional<Json>& payload)
{
    Json data = {{"type", type}};
    if (payload)
        data["payload"] = *payload;
    return sendCommandData(data);
}

std::string StandinHub::sendCommandData(const Json& data)
{
    const std::string id = "cmd-" + std::to_string(++m_pushCounter);
    const Json message = {{"id", id}, {"act", kActCommand}, {"data", data}};
    sendRaw(QByteArray::fromStdString(message.dump()) + '\n');
    return id;
}

QList<StandinHub::Json> StandinHub::receivedWithId(const std::string& id) const
{
    QList<Json> result;
    for (const QByteArray& line : m_lines) {
        Json message = Json::parse(line.constBegin(), line.constEnd(), nullptr, false);
        if (message.is_object() && message.contains("id") && message["id"] == id)
            result.append(std::move(message));
    }
    return result;
}

void StandinHub::sendRaw(const QByteArray& bytes)
{
    const QList<QSslSocket*> clients = m_clients.keys();
    for (QSslSocket* client : clients)
        sendTo(client, bytes);
}

void StandinHub::dropConnections()
{
    const QList<QSslSocket*> clients = m_clients.keys();
    m_clients.clear();
    for (QSslSocket* client : clients) {
        client->abort();
        client->deleteLater();
    }
}

void StandinHub::replyOk(int act, Json data)
{
    m_scripts[act] = Script{Script::Ok, std::move(data), 200, {}, {}, {}};
}

void StandinHub::replyError(int act, int code, const QString& msg)
{
    m_scripts[act] = Script{Script::Error, nullptr, code, msg, {}, {}};
}

void StandinHub::replySilent(int act)
{
    m_scripts[act] = Script{Script::Silent, nullptr, 0, {}, {}, {}};
}

void StandinHub::replyTwice(int act, Json data)
{
    m_scripts[act] = Script{Script::Twice, std::move(data), 200, {}, {}, {}};
}

void StandinHub::replyDrop(int act)
{
    m_scripts[act] = Script{Script::Drop, nullptr, 0, {}, {}, {}};
}

void StandinHub::replyRaw(int act, QByteArray bytes)
{
    m_scripts[act] = Script{Script::Raw, nullptr, 0, {}, std::move(bytes), {}};
}

void StandinHub::setHandler(int act, Handler handler)
{
    m_scripts[act] = Script{Script::Custom, nullptr, 0, {}, {}, std::move(handler)};
}

void StandinHub::resetScript(int act)
{
    m_scripts.erase(act);
}

void StandinHub::resetAllScripts()
{
    m_scripts.clear();
}

QList<StandinHub::Json> StandinHub::received(int act) const
{
    QList<Json> result;
    for (const QByteArray& line : m_lines) {
        Json message = Json::parse(line.constBegin(), line.constEnd(), nullptr, false);
        if (message.is_object() && message.contains("act") && message["act"] == act)
            result.append(std::move(message));
    }
    return result;
}

qint64 StandinHub::firstReceivedAt(int act) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Json message = Json::parse(m_lines[i].constBegin(), m_lines[i].constEnd(), nullptr, false);
        if (message.is_object() && message.contains("act") && message["act"] == act)
            return m_lineTimes.value(i, -1);
    }
    return -1;
}

qint64 StandinHub::clockMs()
{
    return steadyMs();
}

int StandinHub::receivedCount(int act) const
{
    return static_cast<int>(received(act).size());
}

bool StandinHub::waitForReceived(int act, int count, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (receivedCount(act) < count) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

void StandinHub::clearRecords()
{
    m_lines.clear();
    m_lineTimes.clear();
    m_connectTimes.clear();
}

StandinHub::SilentListener::SilentListener()
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        return;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof(addr);
    // A backlog of 0 holds one finished handshake; once a filler occupies it, the kernel drops
    // every further SYN, so later connects never complete.
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(m_listenFd, 0) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return;
    for (int i = 0; i < 2; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return;
        m_fillers.append(fd);
        ::connect(fd, reinterpret_cast<sockaddr*>(&addr), len);
        QTest::qWait(20);
    }
    m_port = ntohs(addr.sin_port);
}

StandinHub::SilentListener::~SilentListener()
{
    for (int fd : m_fillers)
        ::close(fd);
    if (m_listenFd >= 0)
        ::close(m_listenFd);
}

KestrinTimings StandinHub::fastTimings(int connectTimeoutMs)
{
    KestrinTimings t;
    t.tickMs = 20;
    t.connectTimeoutMs = connectTimeoutMs;
    t.tokenCheckTimeoutMs = 400;
    t.tokenRequestTimeoutMs = 800;
    t.heartbeatIntervalMs = 150;
    t.heartbeatSilenceMs = 75;
    t.readyWindowMs = 750;
    t.reconnectSpacingMs = 1500;
    return t;
}

KestrinTimings StandinHub::steadyTimings()
{
    KestrinTimings t = fastTimings(2000);
    t.tokenCheckTimeoutMs = 5000;
    t.tokenRequestTimeoutMs = 5000;
    t.heartbeatIntervalMs = 1000;
    t.heartbeatSilenceMs = 500;
    t.readyWindowMs = 15000;
    return t;
}

} // namespace OV::Test
