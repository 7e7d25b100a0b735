#include "project/ProjectDatabase.h"
#include "project/ProjectManager.h"
#include "project/ProjectMetaUseCase.h"
#include "project/ProjectPluginUseCase.h"
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
            Test::ProjectRawSqlite raw(path);
            QList<QVariantList> rows;
            QVERIFY(raw.run(QStringLiteral("SELECT type, k1, columns FROM json_store ORDER BY id"), {}, &rows));
            QCOMPARE(rows.size(), 2);
            QCOMPARE(rows[0][0].toString(), QStringLiteral("mate"));
            QVERIFY(json::parse(rows[0][2].toString().toStdString()) == json({{"create_app_version_name", "V1.0.0"},
                                                                              {"create_app_version_code", 1},
                                                                              {"project_data_format_version", 2}}));
            QCOMPARE(rows[1][1].toString(), QStringLiteral("true"));
            const json profile = json::parse(rows[1][2].toString().toStdString());
            QVERIFY(profile["name"] == "Default Profile" && profile["preferred"] == true);
        }

        const auto meta = pm->getMetaUseCase();
        const auto plugin = pm->getPluginUseCase();
        QVERIFY(pm->openProject(path).isOk());
        QCOMPARE(pm->projectFileInfo().filePath(), path);
        QVERIFY(pm->getMetaUseCase() != meta && pm->getPluginUseCase() == plugin);
        QCOMPARE(meta->accessor->findAll(false).data->size(), size_t(1)); // works on the project opened since

        // Creating while a project is open fails and leaves no file.
        QCOMPARE(pm->createProject(QStringLiteral("Second"), m_work).code(), 2000);
        QVERIFY(!QFileInfo::exists(project(QStringLiteral("Second"))));
        QVERIFY(Test::writeFileBytes(project(QStringLiteral("Taken")), "keep me"));
        QCOMPARE(pm->createProject(QStringLiteral("Taken"), m_work).code(), 5003);
        QCOMPARE(fileBytes(project(QStringLiteral("Taken"))), QByteArray("keep me"));
        QCOMPARE(pm->createProject(QStringLiteral("X"), m_work + QStringLiteral("/no/such")).code(), 1005);
        QCOMPARE(pm->recentList(), QStringList{path});
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
        {
            ProjectDatabase db;
            QVERIFY(db.open(project(QStringLiteral("Bare")), true, QStringLiteral("sql_cn_bare")).isOk());
        }
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

        // A directory named like a project file does not take the name.
        QVERIFY(QDir().mkpath(project(QStringLiteral("OrvelWorkSpaceProject"))));
        QVERIFY(Test::writeFileBytes(project(QStringLiteral("OrvelWorkSpaceProject1")), "x"));
        QCOMPARE(pm->suggestNewProject(), QStringLiteral("OrvelWorkSpaceProject"));
        QVERIFY(QDir().rmdir(project(QStringLiteral("OrvelWorkSpaceProject"))));
        QVERIFY(Test::writeFileBytes(project(QStringLiteral("OrvelWorkSpaceProject")), "x"));
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
        auto pm = manager();
        QVERIFY(pm->removeRecentListItem(QStringLiteral("/not/listed.ovpf")));
        pm->addRecentList(QStringLiteral("/x.ovpf"));
        QCOMPARE(recentFileList(), QStringList{QStringLiteral("/x.ovpf")});
    }
};

QTEST_GUILESS_MAIN(TestProjectManager)
#include "tst_ProjectManager.moc"
