#include "cards/KestrinCard.h"
#include "cards/KestrinCardMAMultiActionEditor.h"
#include "cards/KestrinDeviceScreenUI.h"
#include "cards/KestrinDeviceUI.h"
#include "main/MainWindow.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "scene/MainSceneActionListItemWidget.h"
#include "scene/SceneActionListWidget.h"
#include "support/ActionListTestUtils.h"
#include "support/CardsTestUtils.h"
#include "support/TestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"

#include <QApplication>
#include <QDrag>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

using namespace OV;
using Json = nlohmann::json;

namespace {

Json action(const std::string& desc)
{
    return Test::listAction(desc);
}

using Test::descriptions;
using Test::rowTexts;

enum class End { Release, ReleaseOutside, Escape };

// What a user's hand does: the left button pressed on the list at `from`, the pointer moved
// past the drag distance and then, while the drag runs, to `to` (both in viewport coordinates),
// where the button is let go (or Escape pressed, or the button let go outside the window).
// Every event goes to the widget the press landed on, as the pointer grab sends them. Returns
// whether a drag ran.
bool dragWithMouse(SceneActionListWidget& list, QPoint from, QPoint to, End end = End::Release)
{
    QWidget* viewport = list.viewport();
    QWidget* pressed = viewport->childAt(from);
    if (!pressed)
        pressed = viewport;
    const auto at = [&](QPoint viewportPos) { return pressed->mapFrom(viewport, viewportPos); };
    const QPoint outside = pressed->mapFromGlobal(list.window()->geometry().bottomRight() + QPoint(200, 200));
    // The pointer comes to the press point first, as a hand's does. Events sent to a widget do
    // not move it, and Qt's in-process drag takes its source window from where the pointer is:
    // with none there, a drag ended by Escape tells no window that it left, and Qt keeps the
    // list's viewport as the drop target after the list is gone.
    QWindow* window = list.window()->windowHandle();
    QTest::mouseMove(window, window->mapFromGlobal(viewport->mapToGlobal(from)));
    bool dragged = false;
    bool finished = false;
    // Runs inside the drag's own event loop, which the move past the drag distance starts.
    QTimer::singleShot(0, &list, [&] {
        dragged = list.findChild<QDrag*>() != nullptr;
        QTest::mouseMove(pressed, at((from + to) / 2));
        QTest::mouseMove(pressed, at(to));
        switch (end) {
        case End::Release:
            QTest::mouseRelease(pressed, Qt::LeftButton, {}, at(to));
            break;
        case End::ReleaseOutside:
            QTest::mouseMove(pressed, outside);
            QTest::mouseRelease(pressed, Qt::LeftButton, {}, outside);
            break;
        case End::Escape:
            QTest::keyClick(pressed, Qt::Key_Escape);
            QTest::mouseRelease(pressed, Qt::LeftButton, {}, at(to));
            break;
        }
        finished = true;
    });
    QTest::mousePress(pressed, Qt::LeftButton, {}, at(from));
    const int distance = QApplication::startDragDistance();
    QTest::mouseMove(pressed, at(from + QPoint(0, distance / 2 + 1)));
    QTest::mouseMove(pressed, at(from + QPoint(0, distance + 10)));
    (void)QTest::qWaitFor([&] { return finished; }, 2000);
    QCoreApplication::processEvents();
    return dragged;
}

QPoint upperPart(SceneActionListWidget& list, int row)
{
    const QRect r = list.visualItemRect(list.item(row));
    return {r.center().x(), r.top() + 5};
}

QPoint lowerPart(SceneActionListWidget& list, int row)
{
    const QRect r = list.visualItemRect(list.item(row));
    return {r.center().x(), r.bottom() - 5};
}

} // namespace

// Rows of an action list reordered by dragging them with the mouse. The offscreen platform ends
// every drag at once, so this test runs on the minimal platform, whose in-process drag carries
// the rows as a desktop does.
class TestActionListDrag : public QObject
{
    Q_OBJECT

    EditStateWatcher watcher;

    std::unique_ptr<SceneActionListWidget> makeList()
    {
        auto list = std::make_unique<SceneActionListWidget>(nullptr, &watcher);
        list->setActions(Json::array({action("1"), action("2"), action("3")}));
        list->updateActionList();
        list->setGeometry(40, 40, 400, 300);
        list->show();
        QCoreApplication::processEvents();
        watcher.clearDirty();
        return list;
    }

private slots:
    void initTestCase()
    {
        Test::applyBaseTheme();
        watcher.setWatching(true);
    }

    void dragReorders_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("onto");
        QTest::addColumn<bool>("below");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("first below the last") << 0 << 2 << true << QStringList{"2", "3", "1"};
        QTest::newRow("last above the first") << 2 << 0 << false << QStringList{"3", "1", "2"};
        QTest::newRow("middle below the last") << 1 << 2 << true << QStringList{"1", "3", "2"};
        // Let go where it was: nothing moves, and no empty row appears.
        QTest::newRow("first above the middle") << 0 << 1 << false << QStringList{"1", "2", "3"};
        QTest::newRow("middle onto its upper half") << 1 << 1 << false << QStringList{"1", "2", "3"};
        QTest::newRow("middle onto its lower half") << 1 << 1 << true << QStringList{"1", "2", "3"};
        QTest::newRow("onto Add Action") << 0 << 3 << false << QStringList{"1", "2", "3"};
    }

    // The list shows the rows in their new order and the array the owner saves has the same.
    void dragReorders()
    {
        QFETCH(int, from);
        QFETCH(int, onto);
        QFETCH(bool, below);
        QFETCH(QStringList, order);
        auto list = makeList();
        const QPoint target = below ? lowerPart(*list, onto) : upperPart(*list, onto);
        QVERIFY(dragWithMouse(*list, list->visualItemRect(list->item(from)).center(), target));
        QCOMPARE(descriptions(list->actions()), order);
        QCOMPARE(rowTexts(*list), order + QStringList{"<add>"});
        const bool moved = order != QStringList{"1", "2", "3"};
        QCOMPARE(watcher.isDirty(), moved);
        // Each row still stands for its own action: deleting the one shown second removes it.
        qobject_cast<MainSceneActionListItemWidget*>(list->itemWidget(list->item(1)))->onDelete();
        QCOMPARE(descriptions(list->actions()), (QStringList{order[0], order[2]}));
    }

    void abandonedDragsChangeNothing()
    {
        for (const End end : {End::ReleaseOutside, End::Escape}) {
            auto list = makeList();
            QVERIFY(dragWithMouse(*list, list->visualItemRect(list->item(0)).center(), lowerPart(*list, 2), end));
            QCOMPARE(descriptions(list->actions()), (QStringList{"1", "2", "3"}));
            QCOMPARE(rowTexts(*list), (QStringList{"1", "2", "3", "<add>"}));
            QVERIFY(!watcher.isDirty());
        }
    }

    // A press beside the "Add Action" button, after a row was chosen, drags nothing: the row
    // chosen before stays where it is.
    void dragFromAddActionRowMovesNothing()
    {
        auto list = makeList();
        QTest::mouseClick(list->itemWidget(list->item(0)), Qt::LeftButton);
        QCOMPARE(list->currentRow(), 0);
        const QRect addRow = list->visualItemRect(list->item(3));
        (void)dragWithMouse(*list, QPoint(addRow.left() + 5, addRow.center().y()), lowerPart(*list, 2));
        QCOMPARE(descriptions(list->actions()), (QStringList{"1", "2", "3"}));
        QVERIFY(!watcher.isDirty());
    }

    // A row dragged onto another action list (a second event of the same module) stays in its
    // own list, and the other list takes nothing.
    void dragOntoAnotherListChangesNeither()
    {
        auto first = makeList();
        auto second = makeList();
        second->move(first->geometry().topRight() + QPoint(20, 0));
        QCoreApplication::processEvents();
        const QPoint target = first->viewport()->mapFromGlobal(second->viewport()->mapToGlobal(lowerPart(*second, 1)));
        QVERIFY(dragWithMouse(*first, first->visualItemRect(first->item(0)).center(), target));
        QCOMPARE(rowTexts(*first), (QStringList{"1", "2", "3", "<add>"}));
        QCOMPARE(rowTexts(*second), (QStringList{"1", "2", "3", "<add>"}));
        QCOMPARE(descriptions(second->actions()), (QStringList{"1", "2", "3"}));
        QVERIFY(!watcher.isDirty());
    }

    // After a drag, "Delete" in a row's menu removes the action that row shows.
    void deleteAfterDragRemovesTheRowShown()
    {
        auto list = makeList();
        QVERIFY(dragWithMouse(*list, list->visualItemRect(list->item(0)).center(), lowerPart(*list, 2)));
        QCOMPARE(descriptions(list->actions()), (QStringList{"2", "3", "1"}));
        auto* row = qobject_cast<MainSceneActionListItemWidget*>(list->itemWidget(list->item(1)));
        QCOMPARE(row->text(), QStringLiteral("3"));
        QTest::mousePress(row, Qt::RightButton, {}, row->rect().center());
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().first()).center());
        QTRY_COMPARE(descriptions(list->actions()), (QStringList{"2", "1"}));
        QCOMPARE(rowTexts(*list), (QStringList{"2", "1", "<add>"}));
    }

    // The multi-action card: the dragged order is what "Save" stores in the project, both the
    // listed actions and the deploy data the hub gets.
    void savedOrderReachesTheProject()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        MessageDialog::setAnswerProvider([](MessageDialog&) { return 3; });
        ProjectManager* pm = ProjectManager::instance();
        QVERIFY(pm->createProject(QStringLiteral("drag"), dir.path()).isOk());
        auto window = std::make_unique<MainWindow>();
        window->show();
        window->setGeometry(0, 0, 1600, 960);
        QCoreApplication::processEvents();
        MainWindow::setCurrentProfile(*pm->getProfileUseCase()->findFirst(QStringLiteral("true")).data);
        KestrinDeviceScreenUI* strip = window->findChild<KestrinDeviceUI*>()->screen();
        const Json payload = {{"config", {{"name", "Multi-Action"}, {"typeId", "multiAction"}}},
                              {"from", "configPanel"},
                              {"id", 0},
                              {"widgetType", "multiAction"}};
        Test::dropOnStrip(strip, QByteArray::fromStdString(payload.dump()), QPoint(5000, 50));
        KestrinCard* card = strip->cardAt(strip->cardCount() - 1);
        QVERIFY(card);
        const auto openEditor = [&] {
            MainWindow::clearEditPanel();
            card->showEditor();
            QCoreApplication::processEvents();
            return qobject_cast<KestrinCardMAMultiActionEditor*>(window->editPanel());
        };
        const auto stored = [&] {
            const auto found = pm->getProfileKsWidgetUseCase()->accessor->findById(card->bean()->id);
            return found.isOk() && *found.data ? (*found.data)->data : Json();
        };
        auto* editor = openEditor();
        QVERIFY(editor);
        editor->actionList()->setActions(Json::array({action("1"), action("2"), action("3")}));
        editor->actionList()->updateActionList();
        editor->saveButton()->click();
        QTRY_VERIFY(!editor->saveButton()->isEnabled());

        editor = openEditor();
        QVERIFY(editor);
        QVERIFY(!editor->saveButton()->isEnabled());
        SceneActionListWidget* list = editor->actionList();
        QCoreApplication::processEvents();
        QCOMPARE(rowTexts(*list), (QStringList{"1", "2", "3", "<add>"}));
        QVERIFY(dragWithMouse(*list, list->visualItemRect(list->item(0)).center(), lowerPart(*list, 2)));
        QCOMPARE(rowTexts(*list), (QStringList{"2", "3", "1", "<add>"}));
        QVERIFY(editor->saveButton()->isEnabled());
        QTest::mouseClick(editor->saveButton(), Qt::LeftButton);
        QTRY_VERIFY(!editor->saveButton()->isEnabled());

        const Json data = stored();
        QCOMPARE(descriptions(data.at("actionList")), (QStringList{"2", "3", "1"}));
        QStringList deployed;
        for (const Json& a : data.at("deploymentData").at("param").at("actions"))
            deployed << QString::fromStdString(a.at("type").get<std::string>());
        QCOMPARE(deployed, (QStringList{"2", "3", "1"}));
        // Opened again, the editor lists the stored order.
        editor = openEditor();
        QCOMPARE(rowTexts(*editor->actionList()), (QStringList{"2", "3", "1", "<add>"}));
        MainWindow::clearEditPanel();
        window.reset();
        pm->closeProject();
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "minimal:enable_fonts");
    QApplication app(argc, argv);
    TestActionListDrag tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_ActionListDrag.moc"
