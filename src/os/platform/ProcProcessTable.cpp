#include "os/platform/ProcProcessTable.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace OV {

namespace {

QString readLink(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    QByteArray buffer(4096, '\0');
    const ssize_t n = ::readlink(native.constData(), buffer.data(), size_t(buffer.size()));
    if (n <= 0 || n >= buffer.size())
        return {};
    buffer.truncate(n);
    QString target = QFile::decodeName(buffer);
    // The kernel marks a program file that was replaced or removed since the process started.
    const QLatin1String deleted(" (deleted)");
    if (target.endsWith(deleted))
        target.chop(deleted.size());
    return target;
}

} // namespace

ProcProcessTable::ProcProcessTable(QString procRoot) : m_procRoot(std::move(procRoot)) {}

std::vector<int64_t> ProcProcessTable::processesOf(const QString& executable)
{
    std::vector<int64_t> result;
    if (executable.isEmpty())
        return result;
    const QStringList entries = QDir(m_procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        bool ok = false;
        const int64_t pid = entry.toLongLong(&ok);
        if (!ok || pid <= 0)
            continue;
        if (readLink(m_procRoot + QLatin1Char('/') + entry + QLatin1String("/exe")) == executable)
            result.push_back(pid);
    }
    return result;
}

QString ProcProcessTable::executableOf(int64_t pid)
{
    if (pid <= 0)
        return {};
    return readLink(m_procRoot + QLatin1Char('/') + QString::number(pid) + QLatin1String("/exe"));
}

} // namespace OV
