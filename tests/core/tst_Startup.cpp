#include "os/StartupProviderWin.h"
#include "os/platform/DesktopEntry.h"
#include "os/platform/XdgAutostartStore.h"
#include "project/ProjectManager.h"
#include "support/TestUtils.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// Runs the real executable from a fresh folder, as a user's first start would.
class TestStartup : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_exe;
    QString m_out;
    QString m_err;

    // The exit code; -1 when the process was still running once `until` appeared in its output
    // (it was then ended).
    int start(const QStringList& args, const QString& until = {}, const QString& workingDirectory = {})
    {
        QProcess p;
        p.setWorkingDirectory(workingDirectory.isEmpty() ? m_dir.path() : workingDirectory);
        p.start(m_exe, args);
        m_out.clear();
        QElapsedTimer clock;
        clock.start();
        bool running = true;
        while (running && clock.elapsed() < 60000) {
            running = !p.waitForFinished(100);
            m_out += QString::fromUtf8(p.readAllStandardOutput());
            if (running && !until.isEmpty() && m_out.contains(until)) {
                // A process that was about to end gets a moment to do so.
                running = !p.waitForFinished(1000);
                break;
            }
        }
        if (running) {
            p.kill();
            p.waitForFinished(5000);
        }
        m_out += QString::fromUtf8(p.readAllStandardOutput());
        m_err = QString::fromUtf8(p.readAllStandardError());
        return running ? -1 : p.exitCode();
    }

    void put(const QString& name, const QByteArray& data)
    {
        QDir().mkpath(QFileInfo(m_dir.filePath(name)).absolutePath());
        QFile f(m_dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(data) == data.size());
    }

private slots:
    void initTestCase()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        m_exe = m_dir.filePath(QStringLiteral("OrvelWorkSpace"));
        QVERIFY(QFile::copy(OV::Test::appExecutable(), m_exe));
    }

    void autostartPreparesFoldersAndLogs_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("flag");
        QTest::addColumn<int>("exitCode");
        // Without a project, a start at log-on ends at once; any other start shows the start
        // window and keeps running.
        QTest::newRow("exact") << QStringList{QStringLiteral("--autostart")} << 1 << 0;
        QTest::newRow("only the exact argument counts")
            << QStringList{QStringLiteral("--Autostart"), QStringLiteral("--autostart=1")} << 0 << -1;
    }

    void autostartPreparesFoldersAndLogs()
    {
        QFETCH(QStringList, args);
        QFETCH(int, flag);
        QFETCH(int, exitCode);
        put(QStringLiteral("temp/old/file.txt"), "left over");
        put(QStringLiteral("cache/kept.txt"), "kept");
        QCOMPARE(start(args, QStringLiteral("Is AutoStart: 0\n")), exitCode);
        for (const char* name : {"project", "plugin", "temp"})
            QVERIFY(QFileInfo(m_dir.filePath(QLatin1String(name))).isDir());
        QVERIFY(QDir(m_dir.filePath(QStringLiteral("temp"))).isEmpty());
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("cache/kept.txt"))));
        const QString expected = QStringLiteral("[I] [Application] Program args: %1 %2\n").arg(m_exe, args.join(' '));
        QVERIFY2(m_out.contains(expected), qPrintable(m_out));
        QVERIFY(m_out.contains(QStringLiteral("[I] [Application] Is AutoStart: %1\n").arg(flag)));
    }

    // Asked to stop by the session or a terminal, the program ends as "Exit" ends it: exit code
    // 0 and every line written, the last ones held in the output buffer included. So it does
    // with the main window open, which only hides when it is closed.
    void stopRequestsEndTheProgramInOrder_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("withProject");
        QTest::newRow("SIGTERM, start window") << int(SIGTERM) << false;
        QTest::newRow("SIGHUP, start window") << int(SIGHUP) << false;
        QTest::newRow("SIGINT, start window") << int(SIGINT) << false;
        QTest::newRow("SIGTERM, main window") << int(SIGTERM) << true;
    }

    void stopRequestsEndTheProgramInOrder()
    {
        QFETCH(int, signalNumber);
        QFETCH(bool, withProject);
        const QString recent = m_dir.filePath(QStringLiteral("cache/recent_project_list.json"));
        const QString folder = m_dir.filePath(QStringLiteral("project"));
        QString ready = QStringLiteral("Is AutoStart: 0\n");
        if (withProject) {
            QVERIFY(QDir().mkpath(folder));
            OV::ProjectManager pm(recent, folder);
            QVERIFY(pm.createProject(QStringLiteral("Stop"), folder).isOk());
            pm.closeProject();
            ready = QStringLiteral("[MainProfileWidget] selected:");
        }
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        p.start(m_exe, withProject ? QStringList{QStringLiteral("--autostart")} : QStringList{});
        QVERIFY(p.waitForStarted(10000));
        QString out;
        QElapsedTimer clock;
        clock.start();
        while (!out.contains(ready) && clock.elapsed() < 60000) {
            p.waitForReadyRead(100);
            out += QString::fromUtf8(p.readAllStandardOutput());
        }
        QVERIFY2(p.state() == QProcess::Running, qPrintable(out));
        QCOMPARE(::kill(pid_t(p.processId()), signalNumber), 0);
        QVERIFY(p.waitForFinished(20000));
        out += QString::fromUtf8(p.readAllStandardOutput());
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY2(
            out.contains(QStringLiteral("[I] [TerminationSignals] stop requested by signal %1\n").arg(signalNumber)),
            qPrintable(out));
        QVERIFY(!withProject || QFile::remove(recent));
    }

    // An exception during start-up ends the process in order: a message and a non-zero code.
    void startUpFailureEndsTheProcess_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("malformed settings")
            << QStringLiteral("settings.json") << QStringLiteral("PersistentStore: JSON parse error in settings.json");
        QTest::newRow("a file where a folder belongs")
            << QStringLiteral("plugin") << QStringLiteral("create directory failed, path:");
    }

    void startUpFailureEndsTheProcess()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        QDir(m_dir.filePath(file)).removeRecursively();
        put(file, "{\"theme\": ");
        const int exitCode = start({QStringLiteral("--autostart")});
        QFile::remove(m_dir.filePath(file));
        QVERIFY(exitCode != 0);
        QVERIFY2(m_err.contains(message), qPrintable(m_err));
    }

    // "Launch at startup" turned on by the program running in its folder: the session runs the
    // entry as desktops do (in its "Path", else in the home folder) and the start reads the
    // settings.json the program was using.
    void logOnStartReadsTheSettingsOfTheProgramThatTurnedItOn()
    {
        QTemporaryDir config;
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        put(QStringLiteral("settings.json"), "{\"language\": \"en_US\"}");
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        const bool enabled =
            OV::StartupProviderWin(QStringLiteral("OrvelWorkSpace"), std::make_shared<OV::XdgAutostartStore>(), m_exe)
                .enable();
        QVERIFY(QDir::setCurrent(before));
        QVERIFY(enabled);
        const auto entry = OV::DesktopEntry::load(OV::XdgAutostartStore::entryPath(QStringLiteral("OrvelWorkSpace")));
        qunsetenv("XDG_CONFIG_HOME");
        QVERIFY(entry);
        QCOMPARE(entry->execArguments(), (QStringList{m_exe, QStringLiteral("--autostart")}));
        const QString folder = entry->value(QStringLiteral("Path"));
        QCOMPARE(start({QStringLiteral("--autostart")}, {}, folder.isEmpty() ? home.path() : folder), 0);
        QVERIFY(QFile::remove(m_dir.filePath(QStringLiteral("settings.json"))));
        const QString read = QFileInfo(m_dir.path()).canonicalFilePath() + QStringLiteral("/settings.json");
        QVERIFY2(m_out.contains(QStringLiteral("[I] [Settings] settings from %1\n").arg(read)), qPrintable(m_out));
    }

    // Which settings.json was looked for, by its folder: a start from elsewhere (a log-on entry,
    // a shortcut) reads another folder's, and the line is how a user finds out.
    void settingsLineNamesTheFolderLookedIn()
    {
        QTemporaryDir empty;
        QCOMPARE(start({QStringLiteral("--autostart")}, {}, empty.path()), 0);
        const QString looked = QFileInfo(empty.path()).canonicalFilePath() + QStringLiteral("/settings.json");
        QVERIFY2(m_out.contains(QStringLiteral("[I] [Settings] no %1: default settings\n").arg(looked)),
                 qPrintable(m_out));
    }

    // A start at log-on with a usable last project opens it into a hidden main window and keeps
    // running in the tray.
    void autostartOpensTheLastProjectHidden()
    {
        const QString recent = m_dir.filePath(QStringLiteral("cache/recent_project_list.json"));
        const QString folder = m_dir.filePath(QStringLiteral("project"));
        {
            OV::ProjectManager pm(recent, folder);
            QVERIFY(pm.createProject(QStringLiteral("Desk"), folder).isOk());
            pm.closeProject();
            QCOMPARE(pm.recentList().value(0), folder + QStringLiteral("/Desk.ovpf"));
        }
        QCOMPARE(start({QStringLiteral("--autostart")}, QStringLiteral("[ProjectDatabase] init, succeed")), -1);
        QVERIFY2(m_err.isEmpty() || !m_err.contains(QStringLiteral("failed")), qPrintable(m_err));
        QVERIFY(QFile::remove(recent));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_Startup.moc"
