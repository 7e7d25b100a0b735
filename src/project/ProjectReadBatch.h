#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>

struct sqlite3;
struct sqlite3_blob;

namespace OV {

// Reads made one after another, until control returns to the event loop, share one read
// transaction: one lock and one look at the file instead of one for every statement. The
// pictures of file_store read in one batch share one blob handle, moved from row to row. The
// database ends the batch before any write, transaction or close, so writes are committed as
// before.
class ProjectReadBatch
{
public:
    // releaseStatements resets the database's statements before the batch's transaction ends.
    ProjectReadBatch(const QSqlDatabase& db, sqlite3* handle, std::function<void()> releaseStatements);
    ~ProjectReadBatch();
    ProjectReadBatch(const ProjectReadBatch&) = delete;
    ProjectReadBatch& operator=(const ProjectReadBatch&) = delete;

    void begin();
    void end();
    bool isActive() const { return m_active; }

    // The bytes of file_store's row, or nothing when its data is not text or bytes.
    std::optional<QByteArray> readFileBlob(int64_t row);
    void closeFileBlob();

private:
    QSqlDatabase m_db;
    sqlite3* m_handle = nullptr;
    std::function<void()> m_releaseStatements;
    bool m_active = false;
    QTimer m_end;
    sqlite3_blob* m_fileBlob = nullptr;
};

} // namespace OV
