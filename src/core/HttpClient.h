#pragma once

#include "core/HttpResponse.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

#include <map>

namespace OV {

// GET requests for JSON pages, on the GUI thread. Each request ends with exactly one
// signal of its HttpResponse: the body, the network error text or "Request timeout".
class HttpClient : public QObject
{
    Q_OBJECT
public:
    static HttpClient* instance();

    // Query items are sent in ascending key order and replace any query in the URL text.
    HttpResponse* get(const QString& url, const std::map<QString, QString>& query,
                      const std::map<QString, QString>& headers, int timeoutMs);

private:
    HttpClient() = default;

    QNetworkAccessManager m_manager;
};

} // namespace OV
