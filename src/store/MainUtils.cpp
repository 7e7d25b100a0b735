#include "store/MainUtils.h"

#include "core/AppDirs.h"
#include "core/FileUtils.h"
#include "core/ImageLoader.h"
#include "core/Logger.h"
#include "core/MainThread.h"
#include "core/Utils.h"
#include "core/WorkerThreads.h"
#include "project/ProjectDbPluginBean.h"
#include "project/ProjectPluginUseCase.h"
#include "store/StoreUtils.h"
#include "store/ZipDirectory.h"
#include "store/ZipUtils.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>

namespace OV {

namespace {

constexpr const char* kTag = "MainUtils";
constexpr const char* kMarkerFormat = "orvel-plugin-unpack/1 ";

std::mutex g_rootMutex;
QString g_pluginRoot;

// One slot per uuid; entries are few (one per plug-in) and kept for the process's life. An
// unpack holds `run` for as long as it works. Removing the folder never waits for it: when
// `run` is taken, the removal is left to its holder (`removePending`), which stops between
// members and removes the folder before it lets go (releaseSlot).
struct UnpackSlot
{
    std::mutex run;
    std::mutex state; // guards the hand-over of removePending; held only briefly
    std::atomic<bool> removePending{false};
};

std::mutex g_slotsMutex;
std::map<QString, std::shared_ptr<UnpackSlot>> g_slots;

std::shared_ptr<UnpackSlot> slotFor(const QString& uuid)
{
    std::lock_guard<std::mutex> guard(g_slotsMutex);
    std::shared_ptr<UnpackSlot>& slot = g_slots[uuid];
    if (!slot)
        slot = std::make_shared<UnpackSlot>();
    return slot;
}

bool removalPending(const QString& uuid)
{
    return slotFor(uuid)->removePending.load();
}

// Removals on a worker stop when the program exits: what is left is removed by the next unpack
// of the plug-in or the next start (removeStaleSiblings), so an exit never waits for the disk.
bool exiting()
{
    return WorkerThreads::stopRequested();
}

// Hidden siblings of a plug-in's folder: "<root>/.<uuid>.<kind>-<random>", kind "unpacking"
// (being written) or "old" (being removed).
QString siblingPath(const QString& root, const QString& uuid, const char* kind)
{
    return root + QStringLiteral("/.") + uuid + QLatin1Char('.') + QLatin1String(kind) + QLatin1Char('-') +
           createUuid();
}

// The uuid whose sibling the name is; empty for any other name. The random part holds no ".",
// so "a.b"'s siblings never count as "a"'s.
QString siblingOwner(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\.(.+)\\.(?:unpacking|old)-[A-Za-z0-9_-]+$"));
    const QRegularExpressionMatch match = pattern.match(name);
    return match.hasMatch() ? match.captured(1) : QString();
}

// Moves the plug-in's folder aside at once, then removes it: a removal cut short by an exit
// leaves a sibling, never a half-removed folder that still holds its marker.
bool discardFolder(const QString& root, const QString& uuid)
{
    const QString folder = root + QLatin1Char('/') + uuid;
    if (!QFileInfo::exists(folder))
        return true;
    const QString aside = siblingPath(root, uuid, "old");
    if (!QDir().rename(folder, aside))
        return removeAll(folder);
    removeAll(aside, exiting);
    return true;
}

// Lets go of `run`, first doing any removal asked for meanwhile. The check and the release are
// one step under `state`, so a removal asked for is never left with nobody to do it.
void releaseSlot(UnpackSlot& slot, const QString& root, const QString& uuid)
{
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(slot.state);
            if (!slot.removePending.load()) {
                slot.run.unlock();
                return;
            }
            slot.removePending.store(false);
        }
        if (!discardFolder(root, uuid))
            Logger::warn(kTag, "remove unpacked plugin failed:%s", uuid.toUtf8().constData());
    }
}

bool holdsPackage(const QString& folder, const QByteArray& marker)
{
    if (!isDirectory(folder) || QFileInfo(folder).isSymLink())
        return false;
    QFile file(folder + QLatin1Char('/') + QLatin1String(MainUtils::kMarkerFileName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(marker.size() + 1) == marker;
}

// Siblings left by an unpack or a removal that was cut off (an exit, a crash, a power loss).
// The caller holds the uuid's `run`, so none of them is in use.
void removeStaleSiblings(const QString& root, const QString& uuid)
{
    const QStringList names = QDir(root).entryList({QLatin1Char('.') + uuid + QStringLiteral(".*")},
                                                   QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (siblingOwner(name) == uuid)
            removeAll(root + QLatin1Char('/') + name, exiting);
    }
}

} // namespace

void MainUtils::setPluginRoot(const QString& root)
{
    std::lock_guard<std::mutex> guard(g_rootMutex);
    g_pluginRoot = root;
}

QString MainUtils::pluginRoot()
{
    {
        std::lock_guard<std::mutex> guard(g_rootMutex);
        if (!g_pluginRoot.isEmpty())
            return g_pluginRoot;
    }
    return AppDirs::pluginDir();
}

QString MainUtils::pluginFolder(const QString& uuid)
{
    if (!isSafePathComponent(uuid))
        return {};
    return pluginRoot() + QLatin1Char('/') + uuid;
}

QByteArray MainUtils::markerFor(const QByteArray& pack)
{
    return QByteArray(kMarkerFormat) + QCryptographicHash::hash(pack, QCryptographicHash::Sha256).toHex() + '\n';
}

BaseResult<QByteArray> MainUtils::loadPluginPack(ProjectPluginUseCase& useCase, const ProjectDbPluginBean& plugin)
{
    try {
        return useCase.accessor->database()->loadFile(plugin.id,
                                                      QString::fromLatin1(ProjectPluginUseCase::kPackFileName));
    } catch (const std::exception& e) {
        return BaseResult<QByteArray>(Errors::Unknown, QString::fromUtf8(e.what()));
    }
}

bool MainUtils::isPluginUnpacked(const QString& uuid, const QByteArray& pack)
{
    try {
        const QString folder = pluginFolder(uuid);
        return !folder.isEmpty() && !removalPending(uuid) && holdsPackage(folder, markerFor(pack));
    } catch (const std::exception& e) {
        Logger::error(kTag, "isPluginUnpacked error:%s", e.what());
        return false;
    }
}

bool MainUtils::isPluginUnpacked(ProjectPluginUseCase& useCase, const ProjectDbPluginBean& plugin)
{
    const BaseResult<QByteArray> pack = loadPluginPack(useCase, plugin);
    return pack.isOk() && isPluginUnpacked(plugin.k1, *pack.data);
}

namespace {

enum class Unpacked { Done, Failed, Stopped };

// Unpacks into a staging sibling and renames it into place. A stop (the program is asked to
// exit, or the folder to go) ends it between members: the staging folder goes and the folder
// in place is left as it was.
Unpacked unpackInto(const QString& uuid, const QByteArray& pack)
{
    const QString root = MainUtils::pluginRoot();
    const QString folder = root + QLatin1Char('/') + uuid;
    const std::shared_ptr<UnpackSlot> slot = slotFor(uuid);
    slot->run.lock();
    struct Release
    {
        UnpackSlot& slot;
        const QString& root;
        const QString& uuid;
        ~Release() { releaseSlot(slot, root, uuid); }
    } release{*slot, root, uuid};
    auto stop = [&slot]() { return WorkerThreads::stopRequested() || slot->removePending.load(); };

    const QByteArray marker = MainUtils::markerFor(pack);
    if (stop())
        return Unpacked::Stopped;
    if (holdsPackage(folder, marker))
        return Unpacked::Done;
    removeStaleSiblings(root, uuid);

    const QString staging = siblingPath(root, uuid, "unpacking");
    QString why;
    bool ok = unzipToDirectory(pack, staging, &why, stop);
    if (!ok && stop()) {
        // At exit the staging folder stays, however much was written: removing thousands of
        // folders can take minutes. The next unpack of the plug-in or the next start removes it.
        if (!exiting())
            removeAll(staging, exiting);
        Logger::info(kTag, "unpack plugin %s stopped", uuid.toUtf8().constData());
        return Unpacked::Stopped;
    }
    if (ok) {
        QSaveFile file(staging + QLatin1Char('/') + QLatin1String(MainUtils::kMarkerFileName));
        ok = file.open(QIODevice::WriteOnly) && file.write(marker) == marker.size() && commitSaveFile(file);
        if (!ok)
            why = QStringLiteral("cannot write the marker");
    }
    // The folder that was there (another package, or a half-written one from an older
    // program) goes aside first, so the rename puts the new one in place whole; it is removed
    // once the new one is in place.
    QString old;
    if (ok && QFileInfo::exists(folder)) {
        old = siblingPath(root, uuid, "old");
        if (!QDir().rename(folder, old)) {
            old.clear();
            if (!removeAll(folder)) {
                ok = false;
                why = QStringLiteral("cannot replace the folder");
            }
        }
    }
    if (ok && !QDir().rename(staging, folder)) {
        ok = false;
        why = QStringLiteral("cannot rename into place");
    }
    if (!old.isEmpty())
        removeAll(old, exiting);
    if (!ok) {
        Logger::error(kTag, "unpack plugin %s failed:%s", uuid.toUtf8().constData(), why.toUtf8().constData());
        removeAll(staging, exiting);
        discardFolder(root, uuid);
        return Unpacked::Failed;
    }
    return Unpacked::Done;
}

} // namespace

BaseResult<void> MainUtils::unpackPlugin(const QString& uuid, const QByteArray& pack)
{
    if (!isSafePathComponent(uuid))
        return BaseResult<void>(Errors::InvalidArgument, QStringLiteral("invalid uuid:") + uuid);
    try {
        if (unpackInto(uuid, pack) == Unpacked::Done)
            return {};
    } catch (const std::exception& e) {
        Logger::error(kTag, "unpack plugin error:%s", e.what());
    }
    return BaseResult<void>(Errors::WriteFailed, QStringLiteral("unzip plugin error"));
}

void MainUtils::asyncUnpackPlugin(ProjectPluginUseCase& useCase, const ProjectDbPluginBean& plugin,
                                  const QObject* guard, std::function<void(const BaseResult<void>&)> done)
{
    const BaseResult<QByteArray> pack = loadPluginPack(useCase, plugin);
    if (!pack.isOk()) {
        if (done)
            done(BaseResult<void>::from(pack));
        return;
    }
    if (isPluginUnpacked(plugin.k1, *pack.data)) {
        if (done)
            done({});
        return;
    }
    QPointer<const QObject> alive(guard);
    // Not detached: the application waits for the unpack before it goes away.
    // A stopped unpack delivers nothing: the program is ending, or the folder was removed and
    // whoever removed it unpacks again if it wants the plug-in.
    WorkerThreads::start([uuid = plugin.k1, bytes = *pack.data, alive, done = std::move(done)]() mutable {
        BaseResult<void> result(Errors::WriteFailed, QStringLiteral("unzip plugin error"));
        try {
            const Unpacked unpacked = unpackInto(uuid, bytes);
            if (unpacked == Unpacked::Stopped)
                return;
            if (unpacked == Unpacked::Done)
                result = BaseResult<void>();
        } catch (const std::exception& e) {
            Logger::error(kTag, "unpack plugin error:%s", e.what());
        }
        runOnMainThread([alive, result, done = std::move(done)]() {
            if (alive && done)
                done(result);
        });
    });
}

bool MainUtils::removeUnpackedPlugin(const QString& uuid)
{
    if (!isSafePathComponent(uuid))
        return false;
    try {
        const std::shared_ptr<UnpackSlot> slot = slotFor(uuid);
        const QString root = pluginRoot();
        const QString folder = root + QLatin1Char('/') + uuid;
        {
            std::lock_guard<std::mutex> guard(slot->state);
            if (!slot->run.try_lock()) {
                // An unpack runs: it stops and removes the folder as it ends.
                slot->removePending.store(true);
                return true;
            }
        }
        const bool removed = removeAll(folder);
        releaseSlot(*slot, root, uuid);
        return removed;
    } catch (const std::exception& e) {
        Logger::error(kTag, "remove unpacked plugin error:%s", e.what());
        return false;
    }
}

void MainUtils::removeUnpackLeftovers()
{
    try {
        const QString root = pluginRoot();
        QStringList owners;
        for (const QString& name : QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
            const QString uuid = siblingOwner(name);
            if (!uuid.isEmpty() && !owners.contains(uuid))
                owners << uuid;
        }
        if (owners.isEmpty())
            return;
        WorkerThreads::start([root, owners]() {
            for (const QString& uuid : owners) {
                if (exiting())
                    return;
                // Under the plug-in's `run`: none of its siblings is in use meanwhile.
                const std::shared_ptr<UnpackSlot> slot = slotFor(uuid);
                slot->run.lock();
                removeStaleSiblings(root, uuid);
                releaseSlot(*slot, root, uuid);
            }
        });
    } catch (const std::exception& e) {
        Logger::error(kTag, "removeUnpackLeftovers error:%s", e.what());
    }
}

BaseResult<void> MainUtils::uninstallPlugin(ProjectPluginUseCase& useCase, const ProjectDbPluginBean& plugin)
{
    const int64_t id = plugin.id;
    const BaseResult<void> removed = useCase.transaction([&]() {
        const auto& database = useCase.accessor->database();
        for (const char* name : {ProjectPluginUseCase::kPackFileName, ProjectPluginUseCase::kIconFileName}) {
            const BaseResult<void> file = database->removeFile(id, QString::fromLatin1(name));
            if (!file.isOk())
                return file;
        }
        const BaseResult<int> record = useCase.remove(id);
        if (!record.isOk())
            return BaseResult<void>::from(record);
        if (*record.data == 0)
            return BaseResult<void>(Errors::RecordNotExists, QStringLiteral("plugin id:%1").arg(id));
        return BaseResult<void>();
    });
    if (removed.isOk())
        removeUnpackedPlugin(plugin.k1);
    return removed;
}

QString MainUtils::pluginFileEntry(const QString& reference)
{
    const QString trimmed = reference.trimmed();
    const QLatin1String prefix("file://");
    if (!trimmed.startsWith(prefix, Qt::CaseInsensitive))
        return {};
    return trimmed.mid(prefix.size());
}

QByteArray MainUtils::readPluginFile(const ZipDirectory& package, const QString& entry, QString* why)
{
    return readZipEntry(package, entry, why, Qt::CaseInsensitive);
}

QString MainUtils::pluginFilePath(const QString& folder, const QString& entry)
{
    if (folder.isEmpty() || entry.isEmpty())
        return {};
    QString path = folder;
    for (const QString& segment : entry.split(QLatin1Char('/'))) {
        if (!isSafePathComponent(segment) || segment.contains(QLatin1Char(':')))
            return {};
        const QString exact = path + QLatin1Char('/') + segment;
        if (QFileInfo::exists(exact)) {
            path = exact;
            continue;
        }
        // The unpack wrote the names as the package spells them.
        const QString key = ZipDirectory::nameKey(segment);
        const QStringList names =
            QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        const auto found = std::find_if(names.cbegin(), names.cend(),
                                        [&key](const QString& name) { return ZipDirectory::nameKey(name) == key; });
        if (found == names.cend())
            return {};
        path = path + QLatin1Char('/') + *found;
    }
    return path;
}

void MainUtils::asyncLoadPluginImage(const QString& uuid, const QString& image,
                                     std::function<void(const QPixmap&)> callback)
{
    if (!callback)
        return;
    auto deliver = [callback](const QPixmap& pixmap) {
        callback(trimTransparentEdges(pixmap, StoreUtils::kTrimThreshold));
    };
    const QString entry = pluginFileEntry(image);
    if (entry.isNull()) {
        ImageLoader::instance()->load(image, deliver);
        return;
    }
    QString path;
    try {
        path = pluginFilePath(pluginFolder(uuid), entry);
    } catch (const std::exception& e) {
        Logger::error(kTag, "asyncLoadPluginImage error:%s", e.what());
    }
    if (path.isEmpty()) {
        Logger::error(kTag, "plugin image not in its folder:%s", image.toUtf8().constData());
        callback(QPixmap());
        return;
    }
    ImageLoader::instance()->load(path, deliver);
}

QPixmap MainUtils::loadPluginIcon(ProjectPluginUseCase& useCase, const ProjectDbPluginBean& plugin)
{
    try {
        const BaseResult<QByteArray> bytes =
            useCase.accessor->database()->loadFile(plugin.id, QString::fromLatin1(ProjectPluginUseCase::kIconFileName));
        QPixmap pixmap;
        if (bytes.isOk() && !bytes.data->isEmpty())
            pixmap.loadFromData(*bytes.data);
        return pixmap;
    } catch (const std::exception& e) {
        Logger::error(kTag, "loadPluginIcon error:%s", e.what());
        return {};
    }
}

} // namespace OV
