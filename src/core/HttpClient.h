#pragma once

#include "core/HttpResponse.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

#include <map>

namespace OV {

// GET requests for JSON pages, on the GUI thread. Each request ends with exactly one
// signal of its HttpResponse: the body, the network error text, "Request timeout", or the
// refusal of a body over kMaxReplyBytes.
class HttpClient : public QObject
{
    Q_OBJECT
public:
    // A listing page of twenty records weighs some tens of KiB; this leaves room for a hundred
    // times that, and keeps the parsed page (several times the text) well within memory.
    static constexpr qint64 kMaxReplyBytes = 4 << 20;

    static HttpClient* instance();

    // Query items are sent in ascending key order and replace any query in the URL text.
    HttpResponse* get(const QString& url, const std::map<QString, QString>& query,
                      const std::map<QString, QString>& headers, int timeoutMs);

private:
    HttpClient() = default;

    QNetworkAccessManager m_manager;
};

} // namespace OV
