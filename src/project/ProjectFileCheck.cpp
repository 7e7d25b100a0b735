#include "project/ProjectFileCheck.h"

#include "project/ProjectPageWalk.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <set>

namespace OV {

namespace {

// The columns each of our tables must have for the file to be read as a project.
struct TableColumns
{
    const char* table;
    std::set<QString> columns;
};

const std::vector<TableColumns>& requiredColumns()
{
    static const std::vector<TableColumns> tables = {
        {"json_store",
         {"id", "type", "k1", "k2", "k3", "k4", "columns", "data", "sort_id", "created_at", "updated_at"}},
        {"file_store", {"owner_id", "file_name", "data", "created_at", "updated_at"}},
        {"property_store", {"property_name", "property_value", "created_at", "updated_at"}},
    };
    return tables;
}

QString tr(const char* text)
{
    return QCoreApplication::translate("ProjectDatabase", text);
}

QString errorText(const QSqlError& error)
{
    const QString text = error.databaseText();
    return text.isEmpty() ? error.text() : text;
}

uint32_t readBigEndian(const QByteArray& bytes, int offset, int size)
{
    uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | static_cast<uint8_t>(bytes.at(offset + i));
    return value;
}

} // namespace

bool ProjectFileCheck::run(const QSqlDatabase& db, bool create, QString* why)
{
    std::set<QString> tables;
    int objects = 0;
    {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT type, name FROM sqlite_master"))) {
            const QSqlError error = query.lastError();
            const bool corrupt = error.nativeErrorCode() == QLatin1String("11"); // SQLITE_CORRUPT
            *why = (corrupt ? tr("the project file is damaged: %1")
                            : tr("the file is not a readable project database: %1"))
                       .arg(errorText(error));
            return false;
        }
        while (query.next()) {
            ++objects;
            if (query.value(0).toString() == QLatin1String("table"))
                tables.insert(query.value(1).toString());
        }
    }
    // Measured after SQLite's first read, which rolls back what a crash left in a hot journal
    // (a commit cut short may have written the header of a larger file).
    if (!hasHeaderSize(db.databaseName(), why))
        return false;
    {
        // The b-tree pages every table and index is made of, read straight from the file: far
        // cheaper than SQLite's own check of every row, and it finds what damage does to a page.
        std::vector<int64_t> roots{1};
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE rootpage > 0"))) {
            *why = tr("the project file is damaged: %1").arg(errorText(query.lastError()));
            return false;
        }
        while (query.next())
            roots.push_back(query.value(0).toLongLong());
        query.finish();
        if (!ProjectPageWalk(db.databaseName()).run(roots, why))
            return false;
    }
    if (isWalFile(db.databaseName())) {
        // In write-ahead mode the newest pages may be in the log, not the file: SQLite checks.
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next()) {
            *why = tr("the project file is damaged: %1").arg(errorText(query.lastError()));
            return false;
        }
        if (query.value(0).toString() != QLatin1String("ok")) {
            *why = tr("the project file is damaged: %1").arg(query.value(0).toString());
            return false;
        }
    }
    if (objects == 0) {
        if (create)
            return true;
        *why = tr("the file holds no project");
        return false;
    }
    if (tables.count(QStringLiteral("json_store")) == 0) {
        *why = tr("the file is a database of another kind, not a project");
        return false;
    }
    for (const TableColumns& required : requiredColumns()) {
        const QString table = QString::fromLatin1(required.table);
        if (tables.count(table) == 0)
            continue;
        std::set<QString> present;
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table))) {
            *why = tr("the file is not a readable project database: %1").arg(errorText(query.lastError()));
            return false;
        }
        const int nameColumn = query.record().indexOf(QStringLiteral("name"));
        while (query.next())
            present.insert(query.value(nameColumn).toString());
        for (const QString& column : required.columns) {
            if (present.count(column) == 0) {
                *why = tr("the file is not a project: table %1 has no column %2").arg(table, column);
                return false;
            }
        }
    }
    return true;
}

// The size a file must have: the page count at offset 28 (valid while the number at 92 equals the
// change counter at 24) times the page size at 16. False, with the reason, when it is shorter.
bool ProjectFileCheck::hasHeaderSize(const QString& path, QString* why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true; // SQLite has just read it; whatever went wrong will show there
    const QByteArray header = file.read(100);
    const qint64 size = file.size();
    if (header.size() < 100 || !header.startsWith(QByteArrayView("SQLite format 3\0", 16)))
        return true;
    const uint32_t pageSizeField = readBigEndian(header, 16, 2);
    const qint64 pageSize = pageSizeField == 1 ? 65536 : pageSizeField;
    const uint32_t pages = readBigEndian(header, 28, 4);
    if (readBigEndian(header, 92, 4) != readBigEndian(header, 24, 4) || pages == 0)
        return true; // an older writer left the count stale: SQLite goes by the file size
    if (size >= pageSize * qint64(pages))
        return true;
    *why = QCoreApplication::translate("ProjectDatabase",
                                       "the project file is damaged: it holds %1 bytes, its header announces %2")
               .arg(size)
               .arg(pageSize * qint64(pages));
    return false;
}

bool ProjectFileCheck::isWalFile(const QString& path)
{
    QFile file(path);
    const QByteArray header = file.open(QIODevice::ReadOnly) ? file.read(20) : QByteArray();
    return header.size() == 20 && header.at(18) == 2;
}

} // namespace OV
