#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include "device/KestrinTimings.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <optional>
#include <string>

class QHostAddress;
class QSslServer;
class QSslSocket;

namespace OV::Test {

// A hub on loopback for tests: TLS 1.3, one JSON object per line. It answers every act of the
// protocol with a plausible success unless a script says otherwise, knows the pairing exchange,
// pushes messages of its own and records every line it received.
class StandinHub : public QObject
{
    Q_OBJECT
public:
    using Json = nlohmann::json;
    // Called for a received message of a scripted act; answer through reply()/sendTo().
    using Handler = std::function<void(QSslSocket* client, const Json& message)>;

    static constexpr int kRejectCode = 401;
    static constexpr int kActCommand = 1000000;

    explicit StandinHub(QObject* parent = nullptr);
    ~StandinHub() override;

    // Listens on 127.0.0.1; port 0 picks a free one.
    bool listen(quint16 port = 0);
    // Listens on another loopback address.
    bool listen(const QHostAddress& address, quint16 port);
    void close();
    quint16 port() const;
    static QString address() { return QStringLiteral("127.0.0.1"); }
    // The address it listens on.
    QString listenAddress() const;
    static QString certsDir();
    // The product's session timings divided by about twenty, for tests of the session's own
    // timing.
    static KestrinTimings fastTimings(int connectTimeoutMs = 500);
    // For tests that are not about the session's timing: it connects and reconnects as fast,
    // but a stall of seconds on a busy machine neither ends the session nor fails its checks.
    static KestrinTimings steadyTimings();

    // Scripts for one act, replacing the built-in behaviour.
    void replyOk(int act, Json data = nullptr);
    void replyError(int act, int code, const QString& msg);
    void replySilent(int act);
    void replyTwice(int act, Json data = nullptr);
    // Closes the connection that sent the act, without answering.
    void replyDrop(int act);
    // Answers with these bytes as they are (nothing appended).
    void replyRaw(int act, QByteArray bytes);
    void setHandler(int act, Handler handler);
    void resetScript(int act);
    void resetAllScripts();

    // Pairing: act 100 with the valid token gets 200, any other token kRejectCode. Act 101 gets
    // waitReplies replies {"state":0}, then after the confirm delay {"state":1,"token":...} with
    // the issued token, which becomes the valid one.
    void setValidToken(const QString& token) { m_validToken = token; }
    QString validToken() const { return m_validToken; }
    void setIssuedToken(const QString& token) { m_issuedToken = token; }
    QString issuedToken() const { return m_issuedToken; }
    void setConfirmDelayMs(int ms) { m_confirmDelayMs = ms; }
    void setWaitReplies(int count) { m_waitReplies = count; }

    // Messages of its own to every connected client.
    void push(int act, int code, const Json& data);
    // A command for the PC (act 1000000, no code) with data {"type"} and, when given,
    // {"payload"}; returns its id.
    std::string sendCommand(const std::string& type, const std::optional<Json>& payload = std::nullopt);
    // Same, with data as given.
    std::string sendCommandData(const Json& data);
    // Messages received with that id.
    QList<Json> receivedWithId(const std::string& id) const;
    void sendRaw(const QByteArray& bytes);
    void dropConnections();

    static void reply(QSslSocket* client, const Json& request, int code, const Json& data = nullptr,
                      const QString& msg = {});
    static void sendTo(QSslSocket* client, const QByteArray& bytes);

    QList<QByteArray> receivedLines() const { return m_lines; }
    QList<Json> received(int act) const;
    int receivedCount(int act) const;
    // Runs the event loop until that many messages of the act arrived in total.
    bool waitForReceived(int act, int count, int timeoutMs);
    void clearRecords();
    int clientCount() const { return static_cast<int>(m_clients.size()); }
    int connectionCount() const { return static_cast<int>(m_connectTimes.size()); }
    // Steady-clock milliseconds at which each client connected.
    QList<qint64> connectTimes() const { return m_connectTimes; }
    // Steady-clock milliseconds at which the first message of the act arrived; -1: none yet.
    qint64 firstReceivedAt(int act) const;
    // The steady clock those times are read on.
    static qint64 clockMs();

    // A loopback port whose listener never completes a TCP handshake: connects to it hang until
    // the client gives up.
    class SilentListener
    {
    public:
        SilentListener();
        ~SilentListener();
        SilentListener(const SilentListener&) = delete;
        SilentListener& operator=(const SilentListener&) = delete;
        bool isValid() const { return m_port != 0; }
        quint16 port() const { return m_port; }

    private:
        int m_listenFd = -1;
        QList<int> m_fillers;
        quint16 m_port = 0;
    };

signals:
    void lineReceived(const QByteArray& line);
    void clientConnected();

private:
    struct Script
    {
        enum Kind { Ok, Error, Silent, Twice, Drop, Raw, Custom };
        Kind kind = Ok;
        Json data;
        int code = 200;
        QString msg;
        QByteArray raw;
        Handler handler;
    };

    void onPendingConnection();
    void onReadyRead(QSslSocket* client);
    void onMessage(QSslSocket* client, const QByteArray& line);
    void answerBuiltIn(QSslSocket* client, int act, const Json& message);
    void answerTokenRequest(QSslSocket* client, const Json& message);

    QSslServer* m_server = nullptr;
    QHash<QSslSocket*, QByteArray> m_clients;
    std::map<int, Script> m_scripts;
    QList<QByteArray> m_lines;
    QList<qint64> m_connectTimes;
    QList<qint64> m_lineTimes; // one for each of m_lines
    QString m_validToken;
    QString m_issuedToken = QStringLiteral("standin-token-1");
    int m_confirmDelayMs = 20;
    int m_waitReplies = 1;
    int m_pushCounter = 0;
};

} // namespace OV::Test
