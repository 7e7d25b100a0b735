#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkReply;

namespace OV {

// Callbacks of one upload; each may be empty.
struct UploadCallbacks
{
    std::function<void(qint64 sent, qint64 total)> onProgress;
    std::function<void(const QByteArray& body)> onSuccess;
    std::function<void(const QString& error)> onError;
};

// Time-outs of one upload in milliseconds: until the first progress report, the longest
// gap between two reports, and the whole upload.
struct UploadTimeouts
{
    int connectMs = 0;
    int stallMs = 0;
    int totalMs = 0;
};

// Uploads one file as a multipart/form-data POST, on the GUI thread. Every upload that was
// sent ends with exactly one call of onSuccess or onError; the caller judges the body, which
// is refused (onError) past kMaxReplyBytes.
class HttpUploader : public QObject
{
    Q_OBJECT
public:
    // The receiver answers with a state and a short message, tens of bytes; a server's error page
    // is a few KiB. Anything longer is no answer to an upload.
    static constexpr qint64 kMaxReplyBytes = 64 << 10;

    explicit HttpUploader(QObject* parent = nullptr);

    // An empty fileName sends the local file's own name. Returns the POST's reply, or null
    // (after onError "Failed to open file") when the file cannot be opened.
    QNetworkReply* upload(const QUrl& url, const QString& filePath, const UploadCallbacks& callbacks,
                          const UploadTimeouts& timeouts, const QString& fieldName, const QString& fileName);

private:
    QNetworkAccessManager* m_manager;
};

} // namespace OV
