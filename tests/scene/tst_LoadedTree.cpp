#include "core/TokenScrambler.h"
#include "device/KestrinDevice.h"
#include "scene/BaseLoadedTreeView.h"
#include "scene/LoadedTreeItem.h"
#include "scene/LoadedTreeLoaders.h"
#include "scene/LoadedTreeModel.h"
#include "support/StandinHub.h"
#include "support/StandinHubActionTree.h"
#include "support/TestUtils.h"

#include <QApplication>
#include <QTest>

using namespace OV;
using Json = nlohmann::json;

namespace {

// Keeps every request; the test answers them when it likes.
struct FakeLoader
{
    struct Call
    {
        QString id;
        LoadedTreeModel::Done done;
    };
    QList<Call> calls;

    LoadedTreeModel::Loader loader()
    {
        return [this](LoadedTreeItem* item, LoadedTreeModel::Done done) { calls.append({item->id(), done}); };
    }
};

Json group(const char* name, const char* id)
{
    return {{"name", name}, {"last", false}, {"id", id}};
}

QStringList childTexts(const QStandardItem* item)
{
    QStringList texts;
    for (int i = 0; i < item->rowCount(); ++i)
        texts << item->child(i)->text();
    return texts;
}

} // namespace

class TestLoadedTree : public QObject
{
    Q_OBJECT

    LoadedTreeModel model;
    FakeLoader fake;
    LoadedTreeItem* root = nullptr;

private slots:
    void init()
    {
        model.clear();
        fake.calls.clear();
        model.setLoader(fake.loader());
        root = model.appendRootNode();
    }

    void itemsFromNodes_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("selectable");
        QTest::newRow("leaf") << R"({"name":"Play","last":true,"type":"X","objectName":""})" << true
                              << int(LoadedTreeItem::Loaded) << true;
        QTest::newRow("group") << R"({"name":"Media","last":false,"id":"m"})" << true << int(LoadedTreeItem::NotLoaded)
                               << false;
        QTest::newRow("retry") << R"({"name":"r","last":false,"id":"","loadFailedNode":true})" << true
                               << int(LoadedTreeItem::LoadFailed) << false;
        QTest::newRow("no last") << R"({"name":"x","id":"x"})" << false << 0 << false;
        QTest::newRow("name not text") << R"({"name":3,"last":true})" << false << 0 << false;
        QTest::newRow("group without id") << R"({"name":"g","last":false})" << false << 0 << false;
    }

    void itemsFromNodes()
    {
        QFETCH(QString, node);
        QFETCH(bool, accepted);
        QFETCH(int, state);
        QFETCH(bool, selectable);
        try {
            LoadedTreeItem item(Json::parse(node.toStdString()));
            QVERIFY(accepted);
            QCOMPARE(int(item.loadState()), state);
            QCOMPARE(item.isSelectable(), selectable);
            // A group not yet loaded draws an expander through its placeholder.
            QCOMPARE(item.rowCount(), state == LoadedTreeItem::NotLoaded ? 1 : 0);
        } catch (const std::exception&) {
            QVERIFY(!accepted);
        }
    }

    void loadsOnceAndShowsChildren()
    {
        model.loadChildren(root);
        model.loadChildren(root);
        QCOMPARE(fake.calls.size(), 1);
        QCOMPARE(fake.calls[0].id, QString());
        QCOMPARE(childTexts(root), QStringList{QStringLiteral("Loading...")});
        Test::LogCapture log;
        fake.calls[0].done(Json::array({group("A", "a"), Json{{"name", "broken"}}, group("B", "b")}));
        QCOMPARE(root->loadState(), LoadedTreeItem::Loaded);
        QCOMPARE(childTexts(root), (QStringList{"A", "B"}));
        QVERIFY(log.text().contains(QStringLiteral("[ActionTreeModel] loadChildren error:")));
        // Loaded: expanding again asks nothing; a second answer of the same load changes nothing.
        model.loadChildren(root);
        fake.calls[0].done(Json::array());
        QCOMPARE(fake.calls.size(), 1);
        QCOMPARE(childTexts(root), (QStringList{"A", "B"}));
    }

    void emptyAnswerSaysNoMoreItems()
    {
        model.loadChildren(root);
        fake.calls[0].done(Json::array());
        QCOMPARE(root->loadState(), LoadedTreeItem::Loaded);
        QCOMPARE(root->rowCount(), 1);
        const QStandardItem* none = root->child(0);
        QCOMPARE(none->text(), QStringLiteral("No more items"));
        QVERIFY(none->font().italic());
        QCOMPARE(none->foreground().color(), QColor(0x8e, 0x91, 0x94));
        QVERIFY(!model.loadedItem(none->index()));
    }

    void failureOffersRetry_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("array");
        QTest::addColumn<QString>("tip");
        QTest::newRow("error reply") << 6001 << false << QStringLiteral("Kestrin reply error, details: busy");
        QTest::newRow("time-out") << 6000 << false << QStringLiteral("Request api timeout");
        QTest::newRow("success without list")
            << 0 << false << QStringLiteral("Kestrin reply error, details: the reply holds no list");
    }

    void failureOffersRetry()
    {
        QFETCH(int, code);
        QFETCH(QString, tip);
        model.loadChildren(root);
        if (code == 0)
            fake.calls[0].done(Json::object());
        else
            fake.calls[0].done(BaseResult<Json>::failure(Errors::byCode(code), code == 6001 ? "busy" : ""));
        QCOMPARE(root->loadState(), LoadedTreeItem::LoadFailed);
        QCOMPARE(root->rowCount(), 1);
        auto* retry = model.loadedItem(root->child(0)->index());
        QVERIFY(retry);
        QCOMPARE(retry->text(), QStringLiteral("Load failed, click to retry"));
        QCOMPARE(retry->failedItem(), root);
        QCOMPARE(retry->toolTip(), tip);
        model.loadChildren(retry->failedItem());
        QCOMPARE(fake.calls.size(), 2);
        QCOMPARE(fake.calls[1].id, QString());
        QCOMPARE(childTexts(root), QStringList{QStringLiteral("Loading...")});
    }

    void lateAnswersAreDropped()
    {
        model.loadChildren(root);
        LoadedTreeModel::Done orphan = fake.calls[0].done;
        model.clear(); // the reload of a dialog: the item is gone
        orphan(Json::array({group("A", "a")}));
        QCOMPARE(model.rowCount(), 0);

        auto other = std::make_unique<LoadedTreeModel>();
        other->setLoader(fake.loader());
        other->loadChildren(other->appendRootNode());
        LoadedTreeModel::Done gone = fake.calls.last().done;
        other.reset();
        gone(Json::array({group("A", "a")})); // the model is gone: nothing happens
    }

    void viewPresses()
    {
        BaseLoadedTreeView view;
        view.setLoadedModel(&model);
        view.resize(300, 300);
        view.show();
        view.expand(root->index());
        QCOMPARE(fake.calls.size(), 1);
        fake.calls[0].done(Json::array({group("G", "g"), Json{{"name", "Leaf"}, {"last", true}}}));
        auto* groupItem = model.loadedItem(root->child(0)->index());
        auto* leafItem = model.loadedItem(root->child(1)->index());
        QVERIFY(groupItem && leafItem);
        const auto press = [&](const QModelIndex& index) {
            QTest::mousePress(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
            QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
        };

        // A group opens on one press (asking for its children) and is never selected.
        press(groupItem->index());
        QVERIFY(view.isExpanded(groupItem->index()));
        QCOMPARE(fake.calls.size(), 2);
        QCOMPARE(fake.calls[1].id, QStringLiteral("g"));
        QVERIFY(view.selectionModel()->selectedIndexes().isEmpty());
        // The "Loading..." row ignores presses.
        press(groupItem->child(0)->index());
        QVERIFY(view.selectionModel()->selectedIndexes().isEmpty());
        fake.calls[1].done(BaseResult<Json>::failure(Errors::RequestTimeout));
        // The retry row asks again with the group's id; the row itself goes away on the press.
        press(groupItem->child(0)->index());
        QCOMPARE(fake.calls.size(), 3);
        QCOMPARE(fake.calls[2].id, QStringLiteral("g"));
        QCOMPARE(childTexts(groupItem), QStringList{QStringLiteral("Loading...")});
        // A leaf is selected.
        press(leafItem->index());
        QCOMPARE(view.selectionModel()->selectedIndexes().value(0), leafItem->index());
        // A second press on the open group closes it.
        press(groupItem->index());
        QVERIFY(!view.isExpanded(groupItem->index()));
    }

    // The hub request behind the loaders: a group that never answers ends in the retry row
    // with the request's time-out text.
    void silentGroupTimesOut()
    {
        Test::StandinHub hub;
        QVERIFY(hub.listen());
        hub.setValidToken(QStringLiteral("tok"));
        Test::installActionTree(hub);
        KestrinTimings timings = Test::StandinHub::steadyTimings();
        timings.requestTimeout = [](int, int ms) { return ms / 20; };
        const KestrinHost host{"tcp", "", Test::StandinHub::address(), hub.port(), "", encodeToken("tok")};
        auto device = std::make_shared<KestrinDevice>(std::make_shared<KestrinHost>(host), timings);
        device->start(nullptr);
        QVERIFY(QTest::qWaitFor([&] { return device->isReady(); }, 5000));

        LoadedTreeModel hubModel;
        hubModel.setLoader(makeHubTreeLoader(&hubModel, HubTree::SceneActions, [device] { return device; }));
        LoadedTreeItem* top = hubModel.appendRootNode();
        hubModel.loadChildren(top);
        QTRY_COMPARE_WITH_TIMEOUT(top->loadState(), LoadedTreeItem::Loaded, 3000);
        LoadedTreeItem* silent = nullptr;
        for (int i = 0; i < top->rowCount(); ++i) {
            if (top->child(i)->text() == QLatin1String("Silent group"))
                silent = hubModel.loadedItem(top->child(i)->index());
        }
        QVERIFY(silent);
        hubModel.loadChildren(silent);
        QTRY_COMPARE_WITH_TIMEOUT(silent->loadState(), LoadedTreeItem::LoadFailed, 3000);
        QCOMPARE(silent->child(0)->toolTip(), QStringLiteral("Request api timeout"));

        // Without a hub the load fails at once.
        LoadedTreeModel noHub;
        noHub.setLoader(makeHubTreeLoader(&noHub, HubTree::KnobCtrlDevices, [] { return nullptr; }));
        LoadedTreeItem* lone = noHub.appendRootNode();
        noHub.loadChildren(lone);
        QCOMPARE(lone->loadState(), LoadedTreeItem::LoadFailed);
        QCOMPARE(lone->child(0)->toolTip(), QStringLiteral("Unknown error, details: Kestrin is null"));
        device->stop();
    }
};

QTEST_MAIN(TestLoadedTree)
#include "tst_LoadedTree.moc"
