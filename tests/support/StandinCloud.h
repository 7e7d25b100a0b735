#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <memory>
#include <vector>

class QHostAddress;

namespace OV::Test {

class StandInHttpServer;

// The cloud gateway on loopback, for tests and for trying the program by hand: the plug-in
// store's listing pages, and per plug-in its icon and its package; and the picture listing the
// image picker reads (icons and backgrounds by category, keyword and page, with their pictures).
// The packages are sound widget plug-ins (volume, media and microphone cards), built at
// construction with the tests' ZIP writer so that each passes the store's package checks and
// its listed "sha256". The pictures are drawn when first asked for.
class StandinCloud : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* kListPath = "/api/v1/base-service/pub/plugin/page";
    static constexpr int kDefaultPageSize = 20;
    // A page size beyond this is cut to it: a request never makes the answer grow unbounded.
    static constexpr int kMaxPageSize = 100;

    static constexpr const char* kPictureListPath = "/api/v1/base-service/pub/icon/v2/page";
    // The picture categories ("projectId") the picker asks for.
    static constexpr int kIconProject = 20;
    static constexpr int kBackgroundProject = 30;

    struct Picture
    {
        QString name;
        int projectId = kIconProject;
        QString path; // on this gateway
        int glyph = 0;
        int hue = 0;
    };

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

    const std::vector<Picture>& pictures() const { return m_pictures; }
    // The PNG of a picture.
    QByteArray pictureBytes(const Picture& picture) const;
    // The picture listing reply: "pi" and "ps" as for plug-ins, "keyword" filters on the name
    // ignoring case, "projectId" is the categories' ids joined by commas (none: every picture).
    nlohmann::json pictureListing(int page, int pageSize, const QString& keyword, const QList<int>& projects) const;

    StandInHttpServer& server() const { return *m_server; }

private:
    std::unique_ptr<StandInHttpServer> m_server;
    std::vector<Plugin> m_plugins;
    std::vector<Picture> m_pictures;
    mutable QMap<QString, QByteArray> m_drawnPictures;
};

} // namespace OV::Test
