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

QString order(const QLayout& layout)
{
    QStringList names;
    for (int i = 0; i < layout.count(); ++i)
        names << layout.itemAt(i)->widget()->objectName();
    return names.join(QLatin1Char(' '));
}

} // namespace

class TestLayouts : public QObject
{
    Q_OBJECT
private slots:
    void anchorRefusals()
    {
        QWidget parent;
        QWidget stranger;
        AnchorLayout* c = AnchorLayout::get(fixedChild(&parent, 50, 50));
        AnchorLayout* p = AnchorLayout::get(&parent);
        QCOMPARE(c->left()->anchorTo(p->top())->target(), nullptr); // x against y
        QCOMPARE(c->left()->anchorTo(c->right())->target(), nullptr);
        c->left()->anchorTo(p->left());
        c->centerIn(AnchorLayout::get(&stranger));
        QCOMPARE(c->left()->target(), p->left());

        // Re-anchoring leaves no stale dependent behind; a line that goes away frees its dependents.
        c->left()->anchorTo(p->right());
        QVERIFY(p->left()->dependents().isEmpty());
        auto* sibling = fixedChild(&parent, 10, 10);
        c->top()->anchorTo(AnchorLayout::get(sibling)->bottom());
        delete sibling;
        QCOMPARE(c->top()->target(), nullptr);
    }

    void anchorPlacement()
    {
        QWidget parent;
        parent.resize(300, 100);
        AnchorLayout* p = AnchorLayout::get(&parent);
        QWidget* pinned = fixedChild(&parent, 40, 20);
        AnchorLayout::get(pinned)->right()->anchorTo(p->right())->setMargin(20);
        AnchorLayout::get(pinned)->verticalCenter()->anchorTo(p->verticalCenter());
        auto* stretched = new QLabel(&parent);
        AnchorLayout* s = AnchorLayout::get(stretched);
        s->left()->anchorTo(p->left())->setMargin(10);
        s->right()->anchorTo(AnchorLayout::get(pinned)->left())->setMargin(10);
        QWidget* centred = fixedChild(&parent, 40, 20);
        AnchorLayout::get(centred)->centerIn(p);
        auto* filler = new QLabel(&parent);
        AnchorLayout::get(filler)->fill(p);
        parent.show();
        QTRY_COMPARE(pinned->geometry(), QRect(240, 40, 40, 20));
        // Dependents follow in later layout passes; a loaded machine may not have run them yet.
        QTRY_COMPARE(stretched->geometry().left(), 10);
        QTRY_COMPARE(stretched->geometry().right(), 230);
        QTRY_COMPARE(centred->geometry(), QRect(130, 40, 40, 20));
        QTRY_COMPARE(filler->geometry(), QRect(0, 0, 300, 100));

        // Following the parent's resize, and a margin changed long after anchoring.
        parent.resize(400, 100);
        QTRY_COMPARE(pinned->x(), 340);
        QTRY_COMPARE(stretched->geometry().right(), 330);
        AnchorLayout::get(pinned)->setMargins(5);
        QTRY_COMPARE(pinned->x(), 355);
        QTRY_COMPARE(stretched->geometry().right(), 345);
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
        QCOMPARE(flow->heightForWidth(300), 90);
        QCOMPARE(flow->heightForWidth(431), 40);
        flow->setGeometry(QRect(0, 0, 300, 200));
        QCOMPARE(flow->itemAt(1)->geometry(), QRect(110, 0, 100, 40));
        QCOMPARE(flow->itemAt(2)->geometry(), QRect(0, 50, 100, 40));

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

    void moveItemOrders_data()
    {
        QTest::addColumn<bool>("fixedLast");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QString>("order");
        QTest::newRow("forward") << false << 2 << 0 << true << "2 0 1 3";
        QTest::newRow("onto itself") << false << 1 << 1 << false << "0 1 2 3";
        // Indices from a drop must name places in the list.
        QTest::newRow("negative") << false << -1 << 0 << false << "0 1 2 3";
        QTest::newRow("past the end") << false << 0 << 4 << false << "0 1 2 3";
        QTest::newRow("from nowhere") << false << 99 << 1 << false << "0 1 2 3";
        QTest::newRow("before the fixed") << true << 0 << 3 << true << "1 2 0 3";
        QTest::newRow("the fixed one") << true << 3 << 0 << false << "0 1 2 3";
        QTest::newRow("clamped before the fixed") << true << 0 << 40 << true << "1 2 0 3";
        QTest::newRow("clamped onto itself") << true << 2 << 3 << false << "0 1 2 3";
    }

    void moveItemOrders()
    {
        QFETCH(bool, fixedLast);
        QFETCH(int, from);
        QFETCH(int, to);
        QWidget host;
        auto* flow = new DragFlowLayout(&host, 0, 10, 10);
        flow->setFixedLastItem(fixedLast);
        for (const char* name : {"0", "1", "2", "3"})
            flow->addWidget(fixedChild(&host, 50, 50, QLatin1String(name)));
        QTEST(flow->moveItem(from, to), "moved");
        QTEST(order(*flow), "order");
    }
};

ORVEL_WIDGET_TEST_MAIN(TestLayouts, 1920, 1040)
#include "tst_Layouts.moc"
