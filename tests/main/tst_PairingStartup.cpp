// The real executable started at log-on with a project whose host is the stand-in hub: it opens
// the project hidden, pairs, keeps the token and answers the hub; the next start needs no pairing.
#include "core/TokenScrambler.h"
#include "device/KestrinDevice.h"
#include "project/ProjectDbHostBean.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "support/ProjectRawSqlite.h"
#include "support/StandinHub.h"
#include "support/TestUtils.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using Test::StandinHub;
using Json = nlohmann::json;

class TestPairingStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_exe;
    QString m_project;
    StandinHub m_hub;

    // Starts the program at log-on, as the autostart entry does.
    void startProgram(QProcess& process)
    {
        process.setWorkingDirectory(m_dir.path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(m_exe, {QStringLiteral("--autostart")});
        QVERIFY(process.waitForStarted(10000));
    }

    void stopProgram(QProcess& process)
    {
        process.kill();
        process.waitForFinished(10000);
    }

    QString storedToken()
    {
        Test::ProjectRawSqlite raw(m_project);
        QList<QVariantList> rows;
        if (!raw.run(QStringLiteral("SELECT columns FROM json_store WHERE type = 'host'"), {}, &rows) || rows.isEmpty())
            return {};
        const Json columns = Json::parse(rows.front().front().toString().toStdString(), nullptr, false);
        return columns.is_object() ? QString::fromStdString(columns.value("token", std::string())) : QString();
    }

    Json answer(const std::string& type, const std::optional<Json>& payload = std::nullopt)
    {
        const std::string id = m_hub.sendCommand(type, payload);
        if (!QTest::qWaitFor([&] { return !m_hub.receivedWithId(id).isEmpty(); }, 10000))
            return nullptr;
        const Json reply = m_hub.receivedWithId(id).front();
        return reply.value("code", 0) == 200 ? reply["data"] : Json("bad reply: " + reply.dump());
    }

private slots:
    void initTestCase()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        m_exe = m_dir.filePath(QStringLiteral("OrvelWorkSpace"));
        QVERIFY(QFile::copy(Test::appExecutable(), m_exe));
        QVERIFY(m_hub.listen());
        m_hub.setIssuedToken(QStringLiteral("startup-token"));

        // A project whose host record names the stand-in, first in the program's recent list.
        {
            ProjectManager maker(m_dir.filePath(QStringLiteral("maker-recent.json")), m_dir.path());
            QVERIFY(maker.createProject(QStringLiteral("Desk"), m_dir.path()).isOk());
            ProjectDbHostBean host;
            host.connType = QStringLiteral("tcp");
            host.ip = StandinHub::address();
            host.port = m_hub.port();
            host.sn = QStringLiteral("KS-STARTUP");
            QVERIFY(maker.getHostUseCase()->saveHost(host).isOk());
            maker.closeProject();
        }
        m_project = m_dir.filePath(QStringLiteral("Desk.ovpf"));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("cache")));
        QFile recent(m_dir.filePath(QStringLiteral("cache/recent_project_list.json")));
        QVERIFY(recent.open(QIODevice::WriteOnly));
        recent.write(QByteArray::fromStdString(Json{{"list", {m_project.toStdString()}}}.dump()));
        recent.close();
    }

    void pairsOnFirstStartAndReusesTheTokenAfter()
    {
        QProcess first;
        startProgram(first);
        QTRY_COMPARE_WITH_TIMEOUT(m_hub.receivedCount(KestrinDevice::kActRequestToken), 1, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(decodeToken(storedToken()), QStringLiteral("startup-token"), 10000);
        QVERIFY(storedToken() != QLatin1String("startup-token"));
        QCOMPARE(first.state(), QProcess::Running);

        // The program answers the hub's commands.
        QCOMPARE(answer("TEST", Json{{"ping", 1}})["payload"].dump(), std::string("{\"ping\":1}"));
        const Json cpu = answer("CPU");
        QVERIFY2(cpu.value("type", "") == "CPU" && cpu["payload"].is_number_integer(), cpu.dump().c_str());
        stopProgram(first);

        m_hub.clearRecords();
        QProcess second;
        startProgram(second);
        QTRY_COMPARE_WITH_TIMEOUT(m_hub.receivedCount(KestrinDevice::kActCheckToken), 1, 20000);
        QVERIFY(m_hub.received(KestrinDevice::kActCheckToken).front()["data"] == Json("startup-token"));
        QCOMPARE(answer("TEST", Json{{"ping", 2}})["payload"].dump(), std::string("{\"ping\":2}"));
        QCOMPARE(m_hub.receivedCount(KestrinDevice::kActRequestToken), 0);
        stopProgram(second);
    }
};

QTEST_GUILESS_MAIN(TestPairingStartup)
#include "tst_PairingStartup.moc"
