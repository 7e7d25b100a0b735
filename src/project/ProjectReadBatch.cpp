#include "project/ProjectReadBatch.h"

#include <sqlite3.h>

namespace OV {

ProjectReadBatch::ProjectReadBatch(const QSqlDatabase& db, sqlite3* handle, std::function<void()> releaseStatements)
    : m_db(db), m_handle(handle), m_releaseStatements(std::move(releaseStatements))
{
    m_end.setSingleShot(true);
    m_end.setInterval(0);
    QObject::connect(&m_end, &QTimer::timeout, [this]() { end(); });
}

ProjectReadBatch::~ProjectReadBatch()
{
    end();
    closeFileBlob();
}

void ProjectReadBatch::begin()
{
    if (m_active || !m_db.transaction())
        return;
    m_active = true;
    m_end.start();
}

void ProjectReadBatch::end()
{
    if (!m_active)
        return;
    m_active = false;
    m_end.stop();
    closeFileBlob();
    if (m_releaseStatements)
        m_releaseStatements();
    if (!m_db.commit())
        m_db.rollback();
}

std::optional<QByteArray> ProjectReadBatch::readFileBlob(int64_t row)
{
    // The stored bytes go straight into the array, not first into a value SQLite makes of them.
    const int opened = m_fileBlob ? sqlite3_blob_reopen(m_fileBlob, row)
                                  : sqlite3_blob_open(m_handle, "main", "file_store", "data", row, 0, &m_fileBlob);
    std::optional<QByteArray> result;
    if (opened == SQLITE_OK) {
        const int size = sqlite3_blob_bytes(m_fileBlob);
        QByteArray bytes(size, Qt::Uninitialized);
        if (size == 0)
            result = QByteArray();
        else if (sqlite3_blob_read(m_fileBlob, bytes.data(), size, 0) == SQLITE_OK)
            result = std::move(bytes);
    }
    // Outside a batch an open handle would keep the file locked for reading.
    if (!m_active || opened != SQLITE_OK)
        closeFileBlob();
    return result;
}

void ProjectReadBatch::closeFileBlob()
{
    if (m_fileBlob)
        sqlite3_blob_close(m_fileBlob);
    m_fileBlob = nullptr;
}

} // namespace OV
