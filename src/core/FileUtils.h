#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

QT_FORWARD_DECLARE_CLASS(QFileDevice)
QT_FORWARD_DECLARE_CLASS(QIODevice)
QT_FORWARD_DECLARE_CLASS(QSaveFile)

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
// Writes `size` bytes from data + offset, making the folders on the way. True only when every byte
// reached the file: Qt's write buffer is flushed and the file closed before the answer, as a full
// disk shows itself only then for a write that fits the buffer. `error`, when given, gets the cause.
bool writeFile(const QString& path, const char* data, qint64 offset, qint64 size, bool append,
               QString* error = nullptr);

// Ends a QSaveFile open for writing; true only when every byte written reached the target.
// QSaveFile::commit() alone discards the file after a failed write but not after a failed flush
// of Qt's write buffer, which it makes itself while closing: a full disk would put a short or
// empty file in place of the target and still report success. Here the buffer is flushed first
// and a failure discards the new file, leaving the target as it was; a failure the system reports
// only when closing comes after the rename and is reported all the same. `error` gets the cause.
bool commitSaveFile(QSaveFile& file, QString* error = nullptr);

// Writes all the bytes to the device. A short write carries no error of its own, so the rest is
// written once more, which either completes it or fails with the system's cause (a full disk).
bool writeFully(QIODevice& device, const char* data, qint64 size);

// The cause of a failed write on the file: its error text, or a note that the system took only
// part of the bytes (a short write carries no error of its own).
QString writeFailureText(const QFileDevice& file);

// True when the text can name exactly one entry inside a folder: not empty, not "." or
// "..", no separator, no NUL. Names from outside data pass this before any path is built.
bool isSafePathComponent(const QString& name);

} // namespace OV
