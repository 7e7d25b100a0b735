#pragma once

#include <QByteArray>
#include <QString>

namespace OV {

// The uncompressed bytes of the entry with exactly this path inside a ZIP archive held in
// memory; stored and raw-deflated entries are read. An empty array when the entry is
// missing or the archive is damaged, encrypted or uses another method: every offset and
// size is checked against the archive before it is used.
QByteArray readZipEntry(const QByteArray& zip, const QString& name);

} // namespace OV
