#include "project/ProjectDatabase.h"
#include "project/ProjectManager.h"
#include "project/ProjectMetaUseCase.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectPluginUseCase.h"
#include "project/ProjectProfileUseCase.h"
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
using json = nlohmann::json;

class TestProjectManager : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_work;

    QString recentPath() const { return m_work + QStringLiteral("/cache/recent_project_list.json"); }
    QString projectDir() const { return m_work + QStringLiteral("/project"); }
    std::unique_ptr<ProjectManager> manager() const
    {
        return std::make_unique<ProjectManager>(recentPath(), projectDir());
    }
    QStringList recentFileList() const
    {
        QStringList list;
        const json root = json::parse(fileBytes(recentPath()).toStdString());
        for (const json& path : root.at("list"))
            list << QString::fromStdString(path.get<std::string>());
        return list;
    }
    // Loads a recent list file of the given content; the log lines of the load are returned.
    QString loadRecent(const QByteArray& content, QStringList* list)
    {
        Test::writeFileBytes(recentPath(), content);
        Test::LogCapture capture;
        *list = manager()->recentList();
        return capture.text();
    }

private slots:
    void init()
    {
        m_work = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()));
        QVERIFY(QDir().mkpath(m_work + QStringLiteral("/cache")));
        QVERIFY(QDir().mkpath(projectDir()));
    }

    void createCloseOpenRoundTrip()
    {
        auto pm = manager();
        const QString path = projectDir() + QStringLiteral("/First.ovpf");
        auto created = pm->createProject(QStringLiteral("First"), projectDir());
        QVERIFY2(created.isOk(), qPrintable(created.message));
        QCOMPARE(pm->projectFileInfo().filePath(), path);
        QCOMPARE(pm->recentList(), QStringList{path});
        pm->closeProject();
        QVERIFY(pm->projectFileInfo().filePath().isEmpty());

        {
            Test::ProjectRawSqlite raw(path);
            QList<QVariantList> rows;
            QVERIFY(raw.run(QStringLiteral("SELECT type, k1, columns FROM json_store ORDER BY id"), {}, &rows));
            QCOMPARE(rows.size(), 2);
            QCOMPARE(rows[0][0].toString(), QStringLiteral("mate"));
            const json meta = json::parse(rows[0][2].toString().toStdString());
            QVERIFY(meta == json({{"create_app_version_name", "V1.0.0"},
                                  {"create_app_version_code", 1},
                                  {"project_data_format_version", 2}}));
            QCOMPARE(rows[1][0].toString(), QStringLiteral("profile"));
            QCOMPARE(rows[1][1].toString(), QStringLiteral("true"));
            const json profile = json::parse(rows[1][2].toString().toStdString());
            QVERIFY(profile["name"] == "Default Profile" && profile["preferred"] == true);
        }

        const auto meta = pm->getMetaUseCase();
        const auto module = pm->getModuleUseCase();
        const auto plugin = pm->getPluginUseCase();
        QVERIFY(pm->openProject(path).isOk());
        QCOMPARE(pm->projectFileInfo().filePath(), path);
        QVERIFY(pm->getMetaUseCase() != meta && pm->getModuleUseCase() != module);
        QVERIFY(pm->getPluginUseCase() == plugin);
        // A use case made before the open works on the project opened since.
        QCOMPARE(meta->accessor->findAll(false).data->size(), size_t(1));
        QCOMPARE(pm->getProfileUseCase()->accessor->findAll(false).data->size(), size_t(1));

        // Opening while a project is open is refused.
        QCOMPARE(pm->createProject(QStringLiteral("Second"), projectDir()).code(), 2000);
        QVERIFY(!QFileInfo::exists(projectDir() + QStringLiteral("/Second.ovpf")));
        QCOMPARE(pm->projectFileInfo().filePath(), path);
    }

    void refusedOpensLeaveFileAndListAlone()
    {
        auto pm = manager();
        const QString older = projectDir() + QStringLiteral("/Older.ovpf");
        const QString newer = projectDir() + QStringLiteral("/Newer.ovpf");
        QVERIFY(pm->createProject(QStringLiteral("Newer"), projectDir()).isOk());
        ProjectDbMetaBean meta;
        meta.create_app_version_name = QStringLiteral("V9.1.0");
        meta.project_data_format_version = 3;
        QVERIFY(pm->getMetaUseCase()->saveMeta(meta).isOk());
        pm->closeProject();
        QVERIFY(pm->createProject(QStringLiteral("Older"), projectDir()).isOk());
        pm->closeProject();
        const QStringList recent{older, newer};
        QCOMPARE(pm->recentList(), recent);

        const QByteArray bytes = fileBytes(newer);
        auto refused = pm->openProject(newer);
        QCOMPARE(refused.code(), 2000);
        QCOMPARE(refused.message, QStringLiteral("This project was created with a newer version of OrvelMate: V9.1.0"));
        QCOMPARE(fileBytes(newer), bytes);
        QVERIFY(pm->projectFileInfo().filePath().isEmpty());

        QCOMPARE(pm->openProject(projectDir() + QStringLiteral("/Missing.ovpf")).code(), 2001);

        // A database with the tables but without a meta record is not a project.
        const QString bare = projectDir() + QStringLiteral("/Bare.ovpf");
        {
            ProjectDatabase db;
            QVERIFY(db.open(bare, true, QStringLiteral("sql_cn_bare")).isOk());
        }
        QCOMPARE(pm->openProject(bare).code(), 2004);
        QVERIFY(pm->projectFileInfo().filePath().isEmpty());
        QCOMPARE(pm->recentList(), recent);
        QCOMPARE(recentFileList(), recent);

        // Each refusal closed what it opened.
        QVERIFY(pm->openProject(older).isOk());
    }

    void createRefusesTakenAndUnwritablePaths()
    {
        auto pm = manager();
        const QString taken = projectDir() + QStringLiteral("/Taken.ovpf");
        QVERIFY(Test::writeFileBytes(taken, "keep me"));
        QCOMPARE(pm->createProject(QStringLiteral("Taken"), projectDir()).code(), 5003);
        QCOMPARE(fileBytes(taken), QByteArray("keep me"));
        QCOMPARE(pm->createProject(QStringLiteral("X"), m_work + QStringLiteral("/no/such/folder")).code(), 1005);
        QVERIFY(pm->recentList().isEmpty());
        QVERIFY(pm->projectFileInfo().filePath().isEmpty());
    }

    void suggestsTheFirstFreeName()
    {
        auto pm = manager();
        QCOMPARE(pm->suggestNewProject(), QStringLiteral("OrvelWorkSpaceProject"));
        QVERIFY(QDir().mkpath(projectDir() + QStringLiteral("/OrvelWorkSpaceProject.ovpf")));
        QCOMPARE(pm->suggestNewProject(), QStringLiteral("OrvelWorkSpaceProject"));
        QVERIFY(QDir().rmdir(projectDir() + QStringLiteral("/OrvelWorkSpaceProject.ovpf")));
        QVERIFY(Test::writeFileBytes(projectDir() + QStringLiteral("/OrvelWorkSpaceProject.ovpf"), "x"));
        QVERIFY(Test::writeFileBytes(projectDir() + QStringLiteral("/OrvelWorkSpaceProject1.ovpf"), "x"));
        QCOMPARE(pm->suggestNewProject(), QStringLiteral("OrvelWorkSpaceProject2"));
        for (int n = 2; n < 100; ++n)
            Test::writeFileBytes(projectDir() + QStringLiteral("/OrvelWorkSpaceProject%1.ovpf").arg(n), "x");
        QCOMPARE(pm->suggestNewProject(), QString());
    }

    void recentListKeepsAHundredAndReadsSixtyFour()
    {
        auto pm = manager();
        const QString first = projectDir() + QStringLiteral("/p0.ovpf");
        QVERIFY(pm->createProject(QStringLiteral("p0"), projectDir()).isOk());
        pm->closeProject();
        QStringList opened{first};
        for (int i = 1; i <= 100; ++i) {
            const QString path = projectDir() + QStringLiteral("/p%1.ovpf").arg(i);
            QVERIFY(QFile::copy(first, path));
            QVERIFY(pm->openProject(path).isOk());
            pm->closeProject();
            opened.prepend(path);
        }
        QCOMPARE(pm->recentList(), opened);
        QCOMPARE(recentFileList(), opened.mid(0, 100));
        QVERIFY(fileBytes(recentPath()).startsWith("{\n    \"list\": [\n"));

        // Opening one that is listed moves it to the front and keeps one copy.
        QVERIFY(pm->openProject(opened[50]).isOk());
        pm->closeProject();
        QCOMPARE(pm->recentList().front(), opened[50]);
        QCOMPARE(pm->recentList().count(opened[50]), 1);
        QCOMPARE(pm->recentList().size(), 101);

        QCOMPARE(manager()->recentList(), recentFileList().mid(0, 64));

        QVERIFY(pm->removeRecentListItem(QStringLiteral("/not/listed.ovpf")));
        QVERIFY(pm->removeRecentListItem(opened[50]));
        QCOMPARE(recentFileList().size(), 100);
        QVERIFY(!recentFileList().contains(opened[50]));
    }

    void damagedRecentListReadsWhatItCan()
    {
        QStringList list;
        const QByteArray broken = "{\"list\": [\"a\",";
        QString log = loadRecent(broken, &list);
        QVERIFY(list.isEmpty());
        QCOMPARE(log.count(QStringLiteral("loadRecentList error:")), 1);
        QCOMPARE(fileBytes(recentPath()), broken);

        for (const QByteArray& content : {QByteArray("[\"a\", \"b\"]"), QByteArray("{\"list\": \"a\"}")}) {
            log = loadRecent(content, &list);
            QVERIFY(list.isEmpty());
            QCOMPARE(log.count(QStringLiteral("loadRecentList error:")), 1);
        }
        log = loadRecent("{\"list\": [\"a\", \"b\", 3, \"d\"]}", &list);
        QCOMPARE(list, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(log.count(QStringLiteral("loadRecentList error:")), 1);
        QVERIFY(loadRecent("{}", &list).isEmpty() && list.isEmpty());

        // The next write replaces a damaged file.
        Test::writeFileBytes(recentPath(), broken);
        auto pm = manager();
        pm->addRecentList(QStringLiteral("/x.ovpf"));
        QCOMPARE(recentFileList(), QStringList{QStringLiteral("/x.ovpf")});
    }
};

QTEST_GUILESS_MAIN(TestProjectManager)
#include "tst_ProjectManager.moc"
