#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace OV::Test {

// A database file opened with the system SQLite library directly, the way another program
// would write or read it, without Qt SQL or any of our classes.
class ProjectRawSqlite
{
public:
    explicit ProjectRawSqlite(const QString& path);
    ~ProjectRawSqlite();
    ProjectRawSqlite(const ProjectRawSqlite&) = delete;
    ProjectRawSqlite& operator=(const ProjectRawSqlite&) = delete;

    bool isOpen() const { return m_db != nullptr; }
    QString lastError() const { return m_error; }
    // One or more statements without values.
    bool exec(const QString& sql);
    // One statement with positional values (null, integer, double, text or bytes); the rows
    // it returns are appended to rows when given.
    bool run(const QString& sql, const QVariantList& values = {}, QList<QVariantList>* rows = nullptr);

    // Calls hook at the start of every commit of the Qt SQL connection of that name (which must
    // use the same SQLite library); false when it cannot be installed.
    static bool setCommitHook(const QString& connectionName, int (*hook)(void*));

private:
    void* m_db = nullptr;
    QString m_error;
};

} // namespace OV::Test
