#include "store/ZipUtils.h"

#include "store/ZipDirectory.h"

#include "core/FileUtils.h"

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

QByteArray readZipEntry(const QByteArray& zip, const QString& name, QString* why, Qt::CaseSensitivity cs)
{
    return readZipEntry(ZipDirectory(zip), name, why, cs);
}

QByteArray readZipEntry(const ZipDirectory& directory, const QString& name, QString* why, Qt::CaseSensitivity cs)
{
    if (!directory.isValid()) {
        refuse(why, directory.error());
        return {};
    }
    const ZipDirectory::Member* member = directory.find(name, cs);
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

    // No list of everything made, which would grow with the package's folders: in a folder made
    // here all is ours; in one that was there, the topmost folders made below folders that were
    // there, and the files of the members written so far.
    QSet<QString> madeTops;
    auto madeHere = [&](const QString& relative) {
        if (rootCreated)
            return true;
        for (qsizetype slash = relative.indexOf(QLatin1Char('/')); slash > 0;
             slash = relative.indexOf(QLatin1Char('/'), slash + 1)) {
            if (madeTops.contains(relative.left(slash)))
                return true;
        }
        return madeTops.contains(relative);
    };
    auto fail = [&](const QString& reason, qsizetype filesWritten) {
        if (rootCreated) {
            removeAll(root, stopRequested);
        } else {
            const std::vector<ZipDirectory::Member>& members = archive.members();
            for (qsizetype i = 0; i < filesWritten; ++i) {
                const qsizetype slash = members[i].name.lastIndexOf(QLatin1Char('/'));
                if (!members[i].directory && (slash < 0 || !madeHere(members[i].name.left(slash))))
                    QFile::remove(root + QLatin1Char('/') + members[i].name);
            }
            for (const QString& top : madeTops)
                removeAll(root + QLatin1Char('/') + top, stopRequested);
        }
        return refuse(why, reason);
    };
    // The last folder made or found, with its parents: members come mostly in folder order, so
    // each folder is looked at about once. One that was there must be a real folder, not a link.
    QString known;
    auto makeFolder = [&](const QString& relative) -> bool {
        qsizetype same = 0;
        const qsizetype common = qMin(relative.size(), known.size());
        while (same < common && relative.at(same) == known.at(same))
            ++same;
        const bool endsBoth = (same == relative.size() || relative.at(same) == QLatin1Char('/')) &&
                              (same == known.size() || known.at(same) == QLatin1Char('/'));
        if (endsBoth && same == relative.size())
            return true;
        if (!endsBoth)
            same = same == 0 ? 0 : qMax<qsizetype>(0, relative.lastIndexOf(QLatin1Char('/'), same - 1));
        known.clear();
        for (qsizetype end = relative.indexOf(QLatin1Char('/'), same + (same > 0 ? 1 : 0));;
             end = relative.indexOf(QLatin1Char('/'), end + 1)) {
            const QString part = end < 0 ? relative : relative.left(end);
            const QString path = root + QLatin1Char('/') + part;
            if (QDir().mkdir(path)) {
                if (!madeHere(part))
                    madeTops.insert(part);
            } else {
                const QFileInfo info(path);
                if (!info.isDir() || info.isSymLink())
                    return false;
            }
            if (end < 0)
                break;
        }
        known = relative;
        return true;
    };

    QByteArray content;
    const std::vector<ZipDirectory::Member>& members = archive.members();
    for (qsizetype i = 0; i < qsizetype(members.size()); ++i) {
        const ZipDirectory::Member& member = members[i];
        // Between members, so a stop leaves no member half written; what was written stays.
        if (stopRequested && stopRequested())
            return refuse(why, QStringLiteral("stopped"));
        const QString target = root + QLatin1Char('/') + member.name;
        if (!QDir::cleanPath(target).startsWith(root + QLatin1Char('/')))
            return fail(QStringLiteral("member outside the folder: %1").arg(member.name), i);
        if (member.directory) {
            if (!makeFolder(member.name))
                return fail(QStringLiteral("cannot create folder: %1").arg(member.name), i);
            continue;
        }
        const qsizetype slash = member.name.lastIndexOf(QLatin1Char('/'));
        if (slash > 0 && !makeFolder(member.name.left(slash)))
            return fail(QStringLiteral("cannot create folder: %1").arg(member.name), i);
        QString damage;
        if (!archive.content(member, &content, &damage))
            return fail(damage, i);
        // NewOnly: never through a link, never over a file that was there before.
        QFile file(target);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return fail(QStringLiteral("cannot write: %1").arg(member.name), i);
        const bool written = file.write(content) == content.size();
        file.close();
        if (!written || file.error() != QFileDevice::NoError)
            return fail(QStringLiteral("cannot write: %1").arg(member.name), i + 1);
    }
    return true;
}

} // namespace OV
