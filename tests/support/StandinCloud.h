#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <memory>
#include <vector>

class QHostAddress;

namespace OV::Test {

class StandInHttpServer;

// The cloud gateway of the plug-in store on loopback, for tests and for trying the store by
// hand: the listing pages, and per plug-in its icon and its package. The packages are sound
// widget plug-ins (volume, media and microphone cards), built at construction with the
// tests' ZIP writer so that each passes the store's package checks and its listed "sha256".
class StandinCloud : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* kListPath = "/api/v1/base-service/pub/plugin/page";
    static constexpr int kDefaultPageSize = 20;
    // A page size beyond this is cut to it: a request never makes the answer grow unbounded.
    static constexpr int kMaxPageSize = 100;

    struct Card
    {
        QString name;
        QString iconPath; // inside the package
        nlohmann::json param;
    };

    struct Plugin
    {
        QString identifier;
        QString name;
        QString author;
        QString desc;
        QString versionName;
        int versionCode = 1;
        std::vector<Card> cards;
        QByteArray icon;    // PNG
        QByteArray package; // ZIP
        QString sha256;     // of the package, lower-case hex
    };

    explicit StandinCloud(QObject* parent = nullptr);
    ~StandinCloud() override;

    // On 127.0.0.1 at a free port.
    bool start();
    bool start(const QHostAddress& address, quint16 port);
    // "http://<address>:<port>": the value of "cloudGateway".
    QString gateway() const;
    // The "settings.json" that points the program at this gateway.
    QByteArray settingsJson() const;

    const std::vector<Plugin>& plugins() const { return m_plugins; }
    // The listing record of a plug-in, with this gateway's addresses.
    nlohmann::json record(const Plugin& plugin) const;
    // The listing reply for a query: "pi" counts from 1 (0 and below give the first page),
    // "ps" defaults to 20, "keyword" filters on the name, ignoring case.
    nlohmann::json listing(int page, int pageSize, const QString& keyword) const;

    StandInHttpServer& server() const { return *m_server; }

private:
    std::unique_ptr<StandInHttpServer> m_server;
    std::vector<Plugin> m_plugins;
};

} // namespace OV::Test
