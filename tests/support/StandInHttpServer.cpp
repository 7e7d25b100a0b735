#include "support/StandInHttpServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace OV::Test {

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

QByteArray responseHead(const HttpReply& reply, bool close)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    head += "Content-Type: " + reply.contentType + "\r\n";
    if (reply.kind != HttpReply::Kind::Unsized && reply.kind != HttpReply::Kind::Endless)
        head += "Content-Length: " +
                QByteArray::number(reply.declaredLength >= 0 ? reply.declaredLength : reply.body.size()) + "\r\n";
    if (close)
        head += "Connection: close\r\n";
    head += "\r\n";
    return head;
}

// The value of a parameter such as name="x" inside a header value.
QByteArray headerParameter(const QByteArray& value, const QByteArray& parameter)
{
    for (QByteArray piece : value.split(';')) {
        piece = piece.trimmed();
        const int eq = piece.indexOf('=');
        if (eq < 0 || piece.left(eq).trimmed().toLower() != parameter)
            continue;
        QByteArray v = piece.mid(eq + 1).trimmed();
        if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"'))
            v = v.mid(1, v.size() - 2);
        return v;
    }
    return {};
}

QList<HttpFormPart> parseMultipart(const QByteArray& contentType, const QByteArray& body)
{
    QList<HttpFormPart> parts;
    const QByteArray boundary = headerParameter(contentType, "boundary");
    if (boundary.isEmpty())
        return parts;
    const QByteArray delimiter = "--" + boundary;
    qsizetype pos = body.indexOf(delimiter);
    while (pos >= 0) {
        pos += delimiter.size();
        if (body.mid(pos, 2) == "--")
            break;
        pos += 2; // CRLF after the delimiter
        const qsizetype headEnd = body.indexOf("\r\n\r\n", pos);
        if (headEnd < 0)
            break;
        const qsizetype next = body.indexOf(QByteArray("\r\n" + delimiter), headEnd + 4);
        if (next < 0)
            break;
        HttpFormPart part;
        for (const QByteArray& line : body.mid(pos, headEnd - pos).split('\n')) {
            const int colon = line.indexOf(':');
            if (colon < 0)
                continue;
            const QByteArray name = line.left(colon).trimmed().toLower();
            const QByteArray value = line.mid(colon + 1).trimmed();
            if (name == "content-disposition") {
                part.name = QString::fromUtf8(headerParameter(value, "name"));
                part.fileName = QString::fromUtf8(headerParameter(value, "filename"));
            } else if (name == "content-type") {
                part.contentType = value;
            }
        }
        part.data = body.mid(headEnd + 4, next - headEnd - 4);
        parts.append(part);
        pos = next + 2;
    }
    return parts;
}

} // namespace

HttpReply HttpReply::json(const nlohmann::json& value, int status)
{
    return bytes(QByteArray::fromStdString(value.dump()), "application/json", status);
}

HttpReply HttpReply::bytes(const QByteArray& body, const QByteArray& contentType, int status)
{
    HttpReply reply;
    reply.status = status;
    reply.contentType = contentType;
    reply.body = body;
    return reply;
}

HttpReply HttpReply::file(const QString& path, const QByteArray& contentType)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return bytes("no such file", "text/plain", 404);
    return bytes(f.readAll(), contentType);
}

HttpReply HttpReply::silent()
{
    HttpReply reply;
    reply.kind = Kind::Silent;
    return reply;
}

HttpReply HttpReply::stallMidBody(const QByteArray& body, const QByteArray& contentType)
{
    HttpReply reply = bytes(body, contentType);
    reply.kind = Kind::StallMidBody;
    return reply;
}

HttpReply HttpReply::closeEarly(const QByteArray& body, const QByteArray& contentType)
{
    HttpReply reply = bytes(body, contentType);
    reply.kind = Kind::CloseEarly;
    return reply;
}

HttpReply HttpReply::unsized(const QByteArray& body, const QByteArray& contentType, int restAfterMs)
{
    HttpReply reply = bytes(body, contentType);
    reply.kind = Kind::Unsized;
    reply.restAfterMs = restAfterMs;
    return reply;
}

HttpReply HttpReply::endless(const QByteArray& contentType, qint64 capBytes)
{
    HttpReply reply = bytes({}, contentType);
    reply.kind = Kind::Endless;
    reply.endlessCap = capBytes;
    return reply;
}

HttpReply HttpReply::answerTwice(const nlohmann::json& value)
{
    HttpReply reply = json(value);
    reply.kind = Kind::AnswerTwice;
    return reply;
}

struct StandInHttpServer::Connection
{
    QByteArray buffer;
    qint64 received = 0;
    bool headComplete = false;
    bool chunked = false;
    qint64 contentLength = 0;
    qsizetype bodyStart = 0;
    HttpRequest request;
    bool answered = false;
    qint64 endlessSent = 0;
};

StandInHttpServer::StandInHttpServer(QObject* parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &StandInHttpServer::onNewConnection);
}

StandInHttpServer::~StandInHttpServer()
{
    stop();
}

bool StandInHttpServer::start()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

bool StandInHttpServer::start(const QHostAddress& address, quint16 port)
{
    return m_server->listen(address, port);
}

void StandInHttpServer::stop()
{
    m_server->close();
    const auto sockets = m_connections.keys();
    for (QTcpSocket* socket : sockets) {
        delete m_connections.take(socket);
        socket->abort();
        socket->deleteLater();
    }
}

quint16 StandInHttpServer::port() const
{
    return m_server->serverPort();
}

QUrl StandInHttpServer::url(const QString& pathAndQuery) const
{
    return QUrl(urlText(pathAndQuery));
}

QString StandInHttpServer::urlText(const QString& pathAndQuery) const
{
    const QString host = m_server->isListening() ? m_server->serverAddress().toString() : QStringLiteral("127.0.0.1");
    return QStringLiteral("http://%1:%2%3").arg(host).arg(port()).arg(pathAndQuery);
}

void StandInHttpServer::route(const QString& path, Handler handler)
{
    m_routes.insert(path, std::move(handler));
}

void StandInHttpServer::route(const QString& path, const HttpReply& reply)
{
    m_routes.insert(path, [reply](const HttpRequest&) { return reply; });
}

int StandInHttpServer::requestCount(const QString& path) const
{
    return int(
        std::count_if(m_requests.cbegin(), m_requests.cend(), [&](const HttpRequest& r) { return r.path == path; }));
}

bool StandInHttpServer::waitForRequests(int n, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_requests.size() < n && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return m_requests.size() >= n;
}

void StandInHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        ++m_connectionCount;
        m_connections.insert(socket, new Connection);
        if (m_readLimit >= 0)
            socket->setReadBufferSize(qMax<qint64>(m_readLimit, 1));
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            delete m_connections.take(socket);
            socket->deleteLater();
        });
        onReadyRead(socket);
    }
}

void StandInHttpServer::onReadyRead(QTcpSocket* socket)
{
    Connection* c = m_connections.value(socket);
    if (!c)
        return;
    qint64 budget = socket->bytesAvailable();
    if (m_readLimit >= 0)
        budget = qMin(budget, m_readLimit - c->received);
    if (budget <= 0)
        return;
    const QByteArray data = socket->read(budget);
    c->received += data.size();
    m_bytesReceived += data.size();
    if (c->answered)
        return;
    c->buffer += data;
    if (tryParse(*c)) {
        c->answered = true;
        const HttpRequest request = c->request;
        dispatch(socket, request);
    }
}

bool StandInHttpServer::tryParse(Connection& c)
{
    if (!c.headComplete) {
        const qsizetype end = c.buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return false;
        const QList<QByteArray> lines = c.buffer.left(end).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        c.request.method = requestLine.value(0);
        const QByteArray target = requestLine.value(1);
        const qsizetype q = target.indexOf('?');
        c.request.path = QString::fromUtf8(q < 0 ? target : target.left(q));
        c.request.rawQuery = q < 0 ? QByteArray() : target.mid(q + 1);
        c.request.query = QUrlQuery(QString::fromUtf8(c.request.rawQuery));
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const int colon = lines[i].indexOf(':');
            if (colon > 0)
                c.request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        c.chunked = c.request.header("transfer-encoding").toLower().contains("chunked");
        c.contentLength = c.request.header("content-length").toLongLong();
        c.bodyStart = end + 4;
        c.headComplete = true;
    }

    if (!c.chunked) {
        if (c.buffer.size() - c.bodyStart < c.contentLength)
            return false;
        c.request.body = c.buffer.mid(c.bodyStart, c.contentLength);
    } else {
        QByteArray body;
        qsizetype pos = c.bodyStart;
        for (;;) {
            const qsizetype lineEnd = c.buffer.indexOf("\r\n", pos);
            if (lineEnd < 0)
                return false;
            bool ok = false;
            const qint64 size = c.buffer.mid(pos, lineEnd - pos).split(';').value(0).trimmed().toLongLong(&ok, 16);
            if (!ok)
                return false;
            if (c.buffer.size() < lineEnd + 2 + size + 2)
                return false;
            if (size == 0)
                break;
            body += c.buffer.mid(lineEnd + 2, size);
            pos = lineEnd + 2 + size + 2;
        }
        c.request.body = body;
    }
    const QByteArray contentType = c.request.header("content-type");
    if (contentType.toLower().startsWith("multipart/form-data"))
        c.request.parts = parseMultipart(contentType, c.request.body);
    return true;
}

void StandInHttpServer::dispatch(QTcpSocket* socket, const HttpRequest& request)
{
    m_requests.append(request);
    emit requestReceived(request);
    const auto it = m_routes.constFind(request.path);
    const HttpReply reply = it != m_routes.cend() ? (*it)(request) : HttpReply::json({{"error", "not found"}}, 404);
    if (reply.delayMs > 0) {
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(reply.delayMs, this, [this, guard, reply] {
            if (guard)
                act(guard, reply);
        });
    } else {
        act(socket, reply);
    }
}

static qsizetype partOf(const HttpReply& reply)
{
    return reply.partBytes < 0 ? reply.body.size() / 2 : qsizetype(reply.partBytes);
}

void StandInHttpServer::act(QTcpSocket* socket, const HttpReply& reply)
{
    switch (reply.kind) {
    case HttpReply::Kind::Respond:
        socket->write(responseHead(reply, true) + reply.body);
        socket->disconnectFromHost();
        break;
    case HttpReply::Kind::Silent:
        break;
    case HttpReply::Kind::StallMidBody:
        socket->write(responseHead(reply, false) + reply.body.left(partOf(reply)));
        socket->flush();
        break;
    case HttpReply::Kind::CloseEarly:
        socket->write(responseHead(reply, true) + reply.body.left(partOf(reply)));
        socket->disconnectFromHost();
        break;
    case HttpReply::Kind::Unsized: {
        socket->write(responseHead(reply, true) + reply.body.left(partOf(reply)));
        socket->flush();
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(reply.restAfterMs, this, [guard, reply] {
            if (!guard)
                return;
            guard->write(reply.body.mid(partOf(reply)));
            guard->disconnectFromHost();
        });
        break;
    }
    case HttpReply::Kind::Endless:
        socket->write(responseHead(reply, true));
        connect(socket, &QTcpSocket::bytesWritten, this,
                [this, socket, cap = reply.endlessCap] { pourEndless(socket, cap); });
        pourEndless(socket, reply.endlessCap);
        break;
    case HttpReply::Kind::AnswerTwice: {
        const QByteArray once = responseHead(reply, false) + reply.body;
        socket->write(once + once);
        socket->disconnectFromHost();
        break;
    }
    }
}

void StandInHttpServer::pourEndless(QTcpSocket* socket, qint64 capBytes)
{
    // Topped up as the socket drains, so the stand-in itself holds little.
    static const QByteArray chunk(64 * 1024, 'z');
    Connection* c = m_connections.value(socket);
    while (c && socket->bytesToWrite() < 4 * chunk.size() && c->endlessSent < capBytes) {
        const qint64 n = qMin<qint64>(chunk.size(), capBytes - c->endlessSent);
        socket->write(chunk.constData(), n);
        c->endlessSent += n;
        m_endlessBytesSent += n;
    }
}

} // namespace OV::Test
