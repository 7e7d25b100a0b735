#include "support/WidgetTestEnv.h"
#include "widgets/BaseImageButton.h"
#include "widgets/ColorWheelWidget.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/ElidedLabel.h"
#include "widgets/PaginationWidget.h"
#include "widgets/SearchableComboBox.h"
#include "widgets/WheelHorizontalScrollArea.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

using namespace OV;

namespace {

// The widgets the page selector shows now (its row layout, in order).
QList<QWidget*> rowWidgets(PaginationWidget& pager)
{
    QList<QWidget*> widgets;
    QLayout* row = pager.layout();
    for (int i = 0; i < row->count(); ++i) {
        if (QWidget* w = row->itemAt(i)->widget())
            widgets << w;
    }
    return widgets;
}

QStringList pageLabels(PaginationWidget& pager)
{
    QStringList labels;
    for (QWidget* w : rowWidgets(pager)) {
        if (w->objectName() == QLatin1String("pageButton"))
            labels << static_cast<QPushButton*>(w)->text();
    }
    return labels;
}

template <typename T>
T* rowChild(PaginationWidget& pager, const char* name)
{
    for (QWidget* w : rowWidgets(pager)) {
        if (w->objectName() == QLatin1String(name))
            return qobject_cast<T*>(w);
    }
    return nullptr;
}

QStringList visibleRows(SearchableComboBox& box)
{
    QStringList rows;
    auto* view = qobject_cast<QListView*>(box.view());
    for (int i = 0; i < box.count(); ++i) {
        if (!view->isRowHidden(i))
            rows << box.itemText(i);
    }
    return rows;
}

} // namespace

class TestSmallWidgets : public QObject
{
    Q_OBJECT
private slots:
    void paginationWindows()
    {
        PaginationWidget pager;
        pager.setTotalPages(10);
        QCOMPARE(pageLabels(pager), QStringList({"1", "2", "3", "4", "5", "6"}));
        QVERIFY(!rowChild<QPushButton>(pager, "pagePrevious")->isEnabled());
        QVERIFY(rowChild<QPushButton>(pager, "pageNext")->isEnabled());

        QSignalSpy changed(&pager, &PaginationWidget::pageChanged);
        pager.setCurrentPage(5);
        QCOMPARE(pageLabels(pager), QStringList({"2", "3", "4", "5", "6", "7"}));
        QCOMPARE(changed.takeFirst().at(0).toInt(), 5);
        pager.setCurrentPage(10);
        QCOMPARE(pageLabels(pager), QStringList({"5", "6", "7", "8", "9", "10"}));
        QVERIFY(!rowChild<QPushButton>(pager, "pageNext")->isEnabled());
        QVERIFY(rowChild<QPushButton>(pager, "pagePrevious")->isEnabled());
        for (QWidget* w : rowWidgets(pager)) {
            auto* b = qobject_cast<QPushButton*>(w);
            if (b && b->objectName() == QLatin1String("pageButton"))
                QCOMPARE(b->styleSheet().contains(QLatin1String("#515ff8")), b->text() == QLatin1String("10"));
        }
        QCOMPARE(rowChild<QLabel>(pager, "pageTotal")->text(), QStringLiteral("Total 10 Pages"));

        pager.setTotalPages(3);
        QCOMPARE(pageLabels(pager), QStringList({"1", "2", "3"}));
    }

    void paginationClampsAndSignals()
    {
        PaginationWidget pager;
        QSignalSpy changed(&pager, &PaginationWidget::pageChanged);
        pager.setTotalPages(0);
        QCOMPARE(pager.totalPages(), 1);
        QCOMPARE(pager.currentPage(), 1);
        pager.setTotalPages(10);
        pager.setCurrentPage(7);
        pager.setTotalPages(3);
        QCOMPARE(pager.currentPage(), 3);
        QCOMPARE(changed.count(), 1); // only the setCurrentPage(7)
        pager.setCurrentPage(3);
        QCOMPARE(changed.count(), 1);

        pager.setTotalPages(10);
        pager.setCurrentPage(10);
        changed.clear();
        pager.setCurrentPage(99); // clamps to the page it is on: no change, no signal
        pager.setCurrentPage(-4);
        QCOMPARE(pager.currentPage(), 1);
        QCOMPARE(changed.count(), 1);

        pager.show();
        changed.clear();
        QLineEdit* jump = rowChild<QLineEdit>(pager, "pageJump");
        QCOMPARE(jump->placeholderText(), QStringLiteral("Jump"));
        QTest::keyClicks(jump, QStringLiteral("abc"));
        QTest::keyClick(jump, Qt::Key_Return);
        QCOMPARE(changed.count(), 0);
        jump = rowChild<QLineEdit>(pager, "pageJump");
        jump->setText(QStringLiteral("99"));
        QTest::keyClick(jump, Qt::Key_Return);
        QCOMPARE(pager.currentPage(), 10);
        QCOMPARE(changed.count(), 1);

        QTest::mouseClick(rowChild<QPushButton>(pager, "pagePrevious"), Qt::LeftButton);
        QCOMPARE(pager.currentPage(), 9);
        QPushButton* six = nullptr;
        for (QWidget* w : rowWidgets(pager)) {
            if (auto* b = qobject_cast<QPushButton*>(w); b && b->text() == QLatin1String("6"))
                six = b;
        }
        QTest::mouseClick(six, Qt::LeftButton);
        QCOMPARE(pager.currentPage(), 6);
        QTest::mouseClick(rowChild<QPushButton>(pager, "pageNext"), Qt::LeftButton);
        QCOMPARE(pager.currentPage(), 7);
        QCOMPARE(changed.count(), 4);
    }

    void outOfRangeReplyDoesNotLoop()
    {
        // A listing that answers every request with a page beyond the end, as a server might.
        PaginationWidget pager;
        int requests = 0;
        connect(&pager, &PaginationWidget::pageChanged, &pager, [&](int) {
            if (++requests > 5)
                return;
            pager.setTotalPages(4);
            pager.setCurrentPage(9);
        });
        pager.setTotalPages(4);
        pager.setCurrentPage(2);
        QCOMPARE(requests, 2);
        QCOMPARE(pager.currentPage(), 4);
    }

    void editStateWatcher()
    {
        EditStateWatcher watcher;
        QCheckBox box;
        QComboBox combo;
        combo.addItems({"a", "b"});
        QLineEdit line;
        QPlainTextEdit text;
        watcher.watch(&box);
        watcher.watch(&combo);
        watcher.watch(&line);
        watcher.watch(&text);
        int callbacks = 0;
        watcher.setDirtyCallback([&] { ++callbacks; });
        QSignalSpy changed(&watcher, &EditStateWatcher::changedSignal);

        line.setText(QStringLiteral("loading"));
        QVERIFY(!watcher.isDirty());
        watcher.setWatching(true);
        box.setChecked(true);
        combo.setCurrentIndex(1);
        text.setPlainText(QStringLiteral("x"));
        QVERIFY(watcher.isDirty());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(callbacks, 1);
        watcher.clearDirty();
        line.setText(QStringLiteral("edited"));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(callbacks, 2);
    }

    void elidedLabel()
    {
        ElidedLabel label;
        label.fullText = QStringLiteral("A rather long profile name that does not fit");
        label.resize(0, 20);
        label.updateText();
        QCOMPARE(label.text(), label.fullText);
        QCOMPARE(label.minimumWidth(), label.fontMetrics().horizontalAdvance(label.fullText));

        label.setFixedWidth(80);
        label.updateText();
        QVERIFY(label.text() != label.fullText); // the resize re-elided it
        QVERIFY(label.text().endsWith(QChar(0x2026)));
        QCOMPARE(label.minimumWidth(), 80);
    }

    void imageButtonScaleModes()
    {
        QPushButton plain(QStringLiteral("x"));
        BaseImageButton image(QStringLiteral("x"));
        plain.resize(100, 50);
        image.resize(100, 50);
        QCOMPARE(image.grab().toImage(), plain.grab().toImage()); // no picture: the button alone

        QPixmap red(10, 10);
        red.fill(Qt::red);
        image.setPixmap(red);
        image.setScaleMode(BaseImageButton::Fit);
        QImage fit = image.grab().toImage();
        QCOMPARE(fit.pixelColor(50, 25), QColor(Qt::red));
        QVERIFY(fit.pixelColor(10, 25) != QColor(Qt::red));
        image.setScaleMode(3);
        QCOMPARE(image.grab().toImage(), fit);
        image.setScaleMode(BaseImageButton::Fill);
        QCOMPARE(image.grab().toImage().pixelColor(2, 2), QColor(Qt::red));
        image.setScaleMode(9);
        QCOMPARE(image.grab().toImage(), plain.grab().toImage());
    }

    void wheelScrollsSideways()
    {
        WheelHorizontalScrollArea area;
        auto* wide = new QWidget;
        wide->setFixedSize(2000, 50);
        area.setWidget(wide);
        area.resize(300, 80);
        area.show();
        area.horizontalScrollBar()->setValue(500);

        // Wheel events reach a scroll area through its viewport.
        auto wheel = [&](int dy) {
            QWheelEvent e(QPointF(10, 10), area.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, dy), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(area.viewport(), &e);
            return e.isAccepted();
        };
        QVERIFY(!wheel(-120)); // left for the parent
        QCOMPARE(area.horizontalScrollBar()->value(), 500);
        area.setWheelScrollingEnabled(true);
        QVERIFY(wheel(-120));
        QCOMPARE(area.horizontalScrollBar()->value(), 620);
        QVERIFY(wheel(240));
        QCOMPARE(area.horizontalScrollBar()->value(), 380);
    }

    void colorWheelPicksOnTheRim()
    {
        ColorWheelWidget wheel;
        QCOMPARE(wheel.currentColor(), QColor(Qt::white));
        wheel.resize(200, 200);
        wheel.show();
        QSignalSpy picked(&wheel, &ColorWheelWidget::colorChanged);
        QVERIFY(!wheel.isMarkerVisible());

        // Far right, outside the wheel: pulled onto the rim at (195, 100), pure red there.
        QTest::mousePress(&wheel, Qt::LeftButton, {}, QPoint(199, 100));
        QCOMPARE(picked.count(), 1);
        QCOMPARE(wheel.markerPosition(), QPoint(195, 100));
        QVERIFY(wheel.isMarkerVisible());
        const QColor rim = wheel.currentColor();
        QVERIFY(rim.red() > 240 && rim.green() < 40 && rim.blue() < 40);

        // Dragging keeps picking; the centre is (nearly) white.
        QTest::mouseMove(&wheel, QPoint(100, 100));
        QCOMPARE(picked.count(), 2);
        QVERIFY(wheel.currentColor().saturation() < 30);
        QTest::mouseRelease(&wheel, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(&wheel, QPoint(150, 100));
        QCOMPARE(picked.count(), 2);

        // The corner is pulled in along the diagonal onto the rim.
        QTest::mousePress(&wheel, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(wheel.markerPosition(), QPoint(33, 33));
        QCOMPARE(picked.count(), 3);
    }

    void searchableComboFiltersByTyping()
    {
        SearchableComboBox box;
        box.addItems({"Firefox", "Files", "Terminal", "profile editor"});
        box.show();
        box.showPopup();
        QAbstractItemView* view = box.view();
        QTest::keyClicks(view, QStringLiteral("FI"));
        QCOMPARE(box.filterText(), QStringLiteral("FI"));
        QCOMPARE(visibleRows(box), QStringList({"Firefox", "Files", "profile editor"}));
        QTest::keyClick(view, Qt::Key_L);
        QCOMPARE(visibleRows(box), QStringList({"Files", "profile editor"}));
        QVERIFY(!qobject_cast<QListView*>(view)->isRowHidden(view->currentIndex().row()));
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(view, Qt::Key_Backspace);
        QCOMPARE(box.filterText(), QString());
        QTest::keyClicks(view, QStringLiteral("term"));
        QCOMPARE(visibleRows(box), QStringList({"Terminal"}));
        box.hidePopup();
        QCOMPARE(box.filterText(), QString());
        QCOMPARE(visibleRows(box).size(), 4);
    }
};

ORVEL_WIDGET_TEST_MAIN(TestSmallWidgets, 1920, 1040)
#include "tst_SmallWidgets.moc"
