#include "project/ProjectDatabase.h"

#include "core/Logger.h"
#include "project/ProjectFileCheck.h"
#include "project/ProjectReadBatch.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <sqlite3.h>

#include <cstring>
#include <limits>
#include <string>

namespace OV {

namespace {

constexpr const char* kTag = "ProjectDatabase";
constexpr int64_t kTicksPerSecond = 10000000;

const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS json_store ("
    "id INTEGER PRIMARY KEY AUTOINCREMENT, "
    "type TEXT NOT NULL, "
    "k1 TEXT, "
    "k2 TEXT, "
    "k3 TEXT, "
    "k4 TEXT, "
    "columns TEXT, "
    "data TEXT, "
    "sort_id INTEGER DEFAULT 0, "
    "created_at INTEGER NOT NULL DEFAULT (strftime('%s','now')), "
    "updated_at INTEGER NOT NULL DEFAULT (strftime('%s','now')));",
    "CREATE INDEX IF NOT EXISTS idx_json_store_type ON json_store(type);",
    "CREATE INDEX IF NOT EXISTS idx_json_store_k1 ON json_store(k1);",
    "CREATE INDEX IF NOT EXISTS idx_json_store_k2 ON json_store(k2);",
    "CREATE INDEX IF NOT EXISTS idx_json_store_k3 ON json_store(k3);",
    "CREATE INDEX IF NOT EXISTS idx_json_store_k4 ON json_store(k4);",
    "CREATE TABLE IF NOT EXISTS file_store ("
    "owner_id INTEGER, "
    "file_name TEXT NOT NULL, "
    "data BLOB, "
    "created_at INTEGER NOT NULL DEFAULT (strftime('%s','now')), "
    "updated_at INTEGER NOT NULL DEFAULT (strftime('%s','now')), "
    "PRIMARY KEY (owner_id, file_name), "
    "FOREIGN KEY(owner_id) REFERENCES json_store(id) ON DELETE CASCADE);",
    "CREATE TABLE IF NOT EXISTS property_store ("
    "property_name TEXT PRIMARY KEY, "
    "property_value TEXT, "
    "created_at INTEGER NOT NULL DEFAULT (strftime('%s','now')), "
    "updated_at INTEGER NOT NULL DEFAULT (strftime('%s','now')));",
    "CREATE TRIGGER IF NOT EXISTS trg_json_store_updated "
    "AFTER UPDATE ON json_store FOR EACH ROW WHEN NEW.updated_at = OLD.updated_at "
    "BEGIN UPDATE json_store SET updated_at = strftime('%s','now') WHERE id = OLD.id; END;",
    "CREATE TRIGGER IF NOT EXISTS trg_file_store_updated "
    "AFTER UPDATE ON file_store FOR EACH ROW WHEN NEW.updated_at = OLD.updated_at "
    "BEGIN UPDATE file_store SET updated_at = strftime('%s','now') "
    "WHERE owner_id = OLD.owner_id AND file_name = OLD.file_name; END;",
    "CREATE TRIGGER IF NOT EXISTS trg_property_store_updated "
    "AFTER UPDATE ON property_store FOR EACH ROW WHEN NEW.updated_at = OLD.updated_at "
    "BEGIN UPDATE property_store SET updated_at = strftime('%s','now') "
    "WHERE property_name = OLD.property_name; END;",
};

const QString kSelectWithData =
    QStringLiteral("SELECT id, type, k1, k2, k3, k4, columns, data, sort_id, created_at, updated_at FROM json_store");
const QString kSelectWithoutData =
    QStringLiteral("SELECT id, type, k1, k2, k3, k4, columns, sort_id, created_at, updated_at FROM json_store");

QString tr(const char* text)
{
    return QCoreApplication::translate("ProjectDatabase", text);
}

QString errorText(const QSqlError& error)
{
    const QString text = error.databaseText();
    return text.isEmpty() ? error.text() : text;
}

// Text bound as a value is never NULL: an empty key or document is stored as ''.
QVariant textValue(const QString& text)
{
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

QVariant ownerValue(std::optional<int64_t> ownerId)
{
    return ownerId ? QVariant(qlonglong(*ownerId)) : QVariant(QMetaType::fromType<qlonglong>());
}

QString readText(const QVariant& value)
{
    QString text = value.toString();
    return text.isNull() ? QStringLiteral("") : text;
}

// Stored seconds to in-memory ticks, saturating instead of overflowing on absurd values
// that another program may have written.
StoreTime toStoreTime(int64_t seconds)
{
    constexpr int64_t limit = std::numeric_limits<int64_t>::max() / kTicksPerSecond;
    if (seconds > limit)
        seconds = limit;
    else if (seconds < -limit)
        seconds = -limit;
    return StoreTime(StoreTicks(seconds * kTicksPerSecond));
}

void appendKeys(QString& sql, QVariantList& values, const JsonStoreKeys& keys)
{
    const std::optional<QString>* all[] = {&keys.k1, &keys.k2, &keys.k3, &keys.k4};
    static const char* const conditions[] = {" AND k1=?", " AND k2=?", " AND k3=?", " AND k4=?"};
    for (int i = 0; i < 4; ++i) {
        if (*all[i]) {
            sql += QLatin1String(conditions[i]);
            values << textValue(**all[i]);
        }
    }
}

// The SQLite connection under the Qt one (the driver links the same SQLite library).
sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// The same for a statement run on SQLite directly.
struct RawReset
{
    sqlite3_stmt* statement;
    ~RawReset() { sqlite3_reset(statement); }
};

// A text column as the record holds it: never a null string.
QString rawText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    if (!text)
        return QStringLiteral("");
    return QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
}

// Rows read together mostly share their type and keys: a text equal to the one of the row
// before shares that row's string instead of being converted and allocated again.
class RepeatedText
{
public:
    QString read(sqlite3_stmt* statement, int column)
    {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        if (!text)
            return QStringLiteral("");
        const size_t size = size_t(sqlite3_column_bytes(statement, column));
        if (!m_read || size != m_bytes.size() || std::memcmp(text, m_bytes.data(), size) != 0) {
            m_bytes.assign(text, size);
            m_text = QString::fromUtf8(text, qsizetype(size));
            m_read = true;
        }
        return m_text;
    }

private:
    bool m_read = false;
    std::string m_bytes;
    QString m_text;
};

// Resets a cached statement once its rows are read, so that it holds no read lock.
struct Finish
{
    QSqlQuery* query;
    ~Finish() { query->finish(); }
};

template <typename T>
BaseResult<T> sqlFailure(const char* operation, const QString& why)
{
    Logger::error(kTag, "%s error:%s", operation, why.toUtf8().constData());
    return BaseResult<T>(Errors::DatabaseExecFailed, why);
}

} // namespace

ProjectDatabase::ProjectDatabase() = default;

ProjectDatabase::~ProjectDatabase()
{
    close();
}

BaseResult<void> ProjectDatabase::open(const QString& path, bool create, const QString& connectionName)
{
    if (isOpen())
        return BaseResult<void>(Errors::OpenProjectFailed);
    try {
        if (!create && (path.isEmpty() || !QFileInfo(path).isFile()))
            return BaseResult<void>(Errors::ProjectFileNotExists);
        QString why;
        if (path.isEmpty()) {
            why = tr("empty project path");
        } else if (QSqlDatabase::contains(connectionName)) {
            why = tr("the connection name %1 is already in use").arg(connectionName);
        } else {
            m_connectionName = connectionName;
            m_thread = QThread::currentThread();
            m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
            m_db.setDatabaseName(path);
            const bool opened = m_db.open();
            if (opened) {
                m_sqlite = sqliteHandle(m_db);
                m_reads = std::make_unique<ProjectReadBatch>(m_db, m_sqlite, [this] { releaseStatements(); });
            }
            if (!opened)
                why = tr("cannot open the file: %1").arg(errorText(m_db.lastError()));
            else if (init(create, &why)) {
                if (m_openedHook)
                    m_openedHook(*this);
                return {};
            }
        }
        Logger::error(kTag, "open failed, path:%s, %s", path.toUtf8().constData(), why.toUtf8().constData());
        close();
        return BaseResult<void>(Errors::OpenProjectFailed, why);
    } catch (const std::exception& e) {
        const QString text = tr("open error, path:%1, what:%2").arg(path, QString::fromUtf8(e.what()));
        Logger::error(kTag, "%s", text.toUtf8().constData());
        close();
        return BaseResult<void>(Errors::OpenProjectFailed, text);
    }
}

bool ProjectDatabase::init(bool create, QString* why)
{
    if (!exec(QStringLiteral("PRAGMA foreign_keys = ON;")).isOk()) {
        *why = tr("cannot enable foreign keys");
        return false;
    }
    // Pages are read through a memory map of the file, without copying each into a buffer.
    // Writes still go through the journal.
    if (!exec(QStringLiteral("PRAGMA mmap_size = 268435456;")).isOk())
        Logger::warn(kTag, "memory-mapped reads not available");
    // Nothing is written before the file is known to be a sound project (or a new, empty
    // database when creating), so a foreign or damaged file stays as it was.
    if (!ProjectFileCheck::run(m_db, create, why)) {
        Logger::debug(kTag, "init error");
        return false;
    }
    // A commit is on disk before it is reported (the rollback journal and the file are synced
    // at every commit), so a power loss keeps every reported change.
    if (!exec(QStringLiteral("PRAGMA synchronous = FULL;")).isOk()) {
        *why = tr("cannot set the durability of commits");
        Logger::debug(kTag, "init error");
        return false;
    }
    const BaseResult<void> result = transaction([this]() {
        for (const char* statement : kSchema) {
            BaseResult<void> step = exec(QString::fromUtf8(statement));
            if (!step.isOk())
                return step;
        }
        return BaseResult<void>();
    });
    if (!result.isOk()) {
        *why = tr("cannot create the project tables: %1").arg(result.message);
        Logger::debug(kTag, "init error");
        return false;
    }
    Logger::debug(kTag, "init, succeed");
    return true;
}

void ProjectDatabase::close()
{
    m_reads.reset(); // ends the read batch; holds the connection
    m_inTransaction = false;
    m_statements.clear(); // before the connection goes
    for (auto& statement : m_rawStatements)
        sqlite3_finalize(statement.second);
    m_rawStatements.clear();
    m_sqlite = nullptr;
    if (!m_db.isValid())
        return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool ProjectDatabase::isOpen() const
{
    return m_db.isOpen();
}

bool ProjectDatabase::usable(QString* why) const
{
    if (m_thread != QThread::currentThread() && m_db.isValid()) {
        *why = tr("the project database is used outside the thread that opened it");
        return false;
    }
    if (!m_db.isOpen()) {
        *why = tr("the project database is not open");
        return false;
    }
    return true;
}

bool ProjectDatabase::runStatement(QSqlQuery*& query, const QString& sql, const QVariantList& values,
                                   const char* operation, QString* why)
{
    // Each statement text is prepared once per connection and run again with new values.
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        auto made = std::make_unique<QSqlQuery>(m_db);
        made->setForwardOnly(true);
        if (!made->prepare(sql)) {
            *why = errorText(made->lastError());
            if (operation)
                Logger::error(kTag, "%s error:%s", operation, why->toUtf8().constData());
            return false;
        }
        it = m_statements.emplace(sql, std::move(made)).first;
    }
    query = it->second.get();
    for (int i = 0; i < values.size(); ++i)
        query->bindValue(i, values[i]);
    if (!query->exec()) {
        *why = errorText(query->lastError());
        query->finish();
        if (operation)
            Logger::error(kTag, "%s error:%s", operation, why->toUtf8().constData());
        return false;
    }
    return true;
}

void ProjectDatabase::beginRead()
{
    if (!m_inTransaction && m_reads)
        m_reads->begin();
}

void ProjectDatabase::endRead()
{
    if (m_reads)
        m_reads->end();
}

void ProjectDatabase::releaseStatements()
{
    for (auto& statement : m_statements)
        statement.second->finish();
    for (auto& statement : m_rawStatements)
        sqlite3_reset(statement.second);
}

sqlite3_stmt* ProjectDatabase::rawStatement(const QString& sql, const QVariantList& values, const char* operation,
                                            QString* why)
{
    // The reads of many rows go to SQLite directly: no value wrapping, no text conversions
    // beyond the one into QString.
    sqlite3_stmt* statement = nullptr;
    auto it = m_rawStatements.find(sql);
    if (it != m_rawStatements.end()) {
        statement = it->second;
    } else if (m_sqlite) {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(m_sqlite, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement);
            statement = nullptr;
        } else {
            m_rawStatements.emplace(sql, statement);
        }
    }
    bool ok = statement != nullptr;
    for (int i = 0; ok && i < values.size(); ++i) {
        const QVariant& value = values[i];
        int bound = SQLITE_OK;
        if (value.isNull()) {
            bound = sqlite3_bind_null(statement, i + 1);
        } else if (value.typeId() == QMetaType::QString) {
            const QByteArray text = value.toString().toUtf8();
            bound = sqlite3_bind_text(statement, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        } else if (value.typeId() == QMetaType::QByteArray) {
            const QByteArray bytes = value.toByteArray();
            bound = sqlite3_bind_blob(statement, i + 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        } else {
            bound = sqlite3_bind_int64(statement, i + 1, value.toLongLong());
        }
        ok = bound == SQLITE_OK;
    }
    if (ok)
        return statement;
    *why = m_sqlite ? QString::fromUtf8(sqlite3_errmsg(m_sqlite)) : tr("the project database is not open");
    if (statement)
        sqlite3_reset(statement);
    if (operation)
        Logger::error(kTag, "%s error:%s", operation, why->toUtf8().constData());
    return nullptr;
}

BaseResult<void> ProjectDatabase::exec(const QString& sql)
{
    QString why;
    if (usable(&why)) {
        endRead();
        QSqlQuery query(m_db);
        if (query.exec(sql))
            return {};
        why = errorText(query.lastError());
    }
    Logger::error(kTag, "exec error:%s, sql:%s", why.toUtf8().constData(), sql.toUtf8().constData());
    return BaseResult<void>(Errors::DatabaseExecFailed, why);
}

BaseResult<void> ProjectDatabase::transaction(const Work& work)
{
    QString why;
    if (usable(&why)) {
        if (!m_inTransaction)
            endRead();
        if (m_inTransaction)
            why = tr("a transaction is already running; transactions do not nest");
        else if (m_db.transaction())
            return runTransaction(work);
        else
            why = errorText(m_db.lastError());
    }
    Logger::error(kTag, "Failed to start transaction: %s", why.toUtf8().constData());
    return BaseResult<void>(Errors::DatabaseExecFailed, why);
}

BaseResult<void> ProjectDatabase::runTransaction(const Work& work)
{
    m_inTransaction = true;
    BaseResult<void> result;
    try {
        result = work();
    } catch (...) {
        m_db.rollback();
        m_inTransaction = false;
        throw;
    }
    if (!result.isOk()) {
        m_db.rollback();
        m_inTransaction = false;
        return result;
    }
    if (m_db.commit()) {
        m_inTransaction = false;
        return {};
    }
    const QString why = errorText(m_db.lastError());
    Logger::error(kTag, "Failed to commit transaction: %s", why.toUtf8().constData());
    m_db.rollback();
    m_inTransaction = false;
    return BaseResult<void>(Errors::DatabaseExecFailed, why);
}

BaseResult<int> ProjectDatabase::count(const QString& type, const JsonStoreKeys& keys)
{
    QString why;
    if (!usable(&why))
        return sqlFailure<int>("count()", why);
    beginRead();
    QString sql = QStringLiteral("SELECT COUNT(*) FROM json_store WHERE type = ?");
    QVariantList values{textValue(type)};
    appendKeys(sql, values, keys);
    QSqlQuery* query = nullptr;
    if (!runStatement(query, sql, values, "count()", &why))
        return BaseResult<int>(Errors::DatabaseExecFailed, why);
    const Finish finish{query};
    return query->next() ? query->value(0).toInt() : 0;
}

BaseResult<bool> ProjectDatabase::exists(int64_t id)
{
    QString why;
    if (!usable(&why))
        return sqlFailure<bool>("exists()", why);
    beginRead();
    QSqlQuery* query = nullptr;
    if (!runStatement(query, QStringLiteral("SELECT 1 FROM json_store WHERE id = ? LIMIT 1"), {qlonglong(id)},
                      "exists()", &why))
        return BaseResult<bool>(Errors::DatabaseExecFailed, why);
    const Finish finish{query};
    return query->next();
}

BaseResult<ProjectDatabase::RecordList> ProjectDatabase::selectRecords(const QString& sql, const QVariantList& values,
                                                                       bool withData, const char* operation,
                                                                       bool firstOnly)
{
    QString why;
    if (!usable(&why))
        return sqlFailure<RecordList>(operation, why);
    beginRead();
    sqlite3_stmt* statement = rawStatement(sql, values, operation, &why);
    if (!statement)
        return BaseResult<RecordList>(Errors::DatabaseExecFailed, why);
    const RawReset reset{statement};
    RecordList records;
    RepeatedText type, k1, k2, k3, k4;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        auto record = std::make_shared<JsonStoreRecord>();
        int column = 0;
        record->id = sqlite3_column_int64(statement, column++);
        record->type = type.read(statement, column++);
        record->k1 = k1.read(statement, column++);
        record->k2 = k2.read(statement, column++);
        record->k3 = k3.read(statement, column++);
        record->k4 = k4.read(statement, column++);
        record->columns = rawText(statement, column++);
        if (withData)
            record->data = rawText(statement, column++);
        record->sort_id = sqlite3_column_int64(statement, column++);
        record->created_at = toStoreTime(sqlite3_column_int64(statement, column++));
        record->updated_at = toStoreTime(sqlite3_column_int64(statement, column++));
        records.push_back(std::move(record));
        if (firstOnly) {
            step = SQLITE_DONE;
            break;
        }
    }
    if (step != SQLITE_DONE)
        return sqlFailure<RecordList>(operation, QString::fromUtf8(sqlite3_errmsg(m_sqlite)));
    return records;
}

BaseResult<ProjectDatabase::RecordList> ProjectDatabase::findAll(const QString& type, bool withData)
{
    return findAll(type, JsonStoreKeys(), withData);
}

BaseResult<ProjectDatabase::RecordList> ProjectDatabase::findAll(const QString& type, const JsonStoreKeys& keys,
                                                                 bool withData)
{
    QString sql = (withData ? kSelectWithData : kSelectWithoutData) + QStringLiteral(" WHERE type = ?");
    QVariantList values{textValue(type)};
    appendKeys(sql, values, keys);
    sql += QStringLiteral(" ORDER BY sort_id ASC");
    return selectRecords(sql, values, withData, "findAll()", false);
}

namespace {
BaseResult<ProjectDatabase::RecordPtr> firstOf(const BaseResult<ProjectDatabase::RecordList>& list)
{
    if (!list.isOk())
        return BaseResult<ProjectDatabase::RecordPtr>::from(list);
    return list.data->empty() ? ProjectDatabase::RecordPtr() : list.data->front();
}
} // namespace

BaseResult<ProjectDatabase::RecordPtr> ProjectDatabase::findById(int64_t id)
{
    return firstOf(
        selectRecords(kSelectWithData + QStringLiteral(" WHERE id = ?"), {qlonglong(id)}, true, "findById()", true));
}

BaseResult<ProjectDatabase::RecordPtr> ProjectDatabase::findFirst(const QString& type)
{
    return findFirst(type, JsonStoreKeys());
}

BaseResult<ProjectDatabase::RecordPtr> ProjectDatabase::findFirst(const QString& type, const JsonStoreKeys& keys)
{
    QString sql = kSelectWithData + QStringLiteral(" WHERE type = ?");
    QVariantList values{textValue(type)};
    appendKeys(sql, values, keys);
    sql += QStringLiteral(" LIMIT 1");
    return firstOf(selectRecords(sql, values, true, "findFirst()", true));
}

BaseResult<void> ProjectDatabase::insert(JsonStoreRecord& record)
{
    QString why;
    if (!usable(&why))
        return sqlFailure<void>("insert()", why);
    if (record.id >= 0) {
        const BaseResult<bool> found = exists(record.id);
        if (!found.isOk())
            return BaseResult<void>::from(found);
        if (*found.data) {
            Logger::error(kTag, "insert failed: id [%lld] is already exists", static_cast<long long>(record.id));
            return BaseResult<void>(Errors::RecordAlreadyExists);
        }
    }
    endRead();
    {
        QSqlQuery* query = nullptr;
        const QVariant id = record.id < 0 ? QVariant(QMetaType::fromType<qlonglong>()) : QVariant(qlonglong(record.id));
        if (!runStatement(query,
                          QStringLiteral("INSERT INTO json_store (id, type, k1, k2, k3, k4, columns, data, sort_id) "
                                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                          {id, textValue(record.type), textValue(record.k1), textValue(record.k2), textValue(record.k3),
                           textValue(record.k4), textValue(record.columns), textValue(record.data),
                           qlonglong(record.sort_id)},
                          "insert()", &why))
            return BaseResult<void>(Errors::DatabaseExecFailed, why);
        query->finish();
    }
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT last_insert_rowid()"))) {
        why = errorText(query.lastError());
        Logger::error(kTag, "insert() get last_insert_rowid() error:%s", why.toUtf8().constData());
        return BaseResult<void>(Errors::DatabaseExecFailed, why);
    }
    if (!query.next()) {
        Logger::error(kTag, "insert() last_insert_rowid() returned no rows");
        return BaseResult<void>(Errors::DatabaseExecFailed, QStringLiteral("last_insert_rowid() returned no rows"));
    }
    record.id = query.value(0).toLongLong();
    return {};
}

BaseResult<void> ProjectDatabase::save(JsonStoreRecord& record)
{
    const BaseResult<bool> found = exists(record.id);
    if (!found.isOk())
        return BaseResult<void>::from(found);
    if (!*found.data)
        return insert(record);
    const BaseResult<int> updated = update(record);
    return BaseResult<void>::from(updated);
}

BaseResult<int> ProjectDatabase::affectingStatement(const QString& sql, const QVariantList& values,
                                                    const char* operation)
{
    QString why;
    if (!usable(&why))
        return sqlFailure<int>(operation, why);
    endRead();
    QSqlQuery* query = nullptr;
    if (!runStatement(query, sql, values, operation, &why))
        return BaseResult<int>(Errors::DatabaseExecFailed, why);
    const Finish finish{query};
    return query->numRowsAffected();
}

BaseResult<int> ProjectDatabase::update(const JsonStoreRecord& record)
{
    QVariantList values{textValue(record.type), textValue(record.k1), textValue(record.k2),
                        textValue(record.k3),   textValue(record.k4), textValue(record.columns)};
    QString sql = QStringLiteral("UPDATE json_store SET type = ?, k1 = ?, k2 = ?, k3 = ?, k4 = ?, columns = ?, ");
    // A bean read without its document writes a null data text: the stored document stays.
    if (!record.data.isNull()) {
        sql += QStringLiteral("data = ?, ");
        values << record.data;
    }
    sql += QStringLiteral("sort_id = ? WHERE id = ?");
    values << qlonglong(record.sort_id) << qlonglong(record.id);
    return affectingStatement(sql, values, "update()");
}

BaseResult<int> ProjectDatabase::updateSortId(int64_t id, int64_t sortId)
{
    return affectingStatement(QStringLiteral("UPDATE json_store SET sort_id = ? WHERE id = ?"),
                              {qlonglong(sortId), qlonglong(id)}, "updateSortId()");
}

BaseResult<int> ProjectDatabase::remove(int64_t id)
{
    return affectingStatement(QStringLiteral("DELETE FROM json_store WHERE id = ?"), {qlonglong(id)}, "remove()");
}

BaseResult<int> ProjectDatabase::removeAll(const QString& type)
{
    return removeAll(type, JsonStoreKeys());
}

BaseResult<int> ProjectDatabase::removeAll(const QString& type, const JsonStoreKeys& keys)
{
    QString sql = QStringLiteral("DELETE FROM json_store WHERE type = ?");
    QVariantList values{textValue(type)};
    appendKeys(sql, values, keys);
    return affectingStatement(sql, values, "removeAll()");
}

BaseResult<void> ProjectDatabase::saveFile(std::optional<int64_t> ownerId, const QString& fileName,
                                           const QByteArray& data)
{
    const QByteArray bytes = data.isNull() ? QByteArray("") : data;
    const BaseResult<int> result =
        affectingStatement(QStringLiteral("INSERT INTO file_store (owner_id, file_name, data) VALUES (?, ?, ?) "
                                          "ON CONFLICT(owner_id, file_name) DO UPDATE SET data = excluded.data"),
                           {ownerValue(ownerId), textValue(fileName), bytes}, "saveFile()");
    return BaseResult<void>::from(result);
}

BaseResult<QByteArray> ProjectDatabase::loadFile(std::optional<int64_t> ownerId, const QString& fileName)
{
    QString why;
    if (!usable(&why))
        return sqlFailure<QByteArray>("loadFile()", why);
    beginRead();
    sqlite3_stmt* statement =
        rawStatement(QStringLiteral("SELECT rowid FROM file_store WHERE owner_id IS ? AND file_name = ?"),
                     {ownerValue(ownerId), textValue(fileName)}, "loadFile()", &why);
    if (!statement)
        return BaseResult<QByteArray>(Errors::DatabaseExecFailed, why);
    int64_t row = 0;
    {
        const RawReset reset{statement};
        if (sqlite3_step(statement) != SQLITE_ROW)
            return BaseResult<QByteArray>(Errors::DatabaseEntryNotFound, QStringLiteral("file not found"));
        row = sqlite3_column_int64(statement, 0);
    }
    if (std::optional<QByteArray> bytes = m_reads->readFileBlob(row))
        return std::move(*bytes);
    // A NULL or a number where the bytes belong (written by another program): read as a value.
    statement = rawStatement(QStringLiteral("SELECT data FROM file_store WHERE rowid = ?"), {qlonglong(row)},
                             "loadFile()", &why);
    if (!statement)
        return BaseResult<QByteArray>(Errors::DatabaseExecFailed, why);
    const RawReset reset{statement};
    if (sqlite3_step(statement) != SQLITE_ROW)
        return BaseResult<QByteArray>(Errors::DatabaseEntryNotFound, QStringLiteral("file not found"));
    if (sqlite3_column_type(statement, 0) == SQLITE_NULL)
        return QByteArray();
    const void* bytes = sqlite3_column_blob(statement, 0);
    return QByteArray(static_cast<const char*>(bytes), sqlite3_column_bytes(statement, 0));
}

BaseResult<void> ProjectDatabase::removeFile(std::optional<int64_t> ownerId, const QString& fileName)
{
    return BaseResult<void>::from(
        affectingStatement(QStringLiteral("DELETE FROM file_store WHERE owner_id IS ? AND file_name = ?"),
                           {ownerValue(ownerId), textValue(fileName)}, "removeFile()"));
}

BaseResult<std::vector<QString>> ProjectDatabase::findAllFileName(std::optional<int64_t> ownerId)
{
    QString why;
    if (!usable(&why))
        return sqlFailure<std::vector<QString>>("findAllFileName()", why);
    beginRead();
    QSqlQuery* query = nullptr;
    // Files stored within the same second keep the order in which they were first stored.
    if (!runStatement(query,
                      QStringLiteral("SELECT file_name FROM file_store WHERE owner_id = ? "
                                     "ORDER BY created_at ASC, rowid ASC"),
                      {ownerValue(ownerId)}, "findAllFileName()", &why))
        return BaseResult<std::vector<QString>>(Errors::DatabaseExecFailed, why);
    const Finish finish{query};
    std::vector<QString> names;
    while (query->next())
        names.push_back(readText(query->value(0)));
    return names;
}

BaseResult<QString> ProjectDatabase::loadProperty(const QString& name)
{
    QString why;
    if (!usable(&why))
        return sqlFailure<QString>("loadProperty() exec", why);
    beginRead();
    QSqlQuery* query = nullptr;
    if (!runStatement(query, QStringLiteral("SELECT property_value FROM property_store WHERE property_name = ?"),
                      {textValue(name)}, "loadProperty() exec", &why))
        return BaseResult<QString>(Errors::DatabaseExecFailed, why);
    const Finish finish{query};
    return query->next() ? readText(query->value(0)) : QStringLiteral("");
}

BaseResult<void> ProjectDatabase::saveProperty(const QString& name, const QString& value)
{
    return BaseResult<void>::from(affectingStatement(
        QStringLiteral("INSERT OR REPLACE INTO property_store (property_name, property_value) VALUES (?, ?)"),
        {textValue(name), textValue(value)}, "saveProperty()"));
}

} // namespace OV
