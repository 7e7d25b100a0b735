#include "core/ImageLoader.h"

#include "core/FileUtils.h"
#include "core/Logger.h"
#include "core/PngPicture.h"
#include "core/ReplyBodyReader.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <utility>
#include <vector>

namespace OV {

namespace {

constexpr const char* kTag = "ImageLoader";
const QString kManifestName = QStringLiteral("manifest.tsv");

// Decoded size in KB; 64-bit so that large pictures cannot overflow the product.
qint64 costKb(const QPixmap& pixmap)
{
    return qint64(pixmap.width()) * qint64(pixmap.height()) * qint64(pixmap.depth()) / 8192;
}

// Only names the cache itself makes are trusted from the manifest: a line naming anything
// else must not lead eviction to delete a file outside the cache.
bool isCacheFileName(const QString& name)
{
    if (name.size() != 64)
        return false;
    return std::all_of(name.cbegin(), name.cend(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
    });
}

} // namespace

ImageLoader* ImageLoader::instance()
{
    static ImageLoader loader;
    return &loader;
}

ImageLoader::ImageLoader(QObject* parent, int networkTimeoutMs)
    : QObject(parent), m_manager(new QNetworkAccessManager(this)), m_networkTimeoutMs(networkTimeoutMs)
{
    m_diskDir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/ImageCache");
    if (!QDir().mkpath(m_diskDir))
        Logger::warn(kTag, "cannot create %s", qUtf8Printable(m_diskDir));
    readManifest();
}

QString ImageLoader::cacheFileName(const QString& reference)
{
    return QString::fromLatin1(QCryptographicHash::hash(reference.toUtf8(), QCryptographicHash::Sha256).toHex());
}

ImageLoadTask* ImageLoader::load(const QString& reference, std::function<void(const QPixmap&)> callback)
{
    if (!callback)
        return nullptr;
    auto* task = new ImageLoadTask(this);

    if (reference.startsWith(QLatin1String(":/"))) {
        // Of a picture in two scales, the one that fits the screen: the other would be scaled at
        // every paint, and the larger costs four times as much to decode.
        callback(PngPicture::pixmap(PngPicture::forScreen(reference)));
        task->deleteLater();
        return task;
    }
    if (QFile::exists(reference)) {
        callback(QPixmap(reference));
        task->deleteLater();
        return task;
    }

    if (auto it = m_memory.constFind(reference); it != m_memory.cend()) {
        const QPixmap pixmap = *it;
        m_recent.removeOne(reference);
        m_recent.prepend(reference);
        callback(pixmap);
        task->deleteLater();
        return task;
    }

    const QString fileName = cacheFileName(reference);
    const QString path = m_diskDir + QLatin1Char('/') + fileName;
    if (QFile::exists(path)) {
        QPixmap pixmap;
        if (pixmap.load(path)) {
            if (auto it = m_manifest.find(fileName); it != m_manifest.end()) {
                *it = QDateTime::currentMSecsSinceEpoch();
                m_manifestDirty = true;
            }
            insertIntoMemory(reference, pixmap);
            callback(pixmap);
            task->deleteLater();
            return task;
        }
    }

    download(reference, task, callback);
    return task;
}

void ImageLoader::download(const QString& reference, ImageLoadTask* task,
                           const std::function<void(const QPixmap&)>& callback)
{
    QNetworkRequest request{QUrl(reference)};
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, true);
    QNetworkReply* reply = m_manager->get(request);
    auto* body = new ReplyBodyReader(reply, kMaxPictureBytes);

    auto* timer = new QTimer(task);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5% early
    connect(timer, &QTimer::timeout, reply, [reply] {
        if (reply->isRunning())
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, task, [this, reply, body, task, timer, reference, callback] {
        timer->stop();
        const QByteArray data = body->takeBody();
        const bool ok = body->failure().isEmpty() && reply->error() == QNetworkReply::NoError;
        reply->deleteLater();
        QPixmap pixmap;
        // An error reply's body (a server's error page) is never taken for the picture.
        if (ok && pixmap.loadFromData(data)) {
            insertIntoMemory(reference, pixmap);
            saveToDisk(reference, pixmap);
        } else {
            pixmap = QPixmap();
        }
        callback(pixmap);
        task->deleteLater();
    });
    timer->start(m_networkTimeoutMs);
}

void ImageLoader::setMemoryLimit(int limitKb)
{
    m_memoryLimitKb = limitKb;
    trimMemory();
}

void ImageLoader::clearMemoryCache()
{
    m_memory.clear();
    m_recent.clear();
    m_memoryUsedKb = 0;
}

void ImageLoader::insertIntoMemory(const QString& reference, const QPixmap& pixmap)
{
    if (auto it = m_memory.constFind(reference); it != m_memory.cend())
        m_memoryUsedKb -= costKb(*it);
    m_memory.insert(reference, pixmap);
    m_recent.removeOne(reference);
    m_recent.prepend(reference);
    m_memoryUsedKb += costKb(pixmap);
    trimMemory();
}

void ImageLoader::trimMemory()
{
    while (m_memoryUsedKb > m_memoryLimitKb && !m_recent.isEmpty()) {
        const QString oldest = m_recent.takeLast();
        m_memoryUsedKb -= costKb(m_memory.value(oldest));
        m_memory.remove(oldest);
    }
}

void ImageLoader::saveToDisk(const QString& reference, const QPixmap& pixmap)
{
    const QString fileName = cacheFileName(reference);
    const QString path = m_diskDir + QLatin1Char('/') + fileName;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    if (!pixmap.save(&file, "PNG")) {
        file.cancelWriting();
        return;
    }
    if (!commitSaveFile(file))
        return;

    const bool known = m_manifest.contains(fileName);
    m_manifest.insert(fileName, QDateTime::currentMSecsSinceEpoch());
    if (!known)
        m_diskUsedKb += QFileInfo(path).size() / 1024;
    m_manifestDirty = true;
    if (m_diskUsedKb > m_diskLimitKb)
        evictFromDisk();
    writeManifest();
}

void ImageLoader::evictFromDisk()
{
    std::vector<std::pair<qint64, QString>> byAge;
    byAge.reserve(size_t(m_manifest.size()));
    for (auto it = m_manifest.cbegin(); it != m_manifest.cend(); ++it)
        byAge.emplace_back(it.value(), it.key());
    std::sort(byAge.begin(), byAge.end());
    for (const auto& [lastUse, fileName] : byAge) {
        if (m_diskUsedKb <= m_diskLimitKb)
            break;
        const QString path = m_diskDir + QLatin1Char('/') + fileName;
        const qint64 size = QFileInfo(path).size();
        if (QFile::remove(path)) {
            m_diskUsedKb -= size / 1024;
            m_manifest.remove(fileName);
        }
    }
    m_manifestDirty = true;
}

void ImageLoader::readManifest()
{
    QFile file(m_diskDir + QLatin1Char('/') + kManifestName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream in(&file);
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 3 || !isCacheFileName(fields[0]))
            continue;
        const qint64 lastUse = fields[1].toLongLong();
        const qint64 size = qMax<qint64>(fields[2].toLongLong(), 0);
        if (!QFileInfo::exists(m_diskDir + QLatin1Char('/') + fields[0]))
            continue;
        m_manifest.insert(fields[0], lastUse);
        m_diskUsedKb += size / 1024;
    }
}

void ImageLoader::writeManifest()
{
    QSaveFile file(m_diskDir + QLatin1Char('/') + kManifestName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    QTextStream out(&file);
    for (auto it = m_manifest.cbegin(); it != m_manifest.cend(); ++it) {
        const qint64 size = QFileInfo(m_diskDir + QLatin1Char('/') + it.key()).size();
        out << it.key() << '\t' << it.value() << '\t' << size << '\n';
    }
    out.flush();
    if (commitSaveFile(file))
        m_manifestDirty = false;
}

} // namespace OV
