#include "support/StandinCloud.h"

#include "support/DeployTestUtils.h"
#include "support/StandInHttpServer.h"

#include <QBuffer>
#include <QColor>
#include <QCryptographicHash>
#include <QHostAddress>
#include <QImage>
#include <QLinearGradient>
#include <QMap>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace OV::Test {

namespace {

const QString kIconPrefix = QStringLiteral("/icon/");
const QString kPackagePrefix = QStringLiteral("/package/");
const QString kPicturePrefix = QStringLiteral("/picture/");

// The pictures the cards and plug-ins are drawn with: shapes only, so that no font is needed
// and the stand-in runs without a display.
enum class Glyph { Louder, Quieter, Mute, Play, Next, Previous, Stop, Mic, Note, Mixer };

const char* glyphName(Glyph glyph)
{
    switch (glyph) {
    case Glyph::Louder:
        return "louder";
    case Glyph::Quieter:
        return "quieter";
    case Glyph::Mute:
        return "mute";
    case Glyph::Play:
        return "play";
    case Glyph::Next:
        return "next";
    case Glyph::Previous:
        return "previous";
    case Glyph::Stop:
        return "stop";
    case Glyph::Mic:
        return "mic";
    case Glyph::Note:
        return "note";
    case Glyph::Mixer:
        return "mixer";
    }
    return "note";
}

void drawSpeaker(QPainter& p, double s)
{
    QPainterPath body;
    body.moveTo(0.18 * s, 0.40 * s);
    body.lineTo(0.32 * s, 0.40 * s);
    body.lineTo(0.50 * s, 0.24 * s);
    body.lineTo(0.50 * s, 0.76 * s);
    body.lineTo(0.32 * s, 0.60 * s);
    body.lineTo(0.18 * s, 0.60 * s);
    body.closeSubpath();
    p.fillPath(body, p.pen().color());
}

void drawWaves(QPainter& p, double s, int count)
{
    p.save();
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < count; ++i) {
        const double r = (0.12 + 0.10 * i) * s;
        p.drawArc(QRectF(0.5 * s - r, 0.5 * s - r, 2 * r, 2 * r), -50 * 16, 100 * 16);
    }
    p.restore();
}

void drawTriangle(QPainter& p, double s, double left, double right, bool pointsRight)
{
    QPainterPath path;
    path.moveTo(pointsRight ? left : right, 0.26 * s);
    path.lineTo(pointsRight ? right : left, 0.50 * s);
    path.lineTo(pointsRight ? left : right, 0.74 * s);
    path.closeSubpath();
    p.fillPath(path, p.pen().color());
}

void drawGlyph(QPainter& p, Glyph glyph, double s)
{
    const QColor ink = p.pen().color();
    switch (glyph) {
    case Glyph::Louder:
        drawSpeaker(p, s);
        drawWaves(p, s, 3);
        break;
    case Glyph::Quieter:
        drawSpeaker(p, s);
        drawWaves(p, s, 1);
        break;
    case Glyph::Mute:
        drawSpeaker(p, s);
        p.drawLine(QPointF(0.60 * s, 0.38 * s), QPointF(0.82 * s, 0.62 * s));
        p.drawLine(QPointF(0.82 * s, 0.38 * s), QPointF(0.60 * s, 0.62 * s));
        break;
    case Glyph::Play:
        drawTriangle(p, s, 0.30 * s, 0.74 * s, true);
        break;
    case Glyph::Next:
        drawTriangle(p, s, 0.24 * s, 0.62 * s, true);
        p.fillRect(QRectF(0.66 * s, 0.26 * s, 0.08 * s, 0.48 * s), ink);
        break;
    case Glyph::Previous:
        drawTriangle(p, s, 0.38 * s, 0.76 * s, false);
        p.fillRect(QRectF(0.26 * s, 0.26 * s, 0.08 * s, 0.48 * s), ink);
        break;
    case Glyph::Stop:
        p.fillRect(QRectF(0.28 * s, 0.28 * s, 0.44 * s, 0.44 * s), ink);
        break;
    case Glyph::Mic:
        p.setBrush(ink);
        p.drawRoundedRect(QRectF(0.40 * s, 0.18 * s, 0.20 * s, 0.38 * s), 0.1 * s, 0.1 * s);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(0.30 * s, 0.30 * s, 0.40 * s, 0.36 * s), 180 * 16, 180 * 16);
        p.drawLine(QPointF(0.50 * s, 0.66 * s), QPointF(0.50 * s, 0.80 * s));
        p.drawLine(QPointF(0.38 * s, 0.80 * s), QPointF(0.62 * s, 0.80 * s));
        break;
    case Glyph::Note:
        p.setBrush(ink);
        p.drawEllipse(QRectF(0.22 * s, 0.62 * s, 0.18 * s, 0.14 * s));
        p.drawEllipse(QRectF(0.56 * s, 0.56 * s, 0.18 * s, 0.14 * s));
        p.drawLine(QPointF(0.39 * s, 0.68 * s), QPointF(0.39 * s, 0.26 * s));
        p.drawLine(QPointF(0.73 * s, 0.62 * s), QPointF(0.73 * s, 0.20 * s));
        p.drawLine(QPointF(0.39 * s, 0.26 * s), QPointF(0.73 * s, 0.20 * s));
        break;
    case Glyph::Mixer:
        for (int i = 0; i < 3; ++i) {
            const double x = (0.30 + 0.20 * i) * s;
            const double knob = (0.35 + 0.15 * ((i * 2) % 3)) * s;
            p.drawLine(QPointF(x, 0.22 * s), QPointF(x, 0.78 * s));
            p.setBrush(ink);
            p.drawEllipse(QPointF(x, knob), 0.06 * s, 0.06 * s);
        }
        break;
    }
}

QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A card's picture: the glyph in white on a transparent ground.
QByteArray cardIcon(Glyph glyph)
{
    constexpr int kSize = 96;
    QImage image(kSize, kSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, kSize * 0.05, Qt::SolidLine, Qt::RoundCap));
    drawGlyph(p, glyph, kSize);
    p.end();
    return png(image);
}

// A plug-in's picture for its tile: the glyph on a coloured rounded square.
QByteArray pluginIcon(Glyph glyph, int hue)
{
    constexpr int kSize = 90;
    QImage image(kSize, kSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromHsv(hue % 360, 150, 215));
    p.drawRoundedRect(QRectF(4, 4, kSize - 8, kSize - 8), 18, 18);
    p.setPen(QPen(Qt::white, kSize * 0.05, Qt::SolidLine, Qt::RoundCap));
    p.translate(9, 9);
    drawGlyph(p, glyph, kSize - 18);
    p.end();
    return png(image);
}

constexpr int kGlyphCount = 10;

struct Shade
{
    const char* name;
    int hue;
};

constexpr Shade kIconShades[] = {{"Red", 0},    {"Orange", 30}, {"Green", 120},
                                 {"Teal", 175}, {"Blue", 215},  {"Violet", 275}};
constexpr Shade kBackgrounds[] = {{"Dawn", 20},     {"Sand", 45},  {"Meadow", 100}, {"Forest", 140},
                                  {"Lagoon", 180},  {"Sea", 200},  {"Sky", 210},    {"Dusk", 250},
                                  {"Heather", 285}, {"Plum", 310}, {"Rose", 340},   {"Ember", 10}};

// A background: a diagonal gradient from the hue to a darker neighbour.
QByteArray backgroundPicture(int hue)
{
    constexpr int kWidth = 240;
    constexpr int kHeight = 135;
    QImage image(kWidth, kHeight, QImage::Format_ARGB32);
    QPainter p(&image);
    QLinearGradient gradient(0, 0, kWidth, kHeight);
    gradient.setColorAt(0, QColor::fromHsv(hue % 360, 120, 235));
    gradient.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 200, 120));
    p.fillRect(image.rect(), gradient);
    p.end();
    return png(image);
}

struct CardKind
{
    const char* name;
    Glyph glyph;
    nlohmann::json param;
};

nlohmann::json hotKey(std::initializer_list<int> keys, const char* description)
{
    return {{"output", 5}, {"keys", keys}, {"keysDesc", description}};
}

nlohmann::json pcControl(const char* action, const char* key, const char* value)
{
    return {{"output", 10}, {"payload", {{"action", action}, {"params", {{key, value}}}}}};
}

// Keyboard usages as they are, consumer-control usages plus 10000.
const std::vector<CardKind>& cardKinds()
{
    static const std::vector<CardKind> kinds = {
        {"Volume +", Glyph::Louder, hotKey({10233}, "Volume+")},                      // 0
        {"Volume -", Glyph::Quieter, hotKey({10234}, "Volume-")},                     // 1
        {"Mute", Glyph::Mute, hotKey({10226}, "Mute")},                               // 2
        {"Play / Pause", Glyph::Play, hotKey({10205}, "Play/Pause")},                 // 3
        {"Next track", Glyph::Next, hotKey({10181}, "Next")},                         // 4
        {"Previous track", Glyph::Previous, hotKey({10182}, "Previous")},             // 5
        {"Stop", Glyph::Stop, hotKey({10183}, "Stop")},                               // 6
        {"Mic mute", Glyph::Mic, hotKey({224, 225, 16}, "Ctrl+Shift+M")},             // 7
        {"Sound settings", Glyph::Mixer, pcControl("execCmd", "cmd", "pavucontrol")}, // 8
        {"Louder by 10 %", Glyph::Louder,
         pcControl("execCmd", "cmd",
                   "pactl set-sink-volume "                                                       // 9
                   "@DEFAULT_SINK@ +10%")},                                                       //
        {"Web radio", Glyph::Note, pcControl("openBrowser", "url", "https://example.org/radio")}, // 10
    };
    return kinds;
}

struct Entry
{
    const char* identifier;
    const char* name;
    const char* desc;
    std::vector<int> cards;
};

const std::vector<Entry>& catalogue()
{
    static const std::vector<Entry> entries = {
        {"sound-volume-keys", "Volume Keys", "Louder, quieter and mute on the hub's screen.", {0, 1, 2}},
        {"sound-media-transport",
         "Media Transport",
         "Previous, play or pause, next and stop for any player.",
         {5, 3, 4, 6}},
        {"sound-meeting-audio",
         "Meeting Audio",
         "Mute the microphone or the speakers with one touch during calls.",
         {7, 2, 8}},
        {"sound-desk-mixer",
         "Desk Mixer",
         "Opens the sound settings and nudges the volume in steps of ten percent.",
         {8, 9, 1}},
        {"sound-web-radio", "Web Radio", "A station in the browser, with play and pause beside it.", {10, 3}},
        {"sound-quiet-hours", "Quiet Hours", "Mute and a softer volume for late evenings at the desk.", {2, 1}},
        {"sound-podcast-deck", "Podcast Deck", "Skip back, play or pause and skip ahead through episodes.", {5, 3, 4}},
        {"sound-mic-check",
         "Mic Check",
         "Toggles the microphone and opens the sound settings to pick the input device. A long description "
         "that does not fit the tile ends in an ellipsis there.",
         {7, 8}},
        {"sound-gaming-audio",
         "Gaming Audio",
         "Volume and mute within reach while a game holds the keyboard.",
         {0, 1, 2, 7}},
        {"sound-focus-music",
         "Focus Music",
         "Start the music, turn it up a little, and stop it when the work is done.",
         {3, 9, 6}},
        {"sound-karaoke-night", "Karaoke Night", "Next song, louder, and the microphone switch.", {4, 0, 7}},
        {"sound-lecture-playback", "Lecture Playback", "Play, pause and stop for recorded lectures.", {3, 6}},
        {"sound-studio-monitor",
         "Studio Monitor",
         "Fine volume steps and a hard mute for the monitor speakers.",
         {9, 1, 2}},
        {"sound-playlist-pilot",
         "Playlist Pilot",
         "Steer a playlist from the hub: back, forward and pause.",
         {5, 4, 3}},
        {"sound-call-center",
         "Call Center",
         "Microphone mute, speaker mute and the volume keys for long calls.",
         {7, 2, 0, 1}},
        {"sound-ambient-player", "Ambient Player", "A web radio of quiet sounds and its volume.", {10, 0, 1}},
        {"sound-one-touch-mute", "One-Touch Mute", "Just the mute key, large on the screen.", {2}},
        {"sound-night-shift", "Night Shift", "Quieter and stop, nothing else, for a sleeping house.", {1, 6}},
        {"sound-volume-steps", "Volume Steps", "Volume up and down in steps, and the mixer.", {0, 1, 8}},
        {"sound-record-booth", "Record Booth", "The microphone switch and the sound settings for recording.", {7, 8}},
        {"sound-party-remote",
         "Party Remote",
         "Louder, next track and play or pause for the party playlist.",
         {0, 4, 3}},
        {"sound-audiobook-remote", "Audiobook Remote", "Back a chapter, play or pause, and mute.", {5, 3, 2}},
        {"sound-stream-helper",
         "Stream Helper",
         "Microphone mute, volume and the web radio for live streams.",
         {7, 0, 1, 10}},
        {"sound-silent-mode", "Silent Mode", "Mute and stop together on one page.", {2, 6}},
    };
    return entries;
}

const char* const kAuthors[] = {"Brelvik Labs", "Quiet Desk Studio", "Lowtide Audio"};

StandinCloud::Plugin makePlugin(const Entry& entry, int index)
{
    StandinCloud::Plugin plugin;
    plugin.identifier = QString::fromLatin1(entry.identifier);
    plugin.name = QString::fromUtf8(entry.name);
    plugin.author = QString::fromLatin1(kAuthors[index % 3]);
    plugin.desc = QString::fromUtf8(entry.desc);
    plugin.versionCode = 1 + index % 4;
    plugin.versionName = QStringLiteral("1.%1.0").arg(plugin.versionCode - 1);

    QMap<QString, QByteArray> files;
    nlohmann::json buttons = nlohmann::json::array();
    for (int kindIndex : entry.cards) {
        const CardKind& kind = cardKinds()[size_t(kindIndex)];
        const QString iconPath = QStringLiteral("icons/%1.png").arg(QLatin1String(glyphName(kind.glyph)));
        files.insert(iconPath, cardIcon(kind.glyph));
        plugin.cards.push_back({QString::fromUtf8(kind.name), iconPath, kind.param});
        buttons.push_back({{"name", kind.name},
                           {"icon", "file://" + iconPath.toStdString()},
                           {"iconScale", 60},
                           {"param", kind.param}});
        // The first plug-in names its buttons, so that both ways a picture is named can be tried.
        if (index == 0)
            buttons.back()["id"] = glyphName(kind.glyph);
    }
    const nlohmann::json config = {
        {"name", entry.name}, {"version", plugin.versionName.toStdString()}, {"button", buttons}};
    files.insert(QStringLiteral("config.json"), QByteArray::fromStdString(config.dump(2)));
    plugin.package = makeZip(files);
    plugin.sha256 = QString::fromLatin1(QCryptographicHash::hash(plugin.package, QCryptographicHash::Sha256).toHex());
    plugin.icon = pluginIcon(cardKinds()[size_t(entry.cards.front())].glyph, 20 + index * 47);
    return plugin;
}

// One page of what a listing finds, in the gateway's page reply: "pi" counts from 1 (0 and
// below give the first page), "ps" is kept within the gateway's bounds.
template <typename Item, typename Keep, typename Record>
nlohmann::json pageReply(const std::vector<Item>& items, int page, int pageSize, Keep keep, Record record)
{
    const qsizetype size =
        std::clamp(pageSize < 1 ? StandinCloud::kDefaultPageSize : pageSize, 1, StandinCloud::kMaxPageSize);
    const qsizetype current = std::max(page, 1);
    std::vector<const Item*> found;
    for (const Item& item : items) {
        if (keep(item))
            found.push_back(&item);
    }
    nlohmann::json records = nlohmann::json::array();
    const qsizetype first = (current - 1) * size;
    for (qsizetype i = first; i < qsizetype(found.size()) && i < first + size; ++i)
        records.push_back(record(*found[size_t(i)]));
    return {{"state", 200},
            {"data",
             {{"records", records},
              {"current", current},
              {"size", size},
              {"total", found.size()},
              {"pages", (qsizetype(found.size()) + size - 1) / size}}}};
}

} // namespace

StandinCloud::StandinCloud(QObject* parent) : QObject(parent), m_server(std::make_unique<StandInHttpServer>())
{
    for (const Entry& entry : catalogue())
        m_plugins.push_back(makePlugin(entry, int(m_plugins.size())));
    // Icons first, shade by shade, then the backgrounds: "All" mixes both on its last page.
    for (const Shade& shade : kIconShades) {
        for (int glyph = 0; glyph < kGlyphCount; ++glyph) {
            const QString glyphText = QString::fromLatin1(glyphName(Glyph(glyph)));
            const QString name = glyphText.at(0).toUpper() + glyphText.mid(1) + QLatin1Char(' ') +
                                 QString::fromLatin1(shade.name).toLower();
            m_pictures.push_back(
                {name, kIconProject,
                 kPicturePrefix +
                     QStringLiteral("icon-%1-%2.png").arg(glyphText, QString::fromLatin1(shade.name).toLower()),
                 glyph, shade.hue});
        }
    }
    for (const Shade& shade : kBackgrounds) {
        m_pictures.push_back(
            {QString::fromLatin1(shade.name) + QStringLiteral(" background"), kBackgroundProject,
             kPicturePrefix + QStringLiteral("background-%1.png").arg(QString::fromLatin1(shade.name).toLower()), 0,
             shade.hue});
    }
    for (const Picture& picture : m_pictures) {
        m_server->route(picture.path, [this, &picture](const HttpRequest&) {
            return HttpReply::bytes(pictureBytes(picture), "image/png");
        });
    }
    m_server->route(QString::fromLatin1(kPictureListPath), [this](const HttpRequest& request) {
        bool pageOk = false;
        bool sizeOk = false;
        const int page = request.query.queryItemValue(QStringLiteral("pi")).toInt(&pageOk);
        const int size = request.query.queryItemValue(QStringLiteral("ps")).toInt(&sizeOk);
        const QString keyword = request.query.queryItemValue(QStringLiteral("keyword"), QUrl::FullyDecoded);
        QList<int> projects;
        const QString projectText = request.query.queryItemValue(QStringLiteral("projectId"), QUrl::FullyDecoded);
        for (const QString& id : projectText.split(QLatin1Char(','), Qt::SkipEmptyParts))
            projects << id.trimmed().toInt();
        return HttpReply::json(pictureListing(pageOk ? page : 1, sizeOk ? size : kDefaultPageSize, keyword, projects));
    });

    m_server->route(QString::fromLatin1(kListPath), [this](const HttpRequest& request) {
        bool pageOk = false;
        bool sizeOk = false;
        const int page = request.query.queryItemValue(QStringLiteral("pi")).toInt(&pageOk);
        const int size = request.query.queryItemValue(QStringLiteral("ps")).toInt(&sizeOk);
        const QString keyword = request.query.queryItemValue(QStringLiteral("keyword"), QUrl::FullyDecoded);
        return HttpReply::json(listing(pageOk ? page : 1, sizeOk ? size : kDefaultPageSize, keyword));
    });
    for (const Plugin& plugin : m_plugins) {
        m_server->route(kIconPrefix + plugin.identifier + QStringLiteral(".png"),
                        HttpReply::bytes(plugin.icon, "image/png"));
        m_server->route(kPackagePrefix + plugin.identifier + QStringLiteral(".zip"),
                        HttpReply::bytes(plugin.package, "application/zip"));
    }
}

StandinCloud::~StandinCloud() = default;

bool StandinCloud::start()
{
    return m_server->start();
}

bool StandinCloud::start(const QHostAddress& address, quint16 port)
{
    return m_server->start(address, port);
}

QString StandinCloud::gateway() const
{
    return m_server->urlText(QString());
}

QByteArray StandinCloud::settingsJson() const
{
    return QByteArray::fromStdString(nlohmann::json{{"cloudGateway", gateway().toStdString()}}.dump());
}

nlohmann::json StandinCloud::record(const Plugin& plugin) const
{
    return {{"identifier", plugin.identifier.toStdString()},
            {"sha256", plugin.sha256.toStdString()},
            {"file", m_server->urlText(kPackagePrefix + plugin.identifier + QStringLiteral(".zip")).toStdString()},
            {"versionName", plugin.versionName.toStdString()},
            {"versionCode", plugin.versionCode},
            {"pluginType", 0},
            {"icon", m_server->urlText(kIconPrefix + plugin.identifier + QStringLiteral(".png")).toStdString()},
            {"name", plugin.name.toStdString()},
            {"author", plugin.author.toStdString()},
            {"desc", plugin.desc.toStdString()}};
}

nlohmann::json StandinCloud::listing(int page, int pageSize, const QString& keyword) const
{
    return pageReply(
        m_plugins, page, pageSize,
        [&](const Plugin& plugin) { return keyword.isEmpty() || plugin.name.contains(keyword, Qt::CaseInsensitive); },
        [this](const Plugin& plugin) { return record(plugin); });
}

QByteArray StandinCloud::pictureBytes(const Picture& picture) const
{
    auto drawn = m_drawnPictures.find(picture.path);
    if (drawn == m_drawnPictures.end()) {
        drawn = m_drawnPictures.insert(picture.path, picture.projectId == kBackgroundProject
                                                         ? backgroundPicture(picture.hue)
                                                         : pluginIcon(Glyph(picture.glyph), picture.hue));
    }
    return *drawn;
}

nlohmann::json StandinCloud::pictureListing(int page, int pageSize, const QString& keyword,
                                            const QList<int>& projects) const
{
    return pageReply(
        m_pictures, page, pageSize,
        [&](const Picture& picture) {
            return (projects.isEmpty() || projects.contains(picture.projectId)) &&
                   (keyword.isEmpty() || picture.name.contains(keyword, Qt::CaseInsensitive));
        },
        [this](const Picture& picture) -> nlohmann::json {
            return {{"path", m_server->urlText(picture.path).toStdString()},
                    {"name", picture.name.toStdString()},
                    {"projectId", picture.projectId}};
        });
}

} // namespace OV::Test
