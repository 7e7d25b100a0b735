#include "support/ProjectRawSqlite.h"

#include <QSqlDatabase>
#include <QSqlDriver>

#include <dlfcn.h>

#include <cstdint>

namespace OV::Test {

namespace {

// The few entry points used, resolved from the library the Qt SQLite driver also loads.
struct Api
{
    int (*open_v2)(const char*, void**, int, const char*) = nullptr;
    int (*close)(void*) = nullptr;
    int (*exec)(void*, const char*, void*, void*, char**) = nullptr;
    void (*free)(void*) = nullptr;
    const char* (*errmsg)(void*) = nullptr;
    int (*prepare_v2)(void*, const char*, int, void**, const char**) = nullptr;
    int (*bind_null)(void*, int) = nullptr;
    int (*bind_int64)(void*, int, int64_t) = nullptr;
    int (*bind_double)(void*, int, double) = nullptr;
    int (*bind_text)(void*, int, const char*, int, void (*)(void*)) = nullptr;
    int (*bind_blob)(void*, int, const void*, int, void (*)(void*)) = nullptr;
    int (*step)(void*) = nullptr;
    int (*column_count)(void*) = nullptr;
    int (*column_type)(void*, int) = nullptr;
    int64_t (*column_int64)(void*, int) = nullptr;
    double (*column_double)(void*, int) = nullptr;
    const unsigned char* (*column_text)(void*, int) = nullptr;
    const void* (*column_blob)(void*, int) = nullptr;
    int (*column_bytes)(void*, int) = nullptr;
    int (*finalize)(void*) = nullptr;
    void* (*commit_hook)(void*, int (*)(void*), void*) = nullptr;
    bool ok = false;
};

template <typename F>
bool resolve(void* lib, F& fn, const char* name)
{
    fn = reinterpret_cast<F>(dlsym(lib, name));
    return fn != nullptr;
}

const Api& api()
{
    static const Api loaded = [] {
        Api a;
        void* lib = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return a;
        a.ok = resolve(lib, a.open_v2, "sqlite3_open_v2") && resolve(lib, a.close, "sqlite3_close") &&
               resolve(lib, a.exec, "sqlite3_exec") && resolve(lib, a.free, "sqlite3_free") &&
               resolve(lib, a.errmsg, "sqlite3_errmsg") && resolve(lib, a.prepare_v2, "sqlite3_prepare_v2") &&
               resolve(lib, a.bind_null, "sqlite3_bind_null") && resolve(lib, a.bind_int64, "sqlite3_bind_int64") &&
               resolve(lib, a.bind_double, "sqlite3_bind_double") && resolve(lib, a.bind_text, "sqlite3_bind_text") &&
               resolve(lib, a.bind_blob, "sqlite3_bind_blob") && resolve(lib, a.step, "sqlite3_step") &&
               resolve(lib, a.column_count, "sqlite3_column_count") &&
               resolve(lib, a.column_type, "sqlite3_column_type") &&
               resolve(lib, a.column_int64, "sqlite3_column_int64") &&
               resolve(lib, a.column_double, "sqlite3_column_double") &&
               resolve(lib, a.column_text, "sqlite3_column_text") &&
               resolve(lib, a.column_blob, "sqlite3_column_blob") &&
               resolve(lib, a.column_bytes, "sqlite3_column_bytes") && resolve(lib, a.finalize, "sqlite3_finalize") &&
               resolve(lib, a.commit_hook, "sqlite3_commit_hook");
        return a;
    }();
    return loaded;
}

constexpr int kOpenReadWrite = 0x2;
constexpr int kOpenCreate = 0x4;
constexpr int kRow = 100;
constexpr int kDone = 101;
constexpr int kInteger = 1;
constexpr int kFloat = 2;
constexpr int kBlob = 4;
constexpr int kNull = 5;
void (*const kTransient)(void*) = reinterpret_cast<void (*)(void*)>(-1);

} // namespace

ProjectRawSqlite::ProjectRawSqlite(const QString& path)
{
    if (!api().ok) {
        m_error = QStringLiteral("libsqlite3.so.0 not available");
        return;
    }
    void* db = nullptr;
    if (api().open_v2(path.toUtf8().constData(), &db, kOpenReadWrite | kOpenCreate, nullptr) != 0) {
        m_error = QString::fromUtf8(api().errmsg(db));
        api().close(db);
        return;
    }
    m_db = db;
}

ProjectRawSqlite::~ProjectRawSqlite()
{
    if (m_db)
        api().close(m_db);
}

bool ProjectRawSqlite::exec(const QString& sql)
{
    if (!m_db)
        return false;
    char* message = nullptr;
    if (api().exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) == 0)
        return true;
    m_error = QString::fromUtf8(message);
    api().free(message);
    return false;
}

bool ProjectRawSqlite::run(const QString& sql, const QVariantList& values, QList<QVariantList>* rows)
{
    if (!m_db)
        return false;
    void* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    if (api().prepare_v2(m_db, text.constData(), int(text.size()), &stmt, nullptr) != 0) {
        m_error = QString::fromUtf8(api().errmsg(m_db));
        return false;
    }
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& v = values[i];
        const int index = i + 1;
        if (v.isNull()) {
            api().bind_null(stmt, index);
        } else if (v.typeId() == QMetaType::QByteArray) {
            const QByteArray bytes = v.toByteArray();
            api().bind_blob(stmt, index, bytes.constData(), int(bytes.size()), kTransient);
        } else if (v.typeId() == QMetaType::QString) {
            const QByteArray utf8 = v.toString().toUtf8();
            api().bind_text(stmt, index, utf8.constData(), int(utf8.size()), kTransient);
        } else if (v.typeId() == QMetaType::Double) {
            api().bind_double(stmt, index, v.toDouble());
        } else {
            api().bind_int64(stmt, index, v.toLongLong());
        }
    }
    int rc = 0;
    while ((rc = api().step(stmt)) == kRow) {
        if (!rows)
            continue;
        QVariantList row;
        for (int c = 0; c < api().column_count(stmt); ++c) {
            switch (api().column_type(stmt, c)) {
            case kNull:
                row << QVariant();
                break;
            case kInteger:
                row << QVariant(qlonglong(api().column_int64(stmt, c)));
                break;
            case kFloat:
                row << QVariant(api().column_double(stmt, c));
                break;
            case kBlob:
                row << QVariant(
                    QByteArray(static_cast<const char*>(api().column_blob(stmt, c)), api().column_bytes(stmt, c)));
                break;
            default:
                row << QVariant(QString::fromUtf8(reinterpret_cast<const char*>(api().column_text(stmt, c)),
                                                  api().column_bytes(stmt, c)));
            }
        }
        rows->append(row);
    }
    if (rc != kDone)
        m_error = QString::fromUtf8(api().errmsg(m_db));
    api().finalize(stmt);
    return rc == kDone;
}

bool ProjectRawSqlite::setCommitHook(const QString& connectionName, int (*hook)(void*))
{
    const QVariant handle = QSqlDatabase::database(connectionName, false).driver()->handle();
    if (!api().ok || !handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    void* db = *static_cast<void* const*>(handle.constData());
    if (!db)
        return false;
    api().commit_hook(db, hook, nullptr);
    return true;
}

} // namespace OV::Test
