#include "store/StoreFileUtils.h"

#include "project/ProjectDatabase.h"

#include <QFile>
#include <QFileInfo>

namespace OV {

BaseResult<QByteArray> storeFileWithLimit(ProjectDatabase& database, int64_t ownerId, const QString& fileName,
                                          const QString& filePath)
{
    const QFileInfo info(filePath);
    if (filePath.isEmpty() || !info.isFile())
        return BaseResult<QByteArray>(Errors::FileNotFound, QStringLiteral("filePath:") + filePath);
    const qint64 size = info.size();
    if (size > kStoreFileLimit)
        return BaseResult<QByteArray>(Errors::InvalidDatabaseFormat,
                                      QStringLiteral("File size exceeds limit, filePath:") + filePath);
    const QString readError = QStringLiteral("Read file error, filePath:%1").arg(filePath);
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return BaseResult<QByteArray>(Errors::ReadFailed, readError);
    // One byte more than expected is asked for, so a file that grew since its size was taken
    // is noticed without reading past the limit.
    QByteArray bytes = file.read(size + 1);
    if (bytes.size() != size)
        return BaseResult<QByteArray>(Errors::ReadFailed, readError);
    const BaseResult<void> stored = database.saveFile(ownerId, fileName, bytes);
    if (!stored.isOk())
        return BaseResult<QByteArray>::from(stored);
    return BaseResult<QByteArray>(std::move(bytes));
}

} // namespace OV
