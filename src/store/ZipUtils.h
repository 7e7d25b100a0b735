#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace OV {

class ZipDirectory;

// Plug-in packages come from outside: all three read them through one ZipDirectory, so they
// take or refuse an archive alike and give the same reason for a refusal (in `why`); see
// ZipDirectory for the rules.

// The uncompressed bytes of the file member with this path (exactly, or as ZipDirectory::find
// compares without case); an empty array when it is missing or the archive is refused.
QByteArray readZipEntry(const QByteArray& zip, const QString& name, QString* why = nullptr,
                        Qt::CaseSensitivity cs = Qt::CaseSensitive);
// The same from a directory already read, for callers that read several members.
QByteArray readZipEntry(const ZipDirectory& directory, const QString& name, QString* why = nullptr,
                        Qt::CaseSensitivity cs = Qt::CaseSensitive);

// Checks the whole package, every member inflated and its CRC compared; nothing is written.
bool verifyPackage(const QByteArray& zip, QString* why = nullptr);

// Writes every member under the directory (made when missing). The directory is checked
// whole before anything is written; a failure part-way removes what this call wrote (a stop
// cuts that removal short). `stopRequested` is asked before each member: a stop leaves what was
// written as it is, for the caller to remove when it suits, since removing many folders takes
// long. Files are created new, never written through a link or over a file that was there.
bool unzipToDirectory(const QByteArray& zip, const QString& directory, QString* why = nullptr,
                      const std::function<bool()>& stopRequested = {});

} // namespace OV
