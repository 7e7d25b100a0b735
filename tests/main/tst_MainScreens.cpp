#include "core/EventBus.h"
#include "core/TokenScrambler.h"
#include "device/KestrinApi.h"
#include "device/KestrinDevice.h"
#include "main/DelayOpMessageDialog.h"
#include "main/MainTitleBar.h"
#include "main/MainWindow.h"
#include "main/NewProjectWindow.h"
#include "main/ProgressButton.h"
#include "main/SettingsWindow.h"
#include "main/StartRecentListItem.h"
#include "main/StartWindow.h"
#include "main/StartupWindowChoice.h"
#include "project/ProjectDbHostBean.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileUseCase.h"
#include "support/MainScreensTestUtils.h"
#include "support/StandInHttpServer.h"
#include "support/StandinHub.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseWidget.h"
#include "widgets/BusyIndicator.h"
#include "widgets/FileDialog.h"
#include "widgets/MessageDialog.h"
#include "widgets/ToastWidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace OV;
using namespace OV::Test;

namespace {

template <typename T>
QList<T*> windowsOf()
{
    QList<T*> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible())
            found << t;
    }
    return found;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// The screens around the open project, with the process-wide project manager as the program
// uses it; file choosers and message boxes are answered by the test.
class TestMainScreens : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QStringList m_messages;
    QString m_nextFile;
    QList<FileDialog::Kind> m_fileKinds;
    ProjectManager* m_pm = nullptr;
    bool m_trayAvailable = true;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    void clearRecentList()
    {
        while (!m_pm->recentList().isEmpty())
            QVERIFY(m_pm->removeRecentListItem(m_pm->recentList().first()));
    }

    // A project file made and closed again, at the front of the recent list.
    QString makeProject(const QString& name) { return Test::makeClosedProject(m_dir.path(), name); }

    MainWindow* openMain(const QString& file) { return Test::openMainWindow(file); }

    void closeAll()
    {
        if (MainWindow* main = MainWindow::instance())
            delete main;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isWindow() && w->isVisible())
                w->close();
        }
        QTest::qWait(20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_pm->setCurrentKestrin(nullptr);
        m_pm->closeProject();
        m_messages.clear();
        m_fileKinds.clear();
    }

    void shoot(QWidget* window, const QString& name, QWidget* overlay = nullptr)
    {
        const QString dir = Test::screenshotDir();
        if (dir.isEmpty())
            return;
        QTest::qWait(50);
        QImage shot = window->grab().toImage();
        if (overlay)
            QPainter(&shot).drawImage(overlay->pos() - window->pos(), overlay->grab().toImage());
        QVERIFY(shot.save(dir + QStringLiteral("/%1.png").arg(name)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", path(QStringLiteral("xdg")).toLocal8Bit());
        Test::applyBaseTheme();
        m_pm = ProjectManager::instance();
        clearRecentList();
        MessageDialog::setAnswerProvider([this](MessageDialog& dialog) {
            m_messages << dialog.text();
            return 3;
        });
        // The tray test below is about a desktop with a tray; the offscreen platform has none.
        MainWindow::setTrayAvailabilityProvider([this] { return m_trayAvailable; });
        FileDialog::setProvider([this](FileDialog::Kind kind, const QString&, const QString&) {
            m_fileKinds << kind;
            return m_nextFile;
        });
    }

    void cleanup()
    {
        m_trayAvailable = true;
        closeAll();
        clearRecentList();
    }

    void projectNameRules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << QStringLiteral("My Desk") << true;
        QTest::newRow("unicode and dots inside") << QStringLiteral("Büro v1.2") << true;
        QTest::newRow("blank") << QStringLiteral("   ") << false;
        QTest::newRow("dot") << QStringLiteral(".") << false;
        QTest::newRow("dot dot") << QStringLiteral("..") << false;
        for (const char* bad : {"a/b", "a\\b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b"})
            QTest::newRow(bad) << QString::fromLatin1(bad) << false;
    }

    void projectNameRules()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(NewProjectWindow::isValidProjectName(name), valid);
    }

    // Start window -> New Project -> Create -> the main window of the new project.
    void newProjectOpensTheMainWindow()
    {
        auto* start = new StartWindow(nullptr);
        start->show();
        QCOMPARE(start->size(), QSize(1152, 806));
        QCOMPARE(start->title(), QStringLiteral("Welcome to Orvel WorkSpace"));
        QVERIFY(start->emptyLabel()->isVisible());
        QCOMPARE(start->recentList()->count(), 0);
        shoot(start, QStringLiteral("start_window_empty"));

        m_nextFile.clear();
        start->openButton()->click(); // cancelled: nothing happens
        QCOMPARE(m_fileKinds, QList<FileDialog::Kind>{FileDialog::OpenFile});
        QVERIFY(start->isVisible());

        start->newButton()->click();
        const auto forms = windowsOf<NewProjectWindow>();
        QCOMPARE(forms.size(), 1);
        NewProjectWindow* form = forms.first();
        QCOMPARE(form->size(), QSize(600, 260));
        QVERIFY(form->nameField()->text().startsWith(QStringLiteral("OrvelWorkSpaceProject")));
        QCOMPARE(form->nameField()->maxLength(), 64);

        form->chooseButton()->click(); // cancelled: the folder stays
        QVERIFY(!form->folderField()->text().isEmpty());
        m_nextFile = m_dir.path();
        form->chooseButton()->click();
        QCOMPARE(form->folderField()->text(), m_dir.path());

        form->nameField()->setText(QStringLiteral("../Escape"));
        form->createButton()->click();
        QTest::qWait(20);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].startsWith(QStringLiteral("The project name cannot be used as a file name")));
        QVERIFY(!QFile::exists(QDir(m_dir.path()).absoluteFilePath(QStringLiteral("../Escape.ovpf"))));
        QVERIFY(form->isVisible());
        {
            // The screenshot shows the form with its error box beside it.
            MessageDialog* box = MessageDialog::error(m_messages[0], false);
            box->setAttribute(Qt::WA_DeleteOnClose, false);
            box->move(form->pos() + QPoint(100, 30));
            box->show();
            QTest::qWait(20);
            box->show();
            QImage pair(form->width() + box->width() + 20, std::max(form->height(), box->height()),
                        QImage::Format_ARGB32);
            pair.fill(Qt::black);
            QPainter painter(&pair);
            painter.drawImage(0, 0, form->grab().toImage());
            painter.drawImage(form->width() + 20, 0, box->grab().toImage());
            painter.end();
            if (!Test::screenshotDir().isEmpty())
                QVERIFY(pair.save(Test::screenshotDir() + QStringLiteral("/new_project_window_error.png")));
            delete box;
        }

        // From the keyboard: the name has the focus, typing replaces it, Return creates.
        form->nameField()->setText(QStringLiteral("Replaced"));
        form->nameField()->selectAll();
        QApplication::setActiveWindow(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTRY_COMPARE(QApplication::focusWidget(), form->nameField());
        QTest::keyClicks(form->nameField(), QStringLiteral("Flow"));
        QCOMPARE(form->nameField()->text(), QStringLiteral("Flow"));
        QTest::keyClick(form->nameField(), Qt::Key_Return);
        QTRY_VERIFY(MainWindow::instance());
        MainWindow* main = MainWindow::instance();
        QVERIFY(main->isVisible());
        QTRY_VERIFY(windowsOf<StartWindow>().isEmpty());
        QVERIFY(windowsOf<NewProjectWindow>().isEmpty());
        QCOMPARE(main->minimumSize(), QSize(1344, 832));
        QCOMPARE(main->size(), QSize(1344, 832));
        QCOMPARE(main->mainTitleBar()->projectName(), QStringLiteral("Flow"));
        QVERIFY(MainWindow::currentProfile());
        QCOMPARE(MainWindow::currentProfile()->name, QStringLiteral("Default Profile"));
        QCOMPARE(main->profilePanel()->findChild<QLabel*>(QStringLiteral("profileName"))->text(),
                 QStringLiteral("Default Profile"));
        QVERIFY(main->editArea()->isEnabled());
        QVERIFY(main->trayIcon()->isVisible());
        QVERIFY(main->mainTitleBar()->deployButton()->isHidden());
        QCOMPARE(m_pm->recentList().value(0), path(QStringLiteral("Flow.ovpf")));
        shoot(main, QStringLiteral("main_window_new_project"));

        QMenu* menu = main->mainTitleBar()->windowMenu();
        QPushButton* menuButton = main->mainTitleBar()->windowMenuButton();
        menu->popup(menuButton->mapToGlobal(QPoint(0, menuButton->height() + 4)));
        QTRY_VERIFY(menu->isVisible());
        QStringList texts;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                texts << QStringLiteral("%1=%2").arg(action->text()).arg(action->data().toInt());
        }
        QCOMPARE(texts, (QStringList{QStringLiteral("Close Project=10001"), QStringLiteral("Save Project As=10002"),
                                     QStringLiteral("Settings=10003")}));
        shoot(main, QStringLiteral("main_window_project_menu"), menu);
        menu->close();
    }

    void editAreaAndProfileRules()
    {
        MainWindow* main = openMain(makeProject(QStringLiteral("Edit")));
        QVERIFY(main);
        const QString initialKey = MainWindow::currentEditPanelKey();
        MainWindow::clearEditPanel(); // nothing shown: the key stays
        QCOMPARE(MainWindow::currentEditPanelKey(), initialKey);

        QPointer<QWidget> first = new QWidget;
        QPointer<QWidget> second = new QWidget;
        MainWindow::setEditPanel(QStringLiteral("k1"), first);
        QCOMPARE(main->editPanel(), first.data());
        MainWindow::setEditPanel(QStringLiteral("k1"), second); // same key: the first stays
        QCOMPARE(main->editPanel(), first.data());
        QVERIFY(!second->parent());
        MainWindow::setEditPanel(QStringLiteral("k2"), first); // same widget: nothing changes
        QCOMPARE(MainWindow::currentEditKey(), QStringLiteral("k1"));
        MainWindow::setEditPanel(QStringLiteral("k2"), second);
        QCOMPARE(main->editPanel(), second.data());
        QTRY_VERIFY(!first);
        MainWindow::clearEditPanel();
        QVERIFY(!main->editPanel());
        QCOMPARE(MainWindow::currentEditPanelKey().size(), 22);
        QTRY_VERIFY(!second);

        const auto profile = MainWindow::currentProfile();
        MainWindow::setCurrentProfile(nullptr);
        QVERIFY(!main->editArea()->isEnabled());
        QVERIFY(!main->deviceList()->isEnabled());
        QVERIFY(!main->widgetListPanel()->isEnabled());
        QVERIFY(main->profilePanel()->isEnabled());
        MainWindow::setCurrentProfile(profile);
        QVERIFY(main->editArea()->isEnabled());

        main->onTitleMenu(10004); // unknown ids do nothing
        delete main;
        QVERIFY(!MainWindow::instance());
        QVERIFY(MainWindow::currentEditPanelKey().isEmpty());
        QVERIFY(!MainWindow::currentProfile());
        MainWindow::setEditPanel(QStringLiteral("k"), nullptr);
        MainWindow::setCurrentProfile(profile);
    }

    // Closing hides to the tray; closing another window then does not end the program; the
    // tray's "Exit" does.
    void trayKeepsTheProgramAndExitQuits()
    {
        MainWindow* main = openMain(makeProject(QStringLiteral("Tray")));
        QVERIFY(main);
        main->close();
        QVERIFY(main->isHidden());
        QCOMPARE(MainWindow::instance(), main);
        main->onTrayActivated(QSystemTrayIcon::Context);
        main->onTrayActivated(QSystemTrayIcon::MiddleClick);
        QVERIFY(main->isHidden());
        // A click (all a status-notifier tray reports) or a double click brings it back.
        for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick}) {
            main->onTrayActivated(reason);
            QVERIFY(main->isVisible());
            main->close();
            QVERIFY(main->isHidden());
        }

        QTimer::singleShot(0, this, [main] {
            main->openSettings();
            for (SettingsWindow* settings : windowsOf<SettingsWindow>())
                settings->close();
        });
        QTimer::singleShot(300, qApp, [] { QCoreApplication::exit(5); });
        QCOMPARE(QApplication::exec(), 5);
        QCOMPARE(MainWindow::instance(), main);

        QTimer::singleShot(0, main->exitAction(), &QAction::trigger);
        QTimer::singleShot(3000, qApp, [] { QCoreApplication::exit(9); });
        QCOMPARE(QApplication::exec(), 0);
    }

    // Where the desktop has no tray, a hidden window could never be reached again: closing and a
    // start at log-on leave it minimised instead, the program still running.
    void withoutTrayTheWindowStaysReachable()
    {
        m_trayAvailable = false;
        const QString file = makeProject(QStringLiteral("NoTray"));
        MainWindow* main = openMain(file);
        QVERIFY(main);
        main->close();
        QCOMPARE(MainWindow::instance(), main);
        QVERIFY(main->isVisible());
        QVERIFY(main->isMinimized());
        closeAll();

        QVERIFY(StartupWindowChoice::choose(true));
        QVERIFY(MainWindow::instance());
        QVERIFY(MainWindow::instance()->isVisible());
        QVERIFY(MainWindow::instance()->isMinimized());
    }

    // The start window ends the program when it closes on its own, not when a main window took over.
    void startWindowCloseQuitsOnlyAlone()
    {
        auto* start = new StartWindow(nullptr);
        start->show();
        QTimer::singleShot(0, start, &QWidget::close);
        QTimer::singleShot(3000, qApp, [] { QCoreApplication::exit(9); });
        QCOMPARE(QApplication::exec(), 0);

        const QString file = makeProject(QStringLiteral("Opened"));
        start = new StartWindow(nullptr);
        start->show();
        QTimer::singleShot(0, start, [start, file] { start->openProject(file); });
        QTimer::singleShot(300, qApp, [] { QCoreApplication::exit(5); });
        QCOMPARE(QApplication::exec(), 5);
        QVERIFY(MainWindow::instance());
        QVERIFY(windowsOf<StartWindow>().isEmpty());
    }

    void closeProjectAndReopenFromTheList()
    {
        const QString older = makeProject(QStringLiteral("Older"));
        // A dot inside the name belongs to the name: only the extension is cut.
        MainWindow* main = openMain(makeProject(QStringLiteral("Recent 2.0")));
        QVERIFY(main);
        QCOMPARE(main->mainTitleBar()->projectName(), QStringLiteral("Recent 2.0"));
        QPointer<MainWindow> watch(main);
        main->onTitleMenu(MainTitleBar::MenuCloseProject);
        QTRY_VERIFY(!watch);
        QVERIFY(m_pm->projectFileInfo().filePath().isEmpty());
        const auto starts = windowsOf<StartWindow>();
        QCOMPARE(starts.size(), 1);
        StartWindow* start = starts.first();
        QCOMPARE(start->recentList()->count(), 2);
        auto* row = qobject_cast<StartRecentListItem*>(start->recentList()->itemWidget(start->recentList()->item(0)));
        QCOMPARE(row->name(), QStringLiteral("Recent 2.0"));
        QCOMPARE(row->folder(), m_dir.path());

        auto* second =
            qobject_cast<StartRecentListItem*>(start->recentList()->itemWidget(start->recentList()->item(1)));
        QTest::mouseClick(second->clickArea(), Qt::LeftButton);
        QTRY_VERIFY(MainWindow::instance());
        QCOMPARE(m_pm->projectFileInfo().absoluteFilePath(), older);
        QCOMPARE(m_pm->recentList().value(0), older);
        QTRY_VERIFY(windowsOf<StartWindow>().isEmpty());
    }

    // Without recent projects the start window makes no list; one made later, with the window on
    // screen, is shown where the list goes, under the empty-list label.
    void recentListMadeWithItsFirstRow()
    {
        auto* start = new StartWindow(nullptr);
        start->show();
        QVERIFY(QTest::qWaitForWindowExposed(start));
        QVERIFY(start->findChildren<QListWidget*>().isEmpty());
        QVERIFY(start->emptyLabel()->isVisible());

        m_pm->addRecentList(makeProject(QStringLiteral("Later")));
        m_pm->closeProject();
        start->reloadRecentList();
        QListWidget* list = start->recentList();
        QCOMPARE(start->findChildren<QListWidget*>(), QList<QListWidget*>{list});
        QCOMPARE(list->count(), 1);
        QVERIFY(list->isVisible());
        QVERIFY(!start->emptyLabel()->isVisible());
        QTRY_COMPARE(list->geometry(), list->parentWidget()->rect().adjusted(4, 4, -4, -4));
        const QObjectList siblings = list->parentWidget()->children();
        QVERIFY(siblings.indexOf(list) < siblings.indexOf(start->emptyLabel()));
        auto* row = qobject_cast<StartRecentListItem*>(list->itemWidget(list->item(0)));
        QVERIFY(row && row->isVisible());
        QCOMPARE(row->name(), QStringLiteral("Later"));
    }

    // A long name and a deep folder stay inside the row, cut with an ellipsis; the folder keeps
    // its end, and the whole path is the row's tooltip.
    void recentRowsCutLongPaths()
    {
        const QString deep =
            path(QStringLiteral("a folder with a long name/that goes deeper and deeper/into more nested folders of "
                                "the user/with yet another level/and the last one"));
        QVERIFY(QDir().mkpath(deep));
        const QString name = QStringLiteral("A project with a rather long name that goes on and on and on and on");
        QVERIFY(m_pm->createProject(name, deep).isOk());
        m_pm->closeProject();
        auto* start = new StartWindow(nullptr);
        start->show();
        QVERIFY(QTest::qWaitForWindowExposed(start));
        auto* row = qobject_cast<StartRecentListItem*>(start->recentList()->itemWidget(start->recentList()->item(0)));
        QVERIFY(row);
        const auto* folder = row->findChild<QLabel*>(QStringLiteral("recentFolder"));
        QTRY_VERIFY(folder->text().contains(QChar(0x2026)));
        QVERIFY(folder->text().endsWith(QStringLiteral("the last one")));
        QVERIFY(folder->fontMetrics().horizontalAdvance(folder->text()) <= folder->width());
        QVERIFY(folder->geometry().right() <= row->clickArea()->width());
        QCOMPARE(row->clickArea()->toolTip(),
                 QDir::toNativeSeparators(deep + QLatin1Char('/') + name +
                                          QLatin1String(ProjectManager::kProjectExtension)));
        shoot(start, QStringLiteral("start_window_long_path"));
    }

    // Three recent projects, one of them gone and one damaged.
    void recentListShowsMissingAndDamagedFiles()
    {
        const QString good = makeProject(QStringLiteral("Garden"));
        const QString missing = makeProject(QStringLiteral("Vanished"));
        const QString damaged = makeProject(QStringLiteral("Damaged"));
        QVERIFY(QFile::remove(missing));
        {
            QFile f(damaged);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("this is not a project database");
        }
        auto* start = new StartWindow(nullptr);
        start->show();
        QCOMPARE(start->recentList()->count(), 3);
        QVERIFY(!start->emptyLabel()->isVisible());
        QList<bool> enabled;
        for (int i = 0; i < 3; ++i) {
            auto* row =
                qobject_cast<StartRecentListItem*>(start->recentList()->itemWidget(start->recentList()->item(i)));
            enabled << row->nameLabel()->isEnabled();
        }
        QCOMPARE(enabled, (QList<bool>{true, false, true}));
        shoot(start, QStringLiteral("start_window_recent"));

        QVERIFY(!start->openProject(damaged));
        QTRY_COMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].startsWith(QStringLiteral("Open project failed")) ||
                     m_messages[0].startsWith(QStringLiteral("Invalid database format")),
                 qPrintable(m_messages[0]));
        QVERIFY(start->isVisible());
        QVERIFY(!MainWindow::instance());
        QCOMPARE(readAll(damaged), QByteArray("this is not a project database"));

        QVERIFY(!start->openProject(missing));
        QVERIFY(start->isVisible());

        // "Remove from list" takes the rows out one by one; the last one shows the note.
        for (int left = 3; left > 0; --left) {
            auto* row =
                qobject_cast<StartRecentListItem*>(start->recentList()->itemWidget(start->recentList()->item(0)));
            QTest::mousePress(row, Qt::RightButton, {}, QPoint(20, 20));
            QTRY_VERIFY(row->contextMenu());
            row->contextMenu()->actions().first()->trigger();
            QTest::qWait(10);
            QCOMPARE(start->recentList()->count(), left - 1);
            QCOMPARE(m_pm->recentList().size(), left - 1);
        }
        QVERIFY(start->emptyLabel()->isVisible());
        QVERIFY(QFile::exists(good));
    }

    void saveProjectAs()
    {
        const QString existing = makeProject(QStringLiteral("Existing"));
        const QString source = makeProject(QStringLiteral("Source"));
        MainWindow* main = openMain(source);
        QVERIFY(main);
        QVERIFY(m_pm->getProfileUseCase()->createProfile(QStringLiteral("Second"), QString()).isOk());
        const QByteArray before = readAll(source);

        // Cancelled: nothing happens and nothing is said.
        m_nextFile.clear();
        main->onTitleMenu(MainTitleBar::MenuSaveProjectAs);
        QTest::qWait(20);
        QVERIFY(m_messages.isEmpty());

        // Onto the open file, also through another spelling of its path: refused, untouched.
        for (const QString& same : {source, QString(m_dir.path() + QStringLiteral("/./Source.ovpf"))}) {
            m_nextFile = same;
            main->saveProjectAs();
            QTRY_COMPARE(m_messages.size(), 1);
            QVERIFY(m_messages.takeFirst().startsWith(QStringLiteral("The project is already saved in this file")));
            QCOMPARE(readAll(source), before);
        }

        // A new file, then over an existing other file: each a copy that opens with the records.
        for (const QString& target : {path(QStringLiteral("Copy.ovpf")), existing}) {
            m_nextFile = target;
            main->saveProjectAs();
            QTRY_COMPARE(m_messages.size(), 1);
            QCOMPARE(m_messages.takeFirst(), QStringLiteral("Save project file success."));
            QCOMPARE(m_pm->projectFileInfo().absoluteFilePath(), source);
            QCOMPARE(readAll(target), readAll(source));
        }
        // A name typed without the extension gets it, or the copy could not be chosen again.
        m_nextFile = path(QStringLiteral("Plain"));
        main->saveProjectAs();
        QTRY_COMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.takeFirst(), QStringLiteral("Save project file success."));
        QVERIFY(!QFile::exists(path(QStringLiteral("Plain"))));
        QCOMPARE(readAll(path(QStringLiteral("Plain.ovpf"))), readAll(source));
        // ...but an existing project under that name is not replaced without a question.
        {
            QFile taken(path(QStringLiteral("Taken.ovpf")));
            QVERIFY(taken.open(QIODevice::WriteOnly) && taken.write("kept") == 4);
        }
        m_nextFile = path(QStringLiteral("Taken"));
        main->saveProjectAs();
        QTRY_COMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.takeFirst().endsWith(QStringLiteral("already exists. Choose another name.")), "refused");
        QCOMPARE(readAll(path(QStringLiteral("Taken.ovpf"))), QByteArray("kept"));
        // The copy opens as a project with the same records.
        delete main;
        m_pm->closeProject();
        QVERIFY(m_pm->openProject(existing).isOk());
        const auto profiles = m_pm->getProfileUseCase()->accessor->findAll(false);
        QVERIFY(profiles.isOk());
        QStringList names;
        for (const auto& p : *profiles.data)
            names << p->name;
        QCOMPARE(names, (QStringList{QStringLiteral("Default Profile"), QStringLiteral("Second")}));
        QVERIFY(!m_pm->recentList().contains(path(QStringLiteral("Copy.ovpf"))));
        QVERIFY(QDir(m_dir.path()).entryList({QStringLiteral("*.ovpf.*")}, QDir::Files).isEmpty());
    }

    void launchAtStartupWritesTheAutostartEntry()
    {
        MainWindow* main = openMain(makeProject(QStringLiteral("Settings")));
        QVERIFY(main);
        const QString entry = path(QStringLiteral("xdg/autostart/OrvelWorkSpace.desktop"));
        QFile::remove(entry);
        main->onTitleMenu(MainTitleBar::MenuSettings);
        auto windows = windowsOf<SettingsWindow>();
        QCOMPARE(windows.size(), 1);
        SettingsWindow* settings = windows.first();
        QCOMPARE(settings->size(), QSize(400, 200));
        QCOMPARE(settings->title(), QStringLiteral("Settings"));
        QVERIFY(!settings->autoStartBox()->isChecked());
        settings->autoStartBox()->setChecked(true);
        QVERIFY(QFile::exists(entry));
        QVERIFY(readAll(entry).contains("--autostart"));
        shoot(settings, QStringLiteral("settings_window"));
        settings->close();
        QTest::qWait(10);

        main->openSettings(); // reflects the entry each time it opens
        settings = windowsOf<SettingsWindow>().first();
        QVERIFY(settings->autoStartBox()->isChecked());
        settings->autoStartBox()->setChecked(false);
        QVERIFY(!QFile::exists(entry));

        // A folder that cannot be made: the box goes back and the user is told.
        QVERIFY(QDir(path(QStringLiteral("xdg"))).removeRecursively());
        {
            QFile blocker(path(QStringLiteral("xdg")));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        settings->autoStartBox()->setChecked(true);
        QVERIFY(!settings->autoStartBox()->isChecked());
        QTRY_COMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0], QStringLiteral("The program could not be set to launch at startup."));
        QFile::remove(path(QStringLiteral("xdg")));
    }

    void deployButtonFollowsTheHub()
    {
        StandinHub hub;
        StandInHttpServer http;
        QVERIFY(hub.listen() && http.start());
        http.route(QStringLiteral("/upload/zip"), HttpReply::json({{"state", 200}, {"msg", "ok"}}));
        DeploySettings settings;
        settings.tempDir = path(QStringLiteral("deploy-temp"));
        settings.uploadPort = http.port();
        settings.hostConfigWaitMs = 300;
        m_pm->setDeploySettings(settings);

        MainWindow* main = openMain(makeProject(QStringLiteral("Deploy")));
        QVERIFY(main);
        ProgressButton* button = main->mainTitleBar()->deployButton();
        QVERIFY(button->isHidden());

        hub.setValidToken(QStringLiteral("valid"));
        auto host = std::make_shared<ProjectDbHostBean>();
        host->connType = QStringLiteral("tcp");
        host->ip = StandinHub::address();
        host->port = hub.port();
        host->sn = QStringLiteral("KS-1");
        host->token = encodeToken(QStringLiteral("valid"));
        m_pm->setCurrentKestrin(host); // publishes "ON_KESTRIN_CHANGED"
        QVERIFY(!button->isHidden());
        const auto device = m_pm->getCurrentKestrin();
        // Offline: refused at once with the cause, nothing sent.
        button->click();
        QTRY_COMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.takeFirst().contains(QStringLiteral("The Kestrin is offline")), "offline deploy");
        QVERIFY(!button->isBusy());
        QVERIFY(!m_pm->isDeploying());
        device->start(nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(device->isReady(), 5000);

        button->click();
        QVERIFY(button->isBusy());
        QVERIFY(!button->isEnabled());
        ToastWidget* toast = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((toast = windowsOf<ToastWidget>().value(0)) != nullptr, 8000);
        QCOMPARE(toast->text(), QStringLiteral("Deploy Success"));
        QVERIFY(!button->isBusy());
        QVERIFY(button->isEnabled());
        QVERIFY(m_messages.isEmpty());
        // The current profile became the hub's active one.
        QTRY_VERIFY(hub.receivedCount(KestrinApi::ActSetCurrentProfile) > 0);

        // While a deploy runs the project is neither closed nor copied; a silent hub fails it.
        hub.replySilent(KestrinApi::ActDeployKestrinConfig);
        settings.hostConfigWaitMs = 1500;
        m_pm->setDeploySettings(settings);
        button->click();
        main->onTitleMenu(MainTitleBar::MenuCloseProject);
        main->onTitleMenu(MainTitleBar::MenuSaveProjectAs);
        QTRY_COMPARE(m_messages.size(), 2);
        QCOMPARE(m_messages.filter(QStringLiteral("A deploy is running")).size(), 2);
        QVERIFY(m_fileKinds.isEmpty());
        QCOMPARE(MainWindow::instance(), main);
        QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 3, 8000);
        QVERIFY2(m_messages[2].startsWith(QStringLiteral("Deploy failed. Details: ")), qPrintable(m_messages[2]));
        QVERIFY(!button->isBusy());
        QVERIFY(button->isEnabled());
        QVERIFY(button->busyIndicator()->isHidden());

        // A result that arrives after the window is gone does nothing.
        button->click();
        QVERIFY(m_pm->isDeploying());
        delete main;
        QTRY_VERIFY_WITH_TIMEOUT(!m_pm->isDeploying(), 8000);
        QTest::qWait(50);
        QCOMPARE(m_messages.size(), 3);
    }

    // Which window the process starts with, from the recent list and the start kind.
    void startupWindowChoice_data()
    {
        QTest::addColumn<QStringList>("recent"); // names, most recent first; "!" marks a damaged file
        QTest::addColumn<bool>("autoStart");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("window"); // "main", "hidden main", "start" or ""
        QTest::newRow("log-on, empty list") << QStringList{} << true << false << QString();
        QTest::newRow("log-on, project") << QStringList{QStringLiteral("A")} << true << true
                                         << QStringLiteral("hidden main");
        QTest::newRow("normal, project") << QStringList{QStringLiteral("A")} << false << true << QStringLiteral("main");
        QTest::newRow("normal, empty list") << QStringList{} << false << true << QStringLiteral("start");
        QTest::newRow("normal, first damaged")
            << QStringList{QStringLiteral("!B"), QStringLiteral("A")} << false << true << QStringLiteral("start");
        QTest::newRow("log-on, first damaged")
            << QStringList{QStringLiteral("!B"), QStringLiteral("A")} << true << false << QString();
    }

    void startupWindowChoice()
    {
        QFETCH(QStringList, recent);
        QFETCH(bool, autoStart);
        QFETCH(bool, result);
        QFETCH(QString, window);
        for (auto it = recent.crbegin(); it != recent.crend(); ++it) {
            const bool damaged = it->startsWith(QLatin1Char('!'));
            const QString file = makeProject(damaged ? it->mid(1) : *it);
            if (damaged) {
                QFile f(file);
                QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            }
        }
        QCOMPARE(StartupWindowChoice::choose(autoStart), result);
        MainWindow* main = MainWindow::instance();
        const QList<StartWindow*> starts = windowsOf<StartWindow>();
        QString seen;
        if (main)
            seen = main->isVisible() ? QStringLiteral("main") : QStringLiteral("hidden main");
        else if (!starts.isEmpty())
            seen = QStringLiteral("start");
        QCOMPARE(seen, window);
        if (main)
            QVERIFY(main->testAttribute(Qt::WA_DeleteOnClose));
        if (recent.size() > 1)
            QVERIFY(m_pm->projectFileInfo().filePath().isEmpty()); // the second entry is not tried
    }

    void countdownDialogScreenshot()
    {
        auto* dialog = new DelayOpMessageDialog(nullptr);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setIcon(MessageDialog::Warning);
        dialog->setText(QStringLiteral("Delete the profile \"Evening\" and all its cards?"));
        dialog->setConfirmText(QStringLiteral("Delete"));
        MessageDialog::setAnswerProvider({});
        dialog->show();
        QCOMPARE(dialog->size(), QSize(400, 200));
        QCOMPARE(dialog->button2->text(), QStringLiteral("Delete (3s)"));
        shoot(dialog, QStringLiteral("countdown_dialog"));
        dialog->close();
        MessageDialog::setAnswerProvider([this](MessageDialog& box) {
            m_messages << box.text();
            return 3;
        });
    }
};

ORVEL_WIDGET_TEST_MAIN(TestMainScreens, 1920, 1040)
#include "tst_MainScreens.moc"
