#include "store/ZipUtils.h"

#include "store/ZipDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <vector>

namespace OV {

namespace {

bool refuse(QString* why, const QString& reason)
{
    if (why)
        *why = reason;
    return false;
}

} // namespace

QByteArray readZipEntry(const QByteArray& zip, const QString& name, QString* why)
{
    const ZipDirectory directory(zip);
    if (!directory.isValid()) {
        refuse(why, directory.error());
        return {};
    }
    const ZipDirectory::Member* member = directory.find(name);
    if (!member) {
        refuse(why, QStringLiteral("no member: %1").arg(name));
        return {};
    }
    QByteArray content;
    if (!directory.content(*member, &content, why))
        return {};
    // The directory's bytes may be only borrowed: the caller keeps its own copy.
    content.detach();
    return content;
}

bool verifyPackage(const QByteArray& zip, QString* why)
{
    const ZipDirectory directory(zip);
    if (!directory.isValid())
        return refuse(why, directory.error());
    QByteArray content;
    for (const ZipDirectory::Member& member : directory.members()) {
        if (!member.directory && !directory.content(member, &content, why))
            return false;
    }
    return true;
}

bool unzipToDirectory(const QByteArray& zip, const QString& directory, QString* why,
                      const std::function<bool()>& stopRequested)
{
    const ZipDirectory archive(zip);
    if (!archive.isValid())
        return refuse(why, archive.error());
    const QString root = QDir::cleanPath(QDir(directory).absolutePath());
    const bool rootCreated = !QFileInfo::exists(root);
    if (!QDir().mkpath(root) || QFileInfo(root).isSymLink())
        return refuse(why, QStringLiteral("cannot create folder: %1").arg(root));

    // Everything made here, in order, so that a failure takes it all away again.
    std::vector<QString> created;
    auto fail = [&](const QString& reason) {
        for (auto it = created.rbegin(); it != created.rend(); ++it) {
            if (!QFile::remove(*it))
                QDir().rmdir(*it);
        }
        if (rootCreated)
            QDir().rmdir(root);
        return refuse(why, reason);
    };
    // Each folder is looked at and made once, however many members lie below it; one that was
    // there already must be a real folder, not a link.
    QSet<QString> folders;
    auto makeFolder = [&](auto& self, const QString& relative) -> bool {
        if (folders.contains(relative))
            return true;
        const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
        if (slash > 0 && !self(self, relative.left(slash)))
            return false;
        const QString path = root + QLatin1Char('/') + relative;
        if (QDir().mkdir(path)) {
            created.push_back(path);
        } else {
            const QFileInfo info(path);
            if (!info.isDir() || info.isSymLink())
                return false;
        }
        folders.insert(relative);
        return true;
    };

    QByteArray content;
    for (const ZipDirectory::Member& member : archive.members()) {
        // Between members, so a stop leaves no member half written.
        if (stopRequested && stopRequested())
            return fail(QStringLiteral("stopped"));
        const QString target = root + QLatin1Char('/') + member.name;
        if (!QDir::cleanPath(target).startsWith(root + QLatin1Char('/')))
            return fail(QStringLiteral("member outside the folder: %1").arg(member.name));
        if (member.directory) {
            if (!makeFolder(makeFolder, member.name))
                return fail(QStringLiteral("cannot create folder: %1").arg(member.name));
            continue;
        }
        const qsizetype slash = member.name.lastIndexOf(QLatin1Char('/'));
        if (slash > 0 && !makeFolder(makeFolder, member.name.left(slash)))
            return fail(QStringLiteral("cannot create folder: %1").arg(member.name));
        QString damage;
        if (!archive.content(member, &content, &damage))
            return fail(damage);
        // NewOnly: never through a link, never over a file that was there before.
        QFile file(target);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return fail(QStringLiteral("cannot write: %1").arg(member.name));
        created.push_back(target);
        const bool written = file.write(content) == content.size();
        file.close();
        if (!written || file.error() != QFileDevice::NoError)
            return fail(QStringLiteral("cannot write: %1").arg(member.name));
    }
    return true;
}

} // namespace OV
