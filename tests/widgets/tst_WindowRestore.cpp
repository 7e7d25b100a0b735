// ORVEL_TEST_LABELS: platform
#include "support/TestXServer.h"
#include "widgets/BaseWindow.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <vector>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace OV;

namespace {

constexpr int kShownMs = 3000;

// What the X server and the window manager say about a window, read on a connection of the
// test's own, as a task bar would see it.
class ServerView
{
public:
    ServerView() : m_dpy(XOpenDisplay(nullptr)) {}
    ~ServerView()
    {
        if (m_dpy)
            XCloseDisplay(m_dpy);
    }
    ServerView(const ServerView&) = delete;
    ServerView& operator=(const ServerView&) = delete;

    bool isOpen() const { return m_dpy != nullptr; }

    // The ICCCM state the window manager gives the window (NormalState, IconicState,
    // WithdrawnState), -1 when it gives none.
    long wmState(WId window)
    {
        const Atom wmStateAtom = XInternAtom(m_dpy, "WM_STATE", False);
        const std::vector<unsigned long> state = longs(window, wmStateAtom, wmStateAtom, 2);
        return state.empty() ? -1 : long(state[0]);
    }

    bool isViewable(WId window)
    {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(m_dpy, window, &attributes) && attributes.map_state == IsViewable;
    }

    bool isShownNormal(WId window) { return wmState(window) == NormalState && isViewable(window); }
    bool isWithdrawn(WId window)
    {
        const long state = wmState(window);
        return state != NormalState && state != IconicState && !isViewable(window);
    }

    bool hasNetState(WId window, const char* name)
    {
        const std::vector<unsigned long> atoms = longs(window, XInternAtom(m_dpy, "_NET_WM_STATE", False), XA_ATOM, 64);
        return std::find(atoms.begin(), atoms.end(), XInternAtom(m_dpy, name, False)) != atoms.end();
    }

    // The request a task bar sends when its button of an iconic window is clicked: the window
    // manager, not the program, brings the window back.
    void activateAsTaskBar(WId window)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(m_dpy, "_NET_ACTIVE_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2; // source: a pager or task bar
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_dpy, DefaultRootWindow(m_dpy), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XFlush(m_dpy);
    }

    // The window the window manager has made the active one.
    WId activeWindow()
    {
        const std::vector<unsigned long> active =
            longs(DefaultRootWindow(m_dpy), XInternAtom(m_dpy, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 1);
        return active.size() == 1 ? WId(active[0]) : 0;
    }

    QPoint position(WId window)
    {
        int x = -1;
        int y = -1;
        ::Window child = 0;
        XTranslateCoordinates(m_dpy, window, DefaultRootWindow(m_dpy), 0, 0, &x, &y, &child);
        return {x, y};
    }

private:
    // A property of 32-bit items of the given type (as Xlib hands them out, in longs); empty when
    // the window has none.
    std::vector<unsigned long> longs(::Window window, Atom name, Atom type, long maxItems)
    {
        Atom actualType = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::vector<unsigned long> items;
        if (XGetWindowProperty(m_dpy, window, name, 0, maxItems, False, type, &actualType, &format, &count, &after,
                               &data) == Success &&
            actualType == type && format == 32) {
            const auto* values = reinterpret_cast<const unsigned long*>(data);
            items.assign(values, values + count);
        }
        if (data)
            XFree(data);
        return items;
    }

    Display* m_dpy;
};

// The window states the window system reports for a window, as Qt hears them. Qt sets the state
// a program asks for at once, and a report of the window manager's that it reads only after the
// window manager moved on is lost (Qt reads the present state, finds no change and drops it):
// a person takes longer than that between a minimise and a restore, so the rows wait for it.
class StateReports : public QObject
{
public:
    explicit StateReports(QWindow* window) : m_window(window) { window->installEventFilter(this); }
    Qt::WindowStates lastHeard() const { return m_last; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::WindowStateChange && event->spontaneous())
            m_last = m_window->windowStates();
        return false;
    }

private:
    QWindow* m_window;
    Qt::WindowStates m_last;
};

QPoint centredOnScreen(const QWidget& window)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    return {area.x() + (area.width() - window.width()) / 2, area.y() + (area.height() - window.height()) / 2};
}

// Minimises the window with its button, has the window manager bring it back as a task bar asks
// it to, and hides it, as before it goes to the tray or a dialog closes.
void minimiseRestoreAndHide(ServerView& server, BaseWindow& window, const StateReports& reports)
{
    const WId id = window.winId();
    window.minimizeButton()->click();
    QTRY_COMPARE(server.wmState(id), long(IconicState));
    QVERIFY(!server.isViewable(id));
    QTRY_VERIFY(reports.lastHeard() & Qt::WindowMinimized);

    server.activateAsTaskBar(id);
    QTRY_VERIFY(server.isShownNormal(id));
    QTRY_VERIFY(!window.isMinimized());

    window.hide();
    QTRY_VERIFY(server.isWithdrawn(id));
    QTRY_VERIFY(!window.windowHandle()->isExposed());
}

QStringList openbox()
{
    return {QStringLiteral("openbox"), QStringLiteral("--sm-disable")};
}

QStringList metacity()
{
    return {QStringLiteral("metacity"), QStringLiteral("--sm-disable")};
}

} // namespace

// A window minimised with its button and brought back by the window manager (a task bar, Alt+Tab)
// is hidden to the tray or closed as a dialog, then shown again: it comes back on screen, not
// iconic, under window managers that honour the initial state a window is mapped with.
class TestWindowRestore : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        if (!Test::isRowOnServer() && qEnvironmentVariableIsEmpty("ORVEL_TEST_DISPLAY"))
            QSKIP("no test X server (ORVEL_TEST_DISPLAY not set)");
    }

    void reshownAfterTheWindowManagerRestoredIt_data()
    {
        QTest::addColumn<QStringList>("windowManager");
        QTest::addColumn<bool>("asTray");
        QTest::newRow("openbox, tray") << openbox() << true;
        QTest::newRow("openbox, dialog") << openbox() << false;
        QTest::newRow("metacity, tray") << metacity() << true;
        QTest::newRow("metacity, dialog") << metacity() << false;
    }

    void reshownAfterTheWindowManagerRestoredIt()
    {
        QFETCH(QStringList, windowManager);
        if (!Test::isRowOnServer()) {
            QString output;
            QVERIFY2(Test::runRowOnOwnServer(windowManager, &output), qPrintable(output));
            return;
        }
        QFETCH(bool, asTray);
        const auto reshow = [asTray](BaseWindow& window) {
            if (asTray) {
                window.showNormal();
                window.activateWindow();
            } else {
                window.show();
            }
        };
        ServerView server;
        QVERIFY(server.isOpen());

        // A window never minimised comes back as before: on screen and centred.
        {
            BaseWindow untouched;
            untouched.show();
            QVERIFY(QTest::qWaitForWindowExposed(&untouched));
            const WId id = untouched.winId();
            QTRY_VERIFY_WITH_TIMEOUT(server.isShownNormal(id), kShownMs);
            for (int k = 0; k < 2; ++k) {
                untouched.hide();
                QTRY_VERIFY(server.isWithdrawn(id));
                reshow(untouched);
                QTRY_VERIFY_WITH_TIMEOUT(server.isShownNormal(id), kShownMs);
                QTRY_COMPARE(server.position(id), centredOnScreen(untouched));
            }
        }

        BaseWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const WId id = window.winId();
        QTRY_VERIFY_WITH_TIMEOUT(server.isShownNormal(id), kShownMs);
        const StateReports reports(window.windowHandle());
        for (int round = 0; round < 2; ++round) {
            // The minimise button still minimises.
            minimiseRestoreAndHide(server, window, reports);
            if (QTest::currentTestFailed())
                return;
            reshow(window);
            QTRY_VERIFY2_WITH_TIMEOUT(server.isShownNormal(id),
                                      qPrintable(QStringLiteral("round %1: WM_STATE %2, viewable %3")
                                                     .arg(round)
                                                     .arg(server.wmState(id))
                                                     .arg(server.isViewable(id))),
                                      kShownMs);
            // Qt has seen the map, and has sent the tray's activation, before the next minimise.
            QTRY_VERIFY(window.windowHandle()->isExposed());
            if (asTray)
                QTRY_COMPARE(server.activeWindow(), id);
        }

        // A show that asks for a minimised window still gets one.
        window.hide();
        QTRY_VERIFY(server.isWithdrawn(id));
        window.showMinimized();
        QTRY_COMPARE(server.wmState(id), long(IconicState));
        QVERIFY(!server.isViewable(id));
    }

    void maximisedComesBackMaximised_data()
    {
        QTest::addColumn<QStringList>("windowManager");
        // metacity clears the state of a window it withdraws, and Qt takes that for the
        // window's own: a maximised window hidden there comes back normal, minimised or not.
        QTest::addColumn<bool>("keepsStateOverHide");
        QTest::newRow("openbox") << openbox() << true;
        QTest::newRow("metacity") << metacity() << false;
    }

    void maximisedComesBackMaximised()
    {
        QFETCH(QStringList, windowManager);
        if (!Test::isRowOnServer()) {
            QString output;
            QVERIFY2(Test::runRowOnOwnServer(windowManager, &output), qPrintable(output));
            return;
        }
        ServerView server;
        QVERIFY(server.isOpen());
        BaseWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const WId id = window.winId();
        const StateReports reports(window.windowHandle());
        window.maximizeButton()->click();
        QTRY_VERIFY(server.hasNetState(id, "_NET_WM_STATE_MAXIMIZED_VERT"));
        QTRY_VERIFY(reports.lastHeard() & Qt::WindowMaximized);

        minimiseRestoreAndHide(server, window, reports);
        if (QTest::currentTestFailed())
            return;
        window.show();
        QTRY_VERIFY2_WITH_TIMEOUT(
            server.isShownNormal(id),
            qPrintable(QStringLiteral("WM_STATE %1, viewable %2").arg(server.wmState(id)).arg(server.isViewable(id))),
            kShownMs);
        QFETCH(bool, keepsStateOverHide);
        if (!keepsStateOverHide)
            return;
        QTRY_VERIFY(window.isMaximized());
        QTRY_VERIFY(server.hasNetState(id, "_NET_WM_STATE_MAXIMIZED_VERT"));
        QVERIFY(server.hasNetState(id, "_NET_WM_STATE_MAXIMIZED_HORZ"));
    }
};

int main(int argc, char** argv)
{
    if (Test::isRowOnServer())
        Test::useDisplay(argv, qgetenv("DISPLAY"));
    QApplication app(argc, argv);
    TestWindowRestore tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_WindowRestore.moc"
