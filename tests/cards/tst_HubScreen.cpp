#include "cards/KSBasicWidgetItem.h"
#include "cards/KestrinCard.h"
#include "cards/KestrinDeviceScreenUI.h"
#include "cards/KestrinDeviceUI.h"
#include "cards/KestrinWidgetListPanel.h"
#include "cards/SimpleKestrinCard.h"
#include "main/MainDeviceListWidget.h"
#include "main/MainWindow.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "support/CardsTestUtils.h"
#include "support/MainScreensTestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/MessageDialog.h"
#include "widgets/WheelHorizontalScrollArea.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

#include <memory>

using namespace OV;
using Json = nlohmann::json;

class TestHubScreen : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<MainWindow> m_window;
    KestrinDeviceUI* m_tile = nullptr;
    KestrinDeviceScreenUI* m_strip = nullptr;
    QStringList m_dialogs;
    QByteArray m_clockPayload;

    std::shared_ptr<ProjectProfileKsWidgetUseCase> cards()
    {
        return ProjectManager::instance()->getProfileKsWidgetUseCase();
    }

    KSBasicWidgetItem* basicRow(const QString& name)
    {
        for (auto* row : m_window->findChildren<KSBasicWidgetItem*>()) {
            if (row->name() == name)
                return row;
        }
        return nullptr;
    }

    static QByteArray newCard(const char* typeId)
    {
        return QByteArray::fromStdString(
            Json{{"config", {{"typeId", typeId}}}, {"from", "configPanel"}, {"id", 0}, {"widgetType", "basic"}}.dump());
    }

    void clearStrip()
    {
        while (m_strip->cardCount() > 0) {
            m_strip->removeCard(m_strip->cardAt(0));
            Test::settleStrip(m_strip);
        }
        m_tile->scrollArea()->horizontalScrollBar()->setValue(0);
    }

    // The strip's cards by their uid, in strip order.
    QStringList order()
    {
        QStringList uids;
        for (int i = 0; i < m_strip->cardCount(); ++i)
            uids << m_strip->cardAt(i)->bean()->uid;
        return uids;
    }

    int storedCards()
    {
        JsonStoreKeys keys;
        keys.k1 = QString::number(MainWindow::currentProfile()->id);
        const auto found = cards()->accessor->findAll(keys, false);
        return found.isOk() ? static_cast<int>(found.data->size()) : -1;
    }

    QPoint centreOf(int index) { return m_strip->cardAt(index)->geometry().center(); }

private slots:
    void initTestCase()
    {
        Test::applyBaseTheme();
        MessageDialog::setAnswerProvider([this](MessageDialog& dialog) {
            m_dialogs << dialog.text();
            return 3;
        });
        QVERIFY(m_dir.isValid());
        QVERIFY(ProjectManager::instance()->createProject(QStringLiteral("hub"), m_dir.path()).isOk());
        m_window = std::make_unique<MainWindow>();
        m_window->resize(1600, 960);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const auto profile = ProjectManager::instance()->getProfileUseCase()->findFirst(QStringLiteral("true"));
        QVERIFY(profile.isOk() && *profile.data);
        MainWindow::setCurrentProfile(*profile.data);
        m_tile = m_window->findChild<KestrinDeviceUI*>();
        QVERIFY(m_tile);
        m_strip = m_tile->screen();
        QVERIFY(m_tile->scrollArea()->isWheelScrollingEnabled());
        QTRY_VERIFY(basicRow(QStringLiteral("Clock")));
    }

    void cleanupTestCase()
    {
        m_window.reset();
        ProjectManager::instance()->closeProject();
        MessageDialog::setAnswerProvider({});
    }

    void init()
    {
        m_dialogs.clear();
        clearStrip();
    }

    void rowAndCardPayloads()
    {
        const QByteArray row = Test::dragPayload(basicRow(QStringLiteral("Clock")));
        QVERIFY2(row.startsWith("{\"config\":{\"typeId\":\"clock\"},\"from\":\"configPanel\",\"id\":"),
                 row.constData());
        QVERIFY2(row.endsWith(",\"widgetType\":\"basic\"}"), row.constData());
        // One pixel short of the drag distance starts nothing.
        QVERIFY(Test::dragPayload(basicRow(QStringLiteral("Clock")), QApplication::startDragDistance() - 1).isEmpty());

        Test::dropOnStrip(m_strip, row, QPoint(5, 50));
        QCOMPARE(m_strip->cardCount(), 1);
        KestrinCard* card = m_strip->cardAt(0);
        QVERIFY(card->dragId() > Json::parse(row.toStdString()).at("id").get<uint64_t>());
        const Json moved = Json::parse(Test::dragPayload(card).toStdString());
        QVERIFY(moved.at("config").is_null());
        QVERIFY(moved.at("from") == "screen");
        QVERIFY(moved.at("widgetType") == "basic");
        QVERIFY(moved.at("id") == card->dragId());
        // The new card is selected and stored.
        QVERIFY(card->isSelected());
        QCOMPARE(storedCards(), 1);
    }

    void newCardPlacement_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("index");
        QTest::newRow("left of the first centre") << "first" << 0;
        QTest::newRow("between two centres") << "middle" << 1;
        QTest::newRow("right of the last centre") << "last" << 2;
    }

    void newCardPlacement()
    {
        QFETCH(QString, where);
        QFETCH(int, index);
        Test::dropOnStrip(m_strip, newCard("clock"), QPoint(5, 50));
        Test::dropOnStrip(m_strip, newCard("clock"), QPoint(600, 50));
        const QPoint pos = where == QLatin1String("first")  ? centreOf(0) - QPoint(1, 0)
                           : where == QLatin1String("last") ? centreOf(1) + QPoint(1, 0)
                                                            : (centreOf(0) + centreOf(1)) / 2;
        Test::dropOnStrip(m_strip, newCard("timer"), pos);
        QCOMPARE(m_strip->cardAt(index)->bean()->widgetType, QStringLiteral("basic"));
        QVERIFY(m_strip->cardAt(index)->configuration().contains("hour"));
        const QStringList before = order();
        m_strip->initData();
        Test::settleStrip(m_strip);
        QCOMPARE(order(), before);
    }

    void moveCards_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("expected");
        QTest::newRow("right of C's centre") << "rightOfC"
                                             << "BCA";
        QTest::newRow("between B and C") << "betweenBC"
                                         << "BAC";
        QTest::newRow("between A and B") << "betweenAB"
                                         << "ABC";
        QTest::newRow("left of A's centre") << "leftOfA"
                                            << "ABC";
    }

    void moveCards()
    {
        QFETCH(QString, where);
        QFETCH(QString, expected);
        for (int i = 0; i < 3; ++i)
            Test::dropOnStrip(m_strip, newCard("clock"), QPoint(600, 50));
        const QStringList abc = order();
        QPoint pos;
        if (where == QLatin1String("rightOfC"))
            pos = centreOf(2) + QPoint(5, 0);
        else if (where == QLatin1String("betweenBC"))
            pos = (centreOf(1) + centreOf(2)) / 2;
        else if (where == QLatin1String("betweenAB"))
            pos = (centreOf(0) + centreOf(1)) / 2;
        else
            pos = centreOf(0) - QPoint(5, 0);
        Test::dropOnStrip(m_strip, Test::dragPayload(m_strip->cardAt(0)), pos);
        QString letters;
        for (const QString& uid : order())
            letters += QLatin1Char(static_cast<char>('A' + abc.indexOf(uid)));
        QCOMPARE(letters, expected);
        const QStringList moved = order();
        m_strip->initData();
        Test::settleStrip(m_strip);
        QCOMPARE(order(), moved);
    }

    void scrollNewCardIntoView_data()
    {
        QTest::addColumn<int>("cardsBefore");
        QTest::addColumn<int>("scrollX");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("expected"); // -1: wherever the card is wholly in view
        QTest::addColumn<QSize>("window");
        const QSize wide(1600, 960);
        // The sixth place starts at 10 + 5 x 120 = 610: its right edge, 720, goes to 581 in the view.
        QTest::newRow("beyond the right edge") << 7 << 0 << 5 << 720 - 581 << wide;
        QTest::newRow("left of the view") << 7 << 200 << 0 << 10 << wide;
        QTest::newRow("already visible") << 2 << 0 << 1 << 0 << wide;
        // A window under about 1,367 wide narrows the hub tile and its view.
        QTest::newRow("beyond the right edge of a narrowed tile") << 7 << 0 << 7 << -1 << QSize(1152, 806);
    }

    void scrollNewCardIntoView()
    {
        QFETCH(int, cardsBefore);
        QFETCH(int, scrollX);
        QFETCH(int, index);
        QFETCH(int, expected);
        QFETCH(QSize, window);
        // The window's own minimum follows the screen: the row sets the size it needs. A module
        // in the device row leaves the hub tile less room still.
        const bool narrow = window.width() < 1367;
        auto* row = qobject_cast<MainDeviceListWidget*>(m_window->deviceList());
        const std::vector<int64_t> module =
            narrow ? Test::addModules({QStringLiteral("PW-HUB")}) : std::vector<int64_t>{};
        row->reloadModules();
        const QSize before = m_window->size();
        const QSize minimum = m_window->minimumSize();
        const auto restore = qScopeGuard([&] {
            for (const int64_t id : module)
                ProjectManager::instance()->getModuleUseCase()->remove(id);
            row->reloadModules();
            m_window->setMinimumSize(minimum);
            m_window->resize(before);
        });
        m_window->setMinimumSize(window);
        m_window->resize(window);
        QTRY_COMPARE(m_tile->width() < KestrinDeviceUI::kWidth, narrow);
        for (int i = 0; i < cardsBefore; ++i)
            Test::dropOnStrip(m_strip, newCard("clock"), QPoint(5000, 50));
        QScrollBar* bar = m_tile->scrollArea()->horizontalScrollBar();
        bar->setValue(scrollX);
        QCOMPARE(bar->value(), scrollX);
        const QPoint pos = index == 0             ? QPoint(1, 50)
                           : index == cardsBefore ? QPoint(m_strip->width() + 40, 50)
                                                  : (centreOf(index - 1) + centreOf(index)) / 2;
        Test::dropOnStrip(m_strip, newCard("timer"), pos);
        QVERIFY(m_strip->cardAt(index)->configuration().contains("hour"));
        if (expected >= 0)
            QCOMPARE(bar->value(), expected);
        const QRect inView = m_strip->cardAt(index)->geometry().translated(-bar->value(), 0);
        QVERIFY2(inView.left() >= 0 && inView.right() < m_tile->scrollArea()->viewport()->width(),
                 qPrintable(QStringLiteral("card from %1 to %2, view %3 wide")
                                .arg(inView.left())
                                .arg(inView.right())
                                .arg(m_tile->scrollArea()->viewport()->width())));
    }

    void deleteNarrowsStripAndFailedDeleteKeepsCard()
    {
        for (int i = 0; i < 3; ++i)
            Test::dropOnStrip(m_strip, newCard("clock"), QPoint(600, 50));
        const int width = m_strip->minimumWidth();
        QCOMPARE(width, 10 + 3 * 110 + 2 * 10 + 10);
        KestrinCard* card = m_strip->cardAt(1);
        // The right button's menu offers "Delete".
        QTest::mouseClick(card, Qt::RightButton, {}, QPoint(20, 20));
        QVERIFY(card->contextMenu());
        QCOMPARE(card->contextMenu()->actions().first()->text(), QStringLiteral("Delete"));
        card->contextMenu()->actions().first()->trigger();
        card->contextMenu()->close();
        Test::settleStrip(m_strip);
        QCOMPARE(m_strip->cardCount(), 2);
        QCOMPARE(m_strip->minimumWidth(), width - 120);
        QCOMPARE(storedCards(), 2);

        auto database = cards()->accessor->database();
        QVERIFY(database
                    ->exec(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON json_store "
                                          "BEGIN SELECT RAISE(ABORT, 'kept'); END"))
                    .isOk());
        m_strip->cardAt(0)->requestDelete();
        QTRY_COMPARE(m_dialogs.size(), 1);
        QVERIFY2(m_dialogs.first().contains(QLatin1String("kept")), qPrintable(m_dialogs.first()));
        QCOMPARE(m_strip->cardCount(), 2);
        QVERIFY(database->exec(QStringLiteral("DROP TRIGGER keep")).isOk());
    }

    void failedStoreLeavesNothing()
    {
        auto database = cards()->accessor->database();
        // The multi-action card stores itself with its icon while it is made; the drop's own
        // store (an update) then fails.
        QVERIFY(database
                    ->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON json_store "
                                          "BEGIN SELECT RAISE(ABORT, 'refused'); END"))
                    .isOk());
        const QByteArray payload = QByteArray::fromStdString(Json{
            {"config", {{"name", "Morning"}, {"typeId", "multiAction"}}},
            {"from", "configPanel"},
            {"id", 1},
            {"widgetType", "multiAction"}}.dump());
        Test::dropOnStrip(m_strip, payload, QPoint(5, 50));
        QVERIFY(database->exec(QStringLiteral("DROP TRIGGER refuse")).isOk());
        QCOMPARE(m_strip->cardCount(), 0);
        QCOMPARE(storedCards(), 0);
        QTRY_COMPARE(m_dialogs.size(), 1);
        QVERIFY2(m_dialogs.first().contains(QLatin1String("refused")), qPrintable(m_dialogs.first()));
    }

    void foreignPayloadsAreIgnored_data()
    {
        QTest::addColumn<QString>("mime");
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("not JSON") << "application/kestrin-widget" << QByteArray("{\"from\":");
        QTest::newRow("not an object") << "application/kestrin-widget" << QByteArray("[1,2]");
        QTest::newRow("unknown source")
            << "application/kestrin-widget"
            << QByteArray("{\"config\":{\"typeId\":\"clock\"},\"from\":\"desk\",\"id\":1,\"widgetType\":\"basic\"}");
        QTest::newRow("id as text") << "application/kestrin-widget"
                                    << QByteArray("{\"config\":{\"typeId\":\"clock\"},\"from\":\"configPanel\",\"id\":"
                                                  "\"1\",\"widgetType\":\"basic\"}");
        QTest::newRow("no widget type") << "application/kestrin-widget"
                                        << QByteArray(
                                               "{\"config\":{\"typeId\":\"clock\"},\"from\":\"configPanel\",\"id\":1}");
        QTest::newRow("config of the wrong kind")
            << "application/kestrin-widget"
            << QByteArray("{\"config\":[],\"from\":\"configPanel\",\"id\":1,\"widgetType\":\"basic\"}");
        QTest::newRow("another MIME type") << "application/orv-device-item" << newCard("clock");
    }

    void foreignPayloadsAreIgnored()
    {
        QFETCH(QString, mime);
        QFETCH(QByteArray, payload);
        Test::dropOnStrip(m_strip, newCard("clock"), QPoint(5, 50));
        Test::dropOnStrip(m_strip, payload, QPoint(5, 50), mime);
        QCOMPARE(m_strip->cardCount(), 1);
        QCOMPARE(storedCards(), 1);
    }

    void screenshots()
    {
        const QString dir = Test::screenshotDir();
        if (dir.isEmpty())
            QSKIP("ORVEL_SCREENSHOTS is not set");
        const char* kinds[] = {"clock", "worldClock", "accuWeather", "timer", "whiteNoise", "clock"};
        for (const char* kind : kinds)
            Test::dropOnStrip(m_strip, newCard(kind), QPoint(5000, 50));
        m_tile->scrollArea()->horizontalScrollBar()->setValue(0);
        m_strip->cardAt(1)->setSelected(true);
        m_strip->cardAt(1)->showEditor();
        Test::settleStrip(m_strip);
        QVERIFY(m_window->grab().save(dir + QStringLiteral("/main_window_strip.png")));

        // A drag in progress: the row's drag image under the cursor above the strip.
        KSBasicWidgetItem* row = basicRow(QStringLiteral("Timer"));
        QImage shot = m_window->grab().toImage();
        const QPixmap image = row->dragPixmap();
        const QPoint cursor = m_strip->mapTo(m_window.get(), QPoint(300, 60));
        QPainter painter(&shot);
        painter.setOpacity(0.8);
        painter.drawPixmap(cursor - QPoint(image.width() / 2, image.height() / 2), image);
        painter.end();
        QVERIFY(shot.save(dir + QStringLiteral("/drag_in_progress.png")));
    }
};

ORVEL_WIDGET_TEST_MAIN(TestHubScreen, 1920, 1040)
#include "tst_HubScreen.moc"
