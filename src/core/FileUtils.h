#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

namespace OV {

// File-system helpers over QString paths. Failures are reported by the result; only an
// unexpected failure to read a path's status throws std::filesystem::filesystem_error.
bool createDirectories(const QString& path);
bool clearDirectory(const QString& path);
bool removeAll(const QString& path);
// The same, one entry at a time, deepest first; when stopRequested answers true it stops
// between entries, leaves the rest and returns false. Links are removed, never followed.
bool removeAll(const QString& path, const std::function<bool()>& stopRequested);
bool removeFile(const QString& path);
bool pathExists(const QString& path);
// The size of a regular file; UINT64_MAX for anything else.
uint64_t fileSize(const QString& path);
bool isDirectory(const QString& path);
bool isEmptyDirectory(const QString& path);
bool isFile(const QString& path);
bool canWriteFile(const QString& path);
QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const char* data, qint64 offset, qint64 size, bool append);

// True when the text can name exactly one entry inside a folder: not empty, not "." or
// "..", no separator, no NUL. Names from outside data pass this before any path is built.
bool isSafePathComponent(const QString& name);

} // namespace OV
