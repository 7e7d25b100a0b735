#include "project/ProjectHostUseCase.h"
#include "project/ProjectIntegrationUseCase.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectPluginUseCase.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "support/DeployTestUtils.h"
#include "support/ProjectTestUtils.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace OV;
using json = nlohmann::json;

namespace {

std::shared_ptr<ProjectDbModuleBean> module(const QString& sn, uint64_t productId = 0x10000001)
{
    auto bean = std::make_shared<ProjectDbModuleBean>();
    bean->gatewayType = QStringLiteral("can");
    bean->productId = productId;
    bean->sn = sn;
    return bean;
}

} // namespace

class TestProjectUseCases : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::shared_ptr<ProjectDatabase> m_db;
    QPixmap m_icon{4, 4};

    QStringList fileNames(int64_t owner)
    {
        const auto names = m_db->findAllFileName(owner).data.value_or(std::vector<QString>());
        QStringList list(names.begin(), names.end());
        list.sort();
        return list;
    }

    void saveFiles(int64_t owner, const QStringList& names)
    {
        for (const QString& name : names)
            QVERIFY(m_db->saveFile(owner, name, name.toUtf8()).isOk());
    }

    std::shared_ptr<ProjectDbModuleBean> storedModule(int64_t id)
    {
        return ProjectDbModuleAccessor(m_db, QStringLiteral("module")).findById(id).data.value_or(nullptr);
    }

    // A plug-in package (ZIP) holding the given file.
    QString package(const QString& name, const QString& file, const QByteArray& bytes)
    {
        const QString zip = m_dir.filePath(name + QStringLiteral(".zip"));
        return Test::writeFileBytes(zip, Test::makeZip({{file, bytes}})) ? zip : QString();
    }

private slots:
    void init()
    {
        m_icon.fill(Qt::blue);
        m_db = std::make_shared<ProjectDatabase>();
        QVERIFY(m_db->open(m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".ovpf"), true,
                           QStringLiteral("sql_cn_default"))
                    .isOk());
    }

    void cleanup() { m_db.reset(); }

    void hostIsReplacedInPlaceAndKeepsItsTokenForTheSameHub()
    {
        ProjectHostUseCase hosts(m_db);
        int64_t firstId = -1;
        // The stored token, or what went wrong: one record, always under its first id.
        const auto save = [&](const char* sn, const char* token) -> QString {
            ProjectDbHostBean bean;
            bean.connType = QStringLiteral("usb");
            bean.sn = QString::fromLatin1(sn);
            bean.token = QString::fromLatin1(token);
            if (!hosts.saveHost(bean).isOk())
                return QStringLiteral("<save failed>");
            const auto all = *hosts.accessor->findAll(false).data;
            firstId = firstId < 0 ? bean.id : firstId;
            return all.size() == 1 && all.front()->id == firstId ? all.front()->token : QStringLiteral("<moved>");
        };
        QCOMPARE(save("SN-A", "tok-a"), QStringLiteral("tok-a"));
        QCOMPARE(save("SN-A", ""), QStringLiteral("tok-a"));
        QCOMPARE(save("SN-A", "tok-new"), QStringLiteral("tok-new"));
        QCOMPARE(save("SN-B", ""), QString());
    }

    void oneWeatherRecordAndNoDuplicateModules()
    {
        ProjectIntegrationUseCase integrations(m_db);
        for (int i = 0; i < 2; ++i) {
            ProjectDbIntegrationBean weather;
            weather.integType = QStringLiteral("accuWeather");
            weather.data["key"] = i;
            QVERIFY(integrations.saveAccuWeather(weather).isOk());
        }
        QCOMPARE(integrations.accessor->findAll(false).data->size(), size_t(1));
        QVERIFY((*integrations.findAccuWeather().data)->data["key"] == json(1));

        auto modules = std::make_shared<ProjectModuleUseCase>(m_db);
        ProjectModuleUseCase::BeanList first{module("A"), module("B")};
        QVERIFY(modules->addModules(first).isOk());
        ProjectModuleUseCase::BeanList clash{module("C"), module("B")};
        QCOMPARE(modules->addModules(clash).code(), 5050);
        QCOMPARE(clash[0]->id, int64_t(-1));
        QCOMPARE(modules->accessor->findAll(false).data->size(), size_t(2));
    }

    void pelloraSaveDropsImagesOfRemovedWidgets()
    {
        auto modules = std::make_shared<ProjectModuleUseCase>(m_db);
        auto cube = module("CUBE", 0x10000003);
        cube->data["netConfig"] = {{"ssid", "home"}, {"password", "pw"}};
        cube->data["dataConfig"]["layers"] = json::array(
            {{{"id", 1}, {"default", false}, {"widgets", {{{"id", 1}, {"type", 1}}, {{"id", 2}, {"type", 1}}}}},
             {{"id", 2}, {"default", true}},
             {{"id", 3}, {"default", true}, {"widgets", json::array()}}});
        QVERIFY(modules->insert(*cube).isOk());
        QStringList kept{QStringLiteral("widget/1/rawIcon"), QStringLiteral("profile/profile_1/widget/2/icon"),
                         QStringLiteral("notes.txt"), QStringLiteral("profile/profile_1/widget/40")};
        saveFiles(cube->id, kept + QStringList{QStringLiteral("widget/4/rawIcon"),
                                               QStringLiteral("profile/profile_1/widget/4/icon"),
                                               QStringLiteral("widget/99999999999999999999/rawIcon")});
        const auto before = fileNames(cube->id);

        // A bad image name or a malformed layer changes nothing.
        QCOMPARE(modules->updatePelloraConfig(*cube, {{QStringLiteral("icon.png"), m_icon}}).message,
                 QStringLiteral("invalid image name format:icon.png"));
        const json given = cube->data;
        cube->data["dataConfig"]["layers"][1]["widgets"] = json::array({{{"type", 1}}});
        QCOMPARE(modules->updatePelloraConfig(*cube, {}).code(), 1000);
        QCOMPARE(fileNames(cube->id), before);
        cube->data = given;

        const QString added = QStringLiteral("widget/2/pressedIcon");
        QVERIFY(modules->updatePelloraConfig(*cube, {{added, m_icon}}).isOk());
        kept << added;
        kept.sort();
        QCOMPARE(fileNames(cube->id), kept);
        // The last layer flagged default wins; keys come out sorted.
        QCOMPARE(storedModule(cube->id)->extraConfig.dump(),
                 std::string(R"({"dataConfig":{"defaultLayer":3,"layers":[{"id":1,"items":[{"id":1,"type":1},)"
                             R"({"id":2,"type":1}]},{"id":2,"items":[]},{"id":3,"items":[]}]},)"
                             R"("netConfig":{"password":"pw","ssid":"home"}})"));
    }

    void exactlyOnePreferredAfterAnySequenceOfUpdates()
    {
        ProjectProfileUseCase profiles(m_db);
        for (int i = 0; i < 4; ++i)
            QVERIFY(profiles.createProfile(QStringLiteral("P%1").arg(i), QString()).isOk());
        const auto all = *profiles.accessor->findAll(false).data;
        QVERIFY(all[0]->isDefault && all[0]->preferred && all[0]->k1 == QStringLiteral("true"));
        QVERIFY(!all[1]->isDefault && !all[1]->preferred && all[1]->k1.isEmpty());
        // A file written elsewhere with a second preferred profile.
        ProjectDbProfileBean extra;
        extra.name = QStringLiteral("Extra");
        extra.preferred = true;
        QVERIFY(profiles.insert(extra).isOk());

        const auto preferredIds = [&]() {
            std::vector<int64_t> ids;
            const auto stored = *profiles.accessor->findAll(false).data;
            for (const auto& bean : stored) {
                if (bean->preferred)
                    ids.push_back(bean->id);
            }
            return ids;
        };
        QRandomGenerator random(7);
        for (int step = 0; step < 60; ++step) {
            auto bean = *profiles.accessor->findById(random.bounded(1, 6)).data;
            bean->preferred = bean->preferred || random.bounded(2) == 0;
            QVERIFY(profiles.updateProfile(*bean, nullptr).isOk());
            if (bean->preferred)
                QCOMPARE(preferredIds(), std::vector<int64_t>{bean->id});
        }
        QCOMPARE(preferredIds().size(), size_t(1));

        extra.id = 999; // updating a profile that is not stored must not make one
        QCOMPARE(profiles.updateProfile(extra, nullptr).code(), 2006);
        QVERIFY(!*profiles.accessor->findById(999).data);
    }

    // A profile picture read for a smaller place is decoded at that size; read without a size,
    // or for a larger place, it keeps its own; stored bytes that are no picture read as none.
    void profilePictureIsReadAtTheSizeItIsShown()
    {
        ProjectProfileUseCase profiles(m_db);
        QVERIFY(profiles.createProfile(QStringLiteral("P"), QString()).isOk());
        auto bean = profiles.accessor->findFirst().data.value_or(nullptr);
        QVERIFY(bean);
        QPixmap picture(256, 128);
        picture.fill(Qt::red);
        QVERIFY(profiles.updateProfile(*bean, &picture).isOk());
        QCOMPARE(profiles.loadIconFile(*bean).size(), QSize(256, 128));
        QCOMPARE(profiles.loadIconFile(*bean, QSize()).size(), QSize(256, 128));
        const QPixmap shown = profiles.loadIconFile(*bean, QSize(40, 40));
        QCOMPARE(shown.size(), QSize(40, 40));
        QCOMPARE(shown.toImage().pixelColor(20, 20), QColor(Qt::red));
        QCOMPARE(profiles.loadIconFile(*bean, QSize(512, 512)).size(), QSize(256, 128));
        QVERIFY(m_db->saveFile(bean->id, QString::fromLatin1(ProjectProfileUseCase::kIconFileName), "not a picture")
                    .isOk());
        QVERIFY(profiles.loadIconFile(*bean, QSize(40, 40)).isNull());
        QVERIFY(profiles.loadIconFile(*bean).isNull());
    }

    void removingAProfileClearsWhatBelongsToIt()
    {
        ProjectProfileUseCase profiles(m_db);
        ProjectProfileKsWidgetUseCase cards(m_db);
        auto knob = module("KNOB");
        auto cube = module("CUBE", 0x10000003); // no member for profile 12: its files stay
        knob->data["profiles"] = {{"profile_12", 1}, {"profile_13", 2}, {"profile_123", 3}};
        ProjectModuleUseCase::BeanList modules{knob, cube};
        QVERIFY(std::make_shared<ProjectModuleUseCase>(m_db)->addModules(modules).isOk());
        QVERIFY(profiles.createProfile(QStringLiteral("Default Profile"), QString()).isOk());
        for (int64_t id : {12, 13}) {
            ProjectDbProfileBean bean;
            bean.id = id;
            bean.name = QStringLiteral("P%1").arg(id);
            QVERIFY(profiles.insertOrUpdate(bean).isOk() && profiles.updateProfile(bean, &m_icon).isOk());
            ProjectDbProfileKsWidgetBean card;
            card.setProfileId(id);
            card.widgetType = QStringLiteral("clock");
            card.uid = QStringLiteral("u%1").arg(id);
            QVERIFY(cards.insertOrUpdateWidget(card, &m_icon).isOk());
        }
        saveFiles(knob->id, {QStringLiteral("profile/profile_12/widget/1/a"), QStringLiteral("profile/profile_12/b"),
                             QStringLiteral("profile/profile_13/c"), QStringLiteral("profile/profile_123/d")});
        saveFiles(cube->id, {QStringLiteral("profile/profile_12/e")});

        // A failure half-way (removing the module's files, after the profile and the module's
        // entry are gone) undoes every step.
        QVERIFY(m_db->exec(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE DELETE ON file_store "
                                          "WHEN OLD.file_name LIKE 'profile/%' BEGIN SELECT RAISE(ABORT, 'refused'); "
                                          "END;"))
                    .isOk());
        QCOMPARE(profiles.removeProfileAndClearAssociated(12).code(), 2002);
        QVERIFY(*profiles.accessor->findById(12).data);
        QVERIFY(m_db->loadFile(12, QStringLiteral("profile_icon")).isOk());
        QCOMPARE(fileNames(knob->id).size(), 4);
        QVERIFY(storedModule(knob->id)->data["profiles"].contains("profile_12"));
        QVERIFY(m_db->exec(QStringLiteral("DROP TRIGGER temp.refuse;")).isOk());

        QVERIFY(profiles.removeProfileAndClearAssociated(12).isOk());
        QVERIFY(!*profiles.accessor->findById(12).data);
        QCOMPARE(m_db->loadFile(12, QStringLiteral("profile_icon")).code(), 2003);
        QVERIFY(storedModule(knob->id)->data["profiles"] == json({{"profile_13", 2}, {"profile_123", 3}}));
        QCOMPARE(fileNames(knob->id), QStringList({"profile/profile_123/d", "profile/profile_13/c"}));
        QCOMPARE(fileNames(cube->id), QStringList{QStringLiteral("profile/profile_12/e")});
        const auto remainingCards = *cards.accessor->findAll(false).data;
        QVERIFY(remainingCards.size() == 1 && remainingCards.front()->k1 == "13");

        const auto defaultProfile = *profiles.findFirst(QStringLiteral("true")).data;
        QCOMPARE(profiles.removeProfileAndClearAssociated(defaultProfile->id).message,
                 QStringLiteral("The default profile cannot be deleted"));
    }

    void pluginInstallIsAllOrNothing()
    {
        const QString pluginDir = m_dir.filePath(QStringLiteral("plugin"));
        QVERIFY(QDir().mkpath(pluginDir + QStringLiteral("/u-1/unpacked")));
        ProjectPluginUseCase plugins(m_db, pluginDir);
        int64_t id = -1;
        const auto install = [&](const QString& uuid, const QString& path) {
            ProjectDbPluginBean bean;
            bean.k1 = uuid;
            bean.k2 = QStringLiteral("0");
            bean.versionCode = 1;
            const auto result = plugins.saveOrUpdate(bean, m_icon, path);
            id = bean.id;
            return result;
        };
        const QString config = QStringLiteral("config.json");
        QVERIFY(install(QStringLiteral("u-1"), package(QStringLiteral("v1"), config, R"({"v":1})")).isOk());
        const int64_t first = id;
        QVERIFY(!QFileInfo::exists(pluginDir + QStringLiteral("/u-1")));
        const QString v2 = package(QStringLiteral("v2"), config, R"({"v":2})");
        QVERIFY(install(QStringLiteral("u-1"), v2).isOk());
        QCOMPARE(id, first);
        const auto all = *plugins.accessor->findAll(true).data;
        QVERIFY(all.size() == 1 && all.front()->data == json({{"v", 2}}));
        QCOMPARE(*m_db->loadFile(first, QStringLiteral("pack")).data, Test::fileBytes(v2));
        QVERIFY(!m_db->loadFile(first, QStringLiteral("icon")).data->isEmpty());

        auto noConfig = install(QStringLiteral("u-2"), package(QStringLiteral("bare"), QStringLiteral("a.txt"), "a"));
        QVERIFY(noConfig.message == "Read plugin config.json error" && id == -1);
        QCOMPARE(plugins.accessor->findAll(false).data->size(), size_t(1));
        QVERIFY(fileNames(first + 1).isEmpty());

        // A uuid that is not one path component never reaches the file system.
        QVERIFY(Test::writeFileBytes(m_dir.filePath(QStringLiteral("sentinel")), "x"));
        for (const char* uuid : {"", "..", "/", "\\", "a/b"})
            QCOMPARE(install(QString::fromLatin1(uuid), v2).code(), 1002);
        QVERIFY(QFileInfo::exists(m_dir.filePath(QStringLiteral("sentinel"))));
    }
};

QTEST_MAIN(TestProjectUseCases)
#include "tst_ProjectUseCases.moc"
