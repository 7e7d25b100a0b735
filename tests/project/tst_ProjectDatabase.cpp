#include "core/Logger.h"
#include "project/ProjectDatabase.h"
#include "support/ProjectRawSqlite.h"
#include "support/TestUtils.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>
#include <thread>

using namespace OV;

namespace {

const QString kConn = QStringLiteral("sql_cn_test");

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

JsonStoreRecord record(const QString& type, const QString& k1 = {}, int64_t sortId = 0)
{
    JsonStoreRecord r;
    r.type = type;
    r.k1 = k1;
    r.columns = QStringLiteral("{}");
    r.data = QStringLiteral("{\"n\":1}");
    r.sort_id = sortId;
    return r;
}

int64_t nowSeconds()
{
    return QDateTime::currentSecsSinceEpoch();
}

} // namespace

class TestProjectDatabase : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // A project with enough rows to span many pages.
    QString makeProject(const QString& name, int records)
    {
        ProjectDatabase db;
        const QString file = path(name);
        if (!db.open(file, true, kConn).isOk())
            return {};
        for (int i = 0; i < records; ++i) {
            JsonStoreRecord r = record(QStringLiteral("profile"), QString::number(i), i);
            r.data = QString(400, QLatin1Char('x'));
            db.insert(r);
        }
        return file;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        Logger::instance()->setMinLevel(LogDebug);
    }

    void newProjectHasTheSchemaAndReopeningChangesNothing()
    {
        const QString file = path(QStringLiteral("schema.ovpf"));
        {
            ProjectDatabase db;
            QVERIFY(db.open(file, true, kConn).isOk());
        }
        QVERIFY(!QSqlDatabase::contains(kConn));
        Test::ProjectRawSqlite raw(file);
        QList<QVariantList> rows;
        QVERIFY2(raw.run(QStringLiteral("SELECT type, name FROM sqlite_master WHERE sql IS NOT NULL "
                                        "AND name NOT LIKE 'sqlite_%' ORDER BY type, name"),
                         {}, &rows),
                 qPrintable(raw.lastError()));
        QStringList names;
        for (const QVariantList& row : rows)
            names << row[0].toString() + QLatin1Char(':') + row[1].toString();
        QCOMPARE(names, QStringList({"index:idx_json_store_k1", "index:idx_json_store_k2", "index:idx_json_store_k3",
                                     "index:idx_json_store_k4", "index:idx_json_store_type", "table:file_store",
                                     "table:json_store", "table:property_store", "trigger:trg_file_store_updated",
                                     "trigger:trg_json_store_updated", "trigger:trg_property_store_updated"}));

        const QString cli = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (!cli.isEmpty()) {
            QProcess process;
            process.start(cli, {file, QStringLiteral(".schema")});
            QVERIFY(process.waitForFinished(10000));
            const QString schema = QString::fromUtf8(process.readAllStandardOutput());
            QCOMPARE(schema.count(QStringLiteral("CREATE TABLE json_store")), 1);
            QCOMPARE(schema.count(QStringLiteral("CREATE TABLE file_store")), 1);
            QCOMPARE(schema.count(QStringLiteral("CREATE TABLE property_store")), 1);
            QCOMPARE(schema.count(QStringLiteral("CREATE INDEX")), 5);
            QCOMPARE(schema.count(QStringLiteral("CREATE TRIGGER")), 3);
            QVERIFY(schema.contains(QStringLiteral("ON DELETE CASCADE")));
        }

        const QByteArray before = bytesOf(file);
        ProjectDatabase db;
        QVERIFY(db.open(file, false, kConn).isOk());
        const BaseResult<void> again = db.open(file, false, kConn);
        QCOMPARE(again.code(), 2000);
        QVERIFY(db.isOpen());
        db.close();
        QCOMPARE(bytesOf(file), before);
        QVERIFY(!QFile::exists(file + QStringLiteral("-journal")));
    }

    void badFilesAreRefusedAndLeftAsTheyWere()
    {
        const QString good = makeProject(QStringLiteral("good.ovpf"), 3);
        const QString dir = path(QStringLiteral("adir.ovpf"));
        QVERIFY(QDir().mkpath(dir));
        const QString text = path(QStringLiteral("text.ovpf"));
        writeBytes(text, QByteArray(5000, 't'));
        const QString empty = path(QStringLiteral("empty.ovpf"));
        writeBytes(empty, QByteArray());
        const QString foreign = path(QStringLiteral("foreign.ovpf"));
        {
            Test::ProjectRawSqlite raw(foreign);
            QVERIFY(raw.exec(QStringLiteral("CREATE TABLE notes(id INTEGER, body TEXT); "
                                            "INSERT INTO notes VALUES (1, 'keep me');")));
        }
        const QString lookalike = path(QStringLiteral("lookalike.ovpf"));
        {
            Test::ProjectRawSqlite raw(lookalike);
            QVERIFY(raw.exec(QStringLiteral("CREATE TABLE json_store(id INTEGER, payload TEXT);")));
        }
        const QString damaged = makeProject(QStringLiteral("damaged.ovpf"), 200);
        QByteArray bytes = bytesOf(damaged);
        QVERIFY(bytes.size() > 20 * 4096);
        bytes.replace(8 * 4096, 4096, QByteArray(4096, char(0x5a)));
        writeBytes(damaged, bytes);
        const QString truncated = makeProject(QStringLiteral("truncated.ovpf"), 200);
        QVERIFY(QFile::resize(truncated, QFileInfo(truncated).size() / 2));

        struct Case
        {
            QString path;
            bool create;
            int code;
            const char* detail;
        };
        const Case cases[] = {
            {path(QStringLiteral("missing.ovpf")), false, 2001, ""},
            {dir, false, 2001, ""},
            {dir, true, 2000, "cannot"},
            {text, false, 2000, "not a readable project database"},
            {text, true, 2000, "not a readable project database"},
            {empty, false, 2000, "holds no project"},
            {foreign, false, 2000, "another kind"},
            {foreign, true, 2000, "another kind"},
            {lookalike, false, 2000, "has no column"},
            {damaged, false, 2000, "damaged"},
            {truncated, false, 2000, "damaged"},
        };
        for (const Case& c : cases) {
            const QByteArray before = QFileInfo(c.path).isFile() ? bytesOf(c.path) : QByteArray();
            ProjectDatabase db;
            const BaseResult<void> result = db.open(c.path, c.create, kConn);
            QVERIFY2(result.code() == c.code, qPrintable(c.path + QLatin1Char(' ') + result.message));
            QVERIFY2(result.message.contains(QLatin1String(c.detail)), qPrintable(result.message));
            QVERIFY(!db.isOpen());
            QVERIFY(!QSqlDatabase::contains(kConn));
            if (QFileInfo(c.path).isFile())
                QCOMPARE(bytesOf(c.path), before);
            QVERIFY(!QFile::exists(c.path + QStringLiteral("-journal")));
            QVERIFY(!QFileInfo::exists(path(QStringLiteral("missing.ovpf"))));
            // The failed open blocks nothing.
            QVERIFY(db.open(good, false, kConn).isOk());
            QCOMPARE(*db.count(QStringLiteral("profile")).data, 3);
        }
    }

    void recordsAreInsertedSavedAndReadBack()
    {
        ProjectDatabase db;
        QVERIFY(db.open(path(QStringLiteral("records.ovpf")), true, kConn).isOk());
        JsonStoreRecord a = record(QStringLiteral("host"), QStringLiteral("x'); DROP TABLE json_store; --"));
        QVERIFY(db.insert(a).isOk());
        QVERIFY(a.id > 0);
        QCOMPARE(db.insert(a).code(), 2005);
        a.k2 = QStringLiteral("saved");
        const int64_t id = a.id;
        QVERIFY(db.save(a).isOk());
        QCOMPARE(a.id, id);
        QCOMPARE(*db.count(QStringLiteral("host")).data, 1);
        const auto found = db.findById(id);
        QCOMPARE((*found.data)->k1, a.k1);
        QCOMPARE((*found.data)->k2, QStringLiteral("saved"));
        QVERIFY((*found.data)->k3.isEmpty());

        JsonStoreRecord fixed = record(QStringLiteral("host"));
        fixed.id = 100;
        QVERIFY(db.save(fixed).isOk());
        QCOMPARE(fixed.id, int64_t(100));
        QVERIFY(*db.findById(100).data);
        QVERIFY(!*db.findById(555).data);
        QCOMPARE(*db.update(record(QStringLiteral("host"))).data, 0);
        QCOMPARE(*db.remove(555).data, 0);

        // Rows: sort order, key filters, reads without the data column.
        QVERIFY(db.removeAll(QStringLiteral("host")).isOk());
        for (int i : {3, 1, 2}) {
            JsonStoreRecord r = record(QStringLiteral("card"), QString::number(i % 2), i);
            r.k3 = QStringLiteral("k");
            QVERIFY(db.insert(r).isOk());
        }
        const auto all = db.findAll(QStringLiteral("card"), false);
        QCOMPARE(all.data->size(), size_t(3));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE((*all.data)[i]->sort_id, int64_t(i + 1));
            QVERIFY((*all.data)[i]->data.isNull());
            QCOMPARE((*all.data)[i]->columns, QStringLiteral("{}"));
        }
        QCOMPARE((*db.findAll(QStringLiteral("card"), true).data)[0]->data, QStringLiteral("{\"n\":1}"));
        JsonStoreKeys keys;
        keys.k1 = QStringLiteral("1");
        keys.k3 = QStringLiteral("k");
        const auto filtered = db.findAll(QStringLiteral("card"), keys, true);
        QCOMPARE(filtered.data->size(), size_t(2));
        QCOMPARE(filtered.data->front()->sort_id, int64_t(1));
        QCOMPARE((*db.findFirst(QStringLiteral("card")).data)->sort_id, int64_t(3)); // table order
        QCOMPARE(*db.removeAll(QStringLiteral("card"), keys).data, 2);
        QCOMPARE(*db.count(QStringLiteral("card")).data, 1);
    }

    void timesFollowTheTriggers()
    {
        ProjectDatabase db;
        QVERIFY(db.open(path(QStringLiteral("times.ovpf")), true, kConn).isOk());
        JsonStoreRecord r = record(QStringLiteral("profile"));
        QVERIFY(db.insert(r).isOk());
        QVERIFY(db.saveFile(r.id, QStringLiteral("icon"), "one").isOk());
        QVERIFY(db.saveProperty(QStringLiteral("p"), QStringLiteral("v1")).isOk());
        for (const char* table : {"json_store", "file_store", "property_store"})
            QVERIFY(
                db.exec(QStringLiteral("UPDATE %1 SET created_at = 1000, updated_at = 1000").arg(QLatin1String(table)))
                    .isOk());
        const int64_t start = nowSeconds();
        r.k1 = QStringLiteral("changed");
        QCOMPARE(*db.update(r).data, 1);
        QVERIFY(db.saveFile(r.id, QStringLiteral("icon"), "two").isOk());
        QVERIFY(db.saveProperty(QStringLiteral("p"), QStringLiteral("v2")).isOk());
        const auto read = *db.findById(r.id).data;
        QCOMPARE(read->created_at.time_since_epoch().count(), int64_t(1000) * 10000000);
        const int64_t updated = read->updated_at.time_since_epoch().count() / 10000000;
        QVERIFY(updated >= start && updated <= nowSeconds());
        QCOMPARE(*db.loadFile(r.id, QStringLiteral("icon")).data, QByteArray("two"));
        QCOMPARE(*db.loadProperty(QStringLiteral("p")).data, QStringLiteral("v2"));

        Test::ProjectRawSqlite raw(path(QStringLiteral("times.ovpf")));
        QList<QVariantList> rows;
        QVERIFY(raw.run(QStringLiteral("SELECT created_at, updated_at FROM file_store UNION ALL "
                                       "SELECT created_at, updated_at FROM property_store"),
                        {}, &rows));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0][0].toLongLong(), 1000); // file updated in place
        QVERIFY(rows[0][1].toLongLong() >= start);
        QVERIFY(rows[1][0].toLongLong() >= start); // property row replaced whole

        // Absurd stored times saturate instead of overflowing.
        QVERIFY(db.exec(QStringLiteral("UPDATE json_store SET created_at = 9000000000000000000")).isOk());
        QVERIFY((*db.findById(r.id).data)->created_at.time_since_epoch().count() > 0);
    }

    void filesGoWithTheirRecord()
    {
        ProjectDatabase db;
        QVERIFY(db.open(path(QStringLiteral("files.ovpf")), true, kConn).isOk());
        JsonStoreRecord owner = record(QStringLiteral("plugin"));
        JsonStoreRecord other = record(QStringLiteral("plugin"));
        QVERIFY(db.insert(owner).isOk() && db.insert(other).isOk());
        QVERIFY(db.saveFile(owner.id, QStringLiteral("pack"), "p").isOk());
        QVERIFY(db.saveFile(owner.id, QStringLiteral("icon"), QByteArray()).isOk());
        QVERIFY(db.saveFile(other.id, QStringLiteral("icon"), "o").isOk());
        QCOMPARE(*db.findAllFileName(owner.id).data, std::vector<QString>({"pack", "icon"}));
        QCOMPARE(db.loadFile(owner.id, QStringLiteral("icon")).code(), 0);
        const auto missing = db.loadFile(owner.id, QStringLiteral("nope"));
        QCOMPARE(missing.code(), 2003);
        QCOMPARE(missing.message, QStringLiteral("file not found"));
        QVERIFY(db.removeFile(owner.id, QStringLiteral("nope")).isOk());
        QCOMPARE(db.saveFile(9999, QStringLiteral("orphan"), "x").code(), 2002); // foreign keys are on
        QCOMPARE(*db.remove(owner.id).data, 1);
        QVERIFY(db.findAllFileName(owner.id).data->empty());
        QCOMPARE(*db.loadFile(other.id, QStringLiteral("icon")).data, QByteArray("o"));
        QCOMPARE(*db.loadProperty(QStringLiteral("never")).data, QString());
    }

    void transactionsCommitOrRollBackWhole()
    {
        ProjectDatabase db;
        QVERIFY(db.open(path(QStringLiteral("tx.ovpf")), true, kConn).isOk());
        auto insertOne = [&db]() {
            JsonStoreRecord r = record(QStringLiteral("t"));
            return db.insert(r);
        };
        const BaseResult<void> failed = db.transaction([&]() {
            insertOne();
            return BaseResult<void>(Errors::RecordAlreadyExists, QStringLiteral("why"));
        });
        QCOMPARE(failed.code(), 2005);
        QCOMPARE(failed.message, QStringLiteral("why"));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, db.transaction([&]() -> BaseResult<void> {
            insertOne();
            throw std::runtime_error("boom");
        }));
        const BaseResult<void> nested = db.transaction([&]() {
            insertOne();
            return db.transaction(insertOne);
        });
        QCOMPARE(nested.code(), 2002);
        QCOMPARE(*db.count(QStringLiteral("t")).data, 0);
        QVERIFY(db.transaction([&]() { return insertOne(); }).isOk());
        QCOMPARE(*db.count(QStringLiteral("t")).data, 1);
    }

    void sqlFailuresAreLoggedAndReported()
    {
        ProjectDatabase db;
        QCOMPARE(db.exists(1).code(), 2002); // never opened
        QVERIFY(db.open(path(QStringLiteral("fail.ovpf")), true, kConn).isOk());
        Test::LogCapture capture;
        const auto bad = db.exec(QStringLiteral("SELEC 1"));
        QCOMPARE(bad.code(), 2002);
        QVERIFY(bad.message.contains(QLatin1String("syntax error")));
        QVERIFY(db.exec(QStringLiteral("DROP TABLE file_store")).isOk());
        QCOMPARE(db.findAllFileName(1).code(), 2002);
        QCOMPARE(db.loadFile(1, QStringLiteral("x")).code(), 2002);
        BaseResult<int> fromThread;
        std::thread([&]() { fromThread = db.count(QStringLiteral("t")); }).join();
        QCOMPARE(fromThread.code(), 2002);
        const QString log = capture.text();
        QVERIFY(
            log.contains(QLatin1String("[E] [ProjectDatabase] exec error:near \"SELEC\": syntax error, sql:SELEC 1")));
        QVERIFY(log.contains(QLatin1String("[E] [ProjectDatabase] findAllFileName() error:no such table")));
        QVERIFY(log.contains(QLatin1String("[E] [ProjectDatabase] count() error:")));
    }
};

QTEST_GUILESS_MAIN(TestProjectDatabase)
#include "tst_ProjectDatabase.moc"
