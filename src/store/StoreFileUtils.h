#pragma once

#include "core/BaseResult.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace OV {

class ProjectDatabase;

// The largest file kept inside a project: 10 MiB.
constexpr qint64 kStoreFileLimit = 0xA00000;

// Reads one file of at most kStoreFileLimit bytes and stores it in the project's file_store
// under the owner record and the name; the value is the bytes stored.
BaseResult<QByteArray> storeFileWithLimit(ProjectDatabase& database, int64_t ownerId, const QString& fileName,
                                          const QString& filePath);

} // namespace OV
