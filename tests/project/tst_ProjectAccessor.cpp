#include "project/ProjectDbAccessors.h"
#include "project/ProjectUseCase.h"
#include "support/ProjectRawSqlite.h"

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

// Stores a bean of any kind and checks that it reads back field for field.
template <typename Bean, typename Check>
void roundTrip(const std::shared_ptr<ProjectDatabase>& db, Bean bean, Check check)
{
    ProjectDbBaseAccessor<Bean> accessor(db, QString::fromLatin1(Bean::kRecordType));
    bean.sortId = 5;
    bean.data["deep"] = {{"list", {1, "two", nullptr}}};
    const BaseResult<void> inserted = accessor.insert(bean);
    QVERIFY2(inserted.isOk(), qPrintable(inserted.message));
    const auto found = accessor.findById(bean.id);
    QVERIFY2(found.isOk() && *found.data, qPrintable(found.message));
    const Bean& read = **found.data;
    QCOMPARE(read.type, QString::fromLatin1(Bean::kRecordType));
    QCOMPARE(read.sortId, int64_t(5));
    QCOMPARE(read.k1, bean.k1);
    QCOMPARE(read.k2, bean.k2);
    QVERIFY(read.data == bean.data);
    check(read);
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
        ProjectDbHostBean host;
        host.connType = QStringLiteral("tcp");
        host.name = QStringLiteral("Hub «1»");
        host.ip = QStringLiteral("10.0.0.2");
        host.port = 9443;
        host.sn = QStringLiteral("SN1");
        host.token = QStringLiteral("tok");
        roundTrip(m_db, host, [](const ProjectDbHostBean& b) {
            QVERIFY(b.connType == "tcp" && b.name == "Hub «1»" && b.ip == "10.0.0.2" && b.port == 9443 &&
                    b.sn == "SN1" && b.token == "tok");
        });
        ProjectDbIntegrationBean integ;
        integ.integType = QStringLiteral("hotkey");
        roundTrip(m_db, integ,
                  [](const ProjectDbIntegrationBean& b) { QCOMPARE(b.integType, QStringLiteral("hotkey")); });
        ProjectDbMetaBean meta;
        meta.create_app_version_name = QStringLiteral("V2.1.0");
        meta.create_app_version_code = 21;
        roundTrip(m_db, meta, [](const ProjectDbMetaBean& b) {
            QVERIFY(b.create_app_version_name == "V2.1.0" && b.create_app_version_code == 21 &&
                    b.project_data_format_version == 2);
        });
        ProjectDbModuleBean module;
        module.gatewayType = QStringLiteral("mesh");
        module.productId = 0x10000003;
        module.name = QStringLiteral("Cube");
        module.sn = QStringLiteral("M1");
        module.netId = 4;
        module.workMode = 2;
        module.setExtraConfig(json::parse(R"([{"a":1}])"));
        roundTrip(m_db, module, [](const ProjectDbModuleBean& b) {
            QVERIFY(b.gatewayType == "mesh" && b.productId == 0x10000003 && b.name == "Cube" && b.sn == "M1" &&
                    b.netId == 4 && b.workMode == 2 && b.extraConfig == json::parse(R"([{"a":1}])"));
        });
        ProjectDbPluginBean plugin;
        plugin.k1 = QStringLiteral("uuid-1");
        plugin.k2 = QStringLiteral("1");
        plugin.pluginType = 1;
        plugin.icon = QStringLiteral("http://i");
        plugin.name = QStringLiteral("P");
        plugin.author = QStringLiteral("A");
        plugin.versionName = QStringLiteral("1.2");
        plugin.versionCode = 12;
        plugin.desc = QStringLiteral("D");
        plugin.official = 1;
        roundTrip(m_db, plugin, [](const ProjectDbPluginBean& b) {
            QVERIFY(b.pluginType == 1 && b.icon == "http://i" && b.name == "P" && b.author == "A" &&
                    b.versionName == "1.2" && b.versionCode == 12 && b.desc == "D" && b.official == 1);
        });
        ProjectDbProfileBean prof = *profile(QStringLiteral("Default"));
        prof.k1 = QStringLiteral("true");
        prof.isDefault = true;
        prof.showName = false;
        prof.icon = QStringLiteral("i.png");
        prof.preferred = true;
        roundTrip(m_db, prof, [](const ProjectDbProfileBean& b) {
            QVERIFY(b.isDefault && b.name == "Default" && !b.showName && b.icon == "i.png" && b.preferred);
        });
        ProjectDbProfileKsWidgetBean card;
        card.k1 = QStringLiteral("3");
        card.profileId = 3;
        card.name = QStringLiteral("Clock");
        card.icon = QStringLiteral("c");
        card.widgetType = QStringLiteral("clock");
        card.uid = QStringLiteral("u1");
        roundTrip(m_db, card, [](const ProjectDbProfileKsWidgetBean& b) {
            QVERIFY(b.profileId == 3 && b.name == "Clock" && b.icon == "c" && b.widgetType == "clock" && b.uid == "u1");
        });
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
        QCOMPARE(failed.code(), 1000);
        QCOMPARE(failed.message, QStringLiteral("profile name is empty"));
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
        QCOMPARE(removal.code(), 1000);
        QCOMPARE(removal.message, QStringLiteral("filter broke"));
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
        QCOMPARE(m_profiles->insert(*bean).code(), 2005);
        auto fixed = profile(QStringLiteral("fixed"));
        fixed->id = 500;
        QVERIFY(m_profiles->insertOrUpdate(*fixed).isOk());
        QCOMPARE(fixed->id, int64_t(500));
        QCOMPARE(*m_profiles->update(*profile(QStringLiteral("nobody"))).data, 0);
        QCOMPARE(*m_profiles->remove(9999).data, 0);

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
        QCOMPARE(threw.code(), 1000);
        QCOMPARE(threw.message, QStringLiteral("nope"));
        QCOMPARE(*m_db->count(QStringLiteral("profile")).data, 2);

        QVERIFY(!*m_profiles->exists(QStringLiteral("nobody")).data);
        bean->k1 = QStringLiteral("true");
        QVERIFY(m_profiles->update(*bean).isOk());
        QVERIFY(*m_profiles->exists(QStringLiteral("true")).data);
        QCOMPARE((*m_profiles->findFirst(QStringLiteral("true")).data)->id, id);
        QCOMPARE(*m_profiles->removeAll(JsonStoreKeys()).data, 2);
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
