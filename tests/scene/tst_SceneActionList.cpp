#include "scene/BaseLoadedTreeView.h"
#include "scene/LoadedTreeItem.h"
#include "scene/LoadedTreeModel.h"
#include "scene/MainKnobCtrlDevicePicker.h"
#include "scene/MainSceneActionConfigWidget.h"
#include "scene/MainSceneActionListItemWidget.h"
#include "scene/SceneActionListWidget.h"
#include "scene/SceneActionPicker.h"
#include "support/ActionListTestUtils.h"
#include "support/TestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/EditStateWatcher.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using namespace OV;
using Json = nlohmann::json;

namespace {

Json action(const std::string& desc)
{
    return Test::listAction(desc);
}

using Test::descriptions;
using Test::rowTexts;

// Reaches the list's drop handling directly: a drop is only delivered to a widget during a drag.
class DroppableList : public SceneActionListWidget
{
public:
    using SceneActionListWidget::SceneActionListWidget;
    void drop(QDropEvent* event) { dropEvent(event); }
};

} // namespace

class TestSceneActionList : public QObject
{
    Q_OBJECT

    EditStateWatcher watcher;

    std::unique_ptr<SceneActionListWidget> makeList(const Json& actions)
    {
        auto list = std::make_unique<SceneActionListWidget>(nullptr, &watcher);
        list->setActions(actions);
        list->updateActionList();
        list->resize(400, 300);
        list->show();
        watcher.clearDirty();
        return list;
    }

private slots:
    void initTestCase()
    {
        Test::applyBaseTheme();
        watcher.setWatching(true);
    }

    void rowsShowTheActions()
    {
        auto list = makeList(Json::array());
        QCOMPARE(rowTexts(*list), QStringList{"<add>"});
        QCOMPARE(list->item(0)->flags(), Qt::NoItemFlags);

        Json stored =
            Json::array({action("Line one\nline two\r"), {{"configDesc", 5}, {"deployData", Json::object()}}});
        list = makeList(stored);
        QCOMPARE(rowTexts(*list), (QStringList{"Line one line two ", "(action without description)", "<add>"}));
        // The record without a text description is kept as it is.
        QVERIFY(list->actions() == stored);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, SceneActionListWidget(nullptr, nullptr));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, MainSceneActionConfigWidget(nullptr, nullptr));
    }

    void dragThenDelete()
    {
        auto list = makeList(Json::array({action("1"), action("2"), action("3")}));
        Test::LogCapture log;
        // The first row dropped below the third: the model moves it before the "Add Action" row.
        QVERIFY(list->model()->moveRow(QModelIndex(), 0, QModelIndex(), 3));
        QCOMPARE(descriptions(list->actions()), (QStringList{"2", "3", "1"}));
        QCOMPARE(rowTexts(*list), (QStringList{"2", "3", "1", "<add>"}));
        QVERIFY(watcher.isDirty());
        QVERIFY(
            log.text().contains(QStringLiteral("[SceneActionListItemWidget] dropSortCallback, fromRow:0, toRow:2")));

        // "Delete" on the row shown last removes the former first.
        auto* row = qobject_cast<MainSceneActionListItemWidget*>(list->itemWidget(list->item(2)));
        QTest::mousePress(row, Qt::RightButton, {}, row->rect().center());
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("Delete"));
        menu->actions().first()->trigger();
        menu->close();
        QCOMPARE(descriptions(list->actions()), (QStringList{"2", "3"}));
        QCOMPARE(rowTexts(*list), (QStringList{"2", "3", "<add>"}));
    }

    void deleteMiddle()
    {
        auto list = makeList(Json::array({action("1"), action("2"), action("3")}));
        auto* row = qobject_cast<MainSceneActionListItemWidget*>(list->itemWidget(list->item(1)));
        const std::function<void()> remove = row->onDelete;
        remove();
        QCOMPARE(descriptions(list->actions()), (QStringList{"1", "3"}));
        QVERIFY(watcher.isDirty());
    }

    void dropOnAddActionChangesNothing()
    {
        auto list = std::make_unique<DroppableList>(nullptr, &watcher);
        list->setActions(Json::array({action("1"), action("2")}));
        list->updateActionList();
        list->resize(400, 300);
        list->show();
        watcher.clearDirty();
        const QModelIndex first = list->model()->index(0, 0);
        std::unique_ptr<QMimeData> data(list->model()->mimeData({first}));
        for (const QPoint& at : {list->visualItemRect(list->item(2)).center(), QPoint(10, 290)}) {
            QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
            list->drop(&drop);
            QCOMPARE(drop.dropAction(), Qt::IgnoreAction);
        }
        QCOMPARE(descriptions(list->actions()), (QStringList{"1", "2"}));
        QCOMPARE(rowTexts(*list), (QStringList{"1", "2", "<add>"}));
        QVERIFY(!watcher.isDirty());
    }

    void lastOpenerReceivesTheAction()
    {
        auto first = makeList(Json::array());
        auto second = makeList(Json::array({action("kept")}));
        auto picker = SceneActionPicker::instance();
        first->onClickAddAction();
        second->onClickAddAction();
        QVERIFY(picker->isVisible());
        picker->onActionSelected(action("new"));
        QCOMPARE(descriptions(first->actions()), QStringList{});
        QCOMPARE(descriptions(second->actions()), (QStringList{"kept", "new"}));
        // Closing hides the shared picker while its opener lives...
        QVERIFY(!picker->close());
        QVERIFY(!picker->isVisible());
        // ...and lets it close once the opener is gone.
        second.reset();
        picker->show();
        QVERIFY(picker->close());
        picker->onActionSelected(action("late")); // nobody left to receive it
        QCOMPARE(descriptions(first->actions()), QStringList{});
    }

    void promptSection()
    {
        MainSceneActionConfigWidget widget(nullptr, &watcher);
        QGroupBox* group = widget.createActionListGroup();
        QCOMPARE(group, widget.createActionListGroup());
        QCOMPARE(group->title(), QStringLiteral("Action List"));
        QVERIFY(widget.actionListWidget());
        QVERIFY(!widget.nameEdit()->isEnabled());
        widget.enabledBox()->setChecked(true);
        QVERIFY(widget.nameEdit()->isEnabled() && widget.iconButton()->isEnabled());
        QVERIFY(watcher.isDirty());
        watcher.clearDirty();

        widget.setPromptIconPath(QStringLiteral("profile/profile_1/widget/3/prompt"));
        QPixmap picture(20, 20);
        picture.fill(Qt::green);
        widget.onImagePicked(QStringLiteral("https://cloud/icons/leaf.png"), picture);
        QCOMPARE(widget.pickedImageName(), QStringLiteral("https://cloud/icons/leaf.png"));
        QVERIFY(!widget.iconButton()->icon().isNull());
        QVERIFY(watcher.isDirty());
        widget.clearImage();
        QVERIFY(widget.pickedImageName().isEmpty());
        QVERIFY(widget.imageMap().at(widget.promptIconPath()).isNull());
        QVERIFY(widget.iconButton()->icon().isNull());
    }

    void knobPickerChooses()
    {
        auto picker = MainKnobCtrlDevicePicker::instance();
        QCOMPARE(picker.get(), MainKnobCtrlDevicePicker::instance().get());
        picker->treeModel()->setLoader([](LoadedTreeItem*, LoadedTreeModel::Done done) {
            done(Json::array({{{"name", "Desk lamp"}, {"last", true}, {"id", "lamp-1"}}}));
        });
        picker->treeView()->restartFromRoot();
        Json chosen;
        picker->onDeviceChosen = [&](const Json& node) { chosen = node; };
        picker->show();
        QVERIFY(!picker->chooseButton()->isEnabled());
        QStandardItem* lamp = picker->treeModel()->item(0)->child(0);
        picker->treeView()->selectionModel()->select(lamp->index(), QItemSelectionModel::ClearAndSelect);
        QVERIFY(picker->chooseButton()->isEnabled());
        picker->chooseButton()->click();
        QVERIFY(chosen["id"] == Json("lamp-1"));
        picker->hide();
        picker->show();
        QVERIFY(!picker->chooseButton()->isEnabled());
        QVERIFY(!picker->selectedItem());
        Test::LogCapture log;
        picker->onClickAdd();
        QVERIFY(log.text().contains(QStringLiteral("onClickAdd(), unknown error: selectedItem_ is null")));
        picker->cancelButton()->click();
        QVERIFY(!picker->isVisible());
    }

    void screenshot()
    {
        const QString folder = Test::screenshotDir();
        if (folder.isEmpty())
            QSKIP("no screenshots asked for");
        QWidget frame;
        frame.setObjectName(QStringLiteral("window"));
        frame.setAttribute(Qt::WA_StyledBackground);
        auto* layout = new QVBoxLayout(&frame);
        auto* widget = new MainSceneActionConfigWidget(&frame, &watcher);
        layout->addWidget(widget);
        widget->createActionListGroup();
        widget->enabledBox()->setChecked(true);
        widget->nameEdit()->setText(QStringLiteral("Focus time"));
        widget->actionListWidget()->setActions(
            Json::array({action("Hot Key: [Ctrl] + [Alt] + [Del]"), action("Open browser, URL: https://example.org"),
                         action("[Lamp] Brightness -> Level: 40 %")}));
        widget->actionListWidget()->updateActionList();
        frame.resize(640, 420);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.grab().save(QDir(folder).filePath(QStringLiteral("scene_action_list.png")));
    }
};

ORVEL_WIDGET_TEST_MAIN(TestSceneActionList, 1600, 1000)
#include "tst_SceneActionList.moc"
