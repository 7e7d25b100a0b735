#pragma once

#include <QByteArray>
#include <QString>

namespace OV {

// The uncompressed bytes of the entry with exactly this path inside a ZIP archive held in
// memory; stored and raw-deflated entries are read. An empty array when the entry is
// missing or the archive is damaged, encrypted or uses another method: every offset and
// size is checked against the archive before it is used.
QByteArray readZipEntry(const QByteArray& zip, const QString& name);

// Packages come from outside, so these two accept only an archive that every reader sees
// alike: one end record, no ZIP64, no encryption, stored or deflated members whose names are
// relative paths of plain names (no "/" or "\" at the start, no drive, no "\", no empty, "."
// or ".." segment), no duplicates, at most 10,000 members of at most 64 MiB each and 256 MiB
// in all by their announced sizes. The reason for a refusal goes to `why`.

// Checks the whole package, every member inflated and its CRC compared; nothing is written.
bool verifyPackage(const QByteArray& zip, QString* why = nullptr);

// Writes every member under the directory (made when missing). The directory is checked
// whole before anything is written; a failure part-way removes what this call wrote. Files
// are created new, never written through a link or over a file that was there.
bool unzipToDirectory(const QByteArray& zip, const QString& directory, QString* why = nullptr);

} // namespace OV
