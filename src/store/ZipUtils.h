#pragma once

#include <QByteArray>
#include <QString>

namespace OV {

// Every archive is read through the same checks: ZIP64, encrypted or multi-disk archives are
// refused, and so are archives whose members break the rules below. The reason for a refusal
// goes to `why`.

// The uncompressed bytes of the file member with exactly this path; an empty array when it is
// missing or the archive is refused. Unlike the package checks below, the end record may be
// followed by trailing bytes or have a false signature in its comment.
QByteArray readZipEntry(const QByteArray& zip, const QString& name, QString* why = nullptr);

// Packages come from outside, so all three accept only stored or deflated members whose names
// are relative paths of plain names (no "/" or "\" at the start, no drive, no "\", no empty,
// "." or ".." segment), no duplicates, at most 10,000 members of at most 64 MiB each and 256 MiB
// in all by their announced sizes, each with a local header that agrees with the directory
// (sizes and CRC may be zero there for a member with a data descriptor). These two also want
// exactly one end record, ending the data.

// Checks the whole package, every member inflated and its CRC compared; nothing is written.
bool verifyPackage(const QByteArray& zip, QString* why = nullptr);

// Writes every member under the directory (made when missing). The directory is checked
// whole before anything is written; a failure part-way removes what this call wrote. Files
// are created new, never written through a link or over a file that was there.
bool unzipToDirectory(const QByteArray& zip, const QString& directory, QString* why = nullptr);

} // namespace OV
