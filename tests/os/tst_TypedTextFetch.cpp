// ORVEL_TEST_LABELS: platform
#include "device/OSCtrlExecutor.h"
#include "os/OSControllerWin.h"
#include "os/platform/QtClipboardService.h"
#include "os/platform/X11WindowSystem.h"
#include "support/FakeOsPlatform.h"
#include "support/TestXServer.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <optional>

#include <xcb/xcb.h>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace OV;

namespace {

const char* const kForm = "--form";
const char* const kClipboardManager = "--clipboard-manager";

// Far enough apart for a loaded machine's target to take each key in turn; near enough that a
// fixed wait of kTypedTextCapMs after each text puts the hub's Return before the password.
constexpr int kStepMs = 40;

// A GTK log-in form that speaks as the Qt one does; it reads its standard input to know when to end.
const char* const kGtkForm = R"(
import sys
import gi
gi.require_version('Gtk', '3.0')
from gi.repository import GLib, Gtk

def out(line):
    sys.stdout.write(line + '\n')
    sys.stdout.flush()

def hexed(entry):
    return entry.get_text().encode().hex()

window = Gtk.Window(title='Log-in form')
box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
name, password = Gtk.Entry(), Gtk.Entry()
box.add(name)
box.add(password)
window.add(box)
name.connect('changed', lambda e: out('name:' + hexed(e)))
submit = lambda e: out('submitted:' + hexed(name) + ',' + hexed(password))
name.connect('activate', submit)
password.connect('activate', submit)
name.connect('focus-in-event', lambda *a: out('ready'))
window.connect('map-event', lambda *a: window.get_window().focus(0))
GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, lambda *a: Gtk.main_quit())
window.show_all()
name.grab_focus()
Gtk.main()
)";

void printLine(const QByteArray& line)
{
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

// A log-in form in a program of its own, focused: prints its name field on every change and
// both fields when Return is pressed in either.
int form()
{
    QWidget window;
    window.setWindowTitle(QStringLiteral("Log-in form"));
    auto* name = new QLineEdit(&window);
    auto* password = new QLineEdit(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(name);
    layout->addWidget(password);
    window.resize(320, 120);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 3;
    window.activateWindow();
    name->setFocus();
    if (!QTest::qWaitFor([&] { return window.isActiveWindow() && name->hasFocus(); }, 10000))
        return 4;
    QObject::connect(name, &QLineEdit::textChanged,
                     [](const QString& text) { printLine("name:" + text.toUtf8().toHex()); });
    auto submit = [name, password] {
        printLine("submitted:" + name->text().toUtf8().toHex() + ',' + password->text().toUtf8().toHex());
    };
    QObject::connect(name, &QLineEdit::returnPressed, submit);
    QObject::connect(password, &QLineEdit::returnPressed, submit);
    // Ends when the test closes our standard input.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &QCoreApplication::quit);
    printLine("ready");
    return QApplication::exec();
}

// Stands in for a desktop's clipboard manager: fetches every new clipboard and selection at
// once, in every format offered.
int clipboardManager()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    QObject::connect(clipboard, &QClipboard::changed, [clipboard](QClipboard::Mode mode) {
        const QMimeData* data = clipboard->mimeData(mode);
        if (!data)
            return;
        for (const QString& format : data->formats())
            data->data(format);
    });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &QCoreApplication::quit);
    printLine("ready");
    return QApplication::exec();
}

// Collects a child's output lines as the event loop reads them, so the typist's loop runs on.
class Lines : public QObject
{
public:
    explicit Lines(QProcess& process) : m_process(process)
    {
        connect(&process, &QProcess::readyReadStandardOutput, this, [this] {
            while (m_process.canReadLine())
                m_lines.append(m_process.readLine().trimmed());
        });
    }
    // The last line that starts with `start`, or empty.
    QByteArray last(const QByteArray& start) const
    {
        for (auto it = m_lines.crbegin(); it != m_lines.crend(); ++it) {
            if (it->startsWith(start))
                return it->mid(start.size());
        }
        return {};
    }

private:
    QProcess& m_process;
    QList<QByteArray> m_lines;
};

// The window the texts go to, focused, in a program of its own: the Qt or GTK log-in form, or an
// xterm whose shell writes what it reads to a file. It ends with the row.
class Target
{
public:
    explicit Target(QString kind) : m_kind(std::move(kind)) {}
    ~Target()
    {
        m_process.closeWriteChannel();
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    bool start()
    {
        if (isForm()) {
            // Debian's own interpreter: that is where its GTK bindings are.
            if (m_kind == QLatin1String("GTK form"))
                m_process.start(QStringLiteral("/usr/bin/python3"),
                                {QStringLiteral("-c"), QString::fromUtf8(kGtkForm)});
            else
                m_process.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kForm)});
            return QTest::qWaitFor([this] { return !m_lines.last("ready").isNull(); }, 30000);
        }
        // Cooked for a log-in (Return ends the line), raw for a stream of texts.
        const QString script =
            m_kind == QLatin1String("xterm log-in")
                ? QStringLiteral(": >\"$1.ready\" && IFS= read -r line && printf %s \"$line\" >\"$1\"")
                : QStringLiteral("stty raw -echo && : >\"$1.ready\" && exec cat >\"$1\"");
        m_process.start(QStringLiteral("xterm"),
                        {QStringLiteral("-u8"), QStringLiteral("-title"), QStringLiteral("Typing target"),
                         QStringLiteral("-e"), QStringLiteral("/bin/sh"), QStringLiteral("-c"), script,
                         QStringLiteral("sh"), m_out});
        uint64_t id = 0;
        const bool started = QTest::qWaitFor(
            [&] {
                for (const WindowSystem::Window& window : X11WindowSystem().windows()) {
                    if (window.title == QLatin1String("Typing target"))
                        id = window.id;
                }
                return id != 0 && QFile::exists(m_out + QStringLiteral(".ready"));
            },
            30000);
        return started && X11WindowSystem().activate(id);
    }

    bool isForm() const { return m_kind.endsWith(QLatin1String("form")); }
    // What arrived: the form's name field, or what the terminal's shell wrote.
    QString received() const
    {
        if (isForm())
            return QString::fromUtf8(QByteArray::fromHex(m_lines.last("name:")));
        QFile file(m_out);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // The form's fields when Return was pressed; empty before.
    QStringList submitted() const
    {
        const QByteArray line = m_lines.last("submitted:");
        if (line.isNull())
            return {};
        QStringList fields;
        for (const QByteArray& field : line.split(','))
            fields.append(QString::fromUtf8(QByteArray::fromHex(field)));
        return fields;
    }

private:
    QString m_kind;
    QTemporaryDir m_dir;
    QString m_out = m_dir.filePath(QStringLiteral("typed"));
    QProcess m_process;
    Lines m_lines{m_process};
};

// Presses and lets go of one key, as the hub does as a keyboard of its own.
bool pressKey(KeySym keysym)
{
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return false;
    const KeyCode code = XKeysymToKeycode(dpy, keysym);
    XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    XTestFakeKeyEvent(dpy, code, False, CurrentTime);
    XSync(dpy, False);
    XCloseDisplay(dpy);
    return code != 0;
}

// Counts the requests for the text of our selections, from any client.
class TextFetchCounter : public QAbstractNativeEventFilter
{
public:
    TextFetchCounter() { QCoreApplication::instance()->installNativeEventFilter(this); }
    ~TextFetchCounter() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        const auto* event = static_cast<const xcb_selection_request_event_t*>(message);
        if (type == "xcb_generic_event_t" && (event->response_type & 0x7f) == XCB_SELECTION_REQUEST &&
            event->target != targets())
            ++count;
        return false;
    }
    int count = 0;

private:
    static xcb_atom_t targets()
    {
        static const xcb_atom_t atom = [] {
            Display* dpy = XOpenDisplay(nullptr);
            const Atom found = XInternAtom(dpy, "TARGETS", False);
            XCloseDisplay(dpy);
            return xcb_atom_t(found);
        }();
        return atom;
    }
};

// Waits with the event loop running throughout, as the program's own does: QTest::qWait runs it
// only every 10 ms, which would hold up our answers to the target's requests.
void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Waits as spin does until `done`, at most `ms`; true when done.
bool spinUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        spin(2);
    }
    return true;
}

// Starts a record of what an execCmd asked, and when, instead of a shell.
class RecordingLauncher : public Test::FakeProcessLauncher
{
public:
    std::function<void()> onStart;
    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        if (onStart)
            onStart();
        return FakeProcessLauncher::startDetached(program, arguments);
    }
};

} // namespace

// Texts a hub types arrive whole, in the hub's order, in the window that has the focus, on an X
// server of each row's own: a log-in whose keys the hub sends between them, an action behind
// them, and beside a clipboard manager that fetches every new text first.
class TestTypedTextFetch : public QObject
{
    Q_OBJECT

    std::shared_ptr<RecordingLauncher> launcher = std::make_shared<RecordingLauncher>();

    OSControllerWin controller()
    {
        OSPlatform platform = Test::FakeOsPlatform().platform();
        platform.windows = std::make_shared<X11WindowSystem>();
        platform.clipboard = std::make_shared<QtClipboardService>();
        platform.launcher = launcher;
        return OSControllerWin(platform, nullptr);
    }

    static void type(OSCtrlExecutor& executor, const QString& text)
    {
        executor.executePcControl({}, {{"action", "inputText"}, {"params", {{"text", text.toStdString()}}}});
    }

private slots:
    void init()
    {
        if (Test::isRowOnServer())
            return;
        // Each row on an X server of its own: a clipboard manager there meets no other test.
        QString output;
        QVERIFY2(Test::runRowOnOwnServer({}, &output), qPrintable(output));
        QSKIP("ran on its own X server");
    }

    void logInTypesThePasswordBeforeTheHubsReturn_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("focusMoved");
        QTest::newRow("Qt form") << QStringLiteral("form") << false;
        QTest::newRow("xterm") << QStringLiteral("xterm log-in") << false;
        // The fetch that counts is the window's that has the focus when each text is offered.
        QTest::newRow("Qt form, after a first form") << QStringLiteral("form") << true;
    }

    // The hub types the name, presses Tab, types the password and presses Return, kStepMs apart.
    void logInTypesThePasswordBeforeTheHubsReturn()
    {
        QFETCH(QString, target);
        QFETCH(bool, focusMoved);
        OSControllerWin os = controller();
        OSCtrlExecutor executor(&os);
        std::optional<Target> first;
        if (focusMoved) {
            first.emplace(QStringLiteral("form"));
            QVERIFY(first->start());
            type(executor, QStringLiteral("first"));
            QTRY_COMPARE_WITH_TIMEOUT(first->received(), QStringLiteral("first"), 10000);
        }
        Target window(target);
        QVERIFY(window.start());
        const QString name = QStringLiteral("alice");
        const QString password = QStringLiteral("s3cret ✓ Grüße");
        type(executor, name);
        // A form shows when it has the name; a busy machine may take longer than a step for it.
        if (window.isForm())
            QVERIFY(spinUntil([&] { return window.received() == name; }, 10000));
        spin(kStepMs);
        QVERIFY(pressKey(XK_Tab));
        spin(kStepMs);
        type(executor, password);
        spin(kStepMs);
        QVERIFY(pressKey(XK_Return));
        if (window.isForm()) {
            QTRY_VERIFY_WITH_TIMEOUT(!window.submitted().isEmpty(), 10000);
            QCOMPARE(window.submitted().value(0), name);
            QCOMPARE(window.submitted().value(1), password);
            if (first)
                QCOMPARE(first->received(), QStringLiteral("first"));
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(window.received(), name + QLatin1Char('\t') + password, 10000);
        }
    }

    void aFetchCountsOnlyWhenTheTextIsHandedOut_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("served");
        for (const char* name : {"UTF8_STRING", "STRING", "TEXT", "text/plain"})
            QTest::newRow(name) << QByteArray(name) << true;
        for (const char* name : {"text/plain;charset=utf-8", "COMPOUND_TEXT"})
            QTest::newRow(name) << QByteArray(name) << false;
    }

    // The focused window asks for the text under one name: our selection hands it out or refuses,
    // and only a request that got the text is the fetch.
    void aFetchCountsOnlyWhenTheTextIsHandedOut()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, served);
        Display* dpy = XOpenDisplay(nullptr);
        QVERIFY(dpy);
        const Window window = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 10, 10, 0, 0, 0);
        XMapWindow(dpy, window);
        XSync(dpy, False);
        XSetInputFocus(dpy, window, RevertToParent, CurrentTime);
        XSync(dpy, False);
        QtClipboardService clipboard;
        QVERIFY(clipboard.setText(QStringLiteral("handed out ✓")));
        bool fetched = false;
        QVERIFY(clipboard.notifyWhenFetched([&fetched] { fetched = true; }));
        const Atom property = XInternAtom(dpy, "ORVEL_PASTE", False);
        XConvertSelection(dpy, XInternAtom(dpy, "CLIPBOARD", False), XInternAtom(dpy, name.constData(), False),
                          property, window, CurrentTime);
        XFlush(dpy);
        XEvent reply{};
        const bool answered =
            spinUntil([&] { return XCheckTypedWindowEvent(dpy, window, SelectionNotify, &reply); }, 10000);
        // Qt names the property in its answer even where it wrote nothing there: the text is what
        // the property holds.
        QByteArray text;
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long left = 0;
        unsigned char* data = nullptr;
        if (answered && reply.xselection.property == property &&
            XGetWindowProperty(dpy, window, property, 0, 1024, True, AnyPropertyType, &type, &format, &items, &left,
                               &data) == Success &&
            data) {
            text = QByteArray(reinterpret_cast<const char*>(data), int(items));
            XFree(data);
        }
        const bool handedOut = text.startsWith("handed out");
        spin(50);
        XCloseDisplay(dpy);
        QVERIFY(answered);
        QCOMPARE(handedOut, served);
        QCOMPARE(fetched, served);
    }

    // Two texts and then a command in one turn of the event loop: the command waits until the
    // focused window has fetched the second text.
    void anActionWaitsForTheTextBeforeIt()
    {
        Target window(QStringLiteral("xterm"));
        QVERIFY(window.start());
        TextFetchCounter fetches;
        int fetchedWhenRun = -1;
        launcher->onStart = [&] { fetchedWhenRun = fetches.count; };
        OSControllerWin os = controller();
        OSCtrlExecutor executor(&os);
        type(executor, QStringLiteral("first-"));
        type(executor, QStringLiteral("second ✓"));
        executor.executePcControl({}, {{"action", "execCmd"}, {"params", {{"cmd", "echo done"}}}});
        QTRY_COMPARE_WITH_TIMEOUT(launcher->calls.size(), size_t(1), 10000);
        QCOMPARE(fetchedWhenRun, 2);
        QTRY_COMPARE_WITH_TIMEOUT(window.received(), QStringLiteral("first-second ✓"), 10000);
        QCOMPARE(launcher->calls[0].arguments, (QStringList{QStringLiteral("-c"), QStringLiteral("echo done")}));
        launcher->onStart = nullptr;
    }

    void textsArriveWholeAndInOrder_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("withManager");
        QTest::addColumn<QStringList>("texts");
        const QStringList three{QStringLiteral("first-"), QStringLiteral("second-"), QStringLiteral("third ✓ Grüße")};
        QStringList ten;
        for (int i = 1; i <= 10; ++i)
            ten.append(QStringLiteral("t%1-").arg(i, 2, 10, QLatin1Char('0')));
        QTest::newRow("Qt form beside a clipboard manager") << QStringLiteral("form") << true << three;
        QTest::newRow("xterm running cat beside a clipboard manager") << QStringLiteral("xterm") << true << three;
        // GTK asks first for a format Qt does not serve, then again for one it does.
        QTest::newRow("GTK form beside a clipboard manager") << QStringLiteral("GTK form") << true << three;
        QTest::newRow("GTK form, two texts")
            << QStringLiteral("GTK form") << false << QStringList{QStringLiteral("first-"), QStringLiteral("second")};
        QTest::newRow("GTK form, ten texts") << QStringLiteral("GTK form") << false << ten;
    }

    // Texts sent in one go: each waits until the focused window was handed the one before. A
    // clipboard manager fetches each new text before that window does, and its fetch counts not.
    void textsArriveWholeAndInOrder()
    {
        QFETCH(QString, target);
        QFETCH(bool, withManager);
        QFETCH(QStringList, texts);
        QProcess manager;
        Lines managerLines(manager);
        if (withManager) {
            manager.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kClipboardManager)});
            QTRY_VERIFY_WITH_TIMEOUT(!managerLines.last("ready").isNull(), 30000);
        }
        Target window(target);
        QVERIFY(window.start());
        OSControllerWin os = controller();
        OSCtrlExecutor executor(&os);
        for (const QString& text : texts)
            type(executor, text);
        QTRY_COMPARE_WITH_TIMEOUT(window.received(), texts.join(QString()), 10000);
        // Nothing more arrives late.
        QTest::qWait(OSCtrlExecutor::kTypedTextCapMs);
        QCOMPARE(window.received(), texts.join(QString()));
        manager.closeWriteChannel();
        manager.kill();
        manager.waitForFinished(5000);
    }
};

int main(int argc, char** argv)
{
    if (argc == 2 && (qstrcmp(argv[1], kForm) == 0 || qstrcmp(argv[1], kClipboardManager) == 0)) {
        Test::useDisplay(argv, qgetenv("DISPLAY"));
        QApplication app(argc, argv);
        return qstrcmp(argv[1], kForm) == 0 ? form() : clipboardManager();
    }
    if (Test::isRowOnServer())
        Test::useDisplay(argv, qgetenv("DISPLAY"));
    QApplication app(argc, argv);
    TestTypedTextFetch tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_TypedTextFetch.moc"
