#include "scene/HotKeyListener.h"
#include "scene/HotKeyRecorder.h"
#include "scene/HotKeyRecorderKeyboardBlocker.h"
#include "scene/HotKeySelector.h"
#include "scene/KeyboardWidget.h"
#include "support/WidgetTestEnv.h"
#include "widgets/SelectableLabel.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using namespace OV;

namespace {

// Physical keys (X11 key codes) of the keys used here.
enum Scan : quint32 {
    ScanA = 38,
    ScanB = 56,
    Scan1 = 10,
    ScanCtrl = 37,
    ScanShift = 50,
    ScanShiftRight = 62,
    ScanKeypad1 = 87,
    ScanKeypadStar = 63,
    ScanSleep = 150,
    ScanWake = 151,
};

void key(QWidget* target, QEvent::Type type, int qtKey, quint32 scan, const QString& text = {},
         Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(type, qtKey, modifiers, scan, 0, 0, text);
    QApplication::sendEvent(target, &event);
}

} // namespace

class TestHotKeyRecording : public QObject
{
    Q_OBJECT

    QWidget window;
    HotKeyRecorder* recorder = nullptr;
    QLineEdit* other = nullptr;
    int changes = 0;

    void press(int qtKey, quint32 scan, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        key(QApplication::focusWidget(), QEvent::KeyPress, qtKey, scan, text, mods);
    }
    void release(int qtKey, quint32 scan, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        key(QApplication::focusWidget(), QEvent::KeyRelease, qtKey, scan, text, mods);
    }
    void releaseAll() { recorder->listener()->clearPressed(); }

private slots:
    void initTestCase()
    {
        Test::applyBaseTheme();
        window.setObjectName(QStringLiteral("window"));
        window.setAttribute(Qt::WA_StyledBackground);
        auto* layout = new QVBoxLayout(&window);
        recorder = new HotKeyRecorder(&window);
        other = new QLineEdit(&window);
        layout->addWidget(recorder);
        layout->addWidget(other);
        recorder->onChanged = [this] { ++changes; };
        window.resize(600, 320);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    void init()
    {
        QApplication::setActiveWindow(&window);
        recorder->keyBox()->setFocus();
        QTRY_VERIFY(recorder->keyBox()->hasFocus());
        releaseAll();
        changes = 0;
    }

    void combinations_data()
    {
        QTest::addColumn<QList<int>>("keys"); // Qt keys pressed in turn (negative: released)
        QTest::addColumn<QList<int>>("scans");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QString>("desc");
        QTest::newRow("ctrl shift a") << QList<int>{Qt::Key_Control, Qt::Key_Shift, Qt::Key_A}
                                      << QList<int>{ScanCtrl, ScanShift, ScanA} << QList<int>{224, 225, 4}
                                      << "[Ctrl] + [Shift] + [A]";
        QTest::newRow("a then ctrl") << QList<int>{Qt::Key_A, Qt::Key_Control} << QList<int>{ScanA, ScanCtrl}
                                     << QList<int>{224, 4} << "[Ctrl] + [A]";
        QTest::newRow("a up, b down") << QList<int>{Qt::Key_Control, Qt::Key_A, -Qt::Key_A, Qt::Key_B}
                                      << QList<int>{ScanCtrl, ScanA, ScanA, ScanB} << QList<int>{224, 5}
                                      << "[Ctrl] + [B]";
        QTest::newRow("keypad 1") << QList<int>{Qt::Key_1} << QList<int>{ScanKeypad1} << QList<int>{30} << "[1]";
        QTest::newRow("keypad star") << QList<int>{Qt::Key_Asterisk} << QList<int>{ScanKeypadStar} << QList<int>{85}
                                     << "[Keypad *]";
        QTest::newRow("shift 1") << QList<int>{Qt::Key_Shift, Qt::Key_Exclam} << QList<int>{ScanShift, Scan1}
                                 << QList<int>{225, 30} << "[Shift] + [1]";
        QTest::newRow("both shifts once")
            << QList<int>{Qt::Key_Shift, Qt::Key_Shift, Qt::Key_A} << QList<int>{ScanShift, ScanShiftRight, ScanA}
            << QList<int>{225, 4} << "[Shift] + [A]";
        QTest::newRow("sleep") << QList<int>{Qt::Key_Sleep} << QList<int>{ScanSleep} << QList<int>{20130} << "[Sleep]";
        QTest::newRow("wake") << QList<int>{Qt::Key_WakeUp} << QList<int>{ScanWake} << QList<int>{20131} << "[Wake]";
    }

    void combinations()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QList<int>, scans);
        QFETCH(QList<int>, codes);
        QFETCH(QString, desc);
        for (int i = 0; i < keys.size(); ++i) {
            if (keys[i] < 0)
                release(-keys[i], quint32(scans[i]));
            else
                press(keys[i], quint32(scans[i]));
        }
        QCOMPARE(recorder->keyCodes, codes);
        QCOMPARE(recorder->description, desc);
        QCOMPARE(recorder->keyBox()->text(), desc);
        QCOMPARE(changes, int(std::count_if(keys.begin(), keys.end(), [](int k) { return k > 0; })));
    }

    void firstPressesReportAsTheyCome()
    {
        QStringList seen;
        recorder->onChanged = [&] { seen << recorder->description; };
        press(Qt::Key_Control, ScanCtrl);
        press(Qt::Key_Shift, ScanShift);
        recorder->onChanged = [this] { ++changes; };
        QCOMPARE(seen, (QStringList{"[Ctrl]", "[Ctrl] + [Shift]"}));
    }

    void shiftedKeyNeverSticks_data()
    {
        QTest::addColumn<bool>("shiftFirst");
        QTest::newRow("shift released first") << true;
        QTest::newRow("1 released first") << false;
    }

    void shiftedKeyNeverSticks()
    {
        QFETCH(bool, shiftFirst);
        press(Qt::Key_Shift, ScanShift);
        press(Qt::Key_Exclam, Scan1, QStringLiteral("!"), Qt::ShiftModifier);
        if (shiftFirst) {
            release(Qt::Key_Shift, ScanShift);
            release(Qt::Key_1, Scan1, QStringLiteral("1")); // Shift is up: the key now reads "1"
        } else {
            release(Qt::Key_Exclam, Scan1, QStringLiteral("!"), Qt::ShiftModifier);
            release(Qt::Key_Shift, ScanShift);
        }
        QVERIFY(!recorder->listener()->isHolding());
        QVERIFY(recorder->listener()->pressedKeys().isEmpty());
        press(Qt::Key_A, ScanA);
        QCOMPARE(recorder->keyCodes, QList<int>{4});
    }

    void keysElsewhereAreLeftAlone()
    {
        press(Qt::Key_A, ScanA);
        release(Qt::Key_A, ScanA);
        QCOMPARE(recorder->keyCodes, QList<int>{4});
        // The key box selected: no other widget receives keys.
        key(other, QEvent::KeyPress, Qt::Key_X, 53, QStringLiteral("x"));
        key(other, QEvent::KeyRelease, Qt::Key_X, 53, QStringLiteral("x"));
        QVERIFY(other->text().isEmpty());
        QCOMPARE(recorder->keyCodes, QList<int>{27});
        QVERIFY(recorder->blocker()->isEnabled());

        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        QVERIFY(!recorder->blocker()->isEnabled());
        QTest::keyClicks(other, QStringLiteral("bc"));
        QCOMPARE(other->text(), QStringLiteral("bc"));
        QCOMPARE(recorder->keyCodes, QList<int>{27});
        other->clear();
    }

    void selectorRules_data()
    {
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QList<int>>("selected");
        QTest::newRow("five at most") << QList<int>{224, 4, 5, 6, 7, 8} << QList<int>{224, 4, 5, 6, 7};
        QTest::newRow("special alone") << QList<int>{224, 4, 5, 6, 7, 10226} << QList<int>{10226};
        QTest::newRow("special then key") << QList<int>{10226, 4} << QList<int>{4};
        QTest::newRow("twin refused") << QList<int>{228, 224, 4} << QList<int>{228, 4};
        QTest::newRow("twice once") << QList<int>{4, 4} << QList<int>{4};
    }

    void selectorRules()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(QList<int>, selected);
        KeyboardWidget keyboard;
        for (int code : clicks)
            keyboard.buttonFor(quint16(code))->click();
        QList<int> codes;
        for (const HidKeyDefinition& key : keyboard.selection())
            codes << key.code;
        QCOMPARE(codes, selected);
    }

    void selectorFinishAndReset()
    {
        recorder->manualButton()->click();
        HotKeySelector* selector = recorder->selector();
        QVERIFY(selector);
        QCOMPARE(selector->size(), QSize(1134, 780));
        QVERIFY(!selector->descriptionLabel()->isEnabled());
        QCOMPARE(selector->descriptionLabel()->text(), QStringLiteral("Select keys below to create your hotkey"));
        selector->keyboard()->buttonFor(224)->click();
        selector->keyboard()->buttonFor(4)->click();
        QCOMPARE(selector->descriptionLabel()->text(), QStringLiteral("[Ctrl] + [A]"));
        QCOMPARE(selector->descriptionLabel()->toolTip(), QStringLiteral("KeyCodes: [224] + [4]"));
        selector->finishButton()->click();
        QCOMPARE(recorder->keyCodes, (QList<int>{224, 4}));
        QCOMPARE(recorder->keyBox()->text(), QStringLiteral("[Ctrl] + [A]"));
        QCOMPARE(changes, 1);
        QTRY_VERIFY(!recorder->selector());

        // An empty selection finished clears the recorder.
        recorder->manualButton()->click();
        recorder->selector()->keyboard()->buttonFor(5)->click();
        recorder->selector()->resetButton()->click();
        QVERIFY(recorder->selector()->keyboard()->selection().isEmpty());
        recorder->selector()->finishButton()->click();
        QVERIFY(recorder->keyCodes.isEmpty());
        QVERIFY(recorder->keyBox()->text().isEmpty());
    }

    void screenshots()
    {
        const QString folder = Test::screenshotDir();
        if (folder.isEmpty())
            QSKIP("no screenshots asked for");
        press(Qt::Key_Control, ScanCtrl);
        press(Qt::Key_Shift, ScanShift);
        press(Qt::Key_S, 39);
        window.grab().save(QDir(folder).filePath(QStringLiteral("scene_hotkey_recorded.png")));
        recorder->manualButton()->click();
        HotKeySelector* selector = recorder->selector();
        for (int code : {224, 226, 76})
            selector->keyboard()->buttonFor(quint16(code))->click();
        QVERIFY(QTest::qWaitForWindowExposed(selector));
        selector->grab().save(QDir(folder).filePath(QStringLiteral("scene_hotkey_selector.png")));
        selector->close();
    }
};

ORVEL_WIDGET_TEST_MAIN(TestHotKeyRecording, 1600, 1000)
#include "tst_HotKeyRecording.moc"
