#include "project/ProjectDbAccessors.h"
#include "project/ProjectUseCase.h"
#include "support/ProjectRawSqlite.h"
#include "support/ProjectTestUtils.h"

#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using namespace OV;
using json = nlohmann::json;

namespace {

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
    QCOMPARE(stored->data, bean->toRecord()->data);
}

} // namespace

class TestProjectAccessor : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::shared_ptr<ProjectDatabase> m_db;
    std::shared_ptr<ProfileUseCase> m_profiles;

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
        QCOMPARE((*found.data)->name, QStringLiteral("b"));
        QVERIFY((*found.data)->data["note"] == "b");
        QCOMPARE(names(*acc.findAll([](const ProjectDbProfileBean& b) { return b.name != "b"; }, false).data),
                 QStringList({"a", "c"}));
        QVERIFY(!*acc.findFirst([](const ProjectDbProfileBean&) { return false; }).data);

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

        QCOMPARE(*m_profiles->removeAll([](const ProjectDbProfileBean& b) { return b.data.contains("note"); }).data, 0);
        QCOMPARE(*m_profiles->removeAll([](const ProjectDbProfileBean& b) { return b.name != "b"; }).data, 2);
        QCOMPARE(names(*acc.findAll(true).data), QStringList({"b"}));
    }

    void failedListChangesRollBackAndRestoreIds()
    {
        auto& acc = *m_profiles->accessor;
        std::vector<std::shared_ptr<ProjectDbProfileBean>> none;
        QVERIFY(m_profiles->insertAll(none).isOk());
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
        QCOMPARE(beans[0]->id, int64_t(-1));
        QCOMPARE(beans[2]->id, other->id);
        QVERIFY(m_profiles->insertOrUpdate(*beans[0]).isOk());
        QVERIFY(beans[0]->id != other->id);
        QCOMPARE((*acc.findById(other->id).data)->name, QStringLiteral("other"));

        std::vector<std::shared_ptr<ProjectDbProfileBean>> mixed{profile("new"), other};
        other->name = QString();
        QCOMPARE(m_profiles->insertOrUpdateAll(mixed).code(), 1000);
        QCOMPARE(mixed[0]->id, int64_t(-1));

        // A filtered removal that fails part-way removes nothing.
        int seen = 0;
        const auto removal = m_profiles->removeAll([&](const ProjectDbProfileBean&) -> bool {
            if (++seen == 2)
                throw std::runtime_error("filter broke");
            return true;
        });
        QVERIFY(removal.code() == 1000 && removal.message == "filter broke");
        QCOMPARE(*m_db->count(QStringLiteral("profile")).data, 2);
    }

    void useCaseOperations()
    {
        auto bean = profile(QStringLiteral("p"));
        QVERIFY(m_profiles->insertOrUpdate(*bean).isOk());
        const int64_t id = bean->id;
        bean->name = QStringLiteral("renamed");
        QVERIFY(m_profiles->insertOrUpdate(*bean).isOk());
        QCOMPARE(bean->id, id);

        // Reads of damaged or foreign rows fail with the parser's text; nothing else is affected.
        QVERIFY(m_db->saveFile(id, QStringLiteral("profile_icon"), "png").isOk());
        JsonStoreRecord broken;
        broken.type = QStringLiteral("profile");
        broken.columns = QStringLiteral("{\"name\":");
        QVERIFY(m_db->insert(broken).isOk());
        const auto all = m_profiles->accessor->findAll(true);
        QCOMPARE(all.code(), 1000);
        QVERIFY(all.message.contains(QLatin1String("parse error")));
        QVERIFY(*m_profiles->accessor->findById(id).data);
        QVERIFY(m_db->remove(broken.id).isOk());
        PluginUseCase plugins(m_db);
        const auto foreign = plugins.accessor->findById(id);
        QCOMPARE(foreign.code(), 1000);
        QCOMPARE(foreign.message, QStringLiteral("ProjectDbBean-checkRecordType, plugin expect, but got profile"));

        // Transactions: a failing body leaves nothing; a nested list operation is refused.
        const auto refused = m_profiles->transaction([&]() {
            m_profiles->insert(*profile(QStringLiteral("lost")));
            return BaseResult<void>(Errors::Logic);
        });
        QCOMPARE(refused.code(), 1001);
        const auto nested = m_profiles->transaction([&]() {
            m_profiles->insert(*profile(QStringLiteral("lost")));
            std::vector<std::shared_ptr<ProjectDbProfileBean>> list{profile(QStringLiteral("lost"))};
            return m_profiles->insertAll(list);
        });
        QCOMPARE(nested.code(), 2002);
        const auto threw = m_profiles->transaction([&]() -> BaseResult<void> { throw std::logic_error("nope"); });
        QVERIFY(threw.code() == 1000 && threw.message == "nope");
        QCOMPARE(*m_db->count(QStringLiteral("profile")).data, 1);

        bean->k1 = QStringLiteral("true");
        QVERIFY(m_profiles->update(*bean).isOk());
        QVERIFY(*m_profiles->exists(QStringLiteral("true")).data);
        QCOMPARE((*m_profiles->findFirst(QStringLiteral("true")).data)->id, id);
        QCOMPARE(*m_profiles->removeAll(JsonStoreKeys()).data, 1);
        QCOMPARE(m_db->loadFile(id, QStringLiteral("profile_icon")).code(), 2003); // removed with its record
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

QTEST_GUILESS_MAIN(TestProjectAccessor)
#include "tst_ProjectAccessor.moc"
