#include "os/OSControllerWin.h"
#include "os/SystemMonitors.h"
#include "os/platform/QProcessLauncher.h"
#include "support/FakeOsPlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;

class TestOSControllerWin : public QObject
{
    Q_OBJECT

    Test::FakeOsPlatform fakes;
    std::unique_ptr<OSControllerWin> controller;
    QTemporaryDir dir;
    QString program; // an executable file of our own
    QByteArray savedPath;

    // With real processes: the shell for commands, and the opener first on PATH only records
    // its arguments, one line per call, each between < and >.
    OSControllerWin withRealProcesses()
    {
        OSPlatform platform = fakes.platform();
        platform.launcher = std::make_shared<QProcessLauncher>();
        return OSControllerWin(platform, nullptr);
    }
    QStringList openerCalls() const
    {
        QFile file(dir.filePath("calls.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                                              : QStringList();
    }

    QString writeFile(const QString& name, const QByteArray& content)
    {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return {};
        file.close();
        file.setPermissions(file.permissions() | QFile::ExeOwner);
        return QFileInfo(file).canonicalFilePath();
    }

private slots:
    void initTestCase()
    {
        program = writeFile("editor", "#!/bin/sh\n");
        QVERIFY(!program.isEmpty());
        QVERIFY(!writeFile("xdg-open", "#!/bin/sh\nline=\nfor a in \"$@\"; do line=\"$line<$a>\"; done\n"
                                       "printf '%s\\n' \"$line\" >> \"" +
                                           QFile::encodeName(dir.filePath("calls.txt")) + "\"\n")
                     .isEmpty());
        savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.path()) + ':' + savedPath);
    }

    void cleanupTestCase() { qputenv("PATH", savedPath); }

    void init()
    {
        fakes = Test::FakeOsPlatform();
        controller = std::make_unique<OSControllerWin>(fakes.platform(), nullptr);
    }

    void runningAppsNeedAKnownExecutable()
    {
        fakes.windows->list = {{1, "Doc - Editor", 10, false}, {2, "Mystery", 11, false}, {3, "Find", 10, true}};
        fakes.processes->executables.insert(10, "/usr/bin/editor");
        const auto apps = controller->getRunningApps();
        QCOMPARE(apps.size(), size_t(2));
        QCOMPARE(apps[0].title, QStringLiteral("Doc - Editor"));
        QCOMPARE(apps[0].path, QStringLiteral("/usr/bin/editor"));
        QCOMPARE(apps[1].title, QStringLiteral("Find"));
        QCOMPARE(fakes.icons->requests.front().second, int(OSControllerWin::kJumboIconSize));
    }

    void startApplicationModes()
    {
        const std::string path = program.toStdString();
        const auto& calls = fakes.launcher->calls;
        // Not running: activate-only starts nothing; single-instance and new-instance start it.
        QVERIFY(!controller->startApplication(path, ActivateOnly));
        QVERIFY(calls.empty());
        QVERIFY(controller->startApplication(path, SingleInstance));
        QVERIFY(controller->startApplication(path, NewInstance));
        QCOMPARE(calls.size(), size_t(2));
        QCOMPARE(calls[0].program, program);
        QVERIFY(calls[0].arguments.isEmpty());

        // Running: the first own, titled window of it comes to the front; nothing starts.
        fakes.launcher->calls.clear();
        fakes.processes->executables.insert(42, program);
        fakes.windows->list = {{7, "Other", 5, false}, {8, "Dialog", 42, true}, {9, "Main", 42, false}};
        QVERIFY(controller->startApplication(path, SingleInstance));
        QVERIFY(controller->startApplication(path, ActivateOnly));
        QCOMPARE(fakes.windows->activated, (std::vector<uint64_t>{9, 9}));
        // Running without a window: true, nothing started; a new instance starts whatever runs.
        fakes.windows->list.clear();
        QVERIFY(controller->startApplication(path, SingleInstance));
        QVERIFY(calls.empty());
        QVERIFY(controller->startApplication(path, NewInstance));
        QCOMPARE(calls.size(), size_t(1));

        // A desktop entry starts with its own command line, field codes left out, and is found
        // running by its executable.
        const QString entry =
            writeFile("Editor.DESKTOP", "[Desktop Entry]\nExec=\"" + program.toUtf8() + "\" --new-window %U\n");
        fakes.processes->executables.clear();
        QVERIFY(controller->startApplication(entry.toStdString(), SingleInstance));
        QCOMPARE(calls.back().program, program);
        QCOMPARE(calls.back().arguments, QStringList{"--new-window"});
        fakes.processes->executables.insert(3, program);
        fakes.windows->list = {{30, "Editor", 3, false}};
        QVERIFY(controller->startApplication(entry.toStdString(), ActivateOnly));
        QCOMPARE(fakes.windows->activated.back(), uint64_t(30));
    }

    void filesAndPagesGoDetachedAsOneArgument()
    {
        const QString opener = QStringLiteral("xdg-open");
        const struct
        {
            bool browser;
            std::string input;
            QString program;
            QStringList arguments;
        } cases[] = {
            {false, "", opener, {QDir::homePath()}},
            {false, "/srv/doc/report 1.pdf", opener, {"/srv/doc/report 1.pdf"}},
            {false, "-rf", opener, {"./-rf"}}, // never read as an option
            {false, program.toStdString(), program, {}},
            {true, "https://example.org/a?q=$(id)&r=`x`", opener, {"https://example.org/a?q=$(id)&r=`x`"}},
            {true, "HTTP://example.org", opener, {"HTTP://example.org"}},
            {true, "mailto:someone@example.org", opener, {"mailto:someone@example.org"}},
            {true, "", opener, {"https://"}},
            // Typed without a scheme: read as a person types an address, opened over http.
            {true, "www.example.org", opener, {"http://www.example.org"}},
            {true, " example.org/docs?q=a b#top ", opener, {"http://example.org/docs?q=a%20b#top"}},
            {true, "example.org:8080/x", opener, {"http://example.org:8080/x"}},
            {true, "192.0.2.7/admin", opener, {"http://192.0.2.7/admin"}},
        };
        for (const auto& c : cases) {
            QVERIFY(c.browser ? controller->openBrowser(c.input) : controller->openFile(c.input));
            const auto& call = fakes.launcher->calls.back();
            QCOMPARE(call.program, c.program);
            QCOMPARE(call.arguments, c.arguments);
            QVERIFY(call.detached);
        }
        QVERIFY(controller->openFile("sh")); // a bare program name found on PATH
        QVERIFY(fakes.launcher->calls.back().program.endsWith("/sh"));

        fakes.launcher->calls.clear();
        for (const char* refused : {"file:///etc/passwd",   "javascript:alert(1)",
                                    "/usr/bin/xterm",       "-e x",
                                    "ftp://example.org",    "smb://host/share",
                                    " https://example.org", "localhost",
                                    "someone@example.org",  "-www.example.org",
                                    "~/www.example.org",    "./www.example.org",
                                    "www.exa mple.org",     "example.org\\docs",
                                    "c:/example.org",       "data:text/html,x",
                                    "example.org:x/docs",   "   ",
                                    "~user.example.org/x",  "org.example.tool://run"})
            QVERIFY2(!controller->openBrowser(refused), refused);
        QVERIFY(fakes.launcher->calls.empty());
    }

    void inputTextPastesThroughTheClipboard()
    {
        QVERIFY(controller->inputText("Grüße 世界"));
        QCOMPARE(fakes.clipboard->text, QStringLiteral("Grüße 世界"));
        fakes.windows->pasteResult = false;
        QVERIFY(!controller->inputText("x"));
        fakes.clipboard->available = false;
        QVERIFY(!controller->inputText("y"));
        QCOMPARE(fakes.windows->pastes, 2);
    }

    void commandOutputIsReadBack()
    {
        OSControllerWin controller = withRealProcesses();
        std::string output = "before:";
        QVERIFY(controller.execCommand("printf 'one\\n'; echo two >&2; printf 'drei \\303\\274'", true, &output));
        QCOMPARE(QString::fromStdString(output), QStringLiteral("before:one\ntwo\ndrei ü"));
        QVERIFY(!controller.execCommand("echo partial; exit 1", true, &output));
        QVERIFY(QString::fromStdString(output).endsWith(QLatin1String("partial\n")));
        QVERIFY(!controller.execCommand("kill -9 $$", true, nullptr));
        // A command that reads its input gets none, rather than waiting for it.
        QVERIFY(controller.execCommand("cat", true, nullptr));
        // Without wait only the start counts.
        const std::string ran = dir.filePath("ran").toStdString();
        QVERIFY(controller.execCommand("touch '" + ran + "'; exit 1", false, nullptr));
        QTRY_VERIFY(QFile::exists(QString::fromStdString(ran)));
    }

    void openerGetsOneUntouchedArgument()
    {
        OSControllerWin controller = withRealProcesses();
        const QString odd = dir.filePath("a b; touch pwned $(id).txt");
        QVERIFY(controller.openFile(odd.toStdString()));
        QTRY_COMPARE(openerCalls().size(), 1); // one at a time: the record keeps their order
        QVERIFY(controller.openBrowser("https://example.org/search?q=a&b=$(id)"));
        QTRY_COMPARE(openerCalls().size(), 2);
        QCOMPARE(openerCalls(), (QStringList{'<' + odd + '>', "<https://example.org/search?q=a&b=$(id)>"}));
        QVERIFY(!QFile::exists(QDir::current().filePath("pwned")));

        // No opener to be found is a failure.
        qputenv("PATH", QFile::encodeName(dir.filePath("nothing-here")));
        const bool opened = controller.openFile("/tmp/x.pdf");
        qputenv("PATH", QFile::encodeName(dir.path()) + ':' + savedPath);
        QVERIFY(!opened);
    }

    void figures()
    {
        QCOMPARE(controller->getMemoryUsage(), 40);
        fakes.stats->memory.reset();
        QCOMPARE(controller->getMemoryUsage(), -1);
        SystemMonitors monitors(fakes.stats);
        OSControllerWin withMonitors(fakes.platform(), &monitors);
        OSControllerWin second(fakes.platform(), &monitors);
        QCOMPARE(monitors.threadCount(), 3); // started once
        QTRY_COMPARE(withMonitors.getTotalReceivedBytes(), uint64_t(100));
        QCOMPARE(withMonitors.getTotalSentBytes(), uint64_t(200));
        QTRY_COMPARE(withMonitors.getDiskUsage(), 55);
    }
};

QTEST_GUILESS_MAIN(TestOSControllerWin)
#include "tst_OSControllerWin.moc"
