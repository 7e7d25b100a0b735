#pragma once

#include "core/ImageLoadTask.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>

#include <functional>

class QNetworkAccessManager;

namespace OV {

// Turns an image reference (resource path, local file or URL) into a pixmap, with a memory
// cache costed by decoded size (least recently used goes first) and a disk cache of PNG
// files under "ImageCache" indexed by "manifest.tsv". GUI thread only.
class ImageLoader : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDefaultMemoryLimitKb = 131072;
    static constexpr qint64 kDiskLimitKb = 262144;
    static constexpr int kNetworkTimeoutMs = 5000;
    // Icons weigh a few KiB and backgrounds a few MiB; a large photograph or a 4K PNG stays
    // under 30 MiB. A download past this gives a null picture.
    static constexpr qint64 kMaxPictureBytes = 32 << 20;

    static ImageLoader* instance();

    explicit ImageLoader(QObject* parent = nullptr, int networkTimeoutMs = kNetworkTimeoutMs);

    // Calls back exactly once: during the call for resources, local files and cache hits,
    // later for downloads; a null pixmap on failure. Null (and nothing done) for an empty callback.
    ImageLoadTask* load(const QString& reference, std::function<void(const QPixmap&)> callback);

    void setMemoryLimit(int limitKb);
    void clearMemoryCache();
    int memoryLimitKb() const { return m_memoryLimitKb; }
    qint64 diskLimitKb() const { return m_diskLimitKb; }
    int networkTimeoutMs() const { return m_networkTimeoutMs; }

    // The cache file name of a reference: the hex SHA-256 of its UTF-8 bytes.
    static QString cacheFileName(const QString& reference);

private:
    void readManifest();
    void writeManifest();
    void insertIntoMemory(const QString& reference, const QPixmap& pixmap);
    void trimMemory();
    void saveToDisk(const QString& reference, const QPixmap& pixmap);
    void evictFromDisk();
    void download(const QString& reference, ImageLoadTask* task, const std::function<void(const QPixmap&)>& callback);

    QNetworkAccessManager* m_manager;
    int m_networkTimeoutMs;
    int m_memoryLimitKb = kDefaultMemoryLimitKb;
    qint64 m_memoryUsedKb = 0;
    QHash<QString, QPixmap> m_memory;
    QList<QString> m_recent;
    QString m_diskDir;
    qint64 m_diskLimitKb = kDiskLimitKb;
    qint64 m_diskUsedKb = 0;
    QHash<QString, qint64> m_manifest;
    bool m_manifestDirty = false;
};

} // namespace OV
