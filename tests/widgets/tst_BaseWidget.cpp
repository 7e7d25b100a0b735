#include "core/ThemeLoader.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseWidget.h"
#include "widgets/BaseWidgetSelectGroup.h"
#include "widgets/WidgetImageSource.h"

#include <QApplication>
#include <QLabel>
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
        auto* holder = new QWidget(&w);
        holder->setGeometry(100, 0, 100, 100);
        holder->setProperty("clickable", true);
        auto* inner = new QLabel(holder);
        inner->setGeometry(10, 10, 50, 50);
        w.show();
        QSignalSpy clicked(&w, &BaseWidget::clicked);
        const int d = QApplication::startDragDistance();
        const QPoint start(50, 50);

        QTest::mousePress(&w, Qt::LeftButton, {}, start);
        QVERIFY(w.property("pressed").toBool());
        QTest::mouseRelease(&w, Qt::LeftButton, {}, start + QPoint(d / 2, d - d / 2));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(w.calls, QStringList({"selected:1", "pressed:1", "clicked", "pressed:0"}));

        w.calls.clear();
        QTest::mousePress(&w, Qt::LeftButton, {}, start);
        QTest::mouseRelease(&w, Qt::LeftButton, {}, start + QPoint(d / 2 + 1, d - d / 2));
        QCOMPARE(clicked.count(), 1); // beyond the drag distance: no click
        QVERIFY(!w.property("pressed").toBool());
        QCOMPARE(w.calls, QStringList({"selected:0", "pressed:1", "pressed:0"}));

        // Other buttons, and presses on a clickable child (or inside one), are left alone.
        w.calls.clear();
        QTest::mouseClick(&w, Qt::RightButton, {}, start);
        QTest::mouseClick(inner, Qt::LeftButton);
        QVERIFY(w.calls.isEmpty());
        QCOMPARE(clicked.count(), 1);

        w.setSelected(true);
        w.setSelectable(false); // deselects, and clicks no longer select
        QVERIFY(!w.isSelected());
        QTest::mouseClick(&w, Qt::LeftButton, {}, start);
        QVERIFY(!w.isSelected());
    }

    void selectGroupKeepsOneSelected()
    {
        BaseWidgetSelectGroup group;
        QList<BaseWidget*> widgets;
        QWidget host;
        for (int i = 0; i < 3; ++i) {
            widgets << new BaseWidget(&host);
            widgets[i]->setGeometry(i * 60, 0, 50, 50);
            group.addWidget(widgets[i]);
        }
        group.addWidget(widgets[0]);
        QCOMPARE(group.count(), 3);
        host.show();
        QSignalSpy checked(&group, &BaseWidgetSelectGroup::checkedChanged);

        QTest::mouseClick(widgets[0], Qt::LeftButton);
        QTest::mouseClick(widgets[2], Qt::LeftButton);
        QTest::mouseClick(widgets[2], Qt::LeftButton); // not toggleable: stays selected
        QVERIFY(!widgets[0]->isSelected());
        QCOMPARE(group.checkedWidget(), widgets[2]);

        widgets[1]->setSelected(true); // by code
        QVERIFY(!widgets[2]->isSelected());
        QCOMPARE(group.checkedWidget(), widgets[1]);
        QCOMPARE(checked.count(), 3);

        group.removeWidget(widgets[1]);
        QCOMPARE(group.checkedWidget(), nullptr);
        delete widgets[2]; // a deleted member leaves the group
        QCOMPARE(group.count(), 1);
    }

    void lateBackgroundRepliesNeverOverwriteNewerOnes()
    {
        QMap<QString, PixmapCallback> held; // answered by the test, in any order
        setWidgetImageSource([&](const QString& url, PixmapCallback cb) { held.insert(url, cb); });
        auto* w = new BaseWidget;
        w->setBackgroundImage(QStringLiteral("b1"));
        w->setBackgroundImage(QStringLiteral("b2"));
        held.take(QStringLiteral("b2"))(filled(Qt::blue));
        held.take(QStringLiteral("b1"))(filled(Qt::red));
        QCOMPARE(w->backgroundPixmap().toImage().pixelColor(0, 0), QColor(Qt::blue));

        w->setBackgroundImage(QStringLiteral("c"));
        w->setBackgroundPixmap(filled(Qt::green));
        held.take(QStringLiteral("c"))(filled(Qt::red));
        QCOMPARE(w->backgroundPixmap().toImage().pixelColor(0, 0), QColor(Qt::green));

        w->setBackgroundImage(QStringLiteral("d"));
        w->setBackgroundImage(QString());
        held.take(QStringLiteral("d"))(filled(Qt::red));
        QVERIFY(w->backgroundPixmap().isNull());

        w->setBackgroundImage(QStringLiteral("f"));
        delete w;
        held.take(QStringLiteral("f"))(filled(Qt::red)); // widget gone: dropped
        setWidgetImageSource({});
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
