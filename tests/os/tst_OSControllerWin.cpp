#include "os/OSControllerWin.h"
#include "os/SystemMonitors.h"
#include "support/FakeOsPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using Call = Test::FakeProcessLauncher::Call;

namespace {

QString writeFile(const QString& path, const QByteArray& content, bool executable = false)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(content);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    return path;
}

} // namespace

class TestOSControllerWin : public QObject
{
    Q_OBJECT

    Test::FakeOsPlatform fakes;
    std::unique_ptr<OSControllerWin> controller;
    QTemporaryDir dir;
    QString program; // an executable file of our own

private slots:
    void initTestCase()
    {
        program = writeFile(dir.filePath(QStringLiteral("editor")), "#!/bin/sh\n", true);
        QVERIFY(!program.isEmpty());
        program = QFileInfo(program).canonicalFilePath();
    }

    void init()
    {
        fakes = Test::FakeOsPlatform();
        controller = std::make_unique<OSControllerWin>(fakes.platform(), nullptr);
    }

    void runningAppsNeedAKnownExecutable()
    {
        fakes.windows->list = {{1, QStringLiteral("Doc - Editor"), 10, false},
                               {2, QStringLiteral("Mystery"), 11, false},
                               {3, QStringLiteral("Find"), 10, true}};
        fakes.processes->executables.insert(10, QStringLiteral("/usr/bin/editor"));
        const auto apps = controller->getRunningApps();
        QCOMPARE(apps.size(), size_t(2));
        QCOMPARE(apps[0].title, QStringLiteral("Doc - Editor"));
        QCOMPARE(apps[0].path, QStringLiteral("/usr/bin/editor"));
        QCOMPARE(apps[1].title, QStringLiteral("Find"));
        QCOMPARE(fakes.icons->requests.front(),
                 qMakePair(QStringLiteral("/usr/bin/editor"), int(OSControllerWin::kJumboIconSize)));
        controller->getFileIcon(QStringLiteral("/tmp/a.txt"), false);
        QCOMPARE(fakes.icons->requests.back().second, int(OSControllerWin::kLargeIconSize));
    }

    void startApplicationModes()
    {
        const std::string path = program.toStdString();
        // Not running: activate-only starts nothing; single-instance and new-instance start it.
        QVERIFY(!controller->startApplication(path, ActivateOnly));
        QVERIFY(fakes.launcher->calls.empty());
        QVERIFY(controller->startApplication(path, SingleInstance));
        QVERIFY(controller->startApplication(path, NewInstance));
        QCOMPARE(fakes.launcher->calls.size(), size_t(2));
        QCOMPARE(fakes.launcher->calls[0].program, program);
        QVERIFY(fakes.launcher->calls[0].arguments.isEmpty());

        // Running: the first own, titled window of it comes to the front; nothing starts.
        fakes.launcher->calls.clear();
        fakes.processes->executables.insert(42, program);
        fakes.windows->list = {{7, QStringLiteral("Other"), 5, false},
                               {8, QStringLiteral("Dialog"), 42, true},
                               {9, QStringLiteral("Main"), 42, false}};
        QVERIFY(controller->startApplication(path, SingleInstance));
        QVERIFY(controller->startApplication(path, static_cast<OSAppLaunchMode>(5)));
        QVERIFY(controller->startApplication(path, ActivateOnly));
        QCOMPARE(fakes.windows->activated, (std::vector<uint64_t>{9, 9, 9}));
        QVERIFY(fakes.launcher->calls.empty());

        // Running without a window: true, nothing started.
        fakes.windows->list.clear();
        QVERIFY(controller->startApplication(path, SingleInstance));
        QVERIFY(fakes.launcher->calls.empty());
        // A new instance starts whatever runs.
        QVERIFY(controller->startApplication(path, NewInstance));
        QCOMPARE(fakes.launcher->calls.size(), size_t(1));
    }

    void desktopEntryStandsForItsProgram()
    {
        const QString entry = writeFile(dir.filePath(QStringLiteral("Editor.DESKTOP")),
                                        "[Desktop Entry]\nType=Application\nName=Editor\nExec=\"" + program.toUtf8() +
                                            "\" --new-window %U\n");
        QVERIFY(!entry.isEmpty());
        // Not running: started through its own command line, the field code left out.
        QVERIFY(controller->startApplication(entry.toStdString(), SingleInstance));
        QCOMPARE(fakes.launcher->calls.size(), size_t(1));
        QCOMPARE(fakes.launcher->calls[0].program, program);
        QCOMPARE(fakes.launcher->calls[0].arguments, QStringList{QStringLiteral("--new-window")});
        // Running: found by the entry's executable.
        fakes.processes->executables.insert(3, program);
        fakes.windows->list = {{30, QStringLiteral("Editor"), 3, false}};
        QVERIFY(controller->startApplication(entry.toStdString(), ActivateOnly));
        QCOMPARE(fakes.windows->activated, std::vector<uint64_t>{30});
    }

    void startPathRules()
    {
        QVERIFY(controller->openFile(""));
        QVERIFY(controller->openFile("/srv/doc/report 1.pdf"));
        QVERIFY(controller->openFile("-rf"));
        QVERIFY(controller->openFile(program.toStdString()));
        QVERIFY(controller->openFile("sh")); // a bare program name found on PATH
        const auto& calls = fakes.launcher->calls;
        QCOMPARE(calls.size(), size_t(5));
        QCOMPARE(calls[0].program, QStringLiteral("xdg-open"));
        QCOMPARE(calls[0].arguments, QStringList{QDir::homePath()});
        QCOMPARE(calls[1].arguments, QStringList{QStringLiteral("/srv/doc/report 1.pdf")});
        QCOMPARE(calls[2].arguments, QStringList{QStringLiteral("./-rf")});
        QCOMPARE(calls[3].program, program);
        QVERIFY(calls[4].program.endsWith(QLatin1String("/sh")));
        for (const Call& call : calls)
            QVERIFY(call.detached);
    }

    void openBrowserTakesOnlyWebAndMail()
    {
        QVERIFY(controller->openBrowser("https://example.org/a?q=$(id)&r=`x`"));
        QVERIFY(controller->openBrowser("HTTP://example.org"));
        QVERIFY(controller->openBrowser("mailto:someone@example.org"));
        QVERIFY(controller->openBrowser(""));
        const auto& calls = fakes.launcher->calls;
        QCOMPARE(calls.size(), size_t(4));
        QCOMPARE(calls[0].program, QStringLiteral("xdg-open"));
        QCOMPARE(calls[0].arguments, QStringList{QStringLiteral("https://example.org/a?q=$(id)&r=`x`")});
        QCOMPARE(calls[3].arguments, QStringList{QStringLiteral("https://")});

        for (const char* refused : {"file:///etc/passwd", "javascript:alert(1)", "/usr/bin/xterm", "-e x",
                                    "ftp://example.org", "smb://host/share", " https://example.org"})
            QVERIFY2(!controller->openBrowser(refused), refused);
        QCOMPARE(calls.size(), size_t(4));
    }

    void execCommandThroughTheShell()
    {
        fakes.launcher->runOutput = "out\n";
        std::string output = "before:";
        QVERIFY(controller->execCommand("echo out; ls /nope", true, &output));
        QCOMPARE(output, std::string("before:out\n"));
        const Call call = fakes.launcher->calls.back();
        QCOMPARE(call.program, QStringLiteral("/bin/sh"));
        QCOMPARE(call.arguments, (QStringList{QStringLiteral("-c"), QStringLiteral("echo out; ls /nope")}));
        QVERIFY(!call.detached);

        fakes.launcher->runExitCode = 1;
        QVERIFY(!controller->execCommand("false", true, nullptr));
        fakes.launcher->runExitCode = std::nullopt; // could not start or crashed
        QVERIFY(!controller->execCommand("x", true, nullptr));
        QVERIFY(controller->execCommand("false", false, &output));
        QVERIFY(fakes.launcher->calls.back().detached);
    }

    void inputTextPastesThroughTheClipboard()
    {
        QVERIFY(controller->inputText("Grüße 世界"));
        QCOMPARE(fakes.clipboard->text, QStringLiteral("Grüße 世界"));
        QCOMPARE(fakes.windows->pastes, 1);
        fakes.windows->pasteResult = false;
        QVERIFY(!controller->inputText("x"));
        fakes.clipboard->available = false;
        QVERIFY(!controller->inputText("y"));
        QCOMPARE(fakes.windows->pastes, 2);
    }

    void figures()
    {
        QCOMPARE(controller->getMemoryUsage(), 40);
        fakes.stats->memory.reset();
        QCOMPARE(controller->getMemoryUsage(), -1);
        SystemMonitors monitors(fakes.stats);
        OSControllerWin withMonitors(fakes.platform(), &monitors);
        QCOMPARE(monitors.threadCount(), 3);
        QTRY_COMPARE(withMonitors.getTotalReceivedBytes(), uint64_t(100));
        QCOMPARE(withMonitors.getTotalSentBytes(), uint64_t(200));
        QTRY_COMPARE(withMonitors.getDiskUsage(), 55);
        OSControllerWin second(fakes.platform(), &monitors);
        QCOMPARE(monitors.threadCount(), 3);
    }
};

QTEST_GUILESS_MAIN(TestOSControllerWin)
#include "tst_OSControllerWin.moc"
