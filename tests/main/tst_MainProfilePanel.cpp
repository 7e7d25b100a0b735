#include "device/KestrinApi.h"
#include "main/DelayOpMessageDialog.h"
#include "main/MainProfilePanel.h"
#include "main/MainProfileWidget.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileUseCase.h"
#include "support/MainScreensTestUtils.h"
#include "support/ProjectRawSqlite.h"
#include "support/StandinHub.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseWidgetSelectGroup.h"
#include "widgets/CloudImagePicker.h"
#include "widgets/ElidedLabel.h"
#include "widgets/MessageDialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace OV;

namespace {

std::shared_ptr<ProjectProfileUseCase> profiles()
{
    return ProjectManager::instance()->getProfileUseCase();
}

void createProfiles(const QStringList& names)
{
    for (const QString& name : names)
        QVERIFY(profiles()->createProfile(name, QString()).isOk());
}

ProjectProfileUseCase::BeanList stored()
{
    const auto all = profiles()->accessor->findAll(false);
    return all.isOk() ? *all.data : ProjectProfileUseCase::BeanList{};
}

MainProfileWidget::ProfileItem* rowNamed(MainProfileWidget& header, const QString& name)
{
    for (MainProfileWidget::ProfileItem* row : header.rows()) {
        if (row->profile()->name == name)
            return row;
    }
    return nullptr;
}

// The visible entries of a row's menu, as opened from its button.
QStringList rowMenuEntries(MainProfileWidget& header, MainProfileWidget::ProfileItem* row)
{
    QMenu* menu = row->openRowMenu();
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text();
    }
    menu->close();
    Q_UNUSED(header);
    return texts;
}

QLineEdit* lineEditOf(QWidget* dialog)
{
    return dialog->findChild<QLineEdit*>();
}

} // namespace

class TestMainProfilePanel : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_messages;

private slots:
    void initTestCase() { Test::applyBaseTheme(); }

    void init()
    {
        QVERIFY(Test::openFreshProject(m_dir.path(), QStringLiteral("Profiles")));
        m_messages.clear();
        MessageDialog::setAnswerProvider([this](MessageDialog& d) {
            if (qobject_cast<DelayOpMessageDialog*>(&d))
                return 0;
            m_messages << d.text();
            return 1;
        });
    }

    void cleanup()
    {
        MessageDialog::setAnswerProvider({});
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<BaseWindow*>(w))
                w->close();
        }
        QApplication::processEvents();
        ProjectManager::instance()->closeProject();
    }

    void proposedName_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("none taken") << QStringList{} << QStringLiteral("New Profile");
        QTest::newRow("the gap is used") << QStringList{QStringLiteral("New Profile"), QStringLiteral("New Profile 1"),
                                                        QStringLiteral("New Profile 3")}
                                         << QStringLiteral("New Profile 2");
        QTest::newRow("names compare case-sensitively")
            << QStringList{QStringLiteral("new profile")} << QStringLiteral("New Profile");
        QTest::newRow("all of 1..n taken")
            << QStringList{QStringLiteral("New Profile"), QStringLiteral("New Profile 1"),
                           QStringLiteral("New Profile 2")}
            << QStringLiteral("New Profile 3");
    }

    void proposedName()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, proposed);
        createProfiles(existing);
        MainProfileWidget header;
        QPointer<BaseDialog> dialog = header.onClickNewProfile();
        QCOMPARE(lineEditOf(dialog)->text(), proposed);
        QCOMPARE(lineEditOf(dialog)->maxLength(), 64);
        dialog->close();
    }

    // New profile and rename refuse a blank name and stay open; a good name is stored.
    void namesAreChecked_data()
    {
        QTest::addColumn<bool>("rename");
        QTest::addColumn<QString>("error");
        QTest::newRow("new profile") << false << QStringLiteral("Name is empty");
        QTest::newRow("rename") << true << QStringLiteral("[Name] is empty");
    }

    void namesAreChecked()
    {
        QFETCH(bool, rename);
        QFETCH(QString, error);
        MainProfileWidget header;
        QTRY_VERIFY(header.currentProfile());
        const auto target = header.rows().front()->profile();
        QPointer<BaseDialog> dialog = rename ? header.onClickEditProfileName(target) : header.onClickNewProfile();
        QPushButton* confirm = rename ? dialog->button2 : dialog->button3;
        QCOMPARE(confirm->text(), rename ? QStringLiteral("Rename") : QStringLiteral("Ok"));
        lineEditOf(dialog)->setText(QStringLiteral("   "));
        confirm->click();
        QTRY_COMPARE(m_messages, QStringList{error});
        QVERIFY(dialog && dialog->isVisible());
        lineEditOf(dialog)->setText(QStringLiteral("  Desk  "));
        confirm->click();
        QTRY_VERIFY(!dialog);
        QVERIFY(rowNamed(header, QStringLiteral("Desk")));
        QCOMPARE(int(stored().size()), rename ? 1 : 2);
        if (rename) {
            QTRY_COMPARE(header.nameLabel()->fullText, QStringLiteral("Desk"));
        }

        // From the keyboard: the name has the focus, typed text replaces it, Return confirms.
        dialog = rename ? header.onClickEditProfileName(target) : header.onClickNewProfile();
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QLineEdit* edit = lineEditOf(dialog);
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QTest::keyClicks(edit, QStringLiteral("Typed"));
        QCOMPARE(edit->text(), QStringLiteral("Typed"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_VERIFY(!dialog);
        QVERIFY(rowNamed(header, QStringLiteral("Typed")));
    }

    // A rename that cannot be stored leaves the profile in memory as it is in the file.
    void failedRenameChangesNothing()
    {
        MainProfileWidget header;
        QTRY_VERIFY(header.currentProfile());
        const auto profile = header.rows().front()->profile();
        Test::ProjectRawSqlite raw(ProjectManager::instance()->projectFileInfo().filePath());
        QVERIFY(raw.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON json_store WHEN NEW.type = 'profile' "
                                        "BEGIN SELECT RAISE(ABORT, 'refused'); END;")));
        QPointer<BaseDialog> dialog = header.onClickEditProfileName(profile);
        lineEditOf(dialog)->setText(QStringLiteral("Renamed"));
        dialog->button2->click();
        QTRY_COMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.front().startsWith(QStringLiteral("Database execution failed")));
        QVERIFY(dialog);
        QCOMPARE(profile->name, QStringLiteral("Default Profile"));
        QCOMPARE(stored().front()->name, QStringLiteral("Default Profile"));
        header.onClickSaveAsPreferred(header.rows().front()->profile());
        QTRY_COMPARE(m_messages.size(), 2);
        QVERIFY(raw.exec(QStringLiteral("DROP TRIGGER refuse;")));
        dialog->close();
    }

    // The default profile offers no "Delete"; "Save as preferred" moves the one star.
    void rowMenusAndPreference()
    {
        createProfiles({QStringLiteral("Work"), QStringLiteral("Games")});
        MainProfileWidget header;
        QTRY_VERIFY(header.currentProfile());
        QCOMPARE(rowMenuEntries(header, rowNamed(header, QStringLiteral("Default Profile"))),
                 (QStringList{QStringLiteral("Edit name"), QStringLiteral("Save as preferred")}));
        QCOMPARE(
            rowMenuEntries(header, rowNamed(header, QStringLiteral("Work"))),
            (QStringList{QStringLiteral("Edit name"), QStringLiteral("Save as preferred"), QStringLiteral("Delete")}));

        for (const QString& name : {QStringLiteral("Work"), QStringLiteral("Games")}) {
            header.onClickSaveAsPreferred(rowNamed(header, name)->profile());
            QStringList starred;
            for (auto* row : header.rows()) {
                if (!row->star()->isHidden())
                    starred << row->profile()->name;
            }
            QCOMPARE(starred, QStringList{name});
            QStringList preferred;
            for (const auto& profile : stored()) {
                if (profile->preferred)
                    preferred << profile->name;
            }
            QCOMPARE(preferred, QStringList{name});
        }
    }

    // Deleting waits out the countdown; deleting the current profile falls back to the first.
    void deleteCountsDownAndFallsBack()
    {
        createProfiles({QStringLiteral("Work"), QStringLiteral("Games")});
        MainProfileWidget header;
        std::vector<QString> reported;
        header.currentProfileCallback = [&](std::shared_ptr<ProjectDbProfileBean> p) {
            reported.push_back(p ? p->name : QString());
        };
        QTRY_COMPARE(reported, std::vector<QString>{QStringLiteral("Default Profile")});
        rowNamed(header, QStringLiteral("Games"))->setSelected(true);
        QCOMPARE(header.currentProfile()->name, QStringLiteral("Games"));

        QPointer<DelayOpMessageDialog> dialog = header.onClickDeleteProfile(header.currentProfile());
        QCOMPARE(dialog->title(), QStringLiteral("Delete [Games]"));
        QCOMPARE(dialog->text(),
                 QStringLiteral("Are you sure you want to delete this profile?\nThis action cannot be undone."));
        QCOMPARE(dialog->button2->objectName(), QStringLiteral("redButton"));
        QStringList seen{dialog->button2->text() + (dialog->button2->isEnabled() ? "+" : "-")};
        if (const QString dir = Test::screenshotDir(); !dir.isEmpty())
            QVERIFY(dialog->grab().save(dir + QStringLiteral("/profile_delete_countdown.png")));
        dialog->countdownTimer()->setInterval(20);
        connect(dialog->countdownTimer(), &QTimer::timeout, this,
                [&] { seen << dialog->button2->text() + (dialog->button2->isEnabled() ? "+" : "-"); });
        QTRY_COMPARE(seen.size(), 4);
        QCOMPARE(seen, (QStringList{"Delete (3s)-", "Delete (2s)-", "Delete (1s)-", "Delete+"}));
        dialog->button2->click();
        QTRY_VERIFY(!dialog);
        QTRY_COMPARE(header.currentProfile()->name, QStringLiteral("Default Profile"));
        QCOMPARE(reported.back(), QStringLiteral("Default Profile"));
        QCOMPARE(int(stored().size()), 2);
        QVERIFY(!rowNamed(header, QStringLiteral("Games")));
    }

    // Two rebuilds in a row: the queued re-selection finds the row of the current profile in
    // the rows that exist when it runs.
    void reselectionFindsItsRowWhenItRuns()
    {
        createProfiles({QStringLiteral("Work")});
        MainProfileWidget header;
        QTRY_VERIFY(header.currentProfile());
        rowNamed(header, QStringLiteral("Work"))->setSelected(true);
        header.initDropDownMenu();
        header.initDropDownMenu();
        QTest::qWait(20);
        QCOMPARE(header.currentProfile()->name, QStringLiteral("Work"));
        QVERIFY(rowNamed(header, QStringLiteral("Work"))->isSelected());
        QCOMPARE(header.selectGroup()->count(), 2);
    }

    // The rows (and their pictures) are made when the list is first opened, and made again at
    // the next opening after a change; the current profile's row is shown chosen, and making the
    // rows does not report the current profile again.
    void rowsAreMadeWhenTheListFirstOpens()
    {
        createProfiles({QStringLiteral("Work"), QStringLiteral("Games")});
        QWidget frame;
        frame.resize(260, 200);
        auto* header = new MainProfileWidget(&frame);
        std::vector<QString> reported;
        header->currentProfileCallback = [&](std::shared_ptr<ProjectDbProfileBean> p) {
            reported.push_back(p ? p->name : QString());
        };
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QTRY_VERIFY(header->currentProfile());
        QMenu* menu = header->dropDownMenu();
        const auto madeRows = [menu] { return menu->findChildren<QWidget*>(QStringLiteral("profileItem")).size(); };
        QCOMPARE(madeRows(), 0);
        QCOMPARE(menu->actions().size(), 1);

        QTest::mouseClick(header, Qt::LeftButton);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(madeRows(), 3);
        QCOMPARE(menu->actions().size(), 7);
        QCOMPARE(menu->actions().last()->text(), QStringLiteral("New Profile..."));
        QCOMPARE(menu->minimumWidth(), 320);
        QStringList chosen;
        for (auto* row : header->rows()) {
            if (row->isSelected())
                chosen << row->profile()->name;
            QCOMPARE(row->profile()->icon, QString());
        }
        QCOMPARE(chosen, QStringList{QStringLiteral("Default Profile")});
        QCOMPARE(header->rows().front()->profile(), header->currentProfile());
        menu->close();

        header->onClickSaveAsPreferred(rowNamed(*header, QStringLiteral("Games"))->profile());
        QTRY_COMPARE(madeRows(), 0);
        QCOMPARE(rowNamed(*header, QStringLiteral("Games"))->star()->isHidden(), false);
        QCOMPARE(rowNamed(*header, QStringLiteral("Default Profile"))->isSelected(), true);
        QCOMPARE(reported, std::vector<QString>{QStringLiteral("Default Profile")});
    }

    // A change stored while the drop-down is open rebuilds the list: the open list shows every
    // profile as stored, not only "New Profile...". The list is opened again over a dialog, as
    // the dialog took the first opening down.
    void rebuildWhileShownKeepsEveryRow_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("names");
        const QStringList three{QStringLiteral("Default Profile"), QStringLiteral("Work"), QStringLiteral("Games")};
        QTest::newRow("save as preferred") << QStringLiteral("preferred") << three;
        QTest::newRow("rename") << QStringLiteral("rename")
                                << QStringList{QStringLiteral("Default Profile"), QStringLiteral("Desk"),
                                               QStringLiteral("Games")};
        QTest::newRow("picture") << QStringLiteral("picture") << three;
        QTest::newRow("create") << QStringLiteral("create") << three + QStringList{QStringLiteral("Travel")};
        QTest::newRow("delete") << QStringLiteral("delete")
                                << QStringList{QStringLiteral("Default Profile"), QStringLiteral("Games")};
    }

    void rebuildWhileShownKeepsEveryRow()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, names);
        createProfiles({QStringLiteral("Work"), QStringLiteral("Games")});
        QWidget frame;
        frame.resize(260, 200);
        auto* header = new MainProfileWidget(&frame);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QTRY_VERIFY(header->currentProfile());
        QTest::mouseClick(header, Qt::LeftButton);
        QMenu* menu = header->dropDownMenu();
        QTRY_VERIFY(menu->isVisible());
        const auto work = rowNamed(*header, QStringLiteral("Work"))->profile();
        const auto showList = [menu, header] {
            if (!menu->isVisible())
                menu->popup(header->mapToGlobal(QPoint(70, header->height() + 6)));
        };

        if (change == QLatin1String("preferred")) {
            header->onClickSaveAsPreferred(work);
        } else if (change == QLatin1String("picture")) {
            QPixmap picture(40, 30);
            picture.fill(Qt::darkCyan);
            QVERIFY(header->storeProfile(
                work->id, [](ProjectDbProfileBean& p) { p.icon = QStringLiteral("http://127.0.0.1:9/a.png"); },
                &picture));
        } else if (change == QLatin1String("rename")) {
            QPointer<BaseDialog> dialog = header->onClickEditProfileName(work);
            lineEditOf(dialog)->setText(QStringLiteral("Desk"));
            showList();
            dialog->button2->click();
        } else if (change == QLatin1String("create")) {
            QPointer<BaseDialog> dialog = header->onClickNewProfile();
            lineEditOf(dialog)->setText(QStringLiteral("Travel"));
            showList();
            dialog->button3->click();
        } else if (change == QLatin1String("delete")) {
            QPointer<DelayOpMessageDialog> dialog = header->onClickDeleteProfile(work);
            dialog->countdownTimer()->setInterval(1);
            QTRY_VERIFY(dialog->button2->isEnabled());
            showList();
            dialog->button2->click();
        }
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('\n'))));

        // What the open list shows right after the rebuild.
        QVERIFY(menu->isVisible());
        QStringList shown;
        for (QWidget* row : menu->findChildren<QWidget*>(QStringLiteral("profileItem"))) {
            if (row->isVisible())
                shown << static_cast<MainProfileWidget::ProfileItem*>(row)->profile()->name;
        }
        QCOMPARE(shown, names);
        QCOMPARE(menu->actions().size(), 2 * int(names.size()) + 1);
        QCOMPARE(menu->actions().last()->text(), QStringLiteral("New Profile..."));
        QCOMPARE(menu->minimumWidth(), 320);
        if (change == QLatin1String("preferred")) {
            QVERIFY(rowNamed(*header, QStringLiteral("Work"))->star()->isVisible());
            QVERIFY(!rowNamed(*header, QStringLiteral("Default Profile"))->star()->isVisible());
        }
        QTest::qWait(20);
        QStringList chosen;
        for (auto* row : header->rows()) {
            if (row->isSelected())
                chosen << row->profile()->name;
        }
        QCOMPARE(chosen, QStringList{header->currentProfile()->name});
        menu->close();
    }

    // "New Profile..." in the drop-down opens the dialog; a click on a row while a hub is
    // connected makes that profile the hub's active one, and without a hub sends nothing.
    void dropDownActions()
    {
        createProfiles({QStringLiteral("Work")});
        MainProfileWidget header;
        QTRY_VERIFY(header.currentProfile());
        QAction* newProfile = header.dropDownMenu()->actions().last();
        QCOMPARE(newProfile->text(), QStringLiteral("New Profile..."));
        newProfile->trigger();
        QPointer<BaseDialog> dialog;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<BaseDialog*>(w);
            if (d && d->isVisible() && d->title() == QLatin1String("New Profile"))
                dialog = d;
        }
        QVERIFY(dialog);
        dialog->close();

        auto* work = rowNamed(header, QStringLiteral("Work"));
        QTest::mouseClick(work, Qt::LeftButton, {}, QPoint(30, 25));
        QCOMPARE(header.currentProfile()->name, QStringLiteral("Work"));
        Test::StandinHub hub;
        QVERIFY(hub.listen());
        QVERIFY(Test::pairCurrentHub(hub, QStringLiteral("KS-P")));
        work = rowNamed(header, QStringLiteral("Work"));
        QTest::mouseClick(work, Qt::LeftButton, {}, QPoint(30, 25));
        QTRY_COMPARE(hub.receivedCount(KestrinApi::ActSetCurrentProfile), 1);
        QVERIFY(hub.received(KestrinApi::ActSetCurrentProfile).front()["data"] ==
                ProjectProfileUseCase::profileKey(*work->profile()).toStdString());
    }

    void panelScreenshots()
    {
        const QString dir = Test::screenshotDir();
        if (dir.isEmpty())
            QSKIP("ORVEL_SCREENSHOTS is not set");
        createProfiles({QStringLiteral("Work"), QStringLiteral("Games")});
        QWidget frame;
        frame.setObjectName(QStringLiteral("window"));
        frame.setAttribute(Qt::WA_StyledBackground);
        frame.resize(260, 200);
        auto* panel = new MainProfilePanel(&frame);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QTRY_VERIFY(panel->currentProfile());
        panel->header()->onClickSaveAsPreferred(rowNamed(*panel->header(), QStringLiteral("Work"))->profile());
        QTest::mouseClick(panel->header(), Qt::LeftButton);
        QMenu* menu = panel->header()->dropDownMenu();
        QTRY_VERIFY(menu->isVisible());
        QTest::qWait(50);
        QVERIFY(frame.grab().save(dir + QStringLiteral("/profile_panel.png")));
        QVERIFY(menu->grab().save(dir + QStringLiteral("/profile_dropdown_three_profiles.png")));
        menu->close();
    }

    // The shared picker is one window for every opener and goes when the application quits.
    void sharedPickerGoesAtQuit()
    {
        QPointer<CloudImagePicker> picker = MainProfilePanel::sharedPicker();
        QVERIFY(picker);
        QCOMPARE(MainProfilePanel::sharedPicker(), picker.data());
        QVERIFY(QMetaObject::invokeMethod(qApp, "aboutToQuit"));
        QVERIFY(!picker);
    }
};

ORVEL_WIDGET_TEST_MAIN(TestMainProfilePanel, 1920, 1040)
#include "tst_MainProfilePanel.moc"
