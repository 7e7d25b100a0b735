#include "support/WidgetTestEnv.h"
#include "widgets/BaseDialog.h"
#include "widgets/BaseWindow.h"
#include "widgets/frameless/FramelessWidgetsHelper.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace OV;

namespace {

class ProbeWindow : public BaseWindow
{
public:
    using BaseWindow::BaseWindow;
    bool allowClose = true;
    QStringList calls;

protected:
    bool canClose(QCloseEvent*) override { return allowClose; }
    void onClose() override { calls << QStringLiteral("onClose"); }
};

class ProbeDialog : public BaseDialog
{
public:
    using BaseDialog::BaseDialog;
    QStringList calls;

protected:
    void onButton1Clicked() override { calls << QStringLiteral("hook1"); }
    void onButton3Clicked() override { calls << QStringLiteral("hook3"); }
};

} // namespace

class TestBaseWindow : public QObject
{
    Q_OBJECT
private slots:
    void firstShowSizesAndCentres()
    {
        BaseWindow w;
        w.show();
        QCOMPARE(w.size(), QSize(1152, 806));
        QCOMPARE(w.pos(), QPoint(384, 117));
        // Later shows keep the size but centre again, once the window is on screen.
        w.resize(600, 400);
        w.move(5, 5);
        w.hide();
        w.show();
        QTRY_COMPARE(w.geometry(), QRect(660, 320, 600, 400));
        // Back from minimised, too.
        w.move(5, 5);
        w.showMinimized();
        w.showNormal();
        QTRY_COMPARE(w.geometry(), QRect(660, 320, 600, 400));

        BaseWindow maximised; // centring never moves a maximised window
        maximised.showMaximized();
        QTRY_COMPARE(maximised.geometry(), QRect(0, 0, 1920, 1040));
    }

    void closeHandlersAndHooks()
    {
        ProbeWindow w;
        w.setClosedHandler([&] { w.calls << QStringLiteral("closed"); });
        bool allow = false;
        w.setCloseRequestHandler([&] { return allow; });
        w.show();
        QVERIFY(!w.close());
        allow = true;
        w.allowClose = false;
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QVERIFY(w.calls.isEmpty());

        w.allowClose = true;
        QTest::mouseClick(w.closeButton(), Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.calls, QStringList({"onClose", "closed"}));
    }

    void titleBarAndContent()
    {
        BaseWindow w;
        w.show();
        w.resize(800, 500);
        QCOMPARE(w.titleBar()->height(), 40);
        // The buttons sit at the right end of the bar, close last; a 2 px separator follows the bar.
        QCOMPARE(w.closeButton()->mapTo(&w, QPoint(36, 0)).x(), 800);
        QCOMPARE(w.contentArea()->mapTo(&w, QPoint(0, 0)).y(), 42);
        w.hideTitleBar();
        QTRY_COMPARE(w.contentArea()->mapTo(&w, QPoint(0, 0)).y(), 2);

        // Replaced content goes back to its owner rather than being deleted.
        QPointer<QLabel> first = new QLabel;
        w.setContentWidget(first);
        QCOMPARE(first->parentWidget(), w.contentArea());
        w.setContentWidget(new QLabel(&w));
        QVERIFY(first);
        QCOMPARE(first->parentWidget(), nullptr);
        delete first;
    }

    void captionMovesAndMaximises()
    {
        BaseWindow w;
        w.show();
        w.resize(800, 500);
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        FramelessWidgetsHelper* helper = w.framelessHelper();

        const QPoint onTitle = w.titleBar()->mapTo(&w, QPoint(300, 20));
        QVERIFY(helper->isCaptionAt(onTitle));
        QVERIFY(!helper->isCaptionAt(w.closeButton()->mapTo(&w, QPoint(10, 10))));
        QVERIFY(!helper->isCaptionAt(QPoint(300, 200))); // content
        QCOMPARE(helper->resizeEdgesAt(QPoint(2, 2)), Qt::LeftEdge | Qt::TopEdge);
        QCOMPARE(helper->resizeEdgesAt(QPoint(400, 497)), Qt::Edges(Qt::BottomEdge)); // over the content
        QCOMPARE(helper->resizeEdgesAt(QPoint(797, 4)), Qt::Edges()); // the close button reaches the corner

        // Dragging the caption moves the window (the offscreen platform cannot, so we do).
        QWindow* handle = w.windowHandle();
        const QPoint before = w.pos();
        QTest::mousePress(handle, Qt::LeftButton, {}, onTitle);
        QTest::mouseMove(handle, onTitle + QPoint(30, 20));
        // The window followed the pointer, so the same screen point is back at `onTitle` inside it.
        QTest::mouseRelease(handle, Qt::LeftButton, {}, onTitle);
        QTRY_COMPARE(w.pos(), before + QPoint(30, 20));

        QTest::mouseDClick(handle, Qt::LeftButton, {}, onTitle);
        QTRY_VERIFY(w.isMaximized());
        QCOMPARE(helper->resizeEdgesAt(QPoint(2, 2)), Qt::Edges());
        QTest::mouseDClick(handle, Qt::LeftButton, {}, w.titleBar()->mapTo(&w, QPoint(300, 20)));
        QTRY_VERIFY(!w.isMaximized());

        // Title-bar widgets registered as hit-test visible take their clicks.
        auto* button = new QPushButton(QStringLiteral("tb"));
        w.setTitleBarWidget(button);
        QTRY_VERIFY(button->isVisible());
        const QPoint onButton = button->mapTo(&w, button->rect().center());
        QVERIFY(helper->isCaptionAt(onButton));
        w.setHitTestVisible(button, true);
        QVERIFY(!helper->isCaptionAt(onButton));
    }

    void fixedWindowSize()
    {
        BaseWindow w;
        w.setFixedWindowSize(400, 200);
        w.show();
        QVERIFY(w.maximizeButton()->isHidden());
        QCOMPARE(w.framelessHelper()->resizeEdgesAt(QPoint(1, 1)), Qt::Edges());
        QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, QPoint(150, 20));
        QTest::qWait(20);
        QVERIFY(!w.isMaximized());
        w.resize(900, 900);
        QCOMPARE(w.size(), QSize(400, 200));
    }

    void dialogButtonsRunHookThenHandler()
    {
        auto* d = new ProbeDialog;
        d->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<ProbeDialog> guard(d);
        QCOMPARE(d->size(), QSize(500, 250));
        d->show();
        QVERIFY(d->minimizeButton()->isHidden() && d->maximizeButton()->isHidden());
        d->button1Handler = [](BaseDialog& dialog) { static_cast<ProbeDialog&>(dialog).calls << "handler1"; };
        // A handler that replaces itself and closes the dialog.
        d->button3Handler = [](BaseDialog& dialog) {
            static_cast<ProbeDialog&>(dialog).calls << "handler3";
            dialog.button3Handler = nullptr;
            dialog.close();
        };
        QTest::mouseClick(d->button1, Qt::LeftButton);
        QTest::mouseClick(d->button2, Qt::LeftButton);
        QTest::mouseClick(d->button3, Qt::LeftButton);
        QCOMPARE(d->calls, QStringList({"hook1", "handler1", "hook3", "handler3"}));
        QTRY_VERIFY(!guard);
    }
};

ORVEL_WIDGET_TEST_MAIN(TestBaseWindow, 1920, 1040)
#include "tst_BaseWindow.moc"
