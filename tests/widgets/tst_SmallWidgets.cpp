#include "core/ThemeLoader.h"
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
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QTest>
#include <QWheelEvent>

#include <cstdlib>

using namespace OV;

namespace {

// A widget the page selector shows now, by object name or (page buttons) by text.
template <typename T = QWidget>
T* rowChild(PaginationWidget& pager, const QString& name)
{
    for (T* w : pager.findChildren<T*>()) {
        if (pager.layout()->indexOf(w) >= 0 && (w->objectName() == name || w->property("text") == name))
            return w;
    }
    return nullptr;
}

// The page buttons shown now; "*" marks the current page.
QString pageLabels(PaginationWidget& pager)
{
    QStringList labels;
    for (auto* b : pager.findChildren<QPushButton*>(QStringLiteral("pageButton"))) {
        if (pager.layout()->indexOf(b) >= 0)
            labels << b->text() + (b->styleSheet().contains(QLatin1String("#515ff8")) ? "*" : "");
    }
    return labels.join(QLatin1Char(' '));
}

QString visibleRows(SearchableComboBox& box)
{
    QStringList rows;
    for (int i = 0; i < box.count(); ++i) {
        if (!qobject_cast<QListView*>(box.view())->isRowHidden(i))
            rows << box.itemText(i);
    }
    return rows.join(QLatin1Char(','));
}

// Whether some pixel of the area is within a few steps of the colour in every channel.
bool hasColour(const QImage& image, const QRect& area, QColor colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) <= 6 && std::abs(pixel.green() - colour.green()) <= 6 &&
                std::abs(pixel.blue() - colour.blue()) <= 6)
                return true;
        }
    }
    return false;
}

} // namespace

class TestSmallWidgets : public QObject
{
    Q_OBJECT
private slots:
    void paginationWindows_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("labels");
        QTest::newRow("1 of 10") << 1 << "1* 2 3 4 5 6";
        QTest::newRow("5 of 10") << 5 << "2 3 4 5* 6 7";
        QTest::newRow("10 of 10") << 10 << "5 6 7 8 9 10*";
    }

    void paginationWindows()
    {
        QFETCH(int, page);
        PaginationWidget pager;
        pager.setTotalPages(10);
        pager.setCurrentPage(page);
        QTEST(pageLabels(pager), "labels");
        QCOMPARE(rowChild(pager, "pagePrevious")->isEnabled(), page > 1);
        QCOMPARE(rowChild(pager, "pageNext")->isEnabled(), page < 10);
        QCOMPARE(rowChild<QLabel>(pager, "pageTotal")->text(), QStringLiteral("Total 10 Pages"));
    }

    void paginationClampsAndSignals()
    {
        PaginationWidget pager;
        QSignalSpy changed(&pager, &PaginationWidget::pageChanged);
        pager.setTotalPages(0);
        QCOMPARE(pager.totalPages(), 1);
        pager.setTotalPages(10);
        pager.setCurrentPage(7);
        pager.setTotalPages(3);
        QCOMPARE(pager.currentPage(), 3);
        QCOMPARE(pageLabels(pager), QStringLiteral("1 2 3*"));
        pager.setCurrentPage(3);
        QCOMPARE(changed.count(), 1); // only the setCurrentPage(7)

        pager.setTotalPages(10);
        pager.setCurrentPage(10);
        pager.setCurrentPage(99); // clamps to the page it is on: no change, no signal (no reply loop)
        QCOMPARE(changed.count(), 2);

        pager.show();
        auto* jump = rowChild<QLineEdit>(pager, "pageJump");
        QTest::keyClicks(jump, QStringLiteral("abc"));
        QTest::keyClick(jump, Qt::Key_Return);
        QCOMPARE(changed.count(), 2);
        jump = rowChild<QLineEdit>(pager, "pageJump");
        jump->setText(QStringLiteral("-4"));
        QTest::keyClick(jump, Qt::Key_Return);
        QCOMPARE(pager.currentPage(), 1);
        QTest::mouseClick(rowChild<QPushButton>(pager, "4"), Qt::LeftButton);
        QTest::mouseClick(rowChild<QPushButton>(pager, "pageNext"), Qt::LeftButton);
        QTest::mouseClick(rowChild<QPushButton>(pager, "pagePrevious"), Qt::LeftButton);
        QCOMPARE(pager.currentPage(), 4);
        QCOMPARE(changed.count(), 6);
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
        const std::function<void()> edits[] = {[&] { box.setChecked(true); }, [&] { combo.setCurrentIndex(1); },
                                               [&] { text.setPlainText(QStringLiteral("x")); },
                                               [&] { line.setText(QStringLiteral("edited")); }};
        for (const auto& edit : edits) {
            watcher.clearDirty();
            edit();
            QVERIFY(watcher.isDirty());
        }
        box.setChecked(false); // already dirty: no second signal
        QCOMPARE(changed.count(), 4);
        QCOMPARE(callbacks, 4);
    }

    void elidedLabel()
    {
        ElidedLabel label;
        label.fullText = QStringLiteral("A rather long profile name that does not fit");
        label.resize(0, 20);
        label.updateText();
        QCOMPARE(label.text(), label.fullText);
        label.setFixedWidth(80);
        label.updateText();
        QVERIFY(label.text().endsWith(QChar(0x2026)));
        QCOMPARE(label.minimumWidth(), 80);
    }

    // A new text, font or cut mode is measured and cut again; a label in a window waits for the
    // window's sheet to give it its font.
    void elidedLabelFollowsTextFontAndMode()
    {
        ElidedLabel label;
        label.setFixedWidth(120);
        label.fullText = QStringLiteral("short");
        label.updateText();
        QCOMPARE(label.text(), QStringLiteral("short"));
        label.fullText = QStringLiteral("a text far too long for one hundred and twenty pixels");
        label.updateText();
        QVERIFY(label.text().endsWith(QChar(0x2026)));
        label.elideMode = Qt::ElideLeft;
        label.updateText();
        QVERIFY(label.text().startsWith(QChar(0x2026)));
        label.fullText = QStringLiteral("mid");
        label.updateText();
        QCOMPARE(label.text(), QStringLiteral("mid"));
        QFont big = label.font();
        big.setPixelSize(60);
        label.setFont(big);
        label.fullText = QStringLiteral("middle");
        label.updateText();
        QVERIFY(label.text().startsWith(QChar(0x2026)));
        label.setFont(QFont());
        label.updateText();
        QCOMPARE(label.text(), QStringLiteral("middle"));
        QCOMPARE(label.minimumWidth(), label.fontMetrics().horizontalAdvance(QStringLiteral("middle")));

        QWidget window;
        window.setStyleSheet(QStringLiteral("QLabel { font-size: 40px; }"));
        auto* inside = new ElidedLabel(&window);
        inside->setFixedWidth(150);
        inside->fullText = QStringLiteral("wide text");
        inside->updateText();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(inside->font().pixelSize(), 40);
        QVERIFY(inside->text().endsWith(QChar(0x2026)));
        QVERIFY(inside->fontMetrics().horizontalAdvance(inside->text()) <= inside->width());
    }

    void imageButtonScaleModes()
    {
        QPushButton plain(QStringLiteral("x"));
        BaseImageButton image(QStringLiteral("x"));
        plain.resize(100, 50);
        image.resize(100, 50);
        QPixmap red(10, 10);
        red.fill(Qt::red);
        image.setPixmap(red);
        image.setScaleMode(BaseImageButton::Fit);
        const QImage fit = image.grab().toImage();
        QCOMPARE(fit.pixelColor(50, 25), QColor(Qt::red));
        QVERIFY(fit.pixelColor(10, 25) != QColor(Qt::red));
        image.setScaleMode(BaseImageButton::Fill);
        QCOMPARE(image.grab().toImage().pixelColor(2, 2), QColor(Qt::red));
        image.setScaleMode(9); // unknown: the button alone
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
        wheel.resize(200, 200);
        wheel.show();
        QSignalSpy picked(&wheel, &ColorWheelWidget::colorChanged);
        // Far right, outside the wheel: pulled onto the rim at (195, 100), pure red there.
        QTest::mousePress(&wheel, Qt::LeftButton, {}, QPoint(199, 100));
        QCOMPARE(wheel.markerPosition(), QPoint(195, 100));
        const QColor rim = wheel.currentColor();
        QVERIFY(rim.red() > 240 && rim.green() < 40 && rim.blue() < 40);
        // Dragging keeps picking; the centre is (nearly) white; after the release nothing is picked.
        QTest::mouseMove(&wheel, QPoint(100, 100));
        QVERIFY(wheel.currentColor().saturation() < 30);
        QTest::mouseRelease(&wheel, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(&wheel, QPoint(150, 100));
        QCOMPARE(picked.count(), 2);
        // The corner is pulled in along the diagonal onto the rim.
        QTest::mousePress(&wheel, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(wheel.markerPosition(), QPoint(33, 33));
    }

    // Under the theme's base sheet every check box and radio button draws its indicator, chosen
    // or not, in the theme's colours: a grey-edged dark box or circle, blue with a white mark when
    // chosen. The platform's own indicators are barely visible on the dark background.
    void indicatorsShowTheirState_data()
    {
        QTest::addColumn<bool>("radio");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QColor>("edge");
        QTest::addColumn<QColor>("inside");
        const QColor grey(0x5A, 0x60, 0x6B), dark(0x24, 0x27, 0x2C), blue(0x3D, 0x7E, 0xFF), white(Qt::white);
        QTest::newRow("check box") << false << false << grey << dark;
        QTest::newRow("check box, checked") << false << true << blue << white;
        QTest::newRow("radio button") << true << false << grey << dark;
        QTest::newRow("radio button, chosen") << true << true << blue << white;
    }

    void indicatorsShowTheirState()
    {
        QFETCH(bool, radio);
        QFETCH(bool, checked);
        QFETCH(QColor, edge);
        QFETCH(QColor, inside);
        QWidget frame;
        frame.setObjectName(QStringLiteral("window"));
        frame.setAttribute(Qt::WA_StyledBackground);
        frame.setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("base")));
        auto* layout = new QHBoxLayout(&frame);
        QAbstractButton* button = radio ? static_cast<QAbstractButton*>(new QRadioButton(QStringLiteral("Celsius")))
                                        : new QCheckBox(QStringLiteral("Enabled"));
        layout->addWidget(button);
        button->setChecked(checked);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect indicator = button->style()->subElementRect(
            radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, button);
        const QImage shot = button->grab().toImage();
        QVERIFY2(hasColour(shot, indicator, edge), qPrintable(edge.name()));
        QVERIFY2(hasColour(shot, indicator.adjusted(4, 4, -4, -4), inside), qPrintable(inside.name()));
        QCOMPARE(indicator.size(), QSize(18, 18));
    }

    void searchableComboFiltersByTyping()
    {
        SearchableComboBox box;
        box.addItems({"Firefox", "Files", "Terminal", "profile editor"});
        box.show();
        box.showPopup();
        QAbstractItemView* view = box.view();
        QTest::keyClicks(view, QStringLiteral("FI"));
        QCOMPARE(visibleRows(box), QStringLiteral("Firefox,Files,profile editor"));
        QTest::keyClick(view, Qt::Key_L);
        QCOMPARE(visibleRows(box), QStringLiteral("Files,profile editor"));
        QVERIFY(!qobject_cast<QListView*>(view)->isRowHidden(view->currentIndex().row()));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(view, Qt::Key_Backspace);
        QTest::keyClicks(view, QStringLiteral("term"));
        QCOMPARE(visibleRows(box), QStringLiteral("Terminal"));
        box.hidePopup();
        QCOMPARE(box.filterText(), QString());
        QCOMPARE(visibleRows(box), QStringLiteral("Firefox,Files,Terminal,profile editor"));
    }
};

ORVEL_WIDGET_TEST_MAIN(TestSmallWidgets, 1920, 1040)
#include "tst_SmallWidgets.moc"
