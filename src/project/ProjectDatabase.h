#pragma once

#include "core/BaseResult.h"
#include "project/JsonStoreKeys.h"
#include "project/JsonStoreRecord.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QThread;
struct sqlite3;
struct sqlite3_stmt;

namespace OV {

class ProjectReadBatch;

// The project file: one SQLite database with the tables json_store, file_store and
// property_store. The only class that speaks SQL; every value is bound, never pasted into
// statement text. Used on the thread that opened it.
class ProjectDatabase
{
public:
    using RecordPtr = std::shared_ptr<JsonStoreRecord>;
    using RecordList = std::vector<RecordPtr>;
    using Work = std::function<BaseResult<void>()>;

    ProjectDatabase();
    ~ProjectDatabase();
    ProjectDatabase(const ProjectDatabase&) = delete;
    ProjectDatabase& operator=(const ProjectDatabase&) = delete;

    BaseResult<void> open(const QString& path, bool create, const QString& connectionName);
    // Called after every successful open, before the caller's first statement: where tests
    // put a fault into the connection (a trigger that refuses a write) to reach failure paths.
    void setOpenedHook(std::function<void(ProjectDatabase&)> hook) { m_openedHook = std::move(hook); }
    void close();
    bool isOpen() const;
    bool inTransaction() const { return m_inTransaction; }

    BaseResult<void> exec(const QString& sql);
    // Runs work inside one transaction: commits when it returns code 0, rolls back on a
    // failure (returned unchanged) or an exception (rethrown). Transactions do not nest.
    BaseResult<void> transaction(const Work& work);

    BaseResult<int> count(const QString& type, const JsonStoreKeys& keys = {});
    BaseResult<bool> exists(int64_t id);
    BaseResult<RecordList> findAll(const QString& type, bool withData);
    BaseResult<RecordList> findAll(const QString& type, const JsonStoreKeys& keys, bool withData);
    BaseResult<RecordPtr> findById(int64_t id);
    BaseResult<RecordPtr> findFirst(const QString& type);
    BaseResult<RecordPtr> findFirst(const QString& type, const JsonStoreKeys& keys);

    // Writes the new id into the record.
    BaseResult<void> insert(JsonStoreRecord& record);
    // Updates the row with the record's id when there is one, else inserts.
    BaseResult<void> save(JsonStoreRecord& record);
    // A record whose data text is null leaves the stored data as it is.
    BaseResult<int> update(const JsonStoreRecord& record);
    BaseResult<int> updateSortId(int64_t id, int64_t sortId);
    BaseResult<int> remove(int64_t id);
    BaseResult<int> removeAll(const QString& type);
    BaseResult<int> removeAll(const QString& type, const JsonStoreKeys& keys);

    BaseResult<void> saveFile(std::optional<int64_t> ownerId, const QString& fileName, const QByteArray& data);
    BaseResult<QByteArray> loadFile(std::optional<int64_t> ownerId, const QString& fileName);
    BaseResult<void> removeFile(std::optional<int64_t> ownerId, const QString& fileName);
    BaseResult<std::vector<QString>> findAllFileName(std::optional<int64_t> ownerId);

    BaseResult<QString> loadProperty(const QString& name);
    BaseResult<void> saveProperty(const QString& name, const QString& value);

private:
    bool init(bool create, QString* why);
    // Runs the statement (prepared once, kept for the connection) with the values; the caller
    // reads its rows and finishes it.
    bool runStatement(QSqlQuery*& query, const QString& sql, const QVariantList& values, const char* operation,
                      QString* why);
    BaseResult<void> runTransaction(const Work& work);
    sqlite3_stmt* rawStatement(const QString& sql, const QVariantList& values, const char* operation, QString* why);
    void beginRead();
    void endRead();
    void releaseStatements();
    bool usable(QString* why) const;
    BaseResult<RecordList> selectRecords(const QString& sql, const QVariantList& values, bool withData,
                                         const char* operation, bool firstOnly);
    BaseResult<int> affectingStatement(const QString& sql, const QVariantList& values, const char* operation);

    QSqlDatabase m_db;
    QString m_connectionName;
    QThread* m_thread = nullptr;
    bool m_inTransaction = false;
    std::function<void(ProjectDatabase&)> m_openedHook;
    std::map<QString, std::unique_ptr<QSqlQuery>> m_statements;
    sqlite3* m_sqlite = nullptr;
    std::map<QString, sqlite3_stmt*> m_rawStatements;
    // The read transaction shared by the reads of one pass of the event loop; while open.
    std::unique_ptr<ProjectReadBatch> m_reads;
};

} // namespace OV
