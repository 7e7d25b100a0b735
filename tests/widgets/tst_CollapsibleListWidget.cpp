#include "support/WidgetTestEnv.h"
#include "widgets/CollapsibleListWidget.h"

#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <QVariantAnimation>

#include <functional>
#include <memory>

using namespace OV;

namespace {

class Section : public CollapseItem
{
public:
    Section(double header, double content) : m_header(header), m_content(content) {}

    int headerRequests = 0;
    std::function<void()> onHeaderRequest;

    bool isExpandable() override { return true; }
    double headerHeight() override { return m_header; }
    double contentHeight() override { return m_content; }
    QWidget* headerWidget(QWidget* parent) override
    {
        ++headerRequests;
        if (onHeaderRequest)
            onHeaderRequest();
        return new QLabel(QStringLiteral("header"), parent);
    }
    QWidget* contentWidget(QWidget* parent) override { return new QLabel(QStringLiteral("content"), parent); }

private:
    double m_header;
    double m_content;
};

struct Fixture
{
    CollapsibleListWidget list;
    std::vector<std::unique_ptr<Section>> sections;
    QList<CollapsibleListWidget::Node*> nodes;

    Fixture(int count, double content, int viewportHeight)
    {
        list.resize(300, viewportHeight);
        list.show();
        for (int i = 0; i < count; ++i) {
            sections.push_back(std::make_unique<Section>(45, content));
            nodes << list.addItem(sections.back().get());
        }
    }
    QScrollBar* bar() { return list.verticalScrollBar(); }
};

} // namespace

class TestCollapsibleListWidget : public QObject
{
    Q_OBJECT
private slots:
    void heightsAndScrollRange()
    {
        Fixture f(3, 92, 100);
        QCOMPARE(f.bar()->maximum(), 35);
        f.list.setExpanded(f.nodes[1], true, false);
        QCOMPARE(f.list.totalHeight(), 227.0);
        QCOMPARE(f.bar()->maximum(), 127);

        // Expanded content sits under its header; a later header follows it.
        f.bar()->setValue(0);
        QCOMPARE(f.list.contentWidgetOf(f.nodes[1])->geometry(), QRect(0, 90, 300, 92));
        QCOMPARE(f.list.headerWidgetOf(f.nodes[2])->geometry(), QRect(0, 182, 300, 45));

        // The owner may change a content height, then ask for both updates; empty content stays hidden.
        f.nodes[1]->contentHeight = 0;
        f.list.updateScrollRange();
        f.list.updateItemGeometries();
        QCOMPARE(f.bar()->maximum(), 35);
        QVERIFY(!f.list.contentWidgetOf(f.nodes[1])->isVisible());
    }

    void widgetsAreMadeOnlyNearTheViewport()
    {
        Fixture f(40, 0, 100);
        QCOMPARE(f.sections[6]->headerRequests, 1); // y 270: within 200 px below
        QCOMPARE(f.sections[7]->headerRequests, 0); // y 315: beyond
        f.bar()->setValue(1100);
        QCOMPARE(f.sections[30]->headerRequests, 1);
        QVERIFY(!f.list.headerWidgetOf(f.nodes[0])->isVisible()); // far above: hidden, kept
        f.bar()->setValue(0);
        QCOMPARE(f.sections[0]->headerRequests, 1); // never made twice
        QVERIFY(f.list.headerWidgetOf(f.nodes[0])->isVisible());
    }

    void expandingTheLastScrollsItUp()
    {
        Fixture f(5, 92, 100);
        f.list.setExpanded(f.nodes[4], true, false);
        QCOMPARE(f.bar()->value(), 180); // total 317, range 217; the last header is at 180
    }

    void animationTogglesAndEnds()
    {
        Fixture f(2, 92, 300);
        f.list.setExpanded(f.nodes[0], true, true);
        // Held half-way, whatever the machine's speed.
        auto* animation = f.list.findChild<QVariantAnimation*>();
        animation->pause();
        animation->setCurrentTime(100);
        const double reached = f.nodes[0]->animatedHeight;
        QVERIFY(reached > 5 && reached < 92);
        QCOMPARE(f.list.headerWidgetOf(f.nodes[1])->geometry().top(), 45 + static_cast<int>(reached));

        f.list.setExpanded(f.nodes[0], false, true); // cut short, back from where it was
        QVERIFY(f.nodes[0]->animatedHeight <= reached + 0.001);
        QTRY_VERIFY(!f.list.isAnimating());
        QCOMPARE(f.list.totalHeight(), 90.0);

        f.list.setExpanded(f.nodes[1], true, true);
        QTRY_VERIFY(!f.list.isAnimating());
        QCOMPARE(f.nodes[1]->animatedHeight, 92.0);
        QVERIFY(f.list.contentWidgetOf(f.nodes[1])->isVisible());
    }

    void removingAndClearing()
    {
        Fixture f(3, 92, 300);
        f.list.setExpanded(f.nodes[1], true, true);
        QPointer<QWidget> header = f.list.headerWidgetOf(f.nodes[1]);
        f.list.removeItem(f.nodes[1]); // the animated node: the animation goes with it
        QVERIFY(!f.list.isAnimating());
        QTRY_VERIFY(!header);
        f.list.removeItem(f.nodes[1]); // a stale handle: nothing
        QCOMPARE(f.list.headerWidgetOf(f.nodes[2])->geometry().top(), 45);
        f.list.removeItem(f.sections[2].get());
        QCOMPARE(f.list.nodes().size(), 1);
        f.list.clear();
        QCOMPARE(f.bar()->maximum(), 0);
    }

    void layoutAskedForDuringLayoutRunsAfterIt()
    {
        Fixture f(1, 0, 300);
        Section second(45, 0);
        // Making the second header grows it and asks for a layout from inside the running one.
        second.onHeaderRequest = [&] {
            f.list.nodes().last()->headerHeight = 80;
            f.list.updateItemGeometries();
        };
        CollapsibleListWidget::Node* secondNode = f.list.addItem(&second);
        QCOMPARE(f.list.headerWidgetOf(secondNode)->height(), 80);
    }
};

ORVEL_WIDGET_TEST_MAIN(TestCollapsibleListWidget, 1920, 1040)
#include "tst_CollapsibleListWidget.moc"
