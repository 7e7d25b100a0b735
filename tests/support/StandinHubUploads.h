#pragma once

#include "support/StandInHttpServer.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class QHostAddress;

namespace OV::Test {

// The hub's HTTP upload endpoints: POST "/upload/zip" (the assets archive) and
// "/upload?serialNo=<sn>" (a screen cube's package), multipart field "file". Each answers
// {"state", "msg"}, state 200 when the file was stored into the folder.
class StandinHubUploads : public QObject
{
    Q_OBJECT
public:
    struct Upload
    {
        QString path;     // "/upload/zip" or "/upload"
        QString serialNo; // for "/upload"
        QString fileName; // as the sender named it
        QByteArray data;
        QString savedAs; // empty when refused
    };

    static constexpr const char* kAssetsName = "kestrin_assets.zip";

    explicit StandinHubUploads(const QString& folder, QObject* parent = nullptr);

    // On 127.0.0.1, a free port.
    bool start();
    bool start(const QHostAddress& address, quint16 port);
    quint16 port() const { return m_server->port(); }
    QString urlText(const QString& pathAndQuery) const { return m_server->urlText(pathAndQuery); }
    QString folder() const { return m_folder; }
    StandInHttpServer* server() const { return m_server; }

    // Every upload is answered with this state and text and not stored.
    void failWith(int state, const QString& msg) { m_failure = std::make_pair(state, msg); }
    void succeed() { m_failure.reset(); }

    const QList<Upload>& uploads() const { return m_uploads; }
    bool waitForUploads(int count, int timeoutMs);

signals:
    void uploaded(const OV::Test::StandinHubUploads::Upload& upload);

private:
    HttpReply handle(const HttpRequest& request);
    HttpReply store(Upload upload, const QString& subFolder, const QString& name);

    StandInHttpServer* m_server;
    QString m_folder;
    std::optional<std::pair<int, QString>> m_failure;
    QList<Upload> m_uploads;
};

} // namespace OV::Test
