#include "cards/KestrinCard.h"
#include "cards/KestrinDeviceScreenUI.h"
#include "cards/KestrinDeviceUI.h"
#include "core/EventBus.h"
#include "device/KestrinDevice.h"
#include "main/MainDeviceListAddingItem.h"
#include "main/MainDeviceListContent.h"
#include "main/MainDeviceListWidget.h"
#include "main/MainDeviceModule.h"
#include "main/MainProfilePanel.h"
#include "main/MainProfileWidget.h"
#include "main/MainWindow.h"
#include "module/ModuleDetailsDialog.h"
#include "module/ModulePelloraDialog.h"
#include "module/ModulePipwickProfileEditor.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "support/MainScreensTestUtils.h"
#include "support/StandinHub.h"
#include "support/StandinHubModuleStates.h"
#include "support/TestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/MessageDialog.h"
#include "widgets/WheelHorizontalScrollArea.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace OV;
using Test::StandinHub;
using Json = nlohmann::json;

namespace {

using Ids = std::vector<int64_t>;

QString storedOrder()
{
    const auto loaded = ProjectManager::instance()->getModuleUseCase()->accessor->database()->loadProperty(
        QLatin1String(MainDeviceListWidget::kSortedDeviceListProperty));
    return loaded.isOk() ? *loaded.data : QStringLiteral("<error>");
}

void storeOrder(const QString& text)
{
    QVERIFY(ProjectManager::instance()
                ->getModuleUseCase()
                ->accessor->database()
                ->saveProperty(QLatin1String(MainDeviceListWidget::kSortedDeviceListProperty), text)
                .isOk());
}

template <typename Window>
Window* findChildWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

Ids rowIds(const MainDeviceListWidget& row)
{
    Ids ids;
    for (MainDeviceListItem* tile : row.tiles())
        ids.push_back(tile->deviceId());
    return ids;
}

// Drops a payload on the row's content at x (content coordinates).
void drop(MainDeviceListContent* content, const QByteArray& payload, int x, const QString& mime)
{
    QMimeData data;
    data.setData(mime, payload);
    QDropEvent event(QPointF(x, 90), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Straight to the widget: the application only routes drops that a drag under way started.
    static_cast<QObject*>(content)->event(&event);
}

} // namespace

class TestMainDeviceList : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { Test::applyBaseTheme(); }

    void init() { QVERIFY(Test::openFreshProject(m_dir.path(), QStringLiteral("Row"))); }

    void cleanup()
    {
        MessageDialog::setAnswerProvider({});
        ProjectManager::instance()->closeProject();
    }

    // The saved order decides the first load; the load itself writes nothing.
    void firstLoadFollowsTheSavedOrder_data()
    {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("expected"); // "h" the hub, digits the module's position, "+" adding
        QTest::newRow("nothing saved") << QString() << QStringLiteral("h 0 1 2 +");
        QTest::newRow("module, hub, module") << QStringLiteral("[#2,-1,#0]") << QStringLiteral("2 h 0 1 +");
        QTest::newRow("a removed module and a repeat are skipped")
            << QStringLiteral("[999,#1,-1,#1]") << QStringLiteral("1 h 0 2 +");
        QTest::newRow("floats truncate") << QStringLiteral("[#1.7,-1]") << QStringLiteral("1 h 0 2 +");
        QTest::newRow("not JSON") << QStringLiteral("[#1,") << QStringLiteral("h 0 1 2 +");
        QTest::newRow("a text element stops the reading")
            << QStringLiteral("[#2,\"x\",#0]") << QStringLiteral("2 h 0 1 +");
        QTest::newRow("an object") << QStringLiteral("{\"a\":1}") << QStringLiteral("h 0 1 2 +");
    }

    void firstLoadFollowsTheSavedOrder()
    {
        QFETCH(QString, saved);
        QFETCH(QString, expected);
        const Ids modules = Test::addModules({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        QCOMPARE(modules.size(), size_t(3));
        if (!saved.isEmpty()) {
            QString text = saved;
            for (int i = 0; i < 3; ++i)
                text.replace(QStringLiteral("#%1").arg(i), QString::number(modules[i]));
            storeOrder(text);
        }
        const QString before = storedOrder();
        MainDeviceListWidget row;
        QStringList shown;
        for (const int64_t id : rowIds(row)) {
            if (id == MainDeviceListItem::kHubId)
                shown << QStringLiteral("h");
            else if (id == MainDeviceListItem::kAddingId)
                shown << QStringLiteral("+");
            else
                shown << QString::number(std::find(modules.begin(), modules.end(), id) - modules.begin());
        }
        QCOMPARE(shown.join(QLatin1Char(' ')), expected);
        QCOMPARE(storedOrder(), before);
        QCOMPARE(row.entries().size(), 4);
        QCOMPARE(row.onlineTimer()->interval(), 5000);
        QVERIFY(row.onlineTimer()->isActive());
    }

    // Drops land before the first tile whose centre lies right of the drop point; the adding
    // tile stays last; the order is saved; foreign payloads change nothing.
    void dropsReorderAndPersist_data()
    {
        QTest::addColumn<int>("dragged");    // index in the row hub, A, B, +
        QTest::addColumn<int>("dropBefore"); // x just left of this tile's centre; 4 = far right
        QTest::addColumn<QString>("expected");
        QTest::newRow("first left of the third") << 0 << 2 << QStringLiteral("A h B +");
        QTest::newRow("third left of the first") << 2 << 0 << QStringLiteral("B h A +");
        QTest::newRow("right of the adding tile") << 0 << 4 << QStringLiteral("A B h +");
        QTest::newRow("onto its own place") << 1 << 1 << QStringLiteral("h A B +");
    }

    void dropsReorderAndPersist()
    {
        QFETCH(int, dragged);
        QFETCH(int, dropBefore);
        QFETCH(QString, expected);
        const Ids modules = Test::addModules({QStringLiteral("A"), QStringLiteral("B")});
        MainDeviceListWidget row;
        row.resize(1200, 200);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        MainDeviceListContent* content = row.content();
        const QList<MainDeviceListItem*> tiles = row.tiles();
        const int x = dropBefore < tiles.size() ? tiles[dropBefore]->geometry().center().x() - 5 : content->width() - 2;
        drop(content, tiles[dragged]->dragIdentity(), x, QLatin1String(MainDeviceListItem::kMimeType));
        QStringList shown;
        QStringList saved;
        for (const int64_t id : rowIds(row)) {
            const QString name = id == -1                              ? QStringLiteral("h")
                                 : id == MainDeviceListItem::kAddingId ? QStringLiteral("+")
                                 : id == modules[0]                    ? QStringLiteral("A")
                                                                       : QStringLiteral("B");
            shown << name;
            if (id != MainDeviceListItem::kAddingId)
                saved << QString::number(id);
        }
        QCOMPARE(shown.join(QLatin1Char(' ')), expected);
        QCOMPARE(storedOrder(), QLatin1Char('[') + saved.join(QLatin1Char(',')) + QLatin1Char(']'));

        // The adding tile cannot be moved, and payloads that name no tile of this row do nothing.
        const QString order = storedOrder();
        drop(content, row.content()->addingItem()->dragIdentity(), 0, QLatin1String(MainDeviceListItem::kMimeType));
        drop(content, QByteArray::number(quintptr(&row)), 0, QLatin1String(MainDeviceListItem::kMimeType));
        drop(content, "not a number", 0, QLatin1String(MainDeviceListItem::kMimeType));
        drop(content, tiles[1]->dragIdentity(), 0, QStringLiteral("application/kestrin-widget"));
        QCOMPARE(storedOrder(), order);
        QCOMPARE(row.tiles().last(), static_cast<MainDeviceListItem*>(content->addingItem()));
    }

    // The row is as wide as its tiles and its margins, so the adding tile is never cut off.
    void widthCountsTheMargins()
    {
        Test::addModules({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        MainDeviceListWidget row;
        row.resize(500, 200);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        // The module and adding tiles are 180 wide; the hub tile with its card strip, 713 wide
        // where there is room, has narrowed to its least width in this short row.
        QCOMPARE(row.hubTile()->width(), KestrinDeviceUI::kMinWidth);
        QCOMPARE(row.content()->minimumWidth(), 16 + KestrinDeviceUI::kMinWidth + 4 * 180 + 16);
        auto* scroll = qobject_cast<QScrollArea*>(row.content()->parentWidget()->parentWidget());
        QVERIFY(scroll);
        scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->maximum());
        QApplication::processEvents();
        const QRect adding = row.content()->addingItem()->geometry();
        QVERIFY(adding.right() < row.content()->width() - 15);
    }

    // At the main window's first size the hub, one module and the adding tile are all in view,
    // with no scroll bar under them.
    void oneModuleAndAddingFitTheWindow_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("hubWidth"); // the row less its margins and the other two tiles
        QTest::newRow("1152 x 806") << QSize(1152, 806) << 1152 - 262 - 32 - 360;
        QTest::newRow("1344 x 832, a 1920 x 1040 screen") << QSize(1344, 832) << 1344 - 262 - 32 - 360;
        QTest::newRow("1920 x 1040, room for the whole hub") << QSize(1920, 1040) << KestrinDeviceUI::kWidth;
    }

    void oneModuleAndAddingFitTheWindow()
    {
        QFETCH(QSize, size);
        QFETCH(int, hubWidth);
        Test::addModules({QStringLiteral("A")});
        auto window = std::make_unique<MainWindow>();
        window->setMinimumSize(size);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->size(), size);
        auto* row = qobject_cast<MainDeviceListWidget*>(window->deviceList());
        QVERIFY(row);
        auto* scroll = qobject_cast<QScrollArea*>(row->content()->parentWidget()->parentWidget());
        QVERIFY(scroll);
        QApplication::processEvents();
        if (const QString dir = Test::screenshotDir(); !dir.isEmpty())
            QVERIFY(window->grab().save(
                dir + QStringLiteral("/main_window_one_module_%1x%2.png").arg(size.width()).arg(size.height())));
        QVERIFY(!scroll->horizontalScrollBar()->isVisible());
        const QRect viewport = scroll->viewport()->rect();
        for (MainDeviceListItem* tile : row->tiles()) {
            const QRect shown(tile->mapTo(scroll->viewport(), QPoint(0, 0)), tile->size());
            QVERIFY2(viewport.contains(shown), qPrintable(QStringLiteral("tile %1 at %2..%3 in a row %4 wide")
                                                              .arg(tile->deviceId())
                                                              .arg(shown.left())
                                                              .arg(shown.right())
                                                              .arg(viewport.width())));
        }
        QCOMPARE(row->tiles().size(), 3);
        auto* hub = qobject_cast<KestrinDeviceUI*>(row->hubTile());
        QCOMPARE(hub->width(), hubWidth);
        QCOMPARE(hub->screen()->visibleWidth(), hubWidth - 100);
        QCOMPARE(hub->scrollArea()->viewport()->width(), hubWidth - 100);
    }

    // Modules added later come after the shown ones and the order is written with them; a
    // deleted module's tile goes at once without a question.
    void refreshAddsAndDeleteRemoves()
    {
        const Ids first = Test::addModules({QStringLiteral("A")});
        MainDeviceListWidget row;
        const Ids later = Test::addModules({QStringLiteral("B")});
        row.reloadModules();
        QCOMPARE(rowIds(row), (Ids{-1, first[0], later[0], MainDeviceListItem::kAddingId}));
        QCOMPARE(storedOrder(), QStringLiteral("[-1,%1,%2]").arg(first[0]).arg(later[0]));
        row.reloadModules();
        QCOMPARE(row.tiles().size(), 4);

        row.moduleTiles().front()->onClickMenuDelete();
        QTRY_COMPARE(row.tiles().size(), 3);
        QCOMPARE(rowIds(row), (Ids{-1, later[0], MainDeviceListItem::kAddingId}));
        QVERIFY(!*ProjectManager::instance()->getModuleUseCase()->accessor->findById(first[0]).data);
    }

    // The context menu offers "Config" only on the screen cube, where it opens the cube's
    // window; "Detail" opens the details window for every module, the cube included.
    void contextMenuEntries_data()
    {
        QTest::addColumn<qulonglong>("product");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("screen cube") << qulonglong(0x10000003)
                                     << QStringList{QStringLiteral("Config"), QStringLiteral("Detail"),
                                                    QStringLiteral("Replace"), QStringLiteral("Delete")};
        QTest::newRow("power card") << qulonglong(0x10000005)
                                    << QStringList{QStringLiteral("Detail"), QStringLiteral("Replace"),
                                                   QStringLiteral("Delete")};
    }

    void contextMenuEntries()
    {
        QFETCH(qulonglong, product);
        QFETCH(QStringList, entries);
        Test::addModules({QStringLiteral("M")}, product);
        MainDeviceListWidget row;
        row.resize(800, 200);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        MainDeviceModule* tile = row.moduleTiles().front();
        QStringList texts;
        QStringList shown;
        MessageDialog::setAnswerProvider([&](MessageDialog& d) {
            shown << d.text();
            return 1;
        });
        // The menu is read and the entry asked for chosen while it is up.
        QString choose;
        QColor background;
        bool separatorDrawn = false;
        connect(tile, &MainDeviceModule::contextMenuShown, this, [&](QMenu* menu) {
            // Painted in the menu colours, its separators drawn across it.
            const QImage shot = menu->grab().toImage();
            background = shot.pixelColor(2, shot.height() / 2);
            for (int y = 0; y < shot.height(); ++y)
                separatorDrawn = separatorDrawn || shot.pixelColor(shot.width() / 2, y) == QColor(0x3A, 0x3E, 0x46);
            texts.clear();
            for (QAction* action : menu->actions()) {
                if (action->isSeparator())
                    continue;
                texts << action->text();
                if (action->text() == choose)
                    action->trigger();
            }
            menu->close();
        });
        if (product == 0x10000003) {
            choose = QStringLiteral("Config");
            QTest::mousePress(tile, Qt::RightButton, {}, QPoint(50, 50));
            QCOMPARE(texts, entries);
            ModulePelloraDialog* cube = nullptr;
            QTRY_VERIFY((cube = findChildWindow<ModulePelloraDialog>()) != nullptr);
            QCOMPARE(cube->bean()->id, tile->module()->id);
            cube->close();
            QTRY_VERIFY(!findChildWindow<ModulePelloraDialog>());
        }
        // "Detail" opens the module's details.
        choose = QStringLiteral("Detail");
        QTest::mousePress(tile, Qt::RightButton, {}, QPoint(50, 50));
        QCOMPARE(texts, entries);
        QCOMPARE(background, QColor(0x24, 0x27, 0x2C));
        QVERIFY(separatorDrawn);
        ModuleDetailsDialog* details = nullptr;
        QTRY_VERIFY((details = findChildWindow<ModuleDetailsDialog>()) != nullptr);
        QCOMPARE(details->nameLabel()->text(), tile->module()->name);
        QVERIFY(!findChildWindow<ModulePelloraDialog>());
        details->close();
        QVERIFY(shown.isEmpty());
    }

    // Without a hub the adding tile asks to add the hub first; "Add Now" opens the search.
    void addingWithoutAHub()
    {
        MainDeviceListWidget row;
        QString title;
        MessageDialog::setAnswerProvider([&](MessageDialog& d) {
            title = d.title();
            return d.button2->text() == QLatin1String("Add Now") ? 2 : 0;
        });
        int opened = 0;
        // Ends with this test: the count lives on its stack.
        QObject listening;
        connect(EventBus::instance(), &EventBus::messagePosted, &listening,
                [&](const QSharedPointer<EventBusMessage>& m) {
                    opened += m->topic == QLatin1String(Topics::ShowKestrinDialog);
                });
        emit row.content()->addingItem()->clicked();
        QTRY_COMPARE(opened, 1);
        QCOMPARE(title, QStringLiteral("No Kestrin Added"));
    }

    // The 5 s poll lights the dots of the modules the hub reports online; a malformed reply or
    // a lost hub leaves nothing lit by mistake.
    void onlinePollLightsTheDots()
    {
        StandinHub hub;
        QVERIFY(hub.listen());
        Test::StandinHubModuleStates states;
        states.install(hub);
        states.setOnline(QStringLiteral("A"), true);
        states.setOnline(QStringLiteral("B"), false);
        states.setOnline(QStringLiteral("C"), true);
        Test::addModules({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        MainDeviceListWidget row;
        QVERIFY(Test::pairCurrentHub(hub, QStringLiteral("KS-ROW")));

        const auto lit = [&] {
            QString text;
            for (MainDeviceModule* tile : row.moduleTiles())
                text += tile->isOnline() && tile->onlineDot()->objectName() == QLatin1String("deviceModuleOnline")
                            ? QLatin1Char('1')
                            : QLatin1Char('0');
            return text;
        };
        QCOMPARE(lit(), QStringLiteral("000"));
        row.getAllModuleOnlineState();
        QTRY_COMPARE(lit(), QStringLiteral("101"));
        QVERIFY(hub.received(Test::StandinHubModuleStates::kActModuleOnlineState).back()["data"] == Json::array());

        states.setOnline(QStringLiteral("C"), false);
        row.getAllModuleOnlineState();
        QTRY_COMPARE(lit(), QStringLiteral("100"));

        // An element without "online" is logged, and the dots stay as they were.
        hub.replyOk(Test::StandinHubModuleStates::kActModuleOnlineState,
                    Json::array({{{"serialNo", "B"}, {"online", true}}, {{"serialNo", "A"}}}));
        Test::LogCapture log;
        const int asked = hub.receivedCount(Test::StandinHubModuleStates::kActModuleOnlineState);
        row.getAllModuleOnlineState();
        QTRY_VERIFY(log.text().contains(QStringLiteral("module online state error")));
        QCOMPARE(hub.receivedCount(Test::StandinHubModuleStates::kActModuleOnlineState), asked + 1);
        QCOMPARE(lit(), QStringLiteral("100"));

        // Without a ready hub every dot goes dark.
        ProjectManager::instance()->setCurrentKestrin(nullptr);
        row.getAllModuleOnlineState();
        QCOMPARE(lit(), QStringLiteral("000"));
    }

    // The main window hands every tile of its row the current profile the panel chose.
    void mainWindowHandsTheProfileToEveryTile()
    {
        Test::addModules({QStringLiteral("A"), QStringLiteral("B")});
        QVERIFY(ProjectManager::instance()->getProfileUseCase()->createProfile(QStringLiteral("Work"), {}).isOk());
        auto* window = new MainWindow;
        auto* row = qobject_cast<MainDeviceListWidget*>(window->deviceList());
        auto* panel = qobject_cast<MainProfilePanel*>(window->profilePanel());
        QVERIFY(row && panel);
        QCOMPARE(row->tiles().size(), 4);
        QTRY_VERIFY(MainWindow::currentProfile());
        for (MainDeviceListItem* tile : row->tiles())
            QCOMPARE(tile->currentProfile()->name, QStringLiteral("Default Profile"));
        QVERIFY(row->isEnabled());
        for (MainProfileWidget::ProfileItem* item : panel->header()->rows()) {
            if (item->profile()->name == QLatin1String("Work"))
                item->setSelected(true);
        }
        for (MainDeviceListItem* tile : row->tiles()) {
            QCOMPARE(tile->currentProfile()->name, QStringLiteral("Work"));
            QVERIFY(tile->currentProfile() != MainWindow::currentProfile());
        }
        delete window;
    }

    // The edit area shows the selected tile's editor only: a module without one (the power card)
    // leaves it empty, whichever tile was selected before.
    void theEditAreaFollowsTheSelectedTile()
    {
        const Ids knob = Test::addModules({QStringLiteral("PW")});
        const Ids power = Test::addModules({QStringLiteral("WK")}, ProjectModuleUseCase::kWakerinProductId);
        QVERIFY(knob.size() == 1 && power.size() == 1);
        auto* window = new MainWindow;
        const auto cleanup = qScopeGuard([window] { delete window; });
        QTRY_VERIFY(MainWindow::currentProfile());
        auto* row = qobject_cast<MainDeviceListWidget*>(window->deviceList());
        const auto tileOf = [row](int64_t id) -> MainDeviceListItem* {
            for (MainDeviceListItem* tile : row->tiles()) {
                if (tile->deviceId() == id)
                    return tile;
            }
            return nullptr;
        };
        const auto shown = [window] {
            return window->editPanel() ? QString::fromLatin1(window->editPanel()->metaObject()->className())
                                       : QStringLiteral("nothing");
        };
        const QString knobEditor = QString::fromLatin1(ModulePipwickProfileEditor::staticMetaObject.className());
        QTest::mouseClick(tileOf(knob[0]), Qt::LeftButton);
        QCOMPARE(shown(), knobEditor);
        QTest::mouseClick(tileOf(power[0]), Qt::LeftButton);
        QVERIFY(tileOf(power[0])->isSelected());
        QCOMPARE(shown(), QStringLiteral("nothing"));
        QTest::mouseClick(tileOf(knob[0]), Qt::LeftButton);
        QCOMPARE(shown(), knobEditor);
        QTest::mouseClick(tileOf(-1), Qt::LeftButton);
        QCOMPARE(shown(), QStringLiteral("nothing"));
    }

    // The hub strip loads its profile's cards once when the window is made; a change of the
    // current profile loads the other profile's cards, and coming back loads them again.
    void theHubStripLoadsItsProfileOnce()
    {
        const auto profiles = ProjectManager::instance()->getProfileUseCase();
        QVERIFY(profiles->createProfile(QStringLiteral("Work"), {}).isOk());
        const auto all = *profiles->accessor->findAll(false).data;
        const auto cards = ProjectManager::instance()->getProfileKsWidgetUseCase();
        for (const auto& profile : all) {
            for (int i = 0; i < 2; ++i) {
                ProjectDbProfileKsWidgetBean card;
                card.setProfileId(profile->id);
                card.widgetType = QStringLiteral("basic");
                card.uid = QStringLiteral("card-%1-%2").arg(profile->id).arg(i);
                card.setData({{"typeId", "clock"}});
                QVERIFY(cards->insertOrUpdateWidget(card, nullptr).isOk());
            }
        }
        auto* window = new MainWindow;
        auto* row = qobject_cast<MainDeviceListWidget*>(window->deviceList());
        auto* hub = qobject_cast<KestrinDeviceUI*>(row->hubTile());
        QVERIFY(hub);
        const auto shown = [hub] {
            QList<QPointer<KestrinCard>> list;
            for (int i = 0; i < hub->screen()->cardCount(); ++i)
                list << hub->screen()->cardAt(i);
            return list;
        };
        const QList<QPointer<KestrinCard>> first = shown();
        QCOMPARE(first.size(), 2);
        QCOMPARE(first.front()->bean()->profileId, all.front()->id);
        QApplication::processEvents();
        QVERIFY(first.front() && first.back()); // not replaced (and deleted later) by a second load

        hub->onCurrentProfileChanged(std::make_shared<ProjectDbProfileBean>(*all.front()));
        QCOMPARE(shown(), first);
        auto* panel = qobject_cast<MainProfilePanel*>(window->profilePanel());
        for (MainProfileWidget::ProfileItem* item : panel->header()->rows()) {
            if (item->profile()->name == QLatin1String("Work"))
                item->setSelected(true);
        }
        QCOMPARE(hub->screen()->cardCount(), 2);
        QCOMPARE(hub->screen()->cardAt(0)->bean()->profileId, all.back()->id);
        panel->header()->rows().front()->setSelected(true);
        QCOMPARE(hub->screen()->cardAt(0)->bean()->profileId, all.front()->id);
        QVERIFY(!shown().contains(first.front()));
        delete window;
    }

    void screenshots()
    {
        const QString dir = Test::screenshotDir();
        if (dir.isEmpty())
            QSKIP("ORVEL_SCREENSHOTS is not set");
        StandinHub hub;
        QVERIFY(hub.listen());
        Test::StandinHubModuleStates states;
        states.install(hub);
        const Ids ids = Test::addModules({QStringLiteral("PW-1")}, 0x10000001);
        Test::addModules({QStringLiteral("PL-1")}, 0x10000003);
        Test::addModules({QStringLiteral("TH-1")}, 0x10000004);
        states.setOnline(QStringLiteral("PW-1"), true);
        states.setOnline(QStringLiteral("PL-1"), false);
        states.setOnline(QStringLiteral("TH-1"), true);
        QWidget frame;
        frame.setObjectName(QStringLiteral("window"));
        frame.setAttribute(Qt::WA_StyledBackground);
        auto* layout = new QHBoxLayout(&frame);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* row = new MainDeviceListWidget(&frame);
        layout->addWidget(row);
        frame.resize(1000, 200);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QVERIFY(Test::pairCurrentHub(hub, QStringLiteral("KS-SHOT")));
        row->getAllModuleOnlineState();
        QTRY_VERIFY(row->moduleTiles().front()->isOnline());
        row->moduleTiles().front()->setSelected(true);
        QTest::qWait(100);
        QVERIFY(frame.grab().save(dir + QStringLiteral("/device_row_hub_and_three_modules.png")));
        Q_UNUSED(ids);
    }

    // The screen cube's tile menu, and the details window its "Detail" opens.
    void screenshotsOfTheCubeTile()
    {
        const QString dir = Test::screenshotDir();
        if (dir.isEmpty())
            QSKIP("ORVEL_SCREENSHOTS is not set");
        Test::addModules({QStringLiteral("PL-SHOT")}, 0x10000003);
        QWidget frame;
        frame.setObjectName(QStringLiteral("window"));
        frame.setAttribute(Qt::WA_StyledBackground);
        auto* layout = new QHBoxLayout(&frame);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* row = new MainDeviceListWidget(&frame);
        layout->addWidget(row);
        frame.resize(1100, 320);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        MainDeviceModule* tile = row->moduleTiles().front();
        bool saved = false;
        connect(tile, &MainDeviceModule::contextMenuShown, this, [&](QMenu* menu) {
            QTest::qWait(50);
            QImage shot = frame.grab().toImage();
            const QPoint at = frame.mapFromGlobal(menu->pos());
            QPainter(&shot).drawImage(at, menu->grab().toImage());
            saved = shot.save(dir + QStringLiteral("/device_row_cube_menu.png"));
            for (QAction* action : menu->actions()) {
                if (action->text() == QLatin1String("Detail"))
                    action->trigger();
            }
            menu->close();
        });
        QTest::mousePress(tile, Qt::RightButton, {}, QPoint(90, 60));
        QVERIFY(saved);
        ModuleDetailsDialog* details = nullptr;
        QTRY_VERIFY((details = findChildWindow<ModuleDetailsDialog>()) != nullptr);
        QTest::qWait(50);
        QVERIFY(details->grab().save(dir + QStringLiteral("/module_details_cube.png")));
        details->close();
    }
};

ORVEL_WIDGET_TEST_MAIN(TestMainDeviceList, 1920, 1040)
#include "tst_MainDeviceList.moc"
