#include "core/TokenScrambler.h"
#include "device/KestrinDevice.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "project/ProjectMetaUseCase.h"
#include "project/ProjectPluginUseCase.h"
#include "support/DeployTestUtils.h"
#include "support/FileSizeLimit.h"
#include "support/ProjectRawSqlite.h"
#include "support/ProjectTestUtils.h"
#include "support/TestUtils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

using namespace OV;
using Test::fileBytes;
using Test::StandinHub;
using json = nlohmann::json;

class TestProjectManager : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_work;

    QString recentPath() const { return m_work + QStringLiteral("/cache/recent_project_list.json"); }
    QString project(const QString& name) const { return m_work + QLatin1Char('/') + name + QStringLiteral(".ovpf"); }
    std::unique_ptr<ProjectManager> manager() const { return std::make_unique<ProjectManager>(recentPath(), m_work); }
    QStringList recentFileList() const
    {
        QStringList list;
        const json root = json::parse(fileBytes(recentPath()).toStdString());
        for (const json& path : root.at("list"))
            list << QString::fromStdString(path.get<std::string>());
        return list;
    }
    static std::shared_ptr<ProjectDbHostBean> host(const char* sn, int port)
    {
        auto bean = std::make_shared<ProjectDbHostBean>();
        bean->connType = QStringLiteral("tcp");
        bean->ip = StandinHub::address();
        bean->port = port;
        bean->sn = QString::fromLatin1(sn);
        return bean;
    }

private slots:
    void init()
    {
        m_work = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()));
        QVERIFY(QDir().mkpath(m_work + QStringLiteral("/cache")));
    }

    void createCloseOpenRoundTrip()
    {
        auto pm = manager();
        const QString path = project(QStringLiteral("First"));
        QVERIFY(pm->createProject(QStringLiteral("First"), m_work).isOk());
        QCOMPARE(pm->projectFileInfo().filePath(), path);
        pm->closeProject();
        QVERIFY(pm->projectFileInfo().filePath().isEmpty());
        {
            QList<QVariantList> rows;
            QVERIFY(Test::ProjectRawSqlite(path).run(
                QStringLiteral("SELECT type, k1, columns FROM json_store ORDER BY id"), {}, &rows));
            QCOMPARE(rows.size(), 2);
            QCOMPARE(rows[0][0].toString() + rows[1][0].toString() + rows[1][1].toString(),
                     QStringLiteral("mateprofiletrue"));
            QVERIFY(json::parse(rows[0][2].toString().toStdString()) == json({{"create_app_version_name", "V1.0.0"},
                                                                              {"create_app_version_code", 1},
                                                                              {"project_data_format_version", 2}}));
            const json profile = json::parse(rows[1][2].toString().toStdString());
            QVERIFY(profile["name"] == "Default Profile" && profile["preferred"] == true);
        }

        // Opening drops the project-bound use cases; the plug-in one survives.
        const auto meta = pm->getMetaUseCase();
        const auto plugin = pm->getPluginUseCase();
        QVERIFY(pm->openProject(path).isOk());
        QVERIFY(pm->getMetaUseCase() != meta && pm->getPluginUseCase() == plugin);

        // Creating while a project is open, or over an existing file, fails and leaves no file behind.
        QCOMPARE(pm->createProject(QStringLiteral("Second"), m_work).code(), 2000);
        QVERIFY(!QFileInfo::exists(project(QStringLiteral("Second"))));
        QVERIFY(Test::writeFileBytes(project(QStringLiteral("Taken")), "keep me"));
        QCOMPARE(pm->createProject(QStringLiteral("Taken"), m_work).code(), 5003);
        QCOMPARE(fileBytes(project(QStringLiteral("Taken"))), QByteArray("keep me"));
        QCOMPARE(pm->recentList(), QStringList{path});
    }

    // A create that fails after the new file was opened removes the half-made file and its
    // recent-list entry, and closes it; the same name can be created at once after.
    void failedCreateLeavesNothingBehind_data()
    {
        QTest::addColumn<QString>("refusedType");
        QTest::newRow("meta record") << "mate";
        QTest::newRow("default profile") << "profile";
    }

    void failedCreateLeavesNothingBehind()
    {
        QFETCH(QString, refusedType);
        auto pm = manager();
        const QString kept = QStringLiteral("Kept-") + refusedType;
        const QString broken = QStringLiteral("Broken-") + refusedType;
        QVERIFY(pm->createProject(kept, m_work).isOk());
        pm->closeProject();
        const std::shared_ptr<ProjectDatabase> db = pm->getMetaUseCase()->accessor->database();
        db->setOpenedHook([refusedType](ProjectDatabase& opened) {
            QVERIFY(opened
                        .exec(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE INSERT ON json_store WHEN NEW.type = "
                                             "'%1' BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;")
                                  .arg(refusedType))
                        .isOk());
        });
        const BaseResult<void> result = pm->createProject(broken, m_work);
        QCOMPARE(result.code(), 2002);
        QCOMPARE(result.message, QStringLiteral("refused by the test"));
        QVERIFY(!QFileInfo::exists(project(broken)));
        QVERIFY(!QFileInfo::exists(project(broken) + QStringLiteral("-journal")));
        QVERIFY(!db->isOpen() && pm->projectFileInfo().filePath().isEmpty());
        const QStringList list = pm->recentList();
        QCOMPARE(list.value(0), project(kept));
        QVERIFY(!list.contains(project(broken)));
        QCOMPARE(recentFileList(), list);

        db->setOpenedHook(nullptr);
        QVERIFY(pm->createProject(broken, m_work).isOk());
    }

    void refusedOpensLeaveFileAndListAlone()
    {
        auto pm = manager();
        const QString newer = project(QStringLiteral("Newer"));
        QVERIFY(pm->createProject(QStringLiteral("Newer"), m_work).isOk());
        ProjectDbMetaBean meta;
        meta.create_app_version_name = QStringLiteral("V9.1.0");
        meta.project_data_format_version = 3;
        QVERIFY(pm->getMetaUseCase()->saveMeta(meta).isOk());
        pm->closeProject();
        QVERIFY(pm->createProject(QStringLiteral("Older"), m_work).isOk());
        pm->closeProject();
        const QStringList recent{project(QStringLiteral("Older")), newer};

        const QByteArray bytes = fileBytes(newer);
        auto refused = pm->openProject(newer);
        QCOMPARE(refused.code(), 2000);
        QCOMPARE(refused.message, QStringLiteral("This project was created with a newer version of OrvelMate: V9.1.0"));
        QCOMPARE(fileBytes(newer), bytes);
        QCOMPARE(pm->openProject(project(QStringLiteral("Missing"))).code(), 2001);
        // A database with the tables but without a meta record is not a project.
        QVERIFY(ProjectDatabase().open(project(QStringLiteral("Bare")), true, QStringLiteral("sql_cn_bare")).isOk());
        QCOMPARE(pm->openProject(project(QStringLiteral("Bare"))).code(), 2004);
        QVERIFY(pm->projectFileInfo().filePath().isEmpty());
        QCOMPARE(pm->recentList(), recent);
        QCOMPARE(recentFileList(), recent);
        QVERIFY(pm->openProject(recent[0]).isOk()); // each refusal closed what it opened
    }

    void recentListKeepsAHundredAndReadsSixtyFour()
    {
        auto pm = manager();
        QVERIFY(pm->createProject(QStringLiteral("p0"), m_work).isOk());
        pm->closeProject();
        QStringList opened{project(QStringLiteral("p0"))};
        for (int i = 1; i <= 100; ++i) {
            const QString path = project(QStringLiteral("p%1").arg(i));
            QVERIFY(QFile::copy(opened.back(), path));
            QVERIFY(pm->openProject(path).isOk());
            pm->closeProject();
            opened.prepend(path);
        }
        QCOMPARE(pm->recentList(), opened);
        QCOMPARE(recentFileList(), opened.mid(0, 100));
        QVERIFY(pm->openProject(opened[50]).isOk()); // moved to the front, one copy kept
        QCOMPARE(pm->recentList().count(opened[50]), 1);
        QCOMPARE(pm->recentList().front(), opened[50]);
        QCOMPARE(manager()->recentList(), recentFileList().mid(0, 64));

        for (const char* taken : {"OrvelWorkSpaceProject", "OrvelWorkSpaceProject1"})
            QVERIFY(Test::writeFileBytes(project(QString::fromLatin1(taken)), "x"));
        QCOMPARE(pm->suggestNewProject(), QStringLiteral("OrvelWorkSpaceProject2"));
    }

    void damagedRecentListReadsWhatItCan()
    {
        const QByteArray broken = "{\"list\": [\"a\",";
        const std::pair<QByteArray, QStringList> cases[] = {
            {broken, {}},
            {"[\"a\", \"b\"]", {}},
            {"{\"list\": \"a\"}", {}},
            {"{\"list\": [\"a\", \"b\", 3, \"d\"]}", {QStringLiteral("a"), QStringLiteral("b")}},
        };
        for (const auto& [content, expected] : cases) {
            Test::writeFileBytes(recentPath(), content);
            Test::LogCapture capture;
            QCOMPARE(manager()->recentList(), expected);
            QCOMPARE(capture.text().count(QStringLiteral("loadRecentList error:")), 1);
            QCOMPARE(fileBytes(recentPath()), content);
        }
        // The next write replaces a damaged file.
        Test::writeFileBytes(recentPath(), broken);
        manager()->addRecentList(QStringLiteral("/x.ovpf"));
        QCOMPARE(recentFileList(), QStringList{QStringLiteral("/x.ovpf")});
    }

    // A list the disk cannot take leaves the list before it in place, and the change says it
    // failed, though the whole list waits in Qt's write buffer until the end.
    void fullDiskKeepsTheRecentList()
    {
        const auto pm = manager();
        pm->addRecentList(QStringLiteral("/a.ovpf"));
        pm->addRecentList(QStringLiteral("/b.ovpf"));
        const QByteArray before = fileBytes(recentPath());
        bool removed = true;
        {
            const Test::FileSizeLimit full(0);
            QVERIFY(full.isActive());
            removed = pm->removeRecentListItem(QStringLiteral("/a.ovpf"));
        }
        QVERIFY(!removed);
        QCOMPARE(fileBytes(recentPath()), before);
        QCOMPARE(QDir(m_work + QStringLiteral("/cache")).entryList(QDir::Files),
                 QStringList{QStringLiteral("recent_project_list.json")});
    }

    void hubSessionKeepsItsTokenAndCommandsGoToTheCurrentHub()
    {
        std::vector<std::shared_ptr<KestrinDevice>> handledWith; // outlives the manager that fills it
        Test::DeployHarness h(m_work);
        QVERIFY(h.isValid());
        h.pm().setHubCommandHandler([&](const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message) {
            handledWith.push_back(device);
            if (message.data.value("throw", false))
                throw std::runtime_error("bad command");
        });
        // The token the hub issues is stored in the host record.
        auto hosts = h.pm().getHostUseCase();
        auto chosen = host("KS-9", h.hub().port());
        QVERIFY(hosts->saveHost(*chosen).isOk());
        h.hub().setIssuedToken(QStringLiteral("issued-7"));
        h.pm().setCurrentKestrin(chosen);
        auto old = h.pm().getCurrentKestrin();
        old->start(nullptr);
        QVERIFY(QTest::qWaitFor([&] { return old->isReady(); }, 5000));
        auto stored = *hosts->accessor->findAll(false).data;
        QVERIFY(stored.size() == 1 && stored.front()->id == chosen->id);
        QCOMPARE(decodeToken(stored.front()->token), QStringLiteral("issued-7"));

        h.topics.clear();
        h.hub().push(1000000, 200, {{"type", "TEST"}, {"throw", true}});
        h.hub().push(424242, 200, {{"type", "TEST"}});
        h.hub().push(1000000, 200, {{"type", "TEST"}});
        QVERIFY(QTest::qWaitFor([&] { return handledWith.size() == 2; }, 3000));
        QVERIFY(handledWith[0] == old && handledWith[1] == old);
        // The old session still hears the hub; its commands run with the current hub.
        h.pm().setCurrentKestrin(host("KS-B", h.hub().port()));
        auto replacement = h.pm().getCurrentKestrin();
        QVERIFY(replacement && !replacement->isStarted() && old->isStarted());
        h.hub().push(1000000, 200, {{"type", "TEST"}});
        QVERIFY(QTest::qWaitFor([&] { return handledWith.size() == 3; }, 3000));
        QVERIFY(handledWith[2] == replacement);
        h.pm().setCurrentKestrin(nullptr);
        h.hub().push(1000000, 200, {{"type", "TEST"}});
        QTest::qWait(200);
        QCOMPARE(handledWith.size(), size_t(3));
        QCOMPARE(h.topics, QStringList(2, QStringLiteral("ON_KESTRIN_CHANGED")));
        h.pm().setCurrentKestrin(chosen);
        auto current = h.pm().getCurrentKestrin();
        current->start(nullptr);
        h.pm().closeProject();
        QVERIFY(!h.pm().getCurrentKestrin() && !current->isStarted());
        old->stop();
    }
};

QTEST_GUILESS_MAIN(TestProjectManager)
#include "tst_ProjectManager.moc"
