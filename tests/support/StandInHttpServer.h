#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QUrlQuery>

#include <nlohmann/json.hpp>

#include <functional>

class QHostAddress;
class QTcpServer;
class QTcpSocket;

namespace OV::Test {

// One part of a multipart/form-data body.
struct HttpFormPart
{
    QString name;
    QString fileName;
    QByteArray contentType;
    QByteArray data;
};

// A request as the stand-in received it.
struct HttpRequest
{
    QByteArray method;
    QString path;        // without the query
    QByteArray rawQuery; // as sent, undecoded, in the sender's order
    QUrlQuery query;
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
    QList<HttpFormPart> parts; // filled for multipart/form-data bodies

    QByteArray header(const QByteArray& name) const { return headers.value(name.toLower()); }
};

// What the stand-in does with a request.
struct HttpReply
{
    enum class Kind {
        Respond,      // status line, headers and the whole body, then close
        Silent,       // nothing at all; the connection stays open
        StallMidBody, // headers announcing the whole body, half of it, then nothing
        CloseEarly,   // headers announcing the whole body, half of it, then close
        AnswerTwice,  // the whole response twice in a row, then close
        Unsized,      // headers without Content-Length, part of the body, the rest later, then close
        Endless,      // headers without Content-Length, then filler as fast as the peer takes it
    };

    Kind kind = Kind::Respond;
    int status = 200;
    QByteArray contentType = "application/json";
    QByteArray body;
    int delayMs = 0;            // wait this long before acting
    qint64 partBytes = -1;      // StallMidBody, CloseEarly and Unsized: body bytes sent first; half when negative
    int restAfterMs = 0;        // Unsized: wait this long before sending the rest
    qint64 declaredLength = -1; // Respond, StallMidBody, CloseEarly, AnswerTwice: the Content-Length sent
                                // instead of the body's own size
    qint64 endlessCap = 0;      // Endless: the filler stops (the connection stays open) after this many
                                // bytes, so that a client without a bound cannot take all memory

    static HttpReply json(const nlohmann::json& value, int status = 200);
    static HttpReply bytes(const QByteArray& body, const QByteArray& contentType, int status = 200);
    static HttpReply file(const QString& path, const QByteArray& contentType = "application/octet-stream");
    static HttpReply silent();
    static HttpReply stallMidBody(const QByteArray& body, const QByteArray& contentType = "application/json");
    static HttpReply closeEarly(const QByteArray& body, const QByteArray& contentType = "application/json");
    static HttpReply answerTwice(const nlohmann::json& value);
    // The body without its length: its end is the end of the connection.
    static HttpReply unsized(const QByteArray& body, const QByteArray& contentType, int restAfterMs);
    // A 200 whose body never ends, as far as a bounded client can tell.
    static HttpReply endless(const QByteArray& contentType, qint64 capBytes);
};

// An HTTP/1.1 server on 127.0.0.1 (a free port) for tests: per-path handlers, a record of
// every request, and the misbehaviours a client must survive. Unknown paths get 404.
class StandInHttpServer : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<HttpReply(const HttpRequest&)>;

    explicit StandInHttpServer(QObject* parent = nullptr);
    ~StandInHttpServer() override;

    bool start();
    // On another loopback address or a fixed port.
    bool start(const QHostAddress& address, quint16 port);
    void stop();
    quint16 port() const;
    // http://<address>:<port> followed by the path (which may carry a query).
    QUrl url(const QString& pathAndQuery) const;
    QString urlText(const QString& pathAndQuery) const;

    void route(const QString& path, Handler handler);
    void route(const QString& path, const HttpReply& reply);

    // Reads at most this many bytes of each connection, then stops reading so the peer's
    // sending stalls once the socket buffers are full. Negative (the default): no limit.
    void setReadLimit(qint64 bytes) { m_readLimit = bytes; }

    const QList<HttpRequest>& requests() const { return m_requests; }
    int requestCount(const QString& path) const;
    int connectionCount() const { return m_connectionCount; }
    qint64 bytesReceived() const { return m_bytesReceived; }
    // Body bytes of endless replies handed to the sockets.
    qint64 endlessBytesSent() const { return m_endlessBytesSent; }
    // Processes events until n requests have arrived in all, or the time is up.
    bool waitForRequests(int n, int timeoutMs);

signals:
    void requestReceived(const OV::Test::HttpRequest& request);

private:
    struct Connection;
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    bool tryParse(Connection& c);
    void dispatch(QTcpSocket* socket, const HttpRequest& request);
    void act(QTcpSocket* socket, const HttpReply& reply);
    void pourEndless(QTcpSocket* socket, qint64 capBytes);

    QTcpServer* m_server;
    QHash<QString, Handler> m_routes;
    QHash<QTcpSocket*, Connection*> m_connections;
    QList<HttpRequest> m_requests;
    qint64 m_readLimit = -1;
    qint64 m_bytesReceived = 0;
    qint64 m_endlessBytesSent = 0;
    int m_connectionCount = 0;
};

} // namespace OV::Test
