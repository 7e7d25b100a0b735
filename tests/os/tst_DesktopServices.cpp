// ORVEL_TEST_LABELS: platform
#include "device/OSCtrlExecutor.h"
#include "os/OSControllerWin.h"
#include "os/platform/ProcProcessTable.h"
#include "os/platform/PulseAudioMixer.h"
#include "os/platform/QtClipboardService.h"
#include "os/platform/ThemeFileIconSource.h"
#include "os/platform/X11WindowSystem.h"
#include "support/FakeOsPlatform.h"
#include "support/TestXServer.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <thread>

#include <unistd.h>

// Xlib last: its macros clash with Qt's names.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace OV;

// The controller on this desktop's services. The "x11" cases need an X server (the test runner
// starts Xvfb, without a window manager, and names it in ORVEL_TEST_DISPLAY); the "pulse" cases
// a sound server with a default sink (ORVEL_TEST_PULSE). Without them those cases are skipped.
class TestDesktopServices : public QObject
{
    Q_OBJECT

    QTemporaryDir themes;

    static OSControllerWin desktopController(const QByteArray& display = {}, const QByteArray& pulseServer = {})
    {
        OSPlatform platform = Test::FakeOsPlatform().platform();
        platform.windows = std::make_shared<X11WindowSystem>(display);
        platform.clipboard = std::make_shared<QtClipboardService>();
        platform.processes = std::make_shared<ProcProcessTable>();
        platform.audio = std::make_shared<PulseAudioMixer>(pulseServer);
        platform.icons = std::make_shared<ThemeFileIconSource>();
        return OSControllerWin(platform, nullptr);
    }

    static uint64_t windowTitled(const QString& title)
    {
        for (const WindowSystem::Window& window : X11WindowSystem().windows()) {
            if (window.title == title)
                return window.id;
        }
        return 0;
    }

    // The keys the X server holds down, by keycode and name.
    static QStringList keysDown()
    {
        Display* dpy = XOpenDisplay(nullptr);
        if (!dpy)
            return {QStringLiteral("no X server")};
        char keys[32] = {};
        XQueryKeymap(dpy, keys);
        QStringList down;
        for (int code = 0; code < 256; ++code) {
            if (keys[code / 8] & (1 << (code % 8))) {
                const char* name = XKeysymToString(XkbKeycodeToKeysym(dpy, KeyCode(code), 0, 0));
                down.append(QStringLiteral("%1 %2").arg(code).arg(QString::fromLatin1(name ? name : "?")));
            }
        }
        XCloseDisplay(dpy);
        return down;
    }

    static bool showWindow(QWidget& window, const QString& title)
    {
        window.setWindowTitle(title);
        window.resize(320, 120);
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

private slots:
    void initTestCase()
    {
        // An icon theme of our own: a red text icon at 32 px, a blue one at 256 px.
        QVERIFY(QDir().mkpath(themes.filePath("orveltest")));
        QFile index(themes.filePath("orveltest/index.theme"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=orveltest\nDirectories=32x32/mimetypes,256x256/mimetypes\n"
                    "[32x32/mimetypes]\nSize=32\nType=Fixed\n[256x256/mimetypes]\nSize=256\nType=Fixed\n");
        index.close();
        for (const auto& [size, colour] : {std::pair(32, Qt::red), std::pair(256, Qt::blue)}) {
            const QString dir = themes.filePath(QStringLiteral("orveltest/%1x%1/mimetypes").arg(size));
            QImage image(size, size, QImage::Format_ARGB32);
            image.fill(colour);
            QVERIFY(QDir().mkpath(dir) && image.save(dir + "/text-plain.png"));
        }
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName("orveltest");
    }

    void init()
    {
        const QByteArray name = QTest::currentTestFunction();
        if (name.startsWith("x11") && qEnvironmentVariableIsEmpty("ORVEL_TEST_DISPLAY"))
            QSKIP("no test X server (ORVEL_TEST_DISPLAY not set)");
        if (name.startsWith("pulse") && qEnvironmentVariableIsEmpty("ORVEL_TEST_PULSE"))
            QSKIP("no test sound server (ORVEL_TEST_PULSE not set)");
    }

    void x11ListsOurWindowWithOurExecutable()
    {
        QWidget window;
        const QString title = QStringLiteral("Orvel running-app check ✓ Grüße");
        QVERIFY(showWindow(window, title));
        OSControllerWin controller = desktopController();
        auto pathOfOurs = [&] {
            for (const OSRunningApp& app : controller.getRunningApps()) {
                if (app.title == title)
                    return app.path;
            }
            return QString();
        };
        QTRY_COMPARE(pathOfOurs(), QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());
        const auto windows = X11WindowSystem().windows();
        QVERIFY(std::any_of(windows.begin(), windows.end(), [&](const auto& w) {
            return w.title == title && w.id == window.winId() && w.pid == getpid() && !w.owned;
        }));
    }

    void x11UsesTheWindowManagersClientList()
    {
        QWidget listed;
        QWidget unlisted;
        QVERIFY(showWindow(listed, QStringLiteral("Listed")));
        QVERIFY(showWindow(unlisted, QStringLiteral("Not listed")));

        Display* dpy = XOpenDisplay(nullptr);
        QVERIFY(dpy);
        const Atom clientList = XInternAtom(dpy, "_NET_CLIENT_LIST", False);
        // A window that no longer exists is skipped without harm.
        const long ids[] = {long(0x7ffff01), long(listed.winId())};
        XChangeProperty(dpy, DefaultRootWindow(dpy), clientList, XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(ids), 2);
        XSync(dpy, False);
        const auto windows = X11WindowSystem().windows();
        XDeleteProperty(dpy, DefaultRootWindow(dpy), clientList);
        XCloseDisplay(dpy);

        QCOMPARE(windows.size(), size_t(1));
        QCOMPARE(windows[0].title, QStringLiteral("Listed"));
    }

    void x11ActivateGivesTheFocus()
    {
        QWidget first;
        QWidget second;
        QVERIFY(showWindow(first, QStringLiteral("First")));
        QVERIFY(showWindow(second, QStringLiteral("Second")));
        X11WindowSystem windows;
        QVERIFY(windows.activate(second.winId()));
        QTRY_VERIFY(second.isActiveWindow());
        QVERIFY(windows.activate(first.winId()));
        QTRY_VERIFY(first.isActiveWindow());
        QVERIFY(!windows.activate(0x7ffff02));
    }

    // Text typed by a hub button arrives exactly in the focused window, a terminal's included,
    // where Ctrl+V is not paste.
    // Several texts are the hub's commands sent in one go, run in one turn of the event loop:
    // each must be fetched before the next replaces it.
    void x11TypedTextArrivesInTheFocusedWindow_data()
    {
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("Qt line edit") << false << QStringList{QStringLiteral("Grüße, 世界 — ok ✓ 100%")};
        QTest::newRow("xterm running cat") << true << QStringList{QStringLiteral("Grüße, 世界 — ok ✓ 100% {é@ß€}")};
        const QStringList threeTexts{QStringLiteral("first-"), QStringLiteral("second-"),
                                     QStringLiteral("third ✓ Grüße")};
        QTest::newRow("Qt line edit, three commands back to back") << false << threeTexts;
        QTest::newRow("xterm running cat, three commands back to back") << true << threeTexts;
    }

    void x11TypedTextArrivesInTheFocusedWindow()
    {
        QFETCH(bool, terminal);
        QFETCH(QStringList, texts);
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("typed"));
        QProcess xterm;
        QWidget window;
        auto* edit = new QLineEdit(&window);
        std::function<QString()> received = [edit] { return edit->text(); };
        if (terminal) {
            xterm.start(QStringLiteral("xterm"),
                        {QStringLiteral("-u8"), QStringLiteral("-title"), QStringLiteral("Typing target terminal"),
                         QStringLiteral("-e"), QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                         // Raw and silent: each byte pasted reaches cat as it comes, no line to end.
                         QStringLiteral("stty raw -echo && : >\"$1.ready\" && exec cat >\"$1\""), QStringLiteral("sh"),
                         out});
            QVERIFY2(xterm.waitForStarted(10000), "xterm is not installed (scripts/deps.sh installs it)");
            uint64_t id = 0;
            QTRY_VERIFY_WITH_TIMEOUT((id = windowTitled(QStringLiteral("Typing target terminal"))) != 0, 20000);
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out + QStringLiteral(".ready")), 20000);
            QVERIFY(X11WindowSystem().activate(id));
            received = [&out] {
                QFile file(out);
                return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
            };
        } else {
            (new QVBoxLayout(&window))->addWidget(edit);
            QVERIFY(showWindow(window, QStringLiteral("Typing target")));
            QVERIFY(X11WindowSystem().activate(window.winId()));
            QTRY_VERIFY(window.isActiveWindow());
            edit->setFocus();
            QTRY_VERIFY(edit->hasFocus());
        }

        OSControllerWin controller = desktopController();
        OSCtrlExecutor executor(&controller);
        if (texts.size() == 1) {
            QVERIFY(controller.inputText(texts[0].toStdString()));
        } else {
            for (const QString& text : texts)
                executor.executePcControl({}, {{"action", "inputText"}, {"params", {{"text", text.toStdString()}}}});
        }
        QTRY_COMPARE_WITH_TIMEOUT(received(), texts.join(QString()), 10000);
        QCOMPARE(QGuiApplication::clipboard()->text(), texts.last());
        // The paste keys all let go: a held Shift would shift whatever the user types next.
        QCOMPARE(keysDown().join(QStringLiteral(", ")), QString());
        if (terminal) {
            xterm.kill();
            xterm.waitForFinished(5000);
        }
    }

    void pulseVolumeAndMuteOfTheDefaultSink()
    {
        OSControllerWin controller = desktopController();
        for (int percent : {0, 100, 37}) {
            QVERIFY(controller.setVolume(percent));
            QCOMPARE(controller.getVolume(), percent);
        }
        QVERIFY(!controller.setVolume(101));
        QVERIFY(!controller.setVolume(-5));
        QCOMPARE(controller.getVolume(), 37);
        QVERIFY(controller.setMute(true));
        QVERIFY(controller.isMute());
        QVERIFY(controller.setMute(false));
        QVERIFY(!controller.isMute());
    }

    void withoutServers()
    {
        QVERIFY(!X11WindowSystem(":9873").activate(1));
        QElapsedTimer timer;
        timer.start();
        OSControllerWin offline = desktopController(":9873", "unix:/nonexistent/orvel/pulse/native");
        QVERIFY(offline.getRunningApps().empty());
        QVERIFY(!offline.inputText("x"));
        QCOMPARE(offline.getVolume(), -1);
        QVERIFY(!offline.setVolume(37));
        QVERIFY(!offline.setMute(true));
        QVERIFY(!offline.isMute());
        QVERIFY(timer.elapsed() < 3000);
    }

    void fileIconsFromTheThemeOrTheStyle()
    {
        OSControllerWin controller = desktopController();
        const QImage jumbo = controller.getFileIcon("/nowhere/notes.txt", true).toImage();
        QCOMPARE(jumbo.size(), QSize(256, 256));
        QCOMPARE(jumbo.pixelColor(128, 128), QColor(Qt::blue));
        const QImage large = controller.getFileIcon("/nowhere/notes.txt", false).toImage();
        QCOMPARE(large.size(), QSize(32, 32));
        QCOMPARE(large.pixelColor(16, 16), QColor(Qt::red));

        ThemeFileIconSource source;
        QVERIFY(!source.icon("/nowhere/data.orvel-unknown", 32).isNull());
        QVERIFY(!source.icon(QDir::tempPath(), 32).isNull());
        // Pixmaps belong to the GUI thread: none elsewhere.
        bool isNull = false;
        std::thread([&] { isNull = source.icon("/nowhere/notes.txt", 32).isNull(); }).join();
        QVERIFY(isNull);
    }
};

int main(int argc, char** argv)
{
    // With a test X server the program runs on it, as it does on a desktop.
    Test::useDisplay(argv, qgetenv("ORVEL_TEST_DISPLAY"));
    QApplication app(argc, argv);
    TestDesktopServices tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_DesktopServices.moc"
