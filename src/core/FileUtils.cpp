#include "core/FileUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace OV {

namespace {

fs::path toPath(const QString& path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

bool isMissingError(const std::error_code& ec)
{
    return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory ||
           ec == std::errc::filename_too_long || ec == std::errc::invalid_argument;
}

// The status of a path; a path that is simply not there reads as not_found.
fs::file_status statusOf(const fs::path& p, const char* operation)
{
    std::error_code ec;
    fs::file_status st = fs::status(p, ec);
    if (ec) {
        if (isMissingError(ec))
            return fs::file_status(fs::file_type::not_found);
        throw fs::filesystem_error(operation, p, ec);
    }
    return st;
}

bool removeTree(const fs::path& p, const std::function<bool()>& stopRequested)
{
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(p, ec);
    if (ec)
        return isMissingError(ec);
    if (fs::is_directory(st)) {
        fs::directory_iterator it(p, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            if (!removeTree(it->path(), stopRequested))
                return false;
        }
        if (ec && !isMissingError(ec))
            return false;
    }
    if (stopRequested && stopRequested())
        return false;
    fs::remove(p, ec);
    return !ec || isMissingError(ec);
}

// Flushes Qt's write buffer; like a short write, a flush that the system took only in part is
// tried once more, which completes it or fails with the system's cause.
bool flushFully(QFileDevice& file)
{
    return file.flush() || file.flush();
}

} // namespace

bool createDirectories(const QString& path)
{
    const fs::path p = toPath(path);
    const auto st = statusOf(p, "exists");
    if (fs::is_directory(st))
        return true;
    if (fs::exists(st))
        return false;
    std::error_code ec;
    fs::create_directories(p, ec);
    return fs::is_directory(statusOf(p, "exists"));
}

bool clearDirectory(const QString& path)
{
    const fs::path p = toPath(path);
    if (!fs::is_directory(statusOf(p, "status")))
        return false;
    std::error_code ec;
    fs::directory_iterator it(p, ec);
    if (ec)
        return true;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            throw fs::filesystem_error("directory_iterator::operator++", p, ec);
        std::error_code removeEc;
        fs::remove_all(it->path(), removeEc);
        if (removeEc)
            return false;
    }
    if (ec)
        throw fs::filesystem_error("directory_iterator::operator++", p, ec);
    return true;
}

bool removeAll(const QString& path)
{
    return removeAll(path, {});
}

bool removeAll(const QString& path, const std::function<bool()>& stopRequested)
{
    const fs::path p = toPath(path);
    const auto st = fs::symlink_status(p);
    if (!fs::exists(st))
        return true;
    if (!fs::is_directory(st))
        return false;
    return removeTree(p, stopRequested);
}

bool removeFile(const QString& path)
{
    std::error_code ec;
    return fs::remove(toPath(path), ec) && !ec;
}

bool pathExists(const QString& path)
{
    return fs::exists(statusOf(toPath(path), "exists"));
}

uint64_t fileSize(const QString& path)
{
    std::error_code ec;
    const fs::path p = toPath(path);
    if (!fs::is_regular_file(fs::status(p, ec)) || ec)
        return UINT64_MAX;
    const auto size = fs::file_size(p, ec);
    return ec ? UINT64_MAX : static_cast<uint64_t>(size);
}

bool isDirectory(const QString& path)
{
    return fs::is_directory(statusOf(toPath(path), "status"));
}

bool isEmptyDirectory(const QString& path)
{
    const fs::path p = toPath(path);
    if (!fs::is_directory(statusOf(p, "status")))
        return false;
    std::error_code ec;
    fs::directory_iterator it(p, ec);
    if (ec)
        throw fs::filesystem_error("directory_iterator::directory_iterator", p, ec);
    return it == fs::directory_iterator();
}

bool isFile(const QString& path)
{
    return fs::is_regular_file(statusOf(toPath(path), "status"));
}

bool canWriteFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    if (!QFileInfo(path).absoluteDir().exists())
        return false;
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly);
    file.cancelWriting();
    return ok;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeFile(const QString& path, const char* data, qint64 offset, qint64 size, bool append, QString* error)
{
    const auto fail = [error](const QString& cause) {
        if (error)
            *error = cause;
        return false;
    };
    if (!data || size == 0)
        return fail(QStringLiteral("nothing to write"));
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir))
        return fail(QStringLiteral("cannot create the folder %1").arg(dir));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | (append ? QIODevice::Append : QIODevice::Truncate)))
        return fail(file.errorString());
    if (!writeFully(file, data + offset, size) || !flushFully(file))
        return fail(writeFailureText(file));
    file.close();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    return true;
}

bool commitSaveFile(QSaveFile& file, QString* error)
{
    QString cause;
    if (file.error() != QFileDevice::NoError || !flushFully(file))
        cause = writeFailureText(file);
    else if (!file.commit() || file.error() != QFileDevice::NoError)
        cause = file.errorString();
    else
        return true;
    file.cancelWriting();
    if (error)
        *error = cause;
    return false;
}

bool writeFully(QIODevice& device, const char* data, qint64 size)
{
    qint64 done = device.write(data, size);
    if (done >= 0 && done < size) {
        const qint64 more = device.write(data + done, size - done);
        done = more < 0 ? -1 : done + more;
    }
    return done == size;
}

QString writeFailureText(const QFileDevice& file)
{
    return file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("incomplete write");
}

bool isSafePathComponent(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() == 0)
            return false;
    }
    return true;
}

} // namespace OV
