#include "support/WidgetTestEnv.h"
#include "widgets/AnchorLayout.h"
#include "widgets/AnchorLine.h"
#include "widgets/DragFlowLayout.h"
#include "widgets/QFlowLayout.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

using namespace OV;

namespace {

QWidget* fixedChild(QWidget* parent, int w, int h, const QString& name = {})
{
    auto* child = new QLabel(name, parent);
    child->setObjectName(name);
    child->setFixedSize(w, h);
    return child;
}

QStringList order(const QLayout& layout)
{
    QStringList names;
    for (int i = 0; i < layout.count(); ++i)
        names << layout.itemAt(i)->widget()->objectName();
    return names;
}

} // namespace

class TestLayouts : public QObject
{
    Q_OBJECT
private slots:
    void anchorLinesAndRefusals()
    {
        QWidget parent;
        QWidget* child = fixedChild(&parent, 50, 50);
        AnchorLayout* layout = AnchorLayout::get(child);
        QCOMPARE(AnchorLayout::get(child), layout);
        QCOMPARE(AnchorLayout::get(nullptr), nullptr);
        AnchorLayout* p = AnchorLayout::get(&parent);

        QCOMPARE(layout->left()->anchorTo(p->top())->target(), nullptr); // x against y
        QCOMPARE(layout->left()->anchorTo(layout->right())->target(), nullptr);
        QCOMPARE(layout->left()->anchorTo(p->left())->target(), p->left());
        QCOMPARE(p->left()->dependents(), QList<AnchorLine*>({layout->left()}));
        layout->left()->anchorTo(p->left());
        QCOMPARE(p->left()->dependents().size(), 1);
        layout->left()->anchorTo(p->right());
        QVERIFY(p->left()->dependents().isEmpty());
        layout->left()->anchorTo(nullptr);
        QCOMPARE(layout->left()->target(), nullptr);

        AnchorLine ratio(layout, AnchorLine::VerticalRatio, -0.25);
        QCOMPARE(ratio.ratio(), 0.75);
        QCOMPARE(ratio.anchorTo(p->left())->target(), nullptr);

        // A line that goes away frees whatever was anchored to it.
        auto* sibling = fixedChild(&parent, 10, 10);
        layout->top()->anchorTo(AnchorLayout::get(sibling)->bottom());
        delete sibling;
        QCOMPARE(layout->top()->target(), nullptr);
    }

    void anchorPlacement()
    {
        QWidget parent;
        parent.resize(250, 100);
        QWidget* child = fixedChild(&parent, 50, 50);
        AnchorLayout* p = AnchorLayout::get(&parent);
        AnchorLayout* c = AnchorLayout::get(child);
        c->left()->anchorTo(p->left())->setMargin(20);
        c->verticalCenter()->anchorTo(p->verticalCenter());
        parent.show();
        QTRY_COMPARE(child->pos(), QPoint(20, 25));

        QWidget wide;
        wide.resize(300, 100);
        QWidget* pinned = fixedChild(&wide, 40, 20);
        AnchorLayout::get(pinned)->right()->anchorTo(AnchorLayout::get(&wide)->right())->setMargin(20);
        auto* stretched = new QLabel(&wide);
        AnchorLayout* s = AnchorLayout::get(stretched);
        s->left()->anchorTo(AnchorLayout::get(&wide)->left())->setMargin(10);
        s->right()->anchorTo(AnchorLayout::get(pinned)->left())->setMargin(10);
        wide.show();
        QTRY_COMPARE(pinned->geometry().right(), 279);
        QCOMPARE(pinned->x() + pinned->width(), 280);
        QTRY_COMPARE(stretched->geometry().left(), 10);
        QTRY_COMPARE(stretched->geometry().right(), pinned->x() - 10);

        // Following the parent's resize, and a margin changed long after anchoring.
        wide.resize(400, 100);
        QTRY_COMPARE(pinned->geometry().right(), 379);
        QTRY_COMPARE(stretched->geometry().right(), pinned->x() - 10);
        AnchorLayout::get(pinned)->setMargins(5);
        QTRY_COMPARE(pinned->geometry().right(), 394);
        QTRY_COMPARE(stretched->geometry().right(), pinned->x() - 10);
    }

    void centerInAndFill()
    {
        QWidget parent;
        parent.resize(200, 100);
        QWidget* a = fixedChild(&parent, 40, 20);
        auto* b = new QLabel(&parent);
        QWidget stranger;
        AnchorLayout* la = AnchorLayout::get(a);
        la->left()->anchorTo(AnchorLayout::get(&parent)->left());
        la->centerIn(AnchorLayout::get(&stranger));
        QCOMPARE(la->left()->target(), AnchorLayout::get(&parent)->left());
        QCOMPARE(la->fill(AnchorLayout::get(&stranger)), la);
        QCOMPARE(la->right()->target(), nullptr);

        la->centerIn(AnchorLayout::get(&parent));
        QCOMPARE(la->left()->target(), nullptr);
        AnchorLayout::get(b)->fill(AnchorLayout::get(&parent));
        parent.show();
        QTRY_COMPARE(a->geometry().center(), QPoint(99, 49));
        QTRY_COMPARE(b->geometry(), QRect(0, 0, 200, 100));
    }

    void anchorRingSettles()
    {
        QWidget parent;
        parent.resize(200, 100);
        QWidget* a = fixedChild(&parent, 20, 20);
        QWidget* b = fixedChild(&parent, 20, 20);
        b->move(30, 0);
        AnchorLayout::get(a)->left()->anchorTo(AnchorLayout::get(b)->left());
        AnchorLayout::get(b)->left()->anchorTo(AnchorLayout::get(a)->left());
        parent.show();
        AnchorLayout::get(b)->left()->setMargin(3);
        for (int i = 0; i < 20; ++i)
            QApplication::processEvents();
        QCOMPARE(a->x() + 3, b->x());
    }

    void flowWrapsAndReportsHeight()
    {
        QWidget host;
        auto* flow = new QFlowLayout(&host, 0, 10, 10);
        for (int i = 0; i < 4; ++i)
            flow->addWidget(fixedChild(&host, 100, 40));
        QVERIFY(flow->hasHeightForWidth());
        QCOMPARE(flow->heightForWidth(300), 90);
        QCOMPARE(flow->heightForWidth(431), 40);
        flow->setGeometry(QRect(0, 0, 300, 200));
        QCOMPARE(flow->itemAt(1)->geometry(), QRect(110, 0, 100, 40));
        QCOMPARE(flow->itemAt(2)->geometry(), QRect(0, 50, 100, 40));
        QCOMPARE(flow->itemAt(3)->geometry(), QRect(110, 50, 100, 40));
        QCOMPARE(flow->minimumSize(), QSize(100, 40));
        QCOMPARE(flow->itemAt(4), nullptr);
        QCOMPARE(flow->takeAt(-1), nullptr);

        // An item wider than the layout gets a row of its own and never leaves an empty row.
        QWidget other;
        auto* margins = new QFlowLayout(&other, 5, 10, 10);
        margins->addWidget(fixedChild(&other, 400, 30));
        margins->addWidget(fixedChild(&other, 50, 30));
        QCOMPARE(margins->heightForWidth(300), 5 + 30 + 10 + 30 + 5);
        margins->setGeometry(QRect(0, 0, 300, 200));
        QCOMPARE(margins->itemAt(0)->geometry().topLeft(), QPoint(5, 5));
        QCOMPARE(margins->itemAt(1)->geometry().topLeft(), QPoint(5, 45));
        QCOMPARE(margins->minimumSize(), QSize(410, 40));
    }

    void moveItemOrders()
    {
        QWidget host;
        auto* flow = new DragFlowLayout(&host, 0, 10, 10);
        for (const char* name : {"0", "1", "2", "3"})
            flow->addWidget(fixedChild(&host, 50, 50, QLatin1String(name)));
        QVERIFY(flow->moveItem(2, 0));
        QCOMPARE(order(*flow), QStringList({"2", "0", "1", "3"}));
        QVERIFY(!flow->moveItem(1, 1));

        // Indices from a drop must name places in the list.
        QVERIFY(!flow->moveItem(-1, 0));
        QVERIFY(!flow->moveItem(0, 4));
        QVERIFY(!flow->moveItem(99, 1));
        QCOMPARE(order(*flow), QStringList({"2", "0", "1", "3"}));

        QWidget fixedHost;
        auto* fixed = new DragFlowLayout(&fixedHost, 0, 10, 10);
        fixed->setFixedLastItem(true);
        for (const char* name : {"0", "1", "2", "add"})
            fixed->addWidget(fixedChild(&fixedHost, 50, 50, QLatin1String(name)));
        QVERIFY(fixed->moveItem(0, 3));
        QCOMPARE(order(*fixed), QStringList({"1", "2", "0", "add"}));
        QVERIFY(!fixed->moveItem(3, 0));
        QVERIFY(fixed->moveItem(0, 40)); // clamped before the fixed item
        QCOMPARE(order(*fixed), QStringList({"2", "0", "1", "add"}));
        QVERIFY(!fixed->moveItem(2, 3)); // clamped onto itself: nothing
        QCOMPARE(order(*fixed), QStringList({"2", "0", "1", "add"}));

        QWidget single;
        auto* one = new DragFlowLayout(&single, 0, 10, 10);
        one->setFixedLastItem(true);
        one->addWidget(fixedChild(&single, 50, 50, QStringLiteral("add")));
        QVERIFY(!one->moveItem(0, 5));
    }
};

ORVEL_WIDGET_TEST_MAIN(TestLayouts, 1920, 1040)
#include "tst_Layouts.moc"
