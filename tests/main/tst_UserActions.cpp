#include "main/MainTitleBar.h"
#include "main/MainWindow.h"
#include "main/NewProjectWindow.h"
#include "main/SettingsWindow.h"
#include "main/StartWindow.h"
#include "project/ProjectManager.h"
#include "support/MainScreensTestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/FileDialog.h"
#include "widgets/MessageDialog.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace OV;

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

// Calls `act` with the next menu that pops up, from inside the menu's own event loop (a menu
// opened with exec() holds the caller until it closes). Gives up after two seconds.
void whenMenuPopsUp(QObject* context, std::function<void(QMenu*)> act)
{
    auto* poll = new QTimer(context);
    auto waited = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, context, [poll, waited, act = std::move(act)] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu && (*waited += 10) < 2000)
            return;
        poll->stop();
        poll->deleteLater();
        if (menu)
            act(menu);
    });
    poll->start(10);
}

QAction* actionNamed(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

void clickAction(QMenu* menu, const QString& text)
{
    QAction* action = actionNamed(menu, text);
    QVERIFY2(action, qPrintable(text));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

} // namespace

// What a user does with the mouse and the keyboard around the open project: the window menu
// under its title-bar button, the tray icon and its menu, and the new-project form.
class TestUserActions : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QStringList m_messages;
    QString m_nextFile;
    ProjectManager* m_pm = nullptr;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QString makeProject(const QString& name) { return Test::makeClosedProject(m_dir.path(), name); }

    MainWindow* openMain(const QString& file) { return Test::openMainWindow(file); }

    // Presses the title bar's menu button and lets `act` handle the menu it opens.
    void useWindowMenu(MainWindow* main, std::function<void(QMenu*)> act)
    {
        QPushButton* button = main->mainTitleBar()->windowMenuButton();
        QMenu* opened = nullptr;
        QPoint shownAt;
        whenMenuPopsUp(this, [&, act = std::move(act)](QMenu* menu) {
            opened = menu;
            shownAt = menu->pos();
            act(menu);
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(opened, main->mainTitleBar()->windowMenu());
        // Just below the button.
        QCOMPARE(shownAt, button->mapToGlobal(QPoint(0, button->height() + 4)));
        QTRY_VERIFY(!opened->isVisible());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", path(QStringLiteral("xdg")).toLocal8Bit());
        Test::applyBaseTheme();
        m_pm = ProjectManager::instance();
        MessageDialog::setAnswerProvider([this](MessageDialog& dialog) {
            m_messages << dialog.text();
            return 3;
        });
        // The offscreen platform has no tray; these cases are about a desktop with one.
        MainWindow::setTrayAvailabilityProvider([] { return true; });
        FileDialog::setProvider([this](FileDialog::Kind, const QString&, const QString&) { return m_nextFile; });
    }

    void cleanup()
    {
        if (MainWindow* main = MainWindow::instance())
            delete main;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isWindow() && w->isVisible())
                w->close();
        }
        QTest::qWait(20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_pm->closeProject();
        while (!m_pm->recentList().isEmpty())
            QVERIFY(m_pm->removeRecentListItem(m_pm->recentList().first()));
        m_messages.clear();
        m_nextFile.clear();
    }

    void windowMenuByMouseOpensSettings()
    {
        MainWindow* main = openMain(makeProject(QStringLiteral("MenuMouse")));
        QVERIFY(main);
        useWindowMenu(main, [](QMenu* menu) { clickAction(menu, QStringLiteral("Settings")); });
        QCOMPARE(windowsOf<SettingsWindow>().size(), 1);
        QVERIFY(m_messages.isEmpty());
    }

    // Down, Down, Return: the second item, "Save Project As", copies the project.
    void windowMenuByKeyboardSavesACopy()
    {
        const QString source = makeProject(QStringLiteral("MenuKeys"));
        MainWindow* main = openMain(source);
        QVERIFY(main);
        m_nextFile = path(QStringLiteral("KeysCopy.ovpf"));
        useWindowMenu(main, [](QMenu* menu) {
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QTRY_COMPARE(m_messages, QStringList{QStringLiteral("Save project file success.")});
        QCOMPARE(readAll(m_nextFile), readAll(source));
        QCOMPARE(MainWindow::instance(), main);
    }

    void windowMenuEscapeDoesNothing()
    {
        MainWindow* main = openMain(makeProject(QStringLiteral("MenuEscape")));
        QVERIFY(main);
        useWindowMenu(main, [](QMenu* menu) { QTest::keyClick(menu, Qt::Key_Escape); });
        QTest::qWait(20);
        QVERIFY(m_messages.isEmpty());
        QVERIFY(windowsOf<SettingsWindow>().isEmpty());
        QVERIFY(windowsOf<StartWindow>().isEmpty());
        QCOMPARE(MainWindow::instance(), main);
        QVERIFY(main->isVisible());
    }

    // "Close Project" closes the window from inside its own menu: the start window takes over.
    void windowMenuClosesTheProject()
    {
        QPointer<MainWindow> main = openMain(makeProject(QStringLiteral("MenuClose")));
        QVERIFY(main);
        useWindowMenu(main, [](QMenu* menu) { clickAction(menu, QStringLiteral("Close Project")); });
        QTRY_VERIFY(!main);
        QVERIFY(!MainWindow::instance());
        QCOMPARE(windowsOf<StartWindow>().size(), 1);
        QVERIFY(m_pm->projectFileInfo().filePath().isEmpty());
        QCOMPARE(windowsOf<StartWindow>().first()->recentList()->count(), 1);
    }

    // The tray reports a click; the window listens to that signal.
    void trayIconActivationShowsTheWindow()
    {
        MainWindow* main = openMain(makeProject(QStringLiteral("Tray")));
        QVERIFY(main);
        QSystemTrayIcon* tray = main->trayIcon();
        QVERIFY(tray->isVisible());
        main->close();
        QVERIFY(main->isHidden());
        emit tray->activated(QSystemTrayIcon::Context);
        emit tray->activated(QSystemTrayIcon::MiddleClick);
        QVERIFY(main->isHidden());
        emit tray->activated(QSystemTrayIcon::Trigger);
        QVERIFY(main->isVisible());
        QVERIFY(!main->isMinimized());

        main->showMinimized();
        QTRY_VERIFY(main->isMinimized());
        emit tray->activated(QSystemTrayIcon::DoubleClick);
        QTRY_VERIFY(!main->isMinimized());
        QVERIFY(main->isVisible());
    }

    // "Exit" chosen in the tray's menu ends the event loop; the window then closes for real.
    void trayMenuExitQuits()
    {
        QPointer<MainWindow> main = openMain(makeProject(QStringLiteral("TrayExit")));
        QVERIFY(main);
        main->close();
        QMenu* menu = main->trayIcon()->contextMenu();
        QVERIFY(menu);
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << action->text();
        QCOMPARE(texts, QStringList{QStringLiteral("Exit")});
        QTimer::singleShot(0, this, [this, menu] {
            whenMenuPopsUp(this, [](QMenu* shown) { clickAction(shown, QStringLiteral("Exit")); });
            menu->popup(QPoint(1800, 1000));
        });
        QTimer::singleShot(3000, qApp, [] { QCoreApplication::exit(9); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(main);
        main->close();
        QTRY_VERIFY(!main);
    }

    // The form refuses an empty name, an empty folder and a project that exists (or a folder
    // that cannot hold one); each time it says why and stays open with what was typed.
    void newProjectRefusals()
    {
        const QString existing = makeProject(QStringLiteral("Taken"));
        const QByteArray existingBytes = readAll(existing);
        QVERIFY(!existingBytes.isEmpty());
        while (!m_pm->recentList().isEmpty())
            QVERIFY(m_pm->removeRecentListItem(m_pm->recentList().first()));
        QFile blocker(path(QStringLiteral("plain-file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly) && blocker.write("x") == 1);
        blocker.close();

        auto* start = new StartWindow(nullptr);
        start->show();
        QTest::mouseClick(start->newButton(), Qt::LeftButton);
        QCOMPARE(windowsOf<NewProjectWindow>().size(), 1);
        NewProjectWindow* form = windowsOf<NewProjectWindow>().first();
        QLineEdit* name = form->nameField();
        QLineEdit* folder = form->folderField();
        const auto retype = [](QLineEdit* field, const QString& text) {
            field->setFocus();
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(field, Qt::Key_Backspace);
            QTest::keyClicks(field, text);
            QCOMPARE(field->text(), text);
        };

        struct Refusal
        {
            QString name;
            QString folder;
            QString message;
        };
        const QList<Refusal> refusals = {
            {QString(), m_dir.path(), QStringLiteral("Project name is empty")},
            {QStringLiteral("Fresh"), QString(), QStringLiteral("Save Path is empty")},
            {QStringLiteral("Taken"), m_dir.path(), QStringLiteral("Project already exists")},
            {QStringLiteral("Fresh"), path(QStringLiteral("plain-file")), QStringLiteral("Invalid file path")},
        };
        for (const Refusal& refusal : refusals) {
            retype(name, refusal.name);
            retype(folder, refusal.folder);
            QTest::mouseClick(form->createButton(), Qt::LeftButton);
            QTRY_COMPARE(m_messages, QStringList{refusal.message});
            m_messages.clear();
            QVERIFY(form->isVisible());
            QCOMPARE(name->text(), refusal.name);
            QCOMPARE(folder->text(), refusal.folder);
            QVERIFY(!MainWindow::instance());
            QVERIFY(start->isVisible());
            QVERIFY(m_pm->projectFileInfo().filePath().isEmpty());
            QVERIFY(m_pm->recentList().isEmpty());
        }
        QCOMPARE(readAll(existing), existingBytes);
        QVERIFY(!QFile::exists(path(QStringLiteral("Fresh.ovpf"))));
        QCOMPARE(readAll(path(QStringLiteral("plain-file"))), QByteArray("x"));

        // Put right, the same form creates the project.
        retype(folder, m_dir.path());
        QTest::mouseClick(form->createButton(), Qt::LeftButton);
        QTRY_VERIFY(MainWindow::instance());
        QVERIFY(QFile::exists(path(QStringLiteral("Fresh.ovpf"))));
        QTRY_VERIFY(windowsOf<NewProjectWindow>().isEmpty());
        QVERIFY(m_messages.isEmpty());
    }
};

ORVEL_WIDGET_TEST_MAIN(TestUserActions, 1920, 1040)
#include "tst_UserActions.moc"
