// ORVEL_TEST_LABELS: platform
#include "support/TestXServer.h"
#include "widgets/BaseWindow.h"

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xlib.h>

using namespace OV;

namespace {

// Where the X server has `window`'s top-left corner (the truth a window manager leaves).
QPoint serverPosition(QWidget& window)
{
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return {-1, -1};
    int x = -1;
    int y = -1;
    Window child = 0;
    XTranslateCoordinates(dpy, window.winId(), DefaultRootWindow(dpy), 0, 0, &x, &y, &child);
    XCloseDisplay(dpy);
    return {x, y};
}

} // namespace

// Windows shown, hidden and shown again on a real X server, with a window manager that
// reparents and without one: each show is centred, and Qt's idea of where the window sits is
// the X server's, so popups open where they are aimed.
class TestWindowPlacement : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        if (!Test::isRowOnServer() && qEnvironmentVariableIsEmpty("ORVEL_TEST_DISPLAY"))
            QSKIP("no test X server (ORVEL_TEST_DISPLAY not set)");
    }

    void everyShowSitsWhereQtBelievesIt_data()
    {
        QTest::addColumn<QStringList>("windowManager");
        QTest::newRow("openbox") << QStringList{QStringLiteral("openbox"), QStringLiteral("--sm-disable")};
        QTest::newRow("no window manager") << QStringList();
    }

    void everyShowSitsWhereQtBelievesIt()
    {
        if (!Test::isRowOnServer()) {
            QFETCH(QStringList, windowManager);
            QString output;
            QVERIFY2(Test::runRowOnOwnServer(windowManager, &output), qPrintable(output));
            return;
        }
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        // Eight windows, each shown five times: first shows, and re-shows after a move.
        for (int i = 0; i < 8; ++i) {
            BaseWindow window;
            auto* content = new QWidget;
            auto* button = new QPushButton(QStringLiteral("Project"), content);
            button->setGeometry(20 + i, 10, 120, 30);
            window.setContentWidget(content);
            for (int k = 0; k < 5; ++k) {
                window.show();
                QVERIFY(QTest::qWaitForWindowExposed(&window));
                // The window manager's own moves come after the exposure: a position that is
                // right at first can still be lost.
                QTest::qWait(100);
                const QPoint centred(area.x() + (area.width() - window.width()) / 2,
                                     area.y() + (area.height() - window.height()) / 2);
                QTRY_COMPARE_WITH_TIMEOUT(serverPosition(window), centred, 5000);
                QTRY_COMPARE_WITH_TIMEOUT(window.mapToGlobal(QPoint(0, 0)), centred, 5000);

                // A drop-down opens under its button, as the X server sees the button.
                QMenu menu;
                menu.addAction(QStringLiteral("Close Project"));
                menu.popup(button->mapToGlobal(QPoint(0, button->height())));
                QVERIFY(QTest::qWaitForWindowExposed(&menu));
                QCOMPARE(serverPosition(menu), centred + button->mapTo(&window, QPoint(0, button->height())));
                menu.hide();

                // Dragged elsewhere before it goes to the tray.
                const QPoint dragged(30 + 7 * k + i, 40 + i);
                window.move(dragged);
                QTRY_COMPARE_WITH_TIMEOUT(serverPosition(window), dragged, 5000);
                window.hide();
            }
        }
    }
};

int main(int argc, char** argv)
{
    if (Test::isRowOnServer())
        Test::useDisplay(argv, qgetenv("DISPLAY"));
    QApplication app(argc, argv);
    TestWindowPlacement tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_WindowPlacement.moc"
