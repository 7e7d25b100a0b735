#include "support/TestUtils.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// Runs the real executable from a fresh folder, as a user's first start would.
class TestStartup : public QObject
{
    Q_OBJECT
private:
    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    QTemporaryDir m_dir;
    QString m_exe;

    Run start(const QStringList& args)
    {
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(m_exe, args);
        if (!p.waitForFinished(60000))
            p.kill();
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    void writeFile(const QString& name, const QByteArray& data)
    {
        QFile f(m_dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(data);
    }

private slots:
    void initTestCase()
    {
        m_exe = m_dir.filePath(QStringLiteral("OrvelWorkSpace"));
        QVERIFY(QFile::copy(OV::Test::appExecutable(), m_exe));
    }

    void autostartCreatesDirectoriesAndLogs()
    {
        QDir().mkpath(m_dir.filePath(QStringLiteral("temp/old")));
        writeFile(QStringLiteral("temp/old/file.txt"), "left over");
        const Run run = start({QStringLiteral("--autostart")});
        QCOMPARE(run.exitCode, 0);
        for (const char* name : {"cache", "project", "plugin", "temp"})
            QVERIFY(QFileInfo(m_dir.filePath(QLatin1String(name))).isDir());
        QVERIFY(QDir(m_dir.filePath(QStringLiteral("temp"))).isEmpty());
        static const QRegularExpression args(
            QStringLiteral(
                "^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[I\\] \\[Application\\] Program args: "
                "\\S*OrvelWorkSpace --autostart$"),
            QRegularExpression::MultilineOption);
        QVERIFY2(args.match(run.out).hasMatch(), qPrintable(run.out));
        QVERIFY(run.out.contains(QLatin1String("[I] [Application] Is AutoStart: 1\n")));
    }

    void onlyTheExactArgumentCounts()
    {
        const Run run = start({QStringLiteral("--Autostart"), QStringLiteral("--autostart=1")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains(QLatin1String("Is AutoStart: 0")));
    }

    void malformedSettingsEndStartUpInOrder()
    {
        writeFile(QStringLiteral("settings.json"), "{\"theme\": ");
        const Run run = start({QStringLiteral("--autostart")});
        QFile::remove(m_dir.filePath(QStringLiteral("settings.json")));
        QVERIFY(run.exitCode != 0);
        QVERIFY2(run.err.contains(QLatin1String("PersistentStore: JSON parse error in settings.json")),
                 qPrintable(run.err));
    }

    void directoryThatCannotBeCreated()
    {
        QDir(m_dir.filePath(QStringLiteral("plugin"))).removeRecursively();
        writeFile(QStringLiteral("plugin"), "a file where a folder belongs");
        const Run run = start({QStringLiteral("--autostart")});
        QFile::remove(m_dir.filePath(QStringLiteral("plugin")));
        QVERIFY(run.exitCode != 0);
        QVERIFY2(run.err.contains(QLatin1String("create directory failed, path:")), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_Startup.moc"
