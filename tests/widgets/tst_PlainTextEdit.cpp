// ORVEL_TEST_LABELS: platform
#include "scene/SceneOSCtrlInputText.h"
#include "support/TestXServer.h"

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QTest>

#include <cstdio>
#include <iostream>
#include <string>

#include <unistd.h>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace OV;

namespace {

const char* const kPasteChild = "--paste-child";
const char* const kCopier = "--copier";

// A child on the X server named by DISPLAY: the Input Text page's box, focused, takes one paste
// (`way`) and prints what it then holds. The menu way opens the box's menu first and waits for a
// line on standard input before choosing Paste, so the parent can empty the clipboard between.
int pasteChild(const QString& way)
{
    SceneOSCtrlInputText page(nlohmann::json::object());
    QPlainTextEdit* edit = page.textEdit();
    page.resize(400, 400);
    page.show();
    if (!QTest::qWaitForWindowExposed(&page))
        return 3;
    page.activateWindow();
    edit->setFocus();
    if (way == QLatin1String("ctrl+v")) {
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    } else if (way == QLatin1String("shift+insert")) {
        QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
    } else if (way == QLatin1String("middle click")) {
        QTest::mouseClick(edit->viewport(), Qt::MiddleButton, {}, QPoint(20, 20));
    } else if (way == QLatin1String("menu")) {
        std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
        QAction* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"));
        if (!paste)
            return 4;
        std::printf("menu open, paste %s\n", paste->isEnabled() ? "enabled" : "disabled");
        std::fflush(stdout);
        bool changed = false;
        QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, [&changed] { changed = true; });
        std::string go;
        std::getline(std::cin, go);
        // As while a menu is open: the loop runs and learns that the clipboard's owner left.
        const QDeadlineTimer deadline(5000);
        while (!changed && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        paste->trigger();
    } else {
        return 2;
    }
    std::printf("pasted:%s\n", edit->toPlainText().toUtf8().toHex().constData());
    return 0;
}

// A child that offers `text` as another program that copied or selected it does, until its
// standard input closes: in the clipboard, the primary selection or both (`where`).
int copier(const QString& text, const QString& where)
{
    if (where != QLatin1String("selection"))
        QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
    if (where != QLatin1String("clipboard"))
        QGuiApplication::clipboard()->setText(text, QClipboard::Selection);
    std::printf("ready\n");
    std::fflush(stdout);
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&input] {
        char buffer[64];
        if (::read(0, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
        }
    });
    return QCoreApplication::exec();
}

// Whether CLIPBOARD and PRIMARY have an owner on `display`: -1 when the server is out of reach,
// else bit 0 for the clipboard and bit 1 for the selection.
int selectionOwners(const QString& display)
{
    Display* dpy = XOpenDisplay(display.toLatin1().constData());
    if (!dpy)
        return -1;
    const int owners = (XGetSelectionOwner(dpy, XInternAtom(dpy, "CLIPBOARD", False)) != None ? 1 : 0) |
                       (XGetSelectionOwner(dpy, XA_PRIMARY) != None ? 2 : 0);
    XCloseDisplay(dpy);
    return owners;
}

bool selectionsHaveNoOwner(const QString& display)
{
    return selectionOwners(display) == 0;
}

QByteArray waitForLine(QProcess& process, const QByteArray& start)
{
    process.waitForStarted(20000);
    while (process.state() == QProcess::Running || process.canReadLine()) {
        if (!process.canReadLine() && !process.waitForReadyRead(20000))
            break;
        while (process.canReadLine()) {
            const QByteArray line = process.readLine().trimmed();
            if (line.startsWith(start))
                return line;
        }
    }
    return {};
}

} // namespace

// The program's multi-line text box under a real X server: a paste of nothing is nothing.
class TestPlainTextEdit : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        if (qEnvironmentVariableIsEmpty("ORVEL_TEST_DISPLAY"))
            QSKIP("no test X server (ORVEL_TEST_DISPLAY not set)");
    }

    void pasteFromAnEmptyClipboardInsertsNothing_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("copied");
        // Where the other program offers the text: "clipboard", "selection" or "both".
        QTest::addColumn<QString>("offeredIn");
        // Copied text goes away once the menu is open: the menu's Paste was enabled when shown.
        QTest::addColumn<bool>("ownerLeaves");
        QTest::addColumn<bool>("pastes");
        const QString copied = QStringLiteral("Grüße <b>bold</b>\n世界 ✓");
        const QString both = QStringLiteral("both");
        QTest::newRow("Ctrl+V, no clipboard") << QStringLiteral("ctrl+v") << QString() << both << false << false;
        QTest::newRow("Shift+Insert, no clipboard")
            << QStringLiteral("shift+insert") << QString() << both << false << false;
        QTest::newRow("middle click, no selection")
            << QStringLiteral("middle click") << QString() << both << false << false;
        QTest::newRow("menu Paste, owner gone") << QStringLiteral("menu") << copied << both << true << false;
        QTest::newRow("Ctrl+V, copied text") << QStringLiteral("ctrl+v") << copied << both << false << true;
        QTest::newRow("middle click, selected text")
            << QStringLiteral("middle click") << copied << both << false << true;
        // Each way reads its own source, whatever the other holds: a middle click the selection,
        // the keys the clipboard.
        const QString clipboard = QStringLiteral("clipboard");
        const QString selection = QStringLiteral("selection");
        QTest::newRow("middle click, only a selection")
            << QStringLiteral("middle click") << copied << selection << false << true;
        QTest::newRow("middle click, only a clipboard")
            << QStringLiteral("middle click") << copied << clipboard << false << false;
        QTest::newRow("Ctrl+V, only a clipboard") << QStringLiteral("ctrl+v") << copied << clipboard << false << true;
        QTest::newRow("Ctrl+V, only a selection") << QStringLiteral("ctrl+v") << copied << selection << false << false;
    }

    void pasteFromAnEmptyClipboardInsertsNothing()
    {
        QFETCH(QString, way);
        QFETCH(QString, copied);
        QFETCH(QString, offeredIn);
        QFETCH(bool, ownerLeaves);
        QFETCH(bool, pastes);
        Test::TestXServer server;
        QString error;
        QVERIFY2(server.start({}, &error), qPrintable(error));

        QProcess owner;
        if (!copied.isEmpty()) {
            owner.setProcessEnvironment(server.environment());
            owner.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kCopier), copied, offeredIn});
            QVERIFY(!waitForLine(owner, "ready").isEmpty());
            // The other one of the two has no owner at all, as on a desktop where nothing else
            // ever copied or selected.
            const int offered = offeredIn == QLatin1String("clipboard")   ? 1
                                : offeredIn == QLatin1String("selection") ? 2
                                                                          : 3;
            QCOMPARE(selectionOwners(server.display()), offered);
        } else {
            QVERIFY(selectionsHaveNoOwner(server.display()));
        }

        QProcess child;
        child.setProcessEnvironment(server.environment());
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kPasteChild), way});
        if (way == QLatin1String("menu")) {
            QCOMPARE(waitForLine(child, "menu open"), QByteArray("menu open, paste enabled"));
            if (ownerLeaves) {
                owner.closeWriteChannel();
                QVERIFY(owner.waitForFinished(10000));
                QTRY_VERIFY(selectionsHaveNoOwner(server.display()));
            }
            child.write("go\n");
        }
        const QByteArray pasted = waitForLine(child, "pasted:");
        if (child.state() != QProcess::NotRunning)
            QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(QByteArray::fromHex(pasted.mid(7))), pastes ? copied : QString());
        owner.closeWriteChannel();
        owner.waitForFinished(10000);
    }
};

int main(int argc, char** argv)
{
    const bool pasting = argc == 3 && qstrcmp(argv[1], kPasteChild) == 0;
    if (pasting || (argc == 4 && qstrcmp(argv[1], kCopier) == 0)) {
        Test::useDisplay(argv, qgetenv("DISPLAY"));
        QApplication app(argc, argv);
        const QString value = QString::fromLocal8Bit(argv[2]);
        return pasting ? pasteChild(value) : copier(value, QString::fromLatin1(argv[3]));
    }
    QApplication app(argc, argv);
    TestPlainTextEdit tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_PlainTextEdit.moc"
