#include "support/WidgetTestEnv.h"
#include "widgets/BaseWindow.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

using namespace OV;

namespace {

// Side by side, of different sizes, the second lower: a window centred on the wrong one is
// off in both directions.
const QRect kPrimary(0, 0, 1920, 1040);
const QRect kSecond(1920, 200, 1280, 800);

QPoint centredIn(const QRect& area, const QSize& size)
{
    return {area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2};
}

} // namespace

// Windows on a desktop of two screens: each show centres a window on the screen it is on.
class TestTwoScreens : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        const QList<QScreen*> screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), kPrimary);
        QCOMPARE(screens.at(1)->availableGeometry(), kSecond);
    }

    void reshowIsCentredOnTheWindowsOwnScreen_data()
    {
        QTest::addColumn<bool>("movedWhileShown");
        QTest::newRow("dragged there, then hidden") << true;
        QTest::newRow("hidden, then moved there") << false;
    }

    void reshowIsCentredOnTheWindowsOwnScreen()
    {
        QFETCH(bool, movedWhileShown);
        BaseWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.pos(), centredIn(kPrimary, window.size()));
        window.resize(600, 400);

        const QPoint onSecond = kSecond.topLeft() + QPoint(30, 40);
        if (movedWhileShown)
            window.move(onSecond);
        window.hide();
        if (!movedWhileShown)
            window.move(onSecond);

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(window.geometry(), QRect(centredIn(kSecond, window.size()), QSize(600, 400)));
        QCOMPARE(window.windowHandle()->screen(), QGuiApplication::screens().at(1));
    }
};

int main(int argc, char** argv)
{
    const QString screenConfig = Test::useOffscreenScreens({kPrimary, kSecond});
    QApplication app(argc, argv);
    QFile::remove(screenConfig);
    TestTwoScreens tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_TwoScreens.moc"
