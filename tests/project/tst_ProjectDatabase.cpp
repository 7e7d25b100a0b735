#include "core/Logger.h"
#include "project/ProjectDatabase.h"
#include "support/ProjectRawSqlite.h"
#include "support/ProjectTestUtils.h"
#include "support/TestUtils.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

using namespace OV;
using Test::fileBytes;

namespace {

const QString kConn = QStringLiteral("sql_cn_test");

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

} // namespace

class TestProjectDatabase : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    // A project whose rows span many pages.
    QString makeProject(const char* name, int records)
    {
        ProjectDatabase db;
        if (!db.open(path(name), true, kConn).isOk())
            return {};
        for (int i = 0; i < records; ++i) {
            JsonStoreRecord r = record(QStringLiteral("profile"), QString::number(i), i);
            r.data = QString(400, QLatin1Char('x'));
            db.insert(r);
        }
        return path(name);
    }

private slots:
    void newProjectHasTheSchemaAndReopeningChangesNothing()
    {
        const QString file = makeProject("schema.ovpf", 0);
        QVERIFY(!QSqlDatabase::contains(kConn));
        Test::ProjectRawSqlite raw(file);
        QList<QVariantList> rows;
        QVERIFY(raw.run(QStringLiteral("SELECT type || ':' || name FROM sqlite_master WHERE sql IS NOT NULL "
                                       "AND name NOT LIKE 'sqlite_%' ORDER BY 1"),
                        {}, &rows));
        QStringList names;
        for (const QVariantList& row : rows)
            names << row[0].toString();
        QCOMPARE(names, QStringList({"index:idx_json_store_k1", "index:idx_json_store_k2", "index:idx_json_store_k3",
                                     "index:idx_json_store_k4", "index:idx_json_store_type", "table:file_store",
                                     "table:json_store", "table:property_store", "trigger:trg_file_store_updated",
                                     "trigger:trg_json_store_updated", "trigger:trg_property_store_updated"}));
        const QByteArray before = fileBytes(file);
        ProjectDatabase db;
        QVERIFY(db.open(file, false, kConn).isOk());
        QCOMPARE(db.open(file, false, kConn).code(), 2000);
        QVERIFY(db.isOpen());
        db.close();
        QCOMPARE(fileBytes(file), before);
    }

    void badFilesAreRefusedAndLeftAsTheyWere()
    {
        const QString good = makeProject("good.ovpf", 3);
        QVERIFY(QDir().mkpath(path("dir.ovpf")));
        QVERIFY(Test::writeFileBytes(path("text.ovpf"), QByteArray(5000, 't')));
        QVERIFY(Test::writeFileBytes(path("empty.ovpf"), QByteArray()));
        QVERIFY(Test::ProjectRawSqlite(path("foreign.ovpf")).exec(QStringLiteral("CREATE TABLE notes(body TEXT);")));
        QByteArray bytes = fileBytes(makeProject("damaged.ovpf", 200));
        QVERIFY(bytes.size() > 20 * 4096);
        QVERIFY(Test::writeFileBytes(path("damaged.ovpf"), bytes.replace(8 * 4096, 4096, QByteArray(4096, 'Z'))));

        const std::tuple<const char*, bool, int, const char*> cases[] = {
            {"missing.ovpf", false, 2001, ""},
            {"dir.ovpf", false, 2001, ""},
            {"text.ovpf", true, 2000, "not a readable project database: file is not a database"},
            {"empty.ovpf", false, 2000, "holds no project"},
            {"foreign.ovpf", true, 2000, "another kind"},
            {"damaged.ovpf", false, 2000, "damaged"},
        };
        for (auto [name, create, code, detail] : cases) {
            const QByteArray before = fileBytes(path(name));
            ProjectDatabase db;
            const BaseResult<void> result = db.open(path(name), create, kConn);
            QVERIFY2(result.code() == code && result.message.contains(QLatin1String(detail)),
                     qPrintable(QLatin1String(name) + QLatin1Char(' ') + result.message));
            QVERIFY(!db.isOpen() && !QSqlDatabase::contains(kConn));
            QCOMPARE(fileBytes(path(name)), before);
            QVERIFY(!QFile::exists(path(name) + QStringLiteral("-journal")) && !QFile::exists(path("missing.ovpf")));
            QVERIFY(db.open(good, false, kConn).isOk()); // a failed open blocks nothing
            QCOMPARE(*db.count(QStringLiteral("profile")).data, 3);
        }
    }

    void recordsAreInsertedSavedAndReadBack()
    {
        ProjectDatabase db;
        QVERIFY(db.open(path("records.ovpf"), true, kConn).isOk());
        JsonStoreRecord a = record(QStringLiteral("host"), QStringLiteral("x'); DROP TABLE json_store; --"));
        QVERIFY(db.insert(a).isOk() && a.id > 0);
        QCOMPARE(db.insert(a).code(), 2005);
        a.k2 = QStringLiteral("saved");
        const int64_t id = a.id;
        QVERIFY(db.save(a).isOk());
        QCOMPARE(a.id, id);
        const auto found = *db.findById(id).data;
        QVERIFY(found->k1 == a.k1 && found->k2 == "saved" && found->k3.isEmpty());
        QCOMPARE(*db.update(record(QStringLiteral("host"))).data, 0);
        QCOMPARE(db.findAll(QStringLiteral("host"), false).data->front()->data, QString());
        QCOMPARE(db.findAll(QStringLiteral("host"), true).data->front()->data, QStringLiteral("{\"n\":1}"));
    }

    void filesPropertiesAndTimes()
    {
        ProjectDatabase db;
        QVERIFY(db.open(path("files.ovpf"), true, kConn).isOk());
        JsonStoreRecord owner = record(QStringLiteral("plugin"));
        JsonStoreRecord other = record(QStringLiteral("plugin"));
        QVERIFY(db.insert(owner).isOk() && db.insert(other).isOk());
        QVERIFY(db.saveFile(owner.id, QStringLiteral("pack"), "p").isOk());
        QVERIFY(db.saveFile(owner.id, QStringLiteral("icon"), "one").isOk());
        QVERIFY(db.saveFile(other.id, QStringLiteral("icon"), "o").isOk());
        QCOMPARE(*db.findAllFileName(owner.id).data, std::vector<QString>({"pack", "icon"}));
        QVERIFY(db.exec(QStringLiteral("UPDATE json_store SET created_at = 1000, updated_at = 1000")).isOk());
        const int64_t start = QDateTime::currentSecsSinceEpoch();
        owner.k1 = QStringLiteral("changed");
        QCOMPARE(*db.update(owner).data, 1);
        QVERIFY(db.saveFile(owner.id, QStringLiteral("icon"), "two").isOk());
        QVERIFY(db.saveProperty(QStringLiteral("p"), QStringLiteral("v1")).isOk());
        QVERIFY(db.saveProperty(QStringLiteral("p"), QStringLiteral("v2")).isOk());
        const auto read = *db.findById(owner.id).data;
        QCOMPARE(read->created_at.time_since_epoch().count(), int64_t(1000) * 10000000);
        QVERIFY(read->updated_at.time_since_epoch().count() / 10000000 >= start);
        QCOMPARE(*db.loadFile(owner.id, QStringLiteral("icon")).data, QByteArray("two"));
        QCOMPARE(*db.loadProperty(QStringLiteral("p")).data, QStringLiteral("v2"));

        QCOMPARE(db.loadFile(owner.id, QStringLiteral("nope")).message, QStringLiteral("file not found"));
        QCOMPARE(db.saveFile(9999, QStringLiteral("orphan"), "x").code(), 2002); // foreign keys are on
        QCOMPARE(*db.remove(owner.id).data, 1);
        QVERIFY(db.findAllFileName(owner.id).data->empty());
        QCOMPARE(*db.loadFile(other.id, QStringLiteral("icon")).data, QByteArray("o"));
        // Absurd stored times saturate instead of overflowing.
        QVERIFY(db.exec(QStringLiteral("UPDATE json_store SET created_at = 9000000000000000000")).isOk());
        QVERIFY((*db.findById(other.id).data)->created_at.time_since_epoch().count() > 0);
    }

    void transactionsCommitOrRollBackWhole()
    {
        ProjectDatabase db;
        QVERIFY(db.open(path("tx.ovpf"), true, kConn).isOk());
        auto insertOne = [&db]() {
            JsonStoreRecord r = record(QStringLiteral("t"));
            return db.insert(r);
        };
        const BaseResult<void> failed = db.transaction([&]() {
            insertOne();
            return BaseResult<void>(Errors::RecordAlreadyExists, QStringLiteral("why"));
        });
        QVERIFY(failed.code() == 2005 && failed.message == "why");
        QCOMPARE(db.transaction([&]() { return insertOne().isOk() ? db.transaction(insertOne) : insertOne(); }).code(),
                 2002); // transactions do not nest
        QCOMPARE(*db.count(QStringLiteral("t")).data, 0);
        QVERIFY(db.transaction(insertOne).isOk());
        QCOMPARE(*db.count(QStringLiteral("t")).data, 1);
    }

    void sqlFailuresAreLoggedAndReported()
    {
        ProjectDatabase db;
        QCOMPARE(db.exists(1).code(), 2002); // never opened
        QVERIFY(db.open(path("fail.ovpf"), true, kConn).isOk());
        Test::LogCapture capture;
        QCOMPARE(db.exec(QStringLiteral("SELEC 1")).code(), 2002);
        QVERIFY(db.exec(QStringLiteral("DROP TABLE file_store")).isOk());
        QCOMPARE(db.loadFile(1, QStringLiteral("x")).code(), 2002);
        BaseResult<int> fromThread;
        std::thread([&]() { fromThread = db.count(QStringLiteral("t")); }).join();
        QCOMPARE(fromThread.code(), 2002);
        const QString log = capture.text();
        QVERIFY(log.contains(QLatin1String("[ProjectDatabase] exec error:near \"SELEC\": syntax error, sql:SELEC 1")));
        QVERIFY(log.contains(QLatin1String("[E] [ProjectDatabase] loadFile() error:no such table")));
        QVERIFY(log.contains(QLatin1String("[E] [ProjectDatabase] count() error:")));
    }
};

QTEST_GUILESS_MAIN(TestProjectDatabase)
#include "tst_ProjectDatabase.moc"
