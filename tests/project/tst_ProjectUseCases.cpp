#include "core/ZlibUtils.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectIntegrationUseCase.h"
#include "project/ProjectMetaUseCase.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectPluginUseCase.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "support/ProjectTestUtils.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace OV;
using json = nlohmann::json;

namespace {

ProjectDbHostBean host(const char* sn, const char* token)
{
    ProjectDbHostBean bean;
    bean.connType = QStringLiteral("tcp");
    bean.ip = QStringLiteral("127.0.0.1");
    bean.port = 9443;
    bean.sn = QString::fromLatin1(sn);
    bean.token = QString::fromLatin1(token);
    return bean;
}

std::shared_ptr<ProjectDbModuleBean> module(const QString& sn, uint64_t productId = 0x10000001)
{
    auto bean = std::make_shared<ProjectDbModuleBean>();
    bean->gatewayType = QStringLiteral("can");
    bean->productId = productId;
    bean->name = sn;
    bean->sn = sn;
    return bean;
}

QPixmap filled(Qt::GlobalColor color)
{
    QPixmap pixmap(4, 4);
    pixmap.fill(color);
    return pixmap;
}

} // namespace

class TestProjectUseCases : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::shared_ptr<ProjectDatabase> m_db;

    std::vector<QString> fileNames(int64_t owner)
    {
        auto names = m_db->findAllFileName(owner);
        std::vector<QString> list = names.data.value_or(std::vector<QString>());
        std::sort(list.begin(), list.end());
        return list;
    }

    void saveFiles(int64_t owner, const QStringList& names)
    {
        for (const QString& name : names)
            QVERIFY(m_db->saveFile(owner, name, name.toUtf8()).isOk());
    }

    std::shared_ptr<ProjectDbModuleBean> storedModule(int64_t id)
    {
        ProjectDbModuleAccessor accessor(m_db, QStringLiteral("module"));
        auto found = accessor.findById(id);
        return found.data.value_or(nullptr);
    }

    // A plug-in package holding the given files; the path of the archive.
    QString package(const QString& name, const std::map<QString, QByteArray>& files)
    {
        const QString source = m_dir.filePath(name + QStringLiteral("-src"));
        QDir().mkpath(source);
        for (const auto& [file, bytes] : files)
            Test::writeFileBytes(source + QLatin1Char('/') + file, bytes);
        const QString zip = m_dir.filePath(name + QStringLiteral(".zip"));
        return ZlibUtils::packToZip(source, zip, ZlibUtils::DirectoryContents, 6) ? zip : QString();
    }

    static ProjectDbPluginBean plugin(const QString& uuid)
    {
        ProjectDbPluginBean bean;
        bean.k1 = uuid;
        bean.k2 = QStringLiteral("0");
        bean.versionCode = 1;
        bean.name = QStringLiteral("Clock");
        return bean;
    }

private slots:
    void init()
    {
        m_db = std::make_shared<ProjectDatabase>();
        QVERIFY(m_db->open(m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".ovpf"), true,
                           QStringLiteral("sql_cn_default"))
                    .isOk());
    }

    void cleanup() { m_db.reset(); }

    void hostIsReplacedInPlaceAndKeepsItsTokenForTheSameHub()
    {
        auto hosts = std::make_shared<ProjectHostUseCase>(m_db);
        ProjectDbHostBean first = host("SN-A", "tok-a");
        QVERIFY(hosts->saveHost(first).isOk());
        QVERIFY(first.id >= 0);

        const auto save = [&](const char* sn, const char* token) {
            ProjectDbHostBean bean = host(sn, token);
            const auto result = hosts->saveHost(bean);
            QVERIFY2(result.isOk(), qPrintable(result.message));
            QCOMPARE(bean.id, int64_t(-1)); // a replaced record leaves the given bean's id alone
            auto all = hosts->accessor->findAll(false);
            QCOMPARE(all.data->size(), size_t(1));
            QCOMPARE(all.data->front()->id, first.id);
        };
        const auto storedToken = [&]() { return (*hosts->accessor->findFirst().data)->token; };

        save("SN-A", "");
        QCOMPARE(storedToken(), QStringLiteral("tok-a"));
        save("SN-A", "tok-new");
        QCOMPARE(storedToken(), QStringLiteral("tok-new"));
        save("SN-B", "");
        QCOMPARE(storedToken(), QString());
        QCOMPARE((*hosts->accessor->findFirst().data)->sn, QStringLiteral("SN-B"));
    }

    void metaAndWeatherKeepOneRecord()
    {
        auto metas = std::make_shared<ProjectMetaUseCase>(m_db);
        ProjectDbMetaBean meta;
        QVERIFY(metas->saveMeta(meta).isOk());
        ProjectDbMetaBean newer;
        newer.project_data_format_version = 3;
        QVERIFY(metas->saveMeta(newer).isOk());
        auto all = metas->accessor->findAll(false);
        QCOMPARE(all.data->size(), size_t(1));
        QCOMPARE(all.data->front()->project_data_format_version, 3);

        auto integrations = std::make_shared<ProjectIntegrationUseCase>(m_db);
        ProjectDbIntegrationBean hotkey;
        hotkey.integType = QStringLiteral("hotkey");
        auto refused = integrations->saveAccuWeather(hotkey);
        QCOMPARE(refused.code(), 1001);
        QCOMPARE(refused.message, QStringLiteral("invalid integType:hotkey"));
        QVERIFY(integrations->accessor->findAll(false).data->empty());

        QVERIFY(integrations->insert(hotkey).isOk()); // another kind is not the weather record
        for (int i = 0; i < 2; ++i) {
            ProjectDbIntegrationBean weather;
            weather.integType = QStringLiteral("accuWeather");
            weather.data["key"] = i;
            QVERIFY(integrations->saveAccuWeather(weather).isOk());
        }
        QCOMPARE(integrations->accessor->findAll(false).data->size(), size_t(2));
        auto found = integrations->findAccuWeather();
        QVERIFY(found.isOk() && *found.data);
        QVERIFY((*found.data)->data["key"] == json(1));
    }

    void duplicateModuleStoresNone()
    {
        auto modules = std::make_shared<ProjectModuleUseCase>(m_db);
        ProjectModuleUseCase::BeanList first{module("A"), module("B", 0x10000003)};
        QVERIFY(modules->addModules(first).isOk());

        ProjectModuleUseCase::BeanList clash{module("C"), module("B")};
        QCOMPARE(modules->addModules(clash).code(), 5050);
        QCOMPARE(modules->accessor->findAll(false).data->size(), size_t(2));
        QCOMPARE(clash[0]->id, int64_t(-1));

        // New modules are compared with stored ones only.
        ProjectModuleUseCase::BeanList twins{module("D"), module("D")};
        QVERIFY(modules->addModules(twins).isOk());
        QCOMPARE(modules->accessor->findAll(false).data->size(), size_t(4));

        auto cubes = modules->findByProductId(0x10000003);
        QCOMPARE(cubes.data->size(), size_t(1));
        QCOMPARE(cubes.data->front()->sn, QStringLiteral("B"));
        QVERIFY(modules->findByProductId(0x10000005).data->empty());

        QCOMPARE(modules->updateConfig(*cubes.data->front(), {}).code(), 1001);
        auto knob = first[0];
        knob->data["profiles"] = {{"profile_1", {{"deployConfig", {1}}}}};
        QVERIFY(modules->updateConfig(*knob, {{QStringLiteral("profile/profile_1/x"), filled(Qt::red)}}).isOk());
        QVERIFY(storedModule(knob->id)->data == knob->data);
        QCOMPARE(fileNames(knob->id), std::vector<QString>{QStringLiteral("profile/profile_1/x")});
    }

    void pelloraSaveDropsImagesOfRemovedWidgets()
    {
        auto modules = std::make_shared<ProjectModuleUseCase>(m_db);
        auto cube = module("CUBE", 0x10000003);
        cube->data["netConfig"] = {{"ssid", "home"}, {"password", "pw"}};
        cube->data["dataConfig"]["layers"] = json::array(
            {{{"id", 1}, {"default", true}, {"widgets", {{{"id", 1}, {"type", 1}}, {{"id", 2}, {"type", 1}}}}},
             {{"id", 2}, {"default", false}}});
        QVERIFY(modules->insert(*cube).isOk());
        const QStringList kept{QStringLiteral("widget/1/rawIcon"), QStringLiteral("profile/profile_1/widget/2/icon"),
                               QStringLiteral("notes.txt"), QStringLiteral("widget/x/rawIcon"),
                               QStringLiteral("profile/profile_1/widget/40")};
        const QStringList stale{QStringLiteral("widget/4/rawIcon"), QStringLiteral("widget/4/pressedIcon"),
                                QStringLiteral("profile/profile_1/widget/4/icon"),
                                QStringLiteral("widget/99999999999999999999/rawIcon")};
        saveFiles(cube->id, kept + stale);
        const auto before = fileNames(cube->id);

        // A bad image name or a malformed layer changes nothing, in the record or the bean.
        const json given = cube->data;
        auto badName = modules->updatePelloraConfig(*cube, {{QStringLiteral("icon.png"), filled(Qt::red)}});
        QCOMPARE(badName.code(), 1002);
        QCOMPARE(badName.message, QStringLiteral("invalid image name format:icon.png"));
        auto noSlash = modules->updatePelloraConfig(*cube, {{QStringLiteral("profile/p/widget/7"), filled(Qt::red)}});
        QCOMPARE(noSlash.code(), 1000);
        QCOMPARE(noSlash.message, QStringLiteral("regexWidgetId error"));
        cube->data["dataConfig"]["layers"][1]["widgets"] = json::array({{{"type", 1}}});
        QCOMPARE(modules->updatePelloraConfig(*cube, {}).code(), 1000);
        QCOMPARE(fileNames(cube->id), before);
        QVERIFY(storedModule(cube->id)->extraConfig.is_null());
        cube->data = given;

        const QString added = QStringLiteral("widget/2/pressedIcon");
        auto saved = modules->updatePelloraConfig(*cube, {{added, filled(Qt::blue)}});
        QVERIFY2(saved.isOk(), qPrintable(saved.message));
        auto expected = std::vector<QString>(kept.begin(), kept.end());
        expected.push_back(added);
        std::sort(expected.begin(), expected.end());
        QCOMPARE(fileNames(cube->id), expected);
        QPixmap stored;
        QVERIFY(stored.loadFromData(*m_db->loadFile(cube->id, added).data, "PNG"));
        QCOMPARE(stored.toImage().pixelColor(0, 0), QColor(Qt::blue));

        const auto record = storedModule(cube->id);
        QCOMPARE(
            record->extraConfig.dump(),
            std::string(R"({"dataConfig":{"defaultLayer":1,"layers":[{"id":1,"items":[{"id":1,"type":1},)"
                        R"({"id":2,"type":1}]},{"id":2,"items":[]}]},"netConfig":{"password":"pw","ssid":"home"}})"));
        QVERIFY(record->extraConfig == cube->extraConfig);
    }

    void pelloraSaveMakesSureOfTheLayerPath()
    {
        auto modules = std::make_shared<ProjectModuleUseCase>(m_db);
        auto cube = module("CUBE", 0x10000003);
        cube->data["dataConfig"] = "damaged";
        QVERIFY(modules->insert(*cube).isOk());
        saveFiles(cube->id, {QStringLiteral("widget/3/rawIcon")});
        QVERIFY(modules->updatePelloraConfig(*cube, {}).isOk());
        QVERIFY(storedModule(cube->id)->data["dataConfig"] == json({{"layers", json::array()}}));
        QVERIFY(fileNames(cube->id).empty());
        QCOMPARE(modules->updatePelloraConfig(*module("KNOB"), {}).code(), 1001);
    }

    void firstProfileIsDefaultAndPreferred()
    {
        auto profiles = std::make_shared<ProjectProfileUseCase>(m_db);
        QVERIFY(profiles->createProfile(QStringLiteral("One"), QString()).isOk());
        QVERIFY(profiles->createProfile(QStringLiteral("Two"), QStringLiteral("icon")).isOk());
        auto all = *profiles->accessor->findAll(false).data;
        QCOMPARE(all.size(), size_t(2));
        QVERIFY(all[0]->isDefault && all[0]->preferred && all[0]->k1 == QStringLiteral("true"));
        QVERIFY(!all[1]->isDefault && !all[1]->preferred && all[1]->k1.isEmpty());
        QCOMPARE(all[1]->icon, QStringLiteral("icon"));
        QCOMPARE(ProjectProfileUseCase::profileKey(*all[1]), QStringLiteral("profile_") + QString::number(all[1]->id));
    }

    void exactlyOnePreferredAfterAnySequenceOfUpdates()
    {
        auto profiles = std::make_shared<ProjectProfileUseCase>(m_db);
        for (int i = 0; i < 4; ++i)
            QVERIFY(profiles->createProfile(QStringLiteral("P%1").arg(i), QString()).isOk());
        // A file written elsewhere with a second preferred profile.
        auto extra = std::make_shared<ProjectDbProfileBean>();
        extra->name = QStringLiteral("Extra");
        extra->preferred = true;
        QVERIFY(profiles->insert(*extra).isOk());

        const auto preferredIds = [&]() {
            std::vector<int64_t> ids;
            const auto all = profiles->accessor->findAll(false);
            for (const auto& bean : *all.data) {
                if (bean->preferred)
                    ids.push_back(bean->id);
            }
            return ids;
        };
        QRandomGenerator random(7);
        const auto all = *profiles->accessor->findAll(false).data;
        for (int step = 0; step < 60; ++step) {
            auto bean = *profiles->accessor->findById(all[random.bounded(int(all.size()))]->id).data;
            bean->name = QStringLiteral("Name %1").arg(step);
            if (random.bounded(2) == 0)
                bean->preferred = true;
            QPixmap icon = filled(Qt::green);
            const auto result = profiles->updateProfile(*bean, step % 5 == 0 ? &icon : nullptr);
            QVERIFY2(result.isOk(), qPrintable(result.message));
            if (bean->preferred)
                QCOMPARE(preferredIds(), std::vector<int64_t>{bean->id});
        }
        QCOMPARE(preferredIds().size(), size_t(1));

        // Clearing the flag of the preferred profile leaves none.
        auto preferred = *profiles->findPreferred().data;
        preferred->preferred = false;
        QVERIFY(profiles->updateProfile(*preferred, nullptr).isOk());
        QVERIFY(preferredIds().empty());

        ProjectDbProfileBean missing;
        missing.id = 999;
        missing.name = QStringLiteral("Ghost");
        missing.preferred = true;
        QCOMPARE(profiles->updateProfile(missing, nullptr).code(), 2006);
        QVERIFY(!*profiles->accessor->findById(999).data);
    }

    void removingAProfileClearsWhatBelongsToIt()
    {
        auto profiles = std::make_shared<ProjectProfileUseCase>(m_db);
        auto cards = std::make_shared<ProjectProfileKsWidgetUseCase>(m_db);
        auto modules = std::make_shared<ProjectModuleUseCase>(m_db);
        QVERIFY(profiles->createProfile(QStringLiteral("Default Profile"), QString()).isOk());
        for (int64_t id : {12, 13, 123}) {
            ProjectDbProfileBean bean;
            bean.id = id;
            bean.name = QStringLiteral("P%1").arg(id);
            QVERIFY(profiles->insertOrUpdate(bean).isOk());
            QPixmap icon = filled(Qt::yellow);
            QVERIFY(profiles->updateProfile(bean, &icon).isOk());
            for (int i = 0; i < 2; ++i) {
                ProjectDbProfileKsWidgetBean card;
                card.profileId = id;
                card.k1 = QString::number(id);
                card.widgetType = QStringLiteral("clock");
                card.uid = QStringLiteral("u%1-%2").arg(id).arg(i);
                QVERIFY(cards->insertOrUpdateWidget(card, &icon).isOk());
                QVERIFY(!cards->loadIconFile(card).isNull());
            }
        }
        auto knob = module("KNOB");
        knob->data["profiles"] = {{"profile_12", {{"deployConfig", {1}}}},
                                  {"profile_13", {{"deployConfig", {2}}}},
                                  {"profile_123", {{"deployConfig", {3}}}}};
        auto cube = module("CUBE", 0x10000003); // no member for profile 12: left alone
        ProjectModuleUseCase::BeanList list{knob, cube};
        QVERIFY(modules->addModules(list).isOk());
        saveFiles(knob->id, {QStringLiteral("profile/profile_12/widget/1/a"), QStringLiteral("profile/profile_12/b"),
                             QStringLiteral("profile/profile_13/c"), QStringLiteral("profile/profile_123/d")});
        saveFiles(cube->id, {QStringLiteral("profile/profile_12/e")});

        // A failure half-way undoes every step.
        JsonStoreRecord broken;
        broken.type = QStringLiteral("module");
        broken.columns = QStringLiteral("not json");
        QVERIFY(m_db->insert(broken).isOk());
        QCOMPARE(profiles->removeProfileAndClearAssociated(12).code(), 1000);
        QVERIFY(*profiles->accessor->findById(12).data);
        QVERIFY(m_db->loadFile(12, QStringLiteral("profile_icon")).isOk());
        QCOMPARE(fileNames(knob->id).size(), size_t(4));
        QVERIFY(m_db->remove(broken.id).isOk());

        QVERIFY(profiles->removeProfileAndClearAssociated(12).isOk());
        QVERIFY(!*profiles->accessor->findById(12).data);
        QCOMPARE(m_db->loadFile(12, QStringLiteral("profile_icon")).code(), 2003);
        QVERIFY(storedModule(knob->id)->data["profiles"] ==
                json({{"profile_13", {{"deployConfig", {2}}}}, {"profile_123", {{"deployConfig", {3}}}}}));
        QCOMPARE(fileNames(knob->id), (std::vector<QString>{QStringLiteral("profile/profile_123/d"),
                                                            QStringLiteral("profile/profile_13/c")}));
        QCOMPARE(fileNames(cube->id), std::vector<QString>{QStringLiteral("profile/profile_12/e")});
        const auto remainingCards = *cards->accessor->findAll(false).data;
        QCOMPARE(remainingCards.size(), size_t(4));
        for (const auto& card : remainingCards)
            QVERIFY(card->k1 == QStringLiteral("13") || card->k1 == QStringLiteral("123"));
        QVERIFY(m_db->loadFile(13, QStringLiteral("profile_icon")).isOk());

        QVERIFY(profiles->removeProfileAndClearAssociated(4242).isOk());
        const auto defaultProfile = *profiles->findFirst(QStringLiteral("true")).data;
        auto refused = profiles->removeProfileAndClearAssociated(defaultProfile->id);
        QCOMPARE(refused.code(), 2002);
        QCOMPARE(refused.message, QStringLiteral("The default profile cannot be deleted"));
        QVERIFY(*profiles->accessor->findById(defaultProfile->id).data);
    }

    void pluginInstallIsAllOrNothing()
    {
        const QString pluginDir = m_dir.filePath(QStringLiteral("plugin"));
        QVERIFY(QDir().mkpath(pluginDir + QStringLiteral("/u-1/unpacked")));
        auto plugins = std::make_shared<ProjectPluginUseCase>(m_db, pluginDir);
        const QString v1 = package(QStringLiteral("v1"), {{QStringLiteral("config.json"), R"({"button":[1]})"}});
        const QString v2 = package(QStringLiteral("v2"), {{QStringLiteral("config.json"), R"({"button":[2]})"}});
        QVERIFY(!v1.isEmpty() && !v2.isEmpty());

        ProjectDbPluginBean first = plugin(QStringLiteral("u-1"));
        QVERIFY(plugins->saveOrUpdate(first, filled(Qt::red), v1).isOk());
        QVERIFY(!QFileInfo::exists(pluginDir + QStringLiteral("/u-1")));
        ProjectDbPluginBean again = plugin(QStringLiteral("u-1"));
        QVERIFY(plugins->saveOrUpdate(again, filled(Qt::blue), v2).isOk());
        QCOMPARE(again.id, first.id);
        const auto all = plugins->accessor->findAll(true);
        QCOMPARE(all.data->size(), size_t(1));
        QVERIFY(all.data->front()->data == json({{"button", {2}}}));
        QCOMPARE(*m_db->loadFile(first.id, QStringLiteral("pack")).data, Test::fileBytes(v2));
        QPixmap icon;
        QVERIFY(icon.loadFromData(*m_db->loadFile(first.id, QStringLiteral("icon")).data, "PNG"));
        QCOMPARE(icon.toImage().pixelColor(0, 0), QColor(Qt::blue));

        const auto refused = [&](const QString& uuid, const QString& path) {
            ProjectDbPluginBean bean = plugin(uuid);
            const auto result = plugins->saveOrUpdate(bean, filled(Qt::red), path);
            [&]() {
                QCOMPARE(bean.id, int64_t(-1));
                QVERIFY(bean.data == json::object());
            }();
            return result;
        };
        auto noConfig =
            refused(QStringLiteral("u-2"), package(QStringLiteral("bare"), {{QStringLiteral("a.txt"), "a"}}));
        QCOMPARE(noConfig.code(), 3002);
        QCOMPARE(noConfig.message, QStringLiteral("Read plugin config.json error"));
        QCOMPARE(
            refused(QStringLiteral("u-2"), package(QStringLiteral("list"), {{QStringLiteral("config.json"), "[1]"}}))
                .code(),
            1000);
        QCOMPARE(refused(QStringLiteral("u-2"), m_dir.filePath(QStringLiteral("missing.zip"))).code(), 3001);
        // Every failure left no trace: one record, and files only for it.
        QCOMPARE(plugins->accessor->findAll(false).data->size(), size_t(1));
        QCOMPARE(fileNames(first.id + 1), std::vector<QString>());

        // A uuid that is not one path component never reaches the file system.
        QVERIFY(Test::writeFileBytes(m_dir.filePath(QStringLiteral("sentinel")), "x"));
        for (const char* uuid : {"", "..", "/", "\\", "a/b"})
            QCOMPARE(refused(QString::fromLatin1(uuid), v1).code(), 1002);
        QVERIFY(QFileInfo::exists(m_dir.filePath(QStringLiteral("sentinel"))));

        ProjectDbPluginBean action = plugin(QStringLiteral("u-3"));
        action.k2 = QStringLiteral("1");
        QVERIFY(plugins->saveOrUpdate(action, filled(Qt::red), v1).isOk());
        const auto widgets = plugins->findWidgetPlugins();
        QCOMPARE(widgets.data->size(), size_t(1));
        QCOMPARE(widgets.data->front()->k1, QStringLiteral("u-1"));
    }

    void cardIconNeedsAStoredCard()
    {
        auto cards = std::make_shared<ProjectProfileKsWidgetUseCase>(m_db);
        ProjectDbProfileKsWidgetBean card;
        card.id = 77;
        card.k1 = QStringLiteral("1");
        card.widgetType = QStringLiteral("clock");
        card.uid = QStringLiteral("u1");
        QPixmap icon = filled(Qt::red);
        QCOMPARE(cards->saveWidgetIcon(card, &icon).code(), 2006);
        QVERIFY(cards->loadIconFile(card).isNull());
        QVERIFY(cards->insertOrUpdateWidget(card, nullptr).isOk());
        QCOMPARE(card.id, int64_t(77));
        QCOMPARE(m_db->loadFile(77, QStringLiteral("widget_icon")).code(), 2003);
    }
};

QTEST_MAIN(TestProjectUseCases)
#include "tst_ProjectUseCases.moc"
