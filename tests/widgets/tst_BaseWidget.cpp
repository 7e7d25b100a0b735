#include "core/ThemeLoader.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseWidget.h"
#include "widgets/BaseWidgetSelectGroup.h"
#include "widgets/WidgetImageSource.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace OV;

namespace {

class ProbeWidget : public BaseWidget
{
public:
    using BaseWidget::BaseWidget;
    QStringList calls;
    int themeCalls = 0;

protected:
    void onThemeChanged(ThemeLoader*) override { ++themeCalls; }
    void onClicked() override { calls << QStringLiteral("clicked"); }
    void onSelectedChanged(bool s) override { calls << QStringLiteral("selected:%1").arg(s); }
    void onPressedChanged(bool p) override { calls << QStringLiteral("pressed:%1").arg(p); }
};

// Picture requests held back until the test answers them, in any order.
struct HeldImages
{
    QList<QPair<QString, PixmapCallback>> pending;
    void answer(const QString& url, const QPixmap& pixmap)
    {
        for (qsizetype i = 0; i < pending.size(); ++i) {
            if (pending[i].first == url) {
                auto callback = pending.takeAt(i).second;
                callback(pixmap);
                return;
            }
        }
        QFAIL("no such request");
    }
};

QPixmap filled(const QColor& color)
{
    QPixmap pixmap(4, 4);
    pixmap.fill(color);
    return pixmap;
}

} // namespace

class TestBaseWidget : public QObject
{
    Q_OBJECT
private slots:
    void clickWithinAndBeyondDragDistance()
    {
        ProbeWidget w;
        w.resize(200, 100);
        w.show();
        QSignalSpy clicked(&w, &BaseWidget::clicked);
        bool lastPressed = false;
        int pressedCalls = 0;
        w.setPressedCallback([&](bool p) {
            lastPressed = p;
            ++pressedCalls;
        });
        const int d = QApplication::startDragDistance();
        const QPoint start(50, 50);

        QTest::mousePress(&w, Qt::LeftButton, {}, start);
        QVERIFY(w.property("pressed").toBool());
        QVERIFY(lastPressed);
        QTest::mouseRelease(&w, Qt::LeftButton, {}, start + QPoint(d / 2, d - d / 2));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(w.calls, QStringList({"selected:1", "pressed:1", "clicked", "pressed:0"}));

        w.calls.clear();
        QTest::mousePress(&w, Qt::LeftButton, {}, start);
        QTest::mouseRelease(&w, Qt::LeftButton, {}, start + QPoint(d / 2 + 1, d - d / 2));
        QCOMPARE(clicked.count(), 1); // beyond the drag distance: no click
        QVERIFY(!w.property("pressed").toBool());
        QCOMPARE(w.calls, QStringList({"selected:0", "pressed:1", "pressed:0"}));
        QVERIFY(!lastPressed);
        QCOMPARE(pressedCalls, 4);

        // Other buttons neither press nor click.
        w.calls.clear();
        QTest::mouseClick(&w, Qt::RightButton, {}, start);
        QVERIFY(w.calls.isEmpty());
    }

    void pressOnClickableChildIsLeftAlone()
    {
        ProbeWidget w;
        w.resize(200, 100);
        auto* holder = new QWidget(&w);
        holder->setGeometry(0, 0, 100, 100);
        holder->setProperty("clickable", true);
        auto* inner = new QLabel(holder);
        inner->setGeometry(10, 10, 50, 50);
        w.show();
        QSignalSpy clicked(&w, &BaseWidget::clicked);

        QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 20), w.mapToGlobal(QPointF(20, 20)), Qt::LeftButton,
                          Qt::LeftButton, {});
        QApplication::sendEvent(&w, &press);
        QVERIFY(!press.isAccepted());
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(20, 20), w.mapToGlobal(QPointF(20, 20)), Qt::LeftButton,
                            Qt::NoButton, {});
        QApplication::sendEvent(&w, &release);
        QVERIFY(!release.isAccepted());
        QVERIFY(w.calls.isEmpty());
        QVERIFY(!w.isSelected());
        QCOMPARE(clicked.count(), 0);

        // Outside the clickable child the widget takes the click.
        QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(150, 50));
        QCOMPARE(clicked.count(), 1);
    }

    void selectionRules()
    {
        ProbeWidget w;
        w.resize(50, 50);
        w.show();
        QSignalSpy changed(&w, &BaseWidget::selectedChanged);

        w.setToggleable(false);
        QTest::mouseClick(&w, Qt::LeftButton);
        QTest::mouseClick(&w, Qt::LeftButton);
        QVERIFY(w.isSelected()); // a selected, non-toggleable widget stays selected
        w.setToggleable(true);
        QTest::mouseClick(&w, Qt::LeftButton);
        QVERIFY(!w.isSelected());
        QCOMPARE(changed.count(), 2);

        w.setSelected(false);
        QCOMPARE(changed.count(), 2); // same value: nothing
        w.setSelected(true);
        w.setSelectable(false);
        QVERIFY(!w.isSelected());
        QCOMPARE(changed.last().at(0).toBool(), false);
        QTest::mouseClick(&w, Qt::LeftButton);
        QVERIFY(!w.isSelected());
    }

    void selectGroupKeepsOneSelected()
    {
        BaseWidgetSelectGroup group;
        QList<BaseWidget*> widgets;
        QWidget host;
        for (int i = 0; i < 3; ++i) {
            auto* w = new BaseWidget(&host);
            w->setGeometry(i * 60, 0, 50, 50);
            widgets << w;
            group.addWidget(w);
        }
        group.addWidget(widgets[0]);
        group.addWidget(nullptr);
        QCOMPARE(group.count(), 3);
        QCOMPARE(group.widgetAt(1), widgets[1]);
        QVERIFY(!widgets[0]->isToggleable());
        host.show();
        QSignalSpy checked(&group, &BaseWidgetSelectGroup::checkedChanged);

        QTest::mouseClick(widgets[0], Qt::LeftButton);
        QTest::mouseClick(widgets[2], Qt::LeftButton);
        QTest::mouseClick(widgets[2], Qt::LeftButton); // not toggleable: stays selected
        QVERIFY(!widgets[0]->isSelected());
        QVERIFY(widgets[2]->isSelected());
        QCOMPARE(group.checkedWidget(), widgets[2]);

        widgets[1]->setSelected(true); // by code
        QVERIFY(!widgets[2]->isSelected());
        QCOMPARE(group.checkedWidget(), widgets[1]);
        QCOMPARE(checked.count(), 3);
        QCOMPARE(checked.last().at(0).value<BaseWidget*>(), widgets[1]);

        group.removeWidget(widgets[1]);
        QCOMPARE(group.checkedWidget(), nullptr);
        QCOMPARE(group.count(), 2);
        delete widgets[2];
        QCOMPARE(group.count(), 1);
        group.clear();
        QCOMPARE(group.count(), 0);
        QCOMPARE(checked.count(), 3);
    }

    void lateBackgroundRepliesNeverOverwriteNewerOnes()
    {
        HeldImages held;
        setWidgetImageSource([&](const QString& url, PixmapCallback cb) { held.pending.append({url, cb}); });
        auto* w = new BaseWidget;
        w->setBackgroundImage(QStringLiteral("http://a"));
        w->setBackgroundImage(QStringLiteral("http://b"));
        held.answer(QStringLiteral("http://b"), filled(Qt::blue));
        held.answer(QStringLiteral("http://a"), filled(Qt::red));
        QCOMPARE(w->backgroundPixmap().toImage().pixelColor(0, 0), QColor(Qt::blue));

        w->setBackgroundImage(QStringLiteral("http://c"));
        w->setBackgroundPixmap(filled(Qt::green));
        held.answer(QStringLiteral("http://c"), filled(Qt::red));
        QCOMPARE(w->backgroundPixmap().toImage().pixelColor(0, 0), QColor(Qt::green));

        w->setBackgroundImage(QStringLiteral("http://d"));
        w->setBackgroundImage(QString());
        held.answer(QStringLiteral("http://d"), filled(Qt::red));
        QVERIFY(w->backgroundPixmap().isNull());

        w->setBackgroundImage(QStringLiteral("http://e"));
        held.answer(QStringLiteral("http://e"), QPixmap()); // a failed load clears
        QVERIFY(w->backgroundPixmap().isNull());

        w->setBackgroundImage(QStringLiteral("http://f"));
        delete w;
        held.answer(QStringLiteral("http://f"), filled(Qt::red)); // widget gone: dropped
        setWidgetImageSource({});

        // The built-in source reads resources at once.
        BaseWidget direct;
        direct.setBackgroundImage(QStringLiteral(":/window/image/icon.png"));
        QVERIFY(!direct.backgroundPixmap().isNull());
    }

    void backgroundIsDrawnInsideTheMargin()
    {
        BaseWidget w;
        w.resize(40, 40);
        w.setBackgroundMargin(10);
        w.setBorderRadius(0);
        w.setBackgroundPixmap(filled(Qt::red));
        const QImage image = w.grab().toImage();
        QCOMPARE(image.pixelColor(20, 20), QColor(Qt::red));
        QVERIFY(image.pixelColor(5, 5) != QColor(Qt::red));
    }

    void themeAppliedAtFirstShowAndOnChange()
    {
        ProbeWidget w;
        QCOMPARE(w.themeCalls, 0);
        w.show();
        w.hide();
        w.show();
        QCOMPARE(w.themeCalls, 1);
        ProbeWidget hidden;
        ThemeLoader::instance()->setTheme(QStringLiteral("dark"));
        QCOMPARE(w.themeCalls, 2);
        QCOMPARE(hidden.themeCalls, 1);
    }
};

ORVEL_WIDGET_TEST_MAIN(TestBaseWidget, 1920, 1040)
#include "tst_BaseWidget.moc"
