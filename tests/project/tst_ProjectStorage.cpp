#include "core/Logger.h"
#include "project/ProjectDbAccessors.h"
#include "project/ProjectProfileUseCase.h"
#include "project/ProjectUseCase.h"
#include "support/ProjectRawSqlite.h"
#include "support/ProjectTestUtils.h"
#include "support/TestUtils.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>
#include <thread>

using namespace OV;
using Test::fileBytes;
using Test::projectRecord;
using Test::thrownText;
using json = nlohmann::json;

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

using ProfileUseCase = ProjectUseCase<ProjectDbProfileAccessor, ProjectDbProfileBean>;
using PluginUseCase = ProjectUseCase<ProjectDbPluginAccessor, ProjectDbPluginBean>;

std::shared_ptr<ProjectDbProfileBean> profile(const QString& name, int64_t sortId = 2147483647)
{
    auto bean = std::make_shared<ProjectDbProfileBean>();
    bean->name = name;
    bean->sortId = sortId;
    bean->data["note"] = name.toStdString();
    return bean;
}

QStringList names(const std::vector<std::shared_ptr<ProjectDbProfileBean>>& beans)
{
    QStringList list;
    for (const auto& bean : beans)
        list << bean->name;
    return list;
}

// Stores a bean of the kind parsed from the given columns and checks that every typed field,
// key, position and document reads back unchanged.
template <typename Bean>
void roundTrip(const std::shared_ptr<ProjectDatabase>& db, const char* columns, const char* k1 = "",
               const char* k2 = "")
{
    auto bean = Bean::parseRecord(Test::projectRecord(Bean::kRecordType, QString::fromUtf8(columns), k1, k2));
    bean->id = -1;
    bean->sortId = 5;
    bean->data["deep"] = {{"list", {1, "twö", nullptr}}};
    ProjectDbBaseAccessor<Bean> accessor(db, QString::fromLatin1(Bean::kRecordType));
    QVERIFY(accessor.insert(*bean).isOk());
    const auto found = accessor.findById(bean->id);
    QVERIFY2(found.isOk() && *found.data, qPrintable(found.message));
    const auto stored = (*found.data)->toRecord();
    QCOMPARE(stored->columns, QString::fromStdString(json::parse(columns).dump()));
    QVERIFY(stored->k1 == bean->k1 && stored->k2 == bean->k2 && stored->sort_id == 5);
    QCOMPARE(stored->data, QString::fromStdString(bean->data.dump())); // compact, keys sorted
}

// The validation failure of a stored row of the kind whose columns are the defaults with the
// patch applied; keys and document as given.
template <typename Bean>
QString invalid(const char* patch, const char* k1 = "1", const char* k2 = "0", const char* data = "")
{
    json columns;
    Bean().toJson(columns);
    columns.merge_patch(json::parse(patch));
    JsonStoreRecord record = projectRecord(Bean::kRecordType, QString::fromStdString(columns.dump()), "1", "0");
    record.data = QString::fromLatin1(data);
    return thrownText([&] {
        auto bean = Bean::parseRecord(record);
        bean->k1 = QString::fromLatin1(k1);
        bean->k2 = QString::fromLatin1(k2);
        bean->validate();
    });
}

} // namespace

class TestProjectStorage : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::shared_ptr<ProjectDatabase> m_db;
    std::shared_ptr<ProfileUseCase> m_profiles;
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
    void init()
    {
        m_db = std::make_shared<ProjectDatabase>();
        QVERIFY(m_db->open(m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".ovpf"), true,
                           QStringLiteral("sql_cn_default"))
                    .isOk());
        m_profiles = std::make_shared<ProfileUseCase>(m_db);
    }

    void cleanup()
    {
        m_profiles.reset();
        m_db.reset();
    }

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
        // The records' root names its first child page twice: each page is sound on its own.
        QList<QVariantList> root;
        QVERIFY(Test::ProjectRawSqlite(makeProject("twice.ovpf", 60))
                    .run(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'json_store'"), {}, &root));
        bytes = fileBytes(path("twice.ovpf"));
        const qsizetype at = (root.value(0).value(0).toLongLong() - 1) * 4096;
        QVERIFY(root.size() == 1 && bytes.at(at) == 5); // an interior page
        const auto cell = [&](int i) {
            return at + (uchar(bytes.at(at + 12 + 2 * i)) << 8 | uchar(bytes.at(at + 13 + 2 * i)));
        };
        QVERIFY(Test::writeFileBytes(path("twice.ovpf"), bytes.replace(cell(1), 4, bytes.mid(cell(0), 4))));

        const std::tuple<const char*, bool, int, const char*> cases[] = {
            {"missing.ovpf", false, 2001, ""},
            {"dir.ovpf", false, 2001, ""},
            {"text.ovpf", true, 2000, "not a readable project database: file is not a database"},
            {"empty.ovpf", false, 2000, "holds no project"},
            {"foreign.ovpf", true, 2000, "another kind"},
            {"damaged.ovpf", false, 2000, "damaged"},
            {"twice.ovpf", false, 2000, "belongs to two places"},
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

    // The page walk of a file of many hundred pages, read a few blocks at a time: a damaged page
    // is found wherever it lies, and the sound file opens.
    void damageAnywhereInALargeFileIsFound()
    {
        {
            ProjectDatabase db;
            QVERIFY(db.open(path("large.ovpf"), true, kConn).isOk());
            QVERIFY(db.transaction([&]() {
                          for (int i = 0; i < 4000; ++i) {
                              JsonStoreRecord r = record(QStringLiteral("profile"), QString::number(i), i);
                              r.data = QString(400, QLatin1Char('x'));
                              const BaseResult<void> stored = db.insert(r);
                              if (!stored.isOk())
                                  return stored;
                          }
                          return BaseResult<void>();
                      }).isOk());
        }
        const QByteArray sound = fileBytes(path("large.ovpf"));
        const int pages = int(sound.size() / 4096);
        QVERIFY2(pages > 400, qPrintable(QString::number(pages)));
        for (const int page : {2, pages / 3, pages / 2 + 17, pages - 1, pages}) {
            QByteArray bytes = sound;
            QVERIFY(Test::writeFileBytes(path("large.ovpf"),
                                         bytes.replace((page - 1) * 4096, 4096, QByteArray(4096, 'Z'))));
            ProjectDatabase db;
            const BaseResult<void> result = db.open(path("large.ovpf"), false, kConn);
            QVERIFY2(result.code() == 2000 &&
                         result.message.contains(QStringLiteral("page %1 is of no known kind").arg(page)),
                     qPrintable(QString::number(page) + QLatin1Char(' ') + result.message));
        }
        QVERIFY(Test::writeFileBytes(path("large.ovpf"), sound));
        ProjectDatabase db;
        QVERIFY(db.open(path("large.ovpf"), false, kConn).isOk());
        QCOMPARE(*db.count(QStringLiteral("profile")).data, 4000);
    }

    void recordsAreInsertedSavedAndReadBack()
    {
        ProjectDatabase& db = *m_db;
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
        ProjectDatabase& db = *m_db;
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

    void filesOfEveryStoredShape()
    {
        ProjectDatabase& db = *m_db;
        JsonStoreRecord owner = record(QStringLiteral("plugin"));
        QVERIFY(db.insert(owner).isOk());
        QByteArray large(70000, Qt::Uninitialized); // spread over many overflow pages
        for (int i = 0; i < large.size(); ++i)
            large[i] = char(i * 7 + i / 251);
        QVERIFY(db.saveFile(owner.id, QStringLiteral("large"), large).isOk());
        QVERIFY(db.saveFile(owner.id, QStringLiteral("empty"), QByteArray()).isOk());
        QVERIFY(db.saveFile(std::nullopt, QStringLiteral("ownerless"), "free").isOk());
        QVERIFY(db.exec(QStringLiteral("INSERT INTO file_store (owner_id, file_name, data) VALUES "
                                       "(%1, 'null', NULL), (%1, 'number', 42), (%1, 'text', 'tëxt')")
                            .arg(owner.id))
                    .isOk());
        const auto expectAll = [&]() {
            QCOMPARE(*db.loadFile(owner.id, QStringLiteral("large")).data, large);
            QVERIFY(db.loadFile(owner.id, QStringLiteral("empty")).data->isEmpty());
            QVERIFY(db.loadFile(owner.id, QStringLiteral("null")).data->isNull());
            QCOMPARE(*db.loadFile(owner.id, QStringLiteral("number")).data, QByteArray("42"));
            QCOMPARE(*db.loadFile(owner.id, QStringLiteral("text")).data, QStringLiteral("tëxt").toUtf8());
            QCOMPARE(*db.loadFile(std::nullopt, QStringLiteral("ownerless")).data, QByteArray("free"));
            QCOMPARE(db.loadFile(owner.id, QStringLiteral("ownerless")).code(), 2003);
        };
        expectAll(); // one pass: the reads share one read transaction
        QCoreApplication::processEvents();
        QVERIFY(db.transaction([&]() {
                      expectAll();
                      return db.saveFile(owner.id, QStringLiteral("large"), "small");
                  }).isOk());
        // Rewritten between two reads of one pass, and then by another program: read anew each time.
        QCOMPARE(*db.loadFile(owner.id, QStringLiteral("large")).data, QByteArray("small"));
        QVERIFY(db.saveFile(owner.id, QStringLiteral("large"), large).isOk());
        QCOMPARE(*db.loadFile(owner.id, QStringLiteral("large")).data, large);
        QTest::qWait(10);
        Test::ProjectRawSqlite other(m_dir.filePath(QStringLiteral("filesOfEveryStoredShape.ovpf")));
        QVERIFY(other.run(QStringLiteral("UPDATE file_store SET data = x'0102' WHERE file_name = 'large'")));
        QCOMPARE(*db.loadFile(owner.id, QStringLiteral("large")).data, QByteArray("\x01\x02"));
    }

    void transactionsCommitOrRollBackWhole()
    {
        ProjectDatabase& db = *m_db;
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

    void validationTexts()
    {
        using Host = ProjectDbHostBean;
        QCOMPARE(invalid<Host>(R"({"connType":"usb"})"), QString());
        const std::pair<const char*, bool> ips[] = {{"192.168.1.20", true}, {"01.1.1.1", true}, {"010.1.1.1", false},
                                                    {"256.1.1.1", false},   {"1.2.3", false},   {"", false}};
        for (auto [ip, ok] : ips) {
            const QString patch = QStringLiteral(R"({"connType":"tcp","port":65536,"ip":"%1"})").arg(QLatin1String(ip));
            QCOMPARE(invalid<Host>(patch.toLatin1().constData()),
                     ok ? QString() : "invalid ip:" + QString::fromLatin1(ip));
        }
        QCOMPARE(invalid<Host>(R"({"connType":"tcp","ip":"1.2.3.4\n","port":1})"),
                 QStringLiteral("invalid ip:1.2.3.4\n"));
        QCOMPARE(invalid<Host>(R"({"connType":"tcp","ip":"1.2.3.4"})"), QStringLiteral("invalid port:0"));
        QCOMPARE(invalid<Host>(R"({"connType":"tcp1"})"), QStringLiteral("invalid connType:tcp1"));
        QCOMPARE(invalid<ProjectDbIntegrationBean>(R"({"integType":"x"})"), QStringLiteral("invalid integType:x"));

        using Module = ProjectDbModuleBean;
        QCOMPARE(invalid<Module>(R"({"gatewayType":"usb"})"), QStringLiteral("invalid gatewayType:usb"));
        QCOMPARE(invalid<Module>(R"({"gatewayType":"can","productId":268435462})"),
                 QStringLiteral("invalid productId:268435462"));
        QCOMPARE(invalid<Module>(R"({"gatewayType":"mesh","productId":268435457,"sn":"  "})"),
                 QStringLiteral("invalid sn:  "));
        QCOMPARE(invalid<Module>(R"({"gatewayType":"can","productId":268435457,"sn":"S","netId":-1})"),
                 QStringLiteral("invalid netId_:-1"));

        using Plugin = ProjectDbPluginBean;
        QCOMPARE(invalid<Plugin>(R"({"versionCode":0})", " "), QStringLiteral("invalid uuid(k1): "));
        QCOMPARE(invalid<Plugin>(R"({"versionCode":0})", "u", ""), QStringLiteral("empty type(k2):"));
        QCOMPARE(invalid<Plugin>(R"({"versionCode":0})", "u", "2"), QStringLiteral("invalid type(k2):2"));
        QCOMPARE(invalid<Plugin>("{}"), QStringLiteral("invalid versionCode:-1"));

        using Profile = ProjectDbProfileBean;
        QCOMPARE(invalid<Profile>(R"({"name":" "})"), QStringLiteral("profile name is empty"));
        QCOMPARE(invalid<Profile>(R"({"name":"p"})", "", "", R"({"widgetConfigList":{},"moduleConfigList":[]})"),
                 QStringLiteral("data/widgetConfigList is not array"));
        QVERIFY(invalid<Profile>(R"({"name":"p"})", "", "", R"({"widgetConfigList":[]})")
                    .contains(QLatin1String("not found")));
        QCOMPARE(invalid<Profile>(R"({"name":"p"})", "", "", "[]"), QStringLiteral("data is not json object"));

        using Card = ProjectDbProfileKsWidgetBean;
        QCOMPARE(invalid<Card>(R"({"widgetType":"clock","uid":"u"})", "abc"),
                 QStringLiteral("invalid profileId(k1):abc"));
        QCOMPARE(invalid<Card>(R"({"widgetType":" ","uid":"u"})"), QStringLiteral("widgetType is empty"));
        QCOMPARE(invalid<Card>(R"({"widgetType":"clock"})"), QStringLiteral("uid is empty"));
    }

    void parsersNormaliseKeysAndRefuseBadRows()
    {
        ProjectDbIntegrationBean bean;
        QCOMPARE(thrownText([&] { bean.setData(json::array()); }), QStringLiteral("arg 'data' is not json object"));
        const QString profileColumns = QStringLiteral(R"({"name":"P","showName":false,"icon":"","preferred":true})");
        const auto profile = ProjectDbProfileBean::parseRecord(projectRecord("profile", profileColumns, "yes"));
        QVERIFY(!profile->isDefault && profile->k1.isEmpty() && profile->preferred && !profile->showName);
        QCOMPARE(profile->data.size(), size_t(2)); // no stored document: the constructor's stays
        QVERIFY(ProjectDbProfileBean::parseRecord(projectRecord("profile", profileColumns, "true"))->isDefault);

        auto module = [](const char* productId) {
            return ProjectDbModuleBean::parseRecord(projectRecord(
                "module", QStringLiteral(R"({"gatewayType":"can","productId":%1,"name":"","sn":"s","netId":0,)"
                                         R"("workMode":1,"extraConfig":{"x":[1]}})")
                              .arg(QLatin1String(productId))));
        };
        QCOMPARE(module("268435457.0")->productId, uint64_t(0x10000001));
        QVERIFY(thrownText([&] { module("\"a\""); }).contains(QLatin1String("type must be number, but is string")));
        QVERIFY(thrownText([&] { module("-1"); }).contains(QLatin1String("productId is out of range")));
        QVERIFY(thrownText([&] { module("1e30"); }).contains(QLatin1String("productId is out of range")));
    }

    void columnsAreReadAsTheLibraryReadsThem()
    {
        // The card's typed fields, read the plain way: the whole text through the library.
        const auto reference = [](const QString& columns) {
            const QByteArray utf8 = columns.toUtf8();
            const json object = json::parse(utf8.constBegin(), utf8.constEnd());
            const auto text = [&](const char* key) {
                return QString::fromStdString(object.at(key).get<std::string>());
            };
            return QStringList{object.contains("name") ? text("name") : QString(),
                               object.contains("icon") ? text("icon") : QString(), text("widgetType"), text("uid")};
        };
        const auto ours = [](const QString& columns) {
            const auto card = ProjectDbProfileKsWidgetBean::parseRecord(projectRecord("profileKsWidget", columns, "1"));
            return QStringList{card->name, card->icon, card->widgetType, card->uid};
        };
        const auto outcome = [](const std::function<QStringList()>& read) {
            try {
                return read();
            } catch (const std::exception& e) {
                return QStringList{QStringLiteral("threw"), QString::fromUtf8(e.what())};
            }
        };
        QStringList texts{
            R"({"icon":"i.png","name":"Clock","uid":"u-1","widgetType":"clock"})",
            R"({"uid":"u","widgetType":"w","name":"first","name":"second"})",
            R"({"uid":"u","widgetType":"w","name":7})",
            R"({"uid":"u","widgetType":"w","name":"a","name":null})",
            R"({"uid":"u","widgetType":{"nested":["x"]}})",
            R"({"uid":"u"})",
            " { \"uid\" : \"\\u00e9\\ud83d\\ude00\\n\\\"\" , \"widgetType\" : \"Zürich 東京\" } ",
            QStringLiteral(R"({"uid":"u","widgetType":"lone )") + QChar(0xD800) + QStringLiteral(R"("})"),
            "[]",
            "5",
            "",
            "{",
            R"({"uid":"u",})",
            R"({"uid":"u"} x)",
        };
        QRandomGenerator random(7);
        const QString seed = texts.front();
        for (int i = 0; i < 600; ++i) {
            QString text = seed;
            const int at = int(random.bounded(quint32(text.size())));
            const QString pick = QStringLiteral("{}[]\",:\\x0 ");
            if (random.bounded(2))
                text[at] = pick[random.bounded(quint32(pick.size()))];
            else
                text.remove(at, 1);
            texts << text;
        }
        for (const QString& text : texts) {
            const QStringList expected = outcome([&] { return reference(text); });
            QCOMPARE(outcome([&] { return ours(text); }), expected);
        }
    }

    void everyKindRoundTrips()
    {
        roundTrip<ProjectDbHostBean>(
            m_db, R"({"connType":"tcp","ip":"10.0.0.2","name":"Hub «1»","port":9443,"sn":"SN1","token":"t"})");
        roundTrip<ProjectDbIntegrationBean>(m_db, R"({"integType":"hotkey"})");
        roundTrip<ProjectDbMetaBean>(
            m_db, R"({"create_app_version_code":21,"create_app_version_name":"V2.1","project_data_format_version":2})");
        roundTrip<ProjectDbModuleBean>(m_db, R"({"extraConfig":[{"a":1.5}],"gatewayType":"mesh","name":"Cube",)"
                                             R"("netId":4,"productId":268435459,"sn":"M1","workMode":2})");
        roundTrip<ProjectDbPluginBean>(m_db,
                                       R"({"author":"A","desc":"D","icon":"http://i","name":"P","official":1,)"
                                       R"("versionCode":12,"versionName":"1.2"})",
                                       "uuid-1", "1");
        roundTrip<ProjectDbProfileBean>(m_db, R"({"icon":"i.png","name":"Default","preferred":true,"showName":false})",
                                        "true");
        roundTrip<ProjectDbProfileKsWidgetBean>(m_db, R"({"icon":"c","name":"Clock","uid":"u1","widgetType":"clock"})",
                                                "3");
    }

    void readsFollowTheSortOrder()
    {
        auto& acc = *m_profiles->accessor;
        for (auto [name, sortId] : {std::pair{"c", 30}, {"a", 10}, {"b", 20}})
            QVERIFY(m_profiles->insert(*profile(QString::fromLatin1(name), sortId)).isOk());
        QCOMPARE(names(*acc.findAll(true).data), QStringList({"a", "b", "c"}));
        QCOMPARE((*acc.findFirst().data)->name, QStringLiteral("c")); // table order, not sort order
        // The filter sees beans without their stored data; the bean returned carries it.
        const auto found =
            acc.findFirst([](const ProjectDbProfileBean& b) { return b.name != "a" && !b.data.contains("note"); });
        QVERIFY((*found.data)->name == "b" && (*found.data)->data["note"] == "b");

        auto list = *acc.findAll(false).data;
        std::reverse(list.begin(), list.end());
        for (size_t i = 0; i < list.size(); ++i)
            list[i]->sortId = int64_t(i);
        QVERIFY(acc.updateAllSortId(list).isOk());
        QCOMPARE(names(*acc.findAll(true).data), QStringList({"c", "b", "a"}));

        // A bean read without its document and written back keeps the stored document.
        auto withoutData = *acc.findAll(false).data;
        withoutData[0]->name = QStringLiteral("c2");
        QVERIFY(m_profiles->updateAll(withoutData).isOk());
        QVERIFY((*acc.findById(withoutData[0]->id).data)->data["note"] == "c");
        QCOMPARE(*m_profiles->removeAll([](const ProjectDbProfileBean& b) { return b.name != "b"; }).data, 2);
        QCOMPARE(names(*acc.findAll(true).data), QStringList({"b"}));
    }

    void failedListChangesRollBackAndRestoreIds()
    {
        auto& acc = *m_profiles->accessor;
        std::vector<std::shared_ptr<ProjectDbProfileBean>> beans{profile("one"), profile(" "), profile("three")};
        const BaseResult<void> failed = m_profiles->insertAll(beans);
        QVERIFY(failed.code() == 1000 && failed.message == "profile name is empty");
        QCOMPARE(*m_db->count(QStringLiteral("profile")).data, 0);
        QCOMPARE(beans[0]->id, int64_t(-1));

        // The rolled-back id goes to the next record; the first bean must not address it.
        auto other = profile(QStringLiteral("other"));
        QVERIFY(m_profiles->insert(*other).isOk());
        beans[1]->name = QStringLiteral("two");
        beans[2]->id = other->id; // an id that exists makes insert fail with 2005
        QCOMPARE(m_profiles->insertAll(beans).code(), 2005);
        QVERIFY(beans[0]->id == -1 && beans[2]->id == other->id);
        QVERIFY(m_profiles->insertOrUpdate(*beans[0]).isOk());
        QVERIFY(beans[0]->id != other->id);
        QCOMPARE((*acc.findById(other->id).data)->name, QStringLiteral("other"));

        // A filtered removal that fails part-way removes nothing; no exception leaves a use case.
        int seen = 0;
        const auto removal = m_profiles->removeAll([&](const ProjectDbProfileBean&) -> bool {
            if (++seen == 2)
                throw std::runtime_error("filter broke");
            return true;
        });
        QVERIFY(removal.code() == 1000 && removal.message == "filter broke");
        QCOMPARE(*m_db->count(QStringLiteral("profile")).data, 2);
        const auto threw = m_profiles->transaction([&]() -> BaseResult<void> {
            m_profiles->insert(*profile(QStringLiteral("lost")));
            throw std::logic_error("nope");
        });
        QVERIFY(threw.code() == 1000 && threw.message == "nope");
        QCOMPARE(*m_db->count(QStringLiteral("profile")).data, 2);
    }

    void damagedOrForeignRowsFailAlone()
    {
        auto bean = profile(QStringLiteral("p"));
        QVERIFY(m_profiles->insert(*bean).isOk());
        JsonStoreRecord broken;
        broken.type = QStringLiteral("profile");
        broken.columns = QStringLiteral("{\"name\":");
        QVERIFY(m_db->insert(broken).isOk());
        // Reading the one damaged record fails; a read of many leaves it out and names it.
        const auto one = m_profiles->accessor->findById(broken.id);
        QVERIFY(one.code() == 1000 && one.message.contains(QLatin1String("parse error")));
        const auto all = m_profiles->accessor->findAll(true);
        QVERIFY(all.isOk() && all.data->size() == 1 && all.message.contains(QLatin1String("parse error")));
        QVERIFY(*m_profiles->accessor->findById(bean->id).data);
        const auto foreign = PluginUseCase(m_db).accessor->findById(bean->id);
        QCOMPARE(foreign.code(), 1000);
        QCOMPARE(foreign.message, QStringLiteral("ProjectDbBean-checkRecordType, plugin expect, but got profile"));
    }

    // Every kind read in bulk: two damaged rows (a document and a columns text that do not
    // parse) between good ones are left out, logged and named; the good ones read as usual.
    void oneDamagedRecordHidesNoOther_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("k1");
        QTest::addColumn<QString>("k2");
        QTest::newRow("profile") << "profile"
                                 << R"({"icon":"","name":"P","preferred":false,"showName":true})"
                                 << ""
                                 << "";
        QTest::newRow("card") << "profileKsWidget"
                              << R"({"icon":"","name":"C","uid":"u","widgetType":"clock"})"
                              << "3"
                              << "";
        QTest::newRow("module") << "module"
                                << R"({"extraConfig":{},"gatewayType":"can","name":"M","netId":1,)"
                                   R"("productId":268435457,"sn":"S","workMode":0})"
                                << ""
                                << "";
        QTest::newRow("plugin") << "plugin"
                                << R"({"author":"A","desc":"","icon":"","name":"P","official":0,)"
                                   R"("versionCode":1,"versionName":"1"})"
                                << "uuid"
                                << "0";
        QTest::newRow("integration") << "integration"
                                     << R"({"integType":"hotkey"})"
                                     << ""
                                     << "";
    }

    void oneDamagedRecordHidesNoOther()
    {
        QFETCH(QString, type);
        QFETCH(QString, columns);
        QFETCH(QString, k1);
        QFETCH(QString, k2);
        const auto store = [&](const QString& cols, const QString& data) {
            JsonStoreRecord r = record(type, k1);
            r.k2 = k2;
            r.columns = cols;
            r.data = data;
            return m_db->insert(r).isOk() ? r.id : -1;
        };
        const int64_t good1 = store(columns, QStringLiteral("{\"n\":1}"));
        const int64_t badData = store(columns, QStringLiteral("{\"n\":"));
        const int64_t badColumns = store(QStringLiteral("{\"name\""), QStringLiteral("{}"));
        const int64_t good2 = store(columns, QStringLiteral("{\"n\":2}"));
        QVERIFY(good1 > 0 && badData > 0 && badColumns > 0 && good2 > 0);

        const auto ids = [](const auto& result) {
            QList<int64_t> list;
            for (const auto& bean : *result.data)
                list << bean->id;
            return list;
        };
        const auto check = [&](auto&& accessor) {
            using Accessor = std::decay_t<decltype(accessor)>;
            Test::LogCapture log;
            JsonStoreKeys keys;
            keys.k1 = k1;
            const auto all = accessor.findAll(true);
            const auto byKeys = accessor.findAll(keys, true);
            const auto filtered = accessor.findAll([](const auto&) { return true; }, true);
            for (const auto* result : {&all, &byKeys, &filtered}) {
                QVERIFY2(result->isOk(), qPrintable(result->message));
                QCOMPARE(ids(*result), QList<int64_t>({good1, good2}));
                QVERIFY(Accessor::skippedDamaged(*result));
                QVERIFY2(result->message.startsWith(QLatin1String("2 damaged record(s) skipped: ")),
                         qPrintable(result->message));
                for (int64_t id : {badData, badColumns})
                    QVERIFY(result->message.contains(QStringLiteral("id %1: [json.exception.parse_error").arg(id)));
            }
            QVERIFY(log.text().contains(QStringLiteral("damaged record skipped, type:%1, id:%2, error:[json.exception")
                                            .arg(type)
                                            .arg(badData)));
            // Read without documents, only the damaged columns stay out.
            const auto lean = accessor.findAll(false);
            QCOMPARE(ids(lean), QList<int64_t>({good1, badData, good2}));
            QVERIFY(lean.message.contains(QStringLiteral("id %1:").arg(badColumns)) &&
                    lean.message.startsWith(QLatin1String("1 damaged")));
            const auto clean = accessor.findAll([](const auto& bean) { return bean.id == -5; }, false);
            QVERIFY(clean.isOk() && clean.data->empty());
        };
        if (type == "profile")
            check(ProjectDbProfileAccessor(m_db, type));
        else if (type == "profileKsWidget")
            check(ProjectDbKsWidgetAccessor(m_db, type));
        else if (type == "module")
            check(ProjectDbModuleAccessor(m_db, type));
        else if (type == "plugin")
            check(ProjectDbPluginAccessor(m_db, type));
        else
            check(ProjectDbIntegrationAccessor(m_db, type));
    }

    // The damaged default profile of a project: the others are still read, edited and stored,
    // a new profile can be made, and the damaged row is never written.
    void aDamagedDefaultProfileLeavesTheRestUsable()
    {
        JsonStoreRecord broken = record(QStringLiteral("profile"), QStringLiteral("true"));
        broken.columns = QStringLiteral(R"({"icon":"","name":"D","preferred":false,"showName":true})");
        broken.data = QStringLiteral("{\"widgetConfigList\":[");
        QVERIFY(m_db->insert(broken).isOk());
        const auto storedRow = [&]() -> QString {
            const auto row = *m_db->findById(broken.id).data;
            return row->columns + row->data + row->k1 + QString::number(row->sort_id);
        };
        const QString before = storedRow();
        QVERIFY(m_profiles->accessor->findAll(true).isOk());
        const auto created = std::make_shared<ProjectProfileUseCase>(m_db);
        QVERIFY(created->createProfile(QStringLiteral("Second"), QString()).isOk());
        QVERIFY(created->createProfile(QStringLiteral("Third"), QString()).isOk());
        auto all = *created->accessor->findAll(true).data;
        QCOMPARE(names(all), QStringList({"Second", "Third"}));
        QVERIFY(!all[0]->isDefault && !all[1]->isDefault && all[0]->preferred && !all[1]->preferred);
        all[1]->preferred = true;
        all[1]->name = QStringLiteral("Third*");
        QVERIFY(created->updateProfile(*all[1], nullptr).isOk());
        QCOMPARE(*created->removeAll([](const ProjectDbProfileBean& b) { return !b.isDefault; }).data, 2);
        QCOMPARE(storedRow(), before);
        // Replacing it is the user's choice, and stores the new profile whole.
        ProjectDbProfileBean replacement;
        replacement.id = broken.id;
        replacement.k1 = QStringLiteral("true");
        replacement.isDefault = true;
        replacement.name = QStringLiteral("D2");
        QVERIFY(created->insertOrUpdate(replacement).isOk());
        QCOMPARE((*created->accessor->findById(broken.id).data)->name, QStringLiteral("D2"));
    }

    // Cut anywhere after its header, a project is refused and left as it was: inside its last
    // page SQLite itself would read the missing bytes as zeros.
    void aCutProjectIsRefusedAndLeftAsItWas()
    {
        const QByteArray whole = fileBytes(makeProject("whole.ovpf", 60));
        constexpr int kPage = 4096;
        QVERIFY(whole.size() % kPage == 0 && whole.size() >= 10 * kPage);
        QList<int> cuts;
        for (int step = 1; step < kPage / 512; ++step)
            cuts << int(whole.size()) - step * 512;
        for (int boundary = kPage; boundary < whole.size(); boundary += kPage)
            cuts << boundary;
        cuts << int(whole.size()) - 1;
        for (int cut : cuts) {
            const QString file = path("cut.ovpf");
            QVERIFY(Test::writeFileBytes(file, whole.left(cut)));
            ProjectDatabase db;
            const BaseResult<void> result = db.open(file, false, kConn);
            QVERIFY2(result.code() == 2000 && result.message.contains(QLatin1String("damaged")),
                     qPrintable(QStringLiteral("cut at %1: %2").arg(cut).arg(result.message)));
            QVERIFY(!db.isOpen());
            QCOMPARE(fileBytes(file), whole.left(cut));
            QVERIFY(!QFile::exists(file + QStringLiteral("-journal")));
        }
        QVERIFY(Test::writeFileBytes(path("cut.ovpf"), whole));
        QVERIFY(ProjectDatabase().open(path("cut.ovpf"), false, kConn).isOk());

        // Cut inside its last page when that page holds the overflow of a stored picture, which
        // the page walk does not read: the size the header announces tells.
        {
            ProjectDatabase db;
            QVERIFY(db.open(path("picture.ovpf"), true, kConn).isOk());
            JsonStoreRecord owner = record(QStringLiteral("profile"));
            QVERIFY(db.insert(owner).isOk());
            QVERIFY(db.saveFile(owner.id, QStringLiteral("picture"), QByteArray(20000, 'p')).isOk());
        }
        const QByteArray pictured = fileBytes(path("picture.ovpf"));
        QVERIFY(Test::writeFileBytes(path("picture.ovpf"), pictured.left(pictured.size() - 1000)));
        const BaseResult<void> cut = ProjectDatabase().open(path("picture.ovpf"), false, kConn);
        QVERIFY2(cut.code() == 2000 && cut.message.contains(QLatin1String("damaged")), qPrintable(cut.message));
    }

    // Reads share a read transaction until the event loop runs; a write ends it first, so what
    // is stored is committed at once and seen by another connection straight away.
    void writesAfterReadsAreCommittedAtOnce()
    {
        const QString file = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".ovpf");
        QCOMPARE(*m_db->count(QStringLiteral("profile")).data, 0);
        QVERIFY(m_db->loadProperty(QStringLiteral("p")).isOk());
        QVERIFY(m_db->saveProperty(QStringLiteral("p"), QStringLiteral("v1")).isOk());
        QList<QVariantList> rows;
        QVERIFY(Test::ProjectRawSqlite(file).run(
            QStringLiteral("SELECT property_value FROM property_store WHERE property_name = 'p'"), {}, &rows));
        QCOMPARE(rows.value(0).value(0).toString(), QStringLiteral("v1"));
        // Another program's write lands once the pass is over, and the next read sees it.
        QCOMPARE(*m_db->loadProperty(QStringLiteral("p")).data, QStringLiteral("v1"));
        QCoreApplication::processEvents();
        QVERIFY(Test::ProjectRawSqlite(file).exec(
            QStringLiteral("UPDATE property_store SET property_value = 'v2' WHERE property_name = 'p';")));
        QCOMPARE(*m_db->loadProperty(QStringLiteral("p")).data, QStringLiteral("v2"));
    }

    // Every commit reaches the disk before it is reported: a weaker setting of the connection
    // (no journal, or fewer syncs) fails here even though a killed process would not show it.
    void commitsAreDurable()
    {
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("sql_cn_default"), false));
        QVERIFY(query.exec(QStringLiteral("PRAGMA journal_mode")) && query.next());
        const QString journal = query.value(0).toString().toLower();
        QVERIFY(query.exec(QStringLiteral("PRAGMA synchronous")) && query.next());
        const int synchronous = query.value(0).toInt(); // 0 off, 1 normal, 2 full, 3 extra
        const bool rollback = journal == "delete" || journal == "truncate" || journal == "persist";
        QVERIFY2((rollback && synchronous >= 2) || (journal == "wal" && synchronous >= 1),
                 qPrintable(QStringLiteral("journal_mode %1, synchronous %2").arg(journal).arg(synchronous)));
    }

    void aProjectWrittenByAnotherProgramReadsBack()
    {
        const QString file = m_dir.filePath(QStringLiteral("other.ovpf"));
        {
            Test::ProjectRawSqlite raw(file);
            QVERIFY(raw.exec(QStringLiteral(
                "CREATE TABLE json_store (id INTEGER PRIMARY KEY AUTOINCREMENT, type TEXT NOT NULL, k1 TEXT, k2 TEXT, "
                "k3 TEXT, k4 TEXT, columns TEXT, data TEXT, sort_id INTEGER DEFAULT 0, "
                "created_at INTEGER NOT NULL DEFAULT (strftime('%s','now')), "
                "updated_at INTEGER NOT NULL DEFAULT (strftime('%s','now')));"
                "CREATE TABLE file_store (owner_id INTEGER, file_name TEXT NOT NULL, data BLOB, "
                "created_at INTEGER NOT NULL DEFAULT (strftime('%s','now')), "
                "updated_at INTEGER NOT NULL DEFAULT (strftime('%s','now')), PRIMARY KEY (owner_id, file_name), "
                "FOREIGN KEY(owner_id) REFERENCES json_store(id) ON DELETE CASCADE);")));
            const QString insert = QStringLiteral("INSERT INTO json_store (id, type, k1, k2, columns, data, sort_id, "
                                                  "created_at, updated_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
            QVERIFY2(raw.run(insert, {qlonglong(4), QStringLiteral("profileKsWidget"), qlonglong(9), QVariant(),
                                      QStringLiteral(R"({"widgetType":"clock","uid":"u","name":"Clock"})"),
                                      QByteArray(R"({"deploymentData":{"k":"v"}})"), qlonglong(2),
                                      qlonglong(1600000000), qlonglong(1700000000)}),
                     qPrintable(raw.lastError()));
            QVERIFY(raw.run(insert, {qlonglong(8), QStringLiteral("mate"), QVariant(), QVariant(),
                                     QStringLiteral(R"({"create_app_version_name":"V1.0.0",)"
                                                    R"("create_app_version_code":1,"project_data_format_version":2})"),
                                     QVariant(), QVariant(), qlonglong(1), qlonglong(1)}));
            QVERIFY(raw.run(QStringLiteral("INSERT INTO file_store (owner_id, file_name, data) VALUES (4, ?, ?)"),
                            {QStringLiteral("widget_icon"), QByteArray("\x89PNG\0bytes", 10)}));
        }
        ProjectDatabase db;
        QVERIFY(db.open(file, false, QStringLiteral("sql_cn_other")).isOk());
        auto shared = std::shared_ptr<ProjectDatabase>(&db, [](ProjectDatabase*) {});
        const auto card = ProjectDbKsWidgetAccessor(shared, QStringLiteral("profileKsWidget")).findById(4);
        QVERIFY2(card.isOk() && *card.data, qPrintable(card.message));
        const auto& c = **card.data;
        QVERIFY(c.profileId == 9 && c.k1 == "9" && c.widgetType == "clock" && c.name == "Clock" && c.sortId == 2);
        QVERIFY(c.data["deploymentData"]["k"] == "v");
        const auto record = *db.findById(4).data;
        QCOMPARE(record->created_at.time_since_epoch().count(), int64_t(1600000000) * 10000000);
        QCOMPARE(record->updated_at.time_since_epoch().count(), int64_t(1700000000) * 10000000);
        const auto meta = ProjectDbMetaAccessor(shared, QStringLiteral("mate")).findFirst();
        QVERIFY(meta.isOk() && (*meta.data)->sortId == 0 && (*meta.data)->data.empty());
        QCOMPARE(*db.loadFile(4, QStringLiteral("widget_icon")).data, QByteArray("\x89PNG\0bytes", 10));
    }
};

QTEST_GUILESS_MAIN(TestProjectStorage)
#include "tst_ProjectStorage.moc"
