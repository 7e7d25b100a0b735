#include "core/HttpClient.h"

#include "core/ReplyBodyReader.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#include <memory>

namespace OV {

HttpClient* HttpClient::instance()
{
    static HttpClient client;
    return &client;
}

HttpResponse* HttpClient::get(const QString& url, const std::map<QString, QString>& query,
                              const std::map<QString, QString>& headers, int timeoutMs)
{
    QUrl target(url, QUrl::TolerantMode);
    QUrlQuery urlQuery;
    for (const auto& [key, value] : query)
        urlQuery.addQueryItem(key, value);
    target.setQuery(urlQuery);

    QNetworkRequest request(target);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name.toUtf8(), value.toUtf8());

    QNetworkReply* reply = m_manager.get(request);
    auto* body = new ReplyBodyReader(reply, kMaxReplyBytes);
    auto* response = new HttpResponse(reply);
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5% early

    // Set before the abort: the abort completes the reply, and that completion reports nothing.
    auto timedOut = std::make_shared<bool>(false);
    connect(timer, &QTimer::timeout, reply, [reply, response, timedOut] {
        if (!reply->isRunning())
            return;
        *timedOut = true;
        reply->abort();
        response->reportError(QStringLiteral("Request timeout"));
    });
    connect(reply, &QNetworkReply::finished, reply, [reply, response, timer, timedOut, body] {
        timer->stop();
        if (!*timedOut) {
            const QByteArray data = body->takeBody();
            if (!body->failure().isEmpty())
                response->reportError(body->failure());
            else if (reply->error() != QNetworkReply::NoError)
                response->reportError(reply->errorString());
            else
                response->reportSuccess(data);
        }
        reply->deleteLater();
    });
    timer->start(timeoutMs);
    return response;
}

} // namespace OV
