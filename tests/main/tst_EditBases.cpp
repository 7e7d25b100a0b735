#include "core/EventBus.h"
#include "main/DelayOpMessageDialog.h"
#include "main/DragFlowLayoutContainer.h"
#include "main/EditStatePanel.h"
#include "main/EnabledWatcher.h"
#include "main/MainProfileParamsEditor.h"
#include "main/RightClickFilter.h"
#include "widgets/BaseWidget.h"
#include "widgets/DragFlowLayout.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"
#include "widgets/ToastWidget.h"

#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <type_traits>

using namespace OV;

namespace {

// Records the question dialogs shown and answers each with the button the test chose.
struct Answers
{
    int button = 0;
    QStringList texts;
    void install()
    {
        MessageDialog::setAnswerProvider([this](MessageDialog& dialog) {
            texts << dialog.text();
            return button;
        });
    }
};

class Panel : public EditStatePanel
{
public:
    using EditStatePanel::EditStatePanel;
    QList<bool> exits;
    int enters = 0;

protected:
    void onEnterEdit() override { ++enters; }
    void onExitEdit(bool saved) override { exits << saved; }
};

class Editor : public MainProfileParamsEditor
{
public:
    using MainProfileParamsEditor::MainProfileParamsEditor;
    int resets = 0;
    using MainProfileParamsEditor::saveEdit;

protected:
    void onResetEdit() override { ++resets; }
};

// The editor keeps a reference to its configuration: a temporary would dangle.
static_assert(!std::is_constructible_v<MainProfileParamsEditor, QWidget*, nlohmann::json&&>);
static_assert(std::is_constructible_v<MainProfileParamsEditor, QWidget*, const nlohmann::json&>);

} // namespace

class TestEditBases : public QObject
{
    Q_OBJECT
private:
    Answers m_answers;

    void settle() { QTest::qWait(20); }

private slots:
    void init()
    {
        m_answers = Answers();
        m_answers.install();
    }

    void cleanup()
    {
        MessageDialog::setAnswerProvider({});
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<MessageDialog*>(w) || qobject_cast<ToastWidget*>(w))
                w->close();
        }
        settle();
    }

    // Cancel always asks, whatever changed; the answer decides whether edit mode ends.
    void cancelAsksAndFollowsTheAnswer_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("saveSucceeds");
        QTest::addColumn<bool>("editingAfter");
        QTest::addColumn<QList<bool>>("exits");
        QTest::newRow("save, saved") << 1 << true << false << QList<bool>{true};
        QTest::newRow("save, failed") << 1 << false << true << QList<bool>{};
        QTest::newRow("don't save") << 2 << true << false << QList<bool>{false};
        QTest::newRow("cancel keeps editing") << 3 << true << true << QList<bool>{};
    }

    void cancelAsksAndFollowsTheAnswer()
    {
        QFETCH(int, button);
        QFETCH(bool, saveSucceeds);
        QFETCH(bool, editingAfter);
        QFETCH(QList<bool>, exits);
        Panel panel;
        QList<bool> handlerExits;
        panel.exitEditHandler = [&](bool saved) { handlerExits << saved; };
        panel.saveEditHandler = [&](BaseResultCallback<void> done) {
            done(saveSucceeds ? BaseResult<void>() : BaseResult<void>(Errors::Logic, QStringLiteral("disk full")));
        };
        panel.cancelButton()->click(); // viewing: nothing to leave
        QVERIFY(m_answers.texts.isEmpty());
        panel.editButton()->click();
        panel.editButton()->click(); // already editing: nothing happens
        QCOMPARE(panel.enters, 1);
        QVERIFY(panel.contentWidget()->isEnabled());
        m_answers.button = button;
        panel.cancelButton()->click();
        settle();
        QCOMPARE(m_answers.texts.value(0), QStringLiteral("Do you want to save the changes"));
        QCOMPARE(panel.isEditing(), editingAfter);
        QCOMPARE(panel.contentWidget()->isEnabled(), editingAfter);
        QCOMPARE(panel.exits, exits);
        QCOMPARE(handlerExits, exits);
        if (button == 1 && !saveSucceeds)
            QVERIFY(m_answers.texts.value(1).endsWith(QStringLiteral(". Details: disk full")));
    }

    void saveWithoutHandlerReportsTheLogicError()
    {
        m_answers.button = 3;
        Panel panel;
        panel.enterEdit();
        panel.saveButton()->click();
        settle();
        QVERIFY(panel.isEditing());
        QCOMPARE(m_answers.texts.size(), 1);
        QVERIFY2(m_answers.texts[0].endsWith(
                     QStringLiteral("Details: not override function: onSaveEdit(BaseResultCallback<void> "
                                    "resultCallback)")),
                 qPrintable(m_answers.texts[0]));
    }

    // A save that completes after its panel is gone changes nothing.
    void lateSaveResultAfterThePanelIsGone()
    {
        BaseResultCallback<void> pending;
        auto* panel = new Panel;
        panel->saveEditHandler = [&](BaseResultCallback<void> done) { pending = std::move(done); };
        panel->enterEdit();
        panel->saveEdit();
        delete panel;
        pending(BaseResult<void>(Errors::Logic, QStringLiteral("late")));
        pending(BaseResult<void>());
        settle();
        QVERIFY(m_answers.texts.isEmpty());
    }

    void paramsEditorSavesOnChangeAndBeforeEveryDeploy()
    {
        m_answers.button = 3;
        const nlohmann::json config = {{"a", 1}};
        Editor editor(nullptr, config);
        QCOMPARE(&editor.config(), &config);
        auto* field = new QLineEdit(editor.contentWidget());
        editor.watcher()->watch(field);
        editor.watcher()->setWatching(true);
        int saves = 0;
        bool fail = false;
        editor.saveEditHandler = [&](BaseResultCallback<void> done) {
            ++saves;
            done(fail ? BaseResult<void>(Errors::Logic) : BaseResult<void>());
        };
        QVERIFY(editor.contentWidget()->isEnabled());
        QVERIFY(!editor.saveButton()->isEnabled());
        field->setText(QStringLiteral("x"));
        QVERIFY(editor.saveButton()->isEnabled());
        editor.saveButton()->click();
        QCOMPARE(saves, 1);
        QVERIFY(!editor.saveButton()->isEnabled());
        QVERIFY(!editor.watcher()->isDirty());
        ToastWidget* toast = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            toast = toast ? toast : qobject_cast<ToastWidget*>(w);
        QVERIFY(toast);
        QCOMPARE(toast->text(), QStringLiteral("Save successful"));

        // Unchanged editors save too; a failure keeps the dirty state and says why.
        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QLatin1String(Topics::KestrinChanged)));
        QCOMPARE(saves, 1);
        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QLatin1String(Topics::PreDeploy)));
        QCOMPARE(saves, 2);
        field->setText(QStringLiteral("y"));
        fail = true;
        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QLatin1String(Topics::PreDeploy)));
        settle();
        QCOMPARE(saves, 3);
        QVERIFY(editor.saveButton()->isEnabled());
        QCOMPARE(m_answers.texts, QStringList{QStringLiteral("Logic error")});

        QVERIFY(editor.resetButton()->isHidden());
        editor.resetButton()->click();
        QCOMPARE(editor.resets, 1);
    }

    void countdownEnablesTheConfirmButton_data()
    {
        QTest::addColumn<int>("delay");
        QTest::newRow("default delay") << 3;
        QTest::newRow("one second") << 1;
    }

    // Every show counts down at the same pace: one step per timer period.
    void countdownEnablesTheConfirmButton()
    {
        QFETCH(int, delay);
        DelayOpMessageDialog dialog;
        dialog.setDelay(delay);
        dialog.setConfirmText(QStringLiteral("Delete"));
        dialog.countdownTimer()->setInterval(100);
        int confirmed = 0;
        int shows = 0;
        dialog.button2Handler = [&](BaseDialog&) { ++confirmed; };
        dialog.showHandler = [&](QShowEvent*) { ++shows; };
        for (int round = 0; round < 2; ++round) {
            QStringList seen;
            QObject context;
            connect(dialog.countdownTimer(), &QTimer::timeout, &context, [&] { seen << dialog.button2->text(); });
            dialog.show();
            QCOMPARE(dialog.button2->text(), QStringLiteral("Delete (%1s)").arg(delay));
            QVERIFY(!dialog.button2->isEnabled());
            dialog.button2->click();
            QCOMPARE(confirmed, round);
            QTRY_VERIFY_WITH_TIMEOUT(dialog.button2->isEnabled(), 5000);
            QTest::qWait(250);
            // One tick per period, also on the second show.
            QCOMPARE(seen.size(), delay);
            QCOMPARE(seen.last(), QStringLiteral("Delete"));
            dialog.button2->click();
            QCOMPARE(confirmed, round + 1);
            dialog.button3->click();
            QVERIFY(!dialog.isVisible());
        }
        QCOMPARE(shows, 2);
        QCOMPARE(dialog.button3->text(), QStringLiteral("Cancel"));
    }

    void filtersReportAndSwallow()
    {
        QWidget widget;
        auto* enabled = new EnabledWatcher(&widget);
        QList<bool> states;
        enabled->handler = [&](bool on) { states << on; };
        widget.installEventFilter(enabled);
        widget.setEnabled(false);
        widget.setEnabled(true);
        QCOMPARE(states, (QList<bool>{false, true}));

        struct Receiver : QWidget
        {
            int releases = 0;
            void mouseReleaseEvent(QMouseEvent*) override { ++releases; }
        } target;
        target.resize(50, 50);
        auto* right = new RightClickFilter(&target);
        target.installEventFilter(right);
        QTest::mouseRelease(&target, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(target.releases, 1); // no handler: the event passes
        int calls = 0;
        right->handler = [&](QObject* watched, QMouseEvent* event) {
            QCOMPARE(watched, &target);
            QCOMPARE(event->button(), Qt::RightButton);
            ++calls;
        };
        QTest::mouseRelease(&target, Qt::RightButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&target, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(calls, 1);
        QCOMPARE(target.releases, 2);
    }

    // A drop moves the tile named by a valid index to the hovered place, never the fixed last.
    void dropMovesOnlyOwnTiles_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QString>("order");
        QTest::newRow("tile index") << QByteArray("0") << QStringLiteral("bac");
        QTest::newRow("not a number") << QByteArray("x") << QStringLiteral("abc");
        QTest::newRow("out of range") << QByteArray("7") << QStringLiteral("abc");
        QTest::newRow("the fixed last tile") << QByteArray("2") << QStringLiteral("abc");
    }

    void dropMovesOnlyOwnTiles()
    {
        QFETCH(QByteArray, from);
        QFETCH(QString, order);
        struct Probe : DragFlowLayoutContainer
        {
            using DragFlowLayoutContainer::DragFlowLayoutContainer;
            using DragFlowLayoutContainer::dragMoveEvent;
            using DragFlowLayoutContainer::dropEvent;
        } container(nullptr, 0, 0, 0);
        container.dragFlowLayout()->setFixedLastItem(true);
        for (const char* name : {"a", "b", "c"}) {
            auto* tile = new QLabel(QLatin1String(name), &container);
            tile->setFixedSize(40, 40);
            container.dragFlowLayout()->addWidget(tile);
        }
        container.resize(200, 60);
        container.show();
        QVERIFY(QTest::qWaitForWindowExposed(&container));
        container.dragFlowLayout()->setGeometry(container.rect());
        QMimeData mime;
        mime.setData(QStringLiteral("from"), from);
        const QPointF onB(60, 20), onC(100, 20);
        QDragMoveEvent move(onC.toPoint(), Qt::MoveAction, &mime, Qt::LeftButton, {});
        container.dragMoveEvent(&move);
        QCOMPARE(container.dropIndex(), 1); // the fixed last tile is never a target
        QDragMoveEvent moveB(onB.toPoint(), Qt::MoveAction, &mime, Qt::LeftButton, {});
        container.dragMoveEvent(&moveB);
        QDropEvent drop(onB, Qt::MoveAction, &mime, Qt::LeftButton, {});
        container.dropEvent(&drop);
        QString seen;
        for (int i = 0; i < container.dragFlowLayout()->count(); ++i)
            seen += static_cast<QLabel*>(container.dragFlowLayout()->itemAt(i)->widget())->text();
        QCOMPARE(seen, order);
        QCOMPARE(container.dropIndex(), -1);
    }
};

QTEST_MAIN(TestEditBases)
#include "tst_EditBases.moc"
