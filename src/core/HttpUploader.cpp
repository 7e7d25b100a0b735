#include "core/HttpUploader.h"

#include "core/ReplyBodyReader.h"

#include <QFile>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QHttpPart>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace OV {

HttpUploader::HttpUploader(QObject* parent) : QObject(parent), m_manager(new QNetworkAccessManager(this)) {}

QNetworkReply* HttpUploader::upload(const QUrl& url, const QString& filePath, const UploadCallbacks& callbacks,
                                    const UploadTimeouts& timeouts, const QString& fieldName, const QString& fileName)
{
    auto file = std::make_unique<QFile>(filePath);
    if (!file->open(QIODevice::ReadOnly)) {
        if (callbacks.onError)
            callbacks.onError(QStringLiteral("Failed to open file"));
        return nullptr;
    }

    const QString sentName = fileName.isEmpty() ? QFileInfo(filePath).fileName() : fileName;
    auto* multiPart = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentDispositionHeader,
                   QStringLiteral("form-data; name=\"%1\"; filename=\"%2\"").arg(fieldName, sentName));
    part.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/octet-stream"));
    part.setBodyDevice(file.get());
    file.release()->setParent(multiPart);
    multiPart->append(part);

    QNetworkReply* reply = m_manager->post(QNetworkRequest(url), multiPart);
    multiPart->setParent(reply);
    auto* body = new ReplyBodyReader(reply, kMaxReplyBytes);

    auto makeTimer = [reply](int ms) {
        auto* timer = new QTimer(reply);
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5% early
        timer->setInterval(ms);
        return timer;
    };
    QTimer* connectTimer = makeTimer(timeouts.connectMs);
    QTimer* stallTimer = makeTimer(timeouts.stallMs);
    QTimer* totalTimer = makeTimer(timeouts.totalMs);

    // Set before a time-out aborts the reply, so the completion the abort causes reports nothing.
    auto ended = std::make_shared<bool>(false);
    auto onTimeout = [reply, ended, onError = callbacks.onError](const QString& text) {
        if (*ended || !reply->isRunning())
            return;
        *ended = true;
        reply->abort();
        if (onError)
            onError(text);
    };
    connect(connectTimer, &QTimer::timeout, reply, [onTimeout] { onTimeout(QStringLiteral("Connection timeout")); });
    connect(stallTimer, &QTimer::timeout, reply,
            [onTimeout] { onTimeout(QStringLiteral("Upload stalled (no progress)")); });
    connect(totalTimer, &QTimer::timeout, reply, [onTimeout] { onTimeout(QStringLiteral("Total upload timeout")); });

    connect(reply, &QNetworkReply::uploadProgress, reply,
            [connectTimer, stallTimer, ended, onProgress = callbacks.onProgress](qint64 sent, qint64 total) {
                if ((sent == 0 && total == 0) || *ended)
                    return;
                if (connectTimer->isActive())
                    connectTimer->stop();
                stallTimer->start();
                if (onProgress)
                    onProgress(sent, total);
            });
    connect(reply, &QNetworkReply::finished, reply,
            [reply, ended, body, onSuccess = callbacks.onSuccess, onError = callbacks.onError] {
                // A callback may release the uploader, and with it this reply.
                const QPointer<QNetworkReply> guard(reply);
                if (!*ended) {
                    *ended = true;
                    const QByteArray data = body->takeBody();
                    if (!body->failure().isEmpty()) {
                        if (onError)
                            onError(body->failure());
                    } else if (reply->error() == QNetworkReply::NoError) {
                        if (onSuccess)
                            onSuccess(data);
                    } else if (onError) {
                        onError(reply->errorString());
                    }
                }
                if (guard)
                    reply->deleteLater();
            });

    connectTimer->start();
    stallTimer->start();
    totalTimer->start();
    return reply;
}

} // namespace OV
