#include "cards/KestrinCard.h"
#include "cards/KestrinCardPCCtrlEditor.h"
#include "cards/KestrinDeviceScreenUI.h"
#include "cards/KestrinDeviceUI.h"
#include "main/MainWindow.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "scene/SceneActionExPanel.h"
#include "scene/SceneFileChooser.h"
#include "scene/SceneOSCtrlOpenFile.h"
#include "support/CardsTestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

#include <memory>

using namespace OV;
using Json = nlohmann::json;

namespace {

// The one input of the command, web-page, file and typed-text pages.
QWidget* inputOf(SceneActionExPanel* page)
{
    if (auto* text = page->findChild<QPlainTextEdit*>())
        return text;
    return page->findChild<QLineEdit*>();
}

QString textOf(QWidget* input)
{
    if (auto* text = qobject_cast<QPlainTextEdit*>(input))
        return text->toPlainText();
    return qobject_cast<QLineEdit*>(input)->text();
}

// Clicks into the input and types at its end.
void typeInto(QWidget* input, const QString& text)
{
    QTest::mouseClick(input, Qt::LeftButton);
    QTest::keyClick(input, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(input, text);
}

} // namespace

// The edited-but-unsaved state of the PC-control card editors whose page is one text input:
// a change enables "Save"; "Reset" and a successful "Save" make the editor clean again.
class TestPcControlEditState : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<MainWindow> m_window;
    KestrinDeviceScreenUI* m_strip = nullptr;
    QStringList m_dialogs;

    KestrinCard* dropCard(const QString& typeId)
    {
        const Json payload = {
            {"config",
             {{"name", typeId.toStdString()}, {"typeId", typeId.toStdString()}, {"icon", ""}, {"extCmd", ""}}},
            {"from", "configPanel"},
            {"id", 0},
            {"widgetType", "pcCtrl"}};
        Test::dropOnStrip(m_strip, QByteArray::fromStdString(payload.dump()), QPoint(5000, 50));
        return m_strip->cardAt(m_strip->cardCount() - 1);
    }

    KestrinCardPCCtrlEditor* openEditor(KestrinCard* card)
    {
        MainWindow::clearEditPanel();
        card->showEditor();
        QCoreApplication::processEvents();
        return qobject_cast<KestrinCardPCCtrlEditor*>(m_window->editPanel());
    }

    Json storedParams(KestrinCard* card)
    {
        const auto found =
            ProjectManager::instance()->getProfileKsWidgetUseCase()->accessor->findById(card->bean()->id);
        if (!found.isOk() || !*found.data)
            return {};
        return (*found.data)->data.at("deploymentData").at("param").at("payload").at("params");
    }

private slots:
    void initTestCase()
    {
        Test::applyBaseTheme();
        MessageDialog::setAnswerProvider([this](MessageDialog& dialog) {
            m_dialogs << dialog.text();
            return 3;
        });
        QVERIFY(m_dir.isValid());
        ProjectManager* pm = ProjectManager::instance();
        QVERIFY(pm->createProject(QStringLiteral("state"), m_dir.path()).isOk());
        m_window = std::make_unique<MainWindow>();
        m_window->resize(1600, 960);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        MainWindow::setCurrentProfile(*pm->getProfileUseCase()->findFirst(QStringLiteral("true")).data);
        m_strip = m_window->findChild<KestrinDeviceUI*>()->screen();
    }

    void cleanupTestCase()
    {
        MainWindow::clearEditPanel();
        m_window.reset();
        SceneFileChooser::setProvider({});
    }

    void init() { m_dialogs.clear(); }

    void editResetSave_data()
    {
        QTest::addColumn<QString>("typeId");
        QTest::addColumn<QString>("key");
        QTest::newRow("command") << "execCmd"
                                 << "cmd";
        QTest::newRow("web page") << "openBrowser"
                                  << "url";
        QTest::newRow("file") << "openFile"
                              << "path";
        QTest::newRow("typed text") << "inputText"
                                    << "text";
    }

    void editResetSave()
    {
        QFETCH(QString, typeId);
        QFETCH(QString, key);
        KestrinCard* card = dropCard(typeId);
        QVERIFY(card);
        KestrinCardPCCtrlEditor* editor = openEditor(card);
        QVERIFY(editor);
        QPushButton* save = editor->saveButton();
        QPushButton* reset = editor->resetButton();
        QVERIFY(reset->isVisible());
        QWidget* input = inputOf(editor->page());
        QVERIFY(input);
        const QString before = textOf(input);
        QVERIFY(!save->isEnabled());
        QVERIFY(!editor->watcher()->isDirty());

        // An edit makes the editor dirty; "Reset" brings back the stored text and makes it clean.
        typeInto(input, QStringLiteral("first"));
        QVERIFY(save->isEnabled());
        QVERIFY(editor->watcher()->isDirty());
        QTest::mouseClick(reset, Qt::LeftButton);
        QCOMPARE(textOf(input), before);
        QVERIFY(!save->isEnabled());
        QVERIFY(!editor->watcher()->isDirty());

        // Dirty again after the reset; "Save" stores the edit and makes the editor clean.
        typeInto(input, QStringLiteral("second"));
        QVERIFY(save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
        QTRY_VERIFY(!save->isEnabled());
        QVERIFY(!editor->watcher()->isDirty());
        const QString saved = before + QStringLiteral("second");
        QCOMPARE(QString::fromStdString(storedParams(card).at(key.toStdString()).get<std::string>()), saved);
        QVERIFY(m_dialogs.isEmpty());

        // Another edit after the save counts again; "Reset" now goes back to the saved text.
        typeInto(input, QStringLiteral("third"));
        QVERIFY(save->isEnabled());
        QTest::mouseClick(reset, Qt::LeftButton);
        QCOMPARE(textOf(input), saved);
        QVERIFY(!save->isEnabled());

        // An edit left unsaved is gone when the card's editor is opened again, which opens clean.
        typeInto(input, QStringLiteral("dropped"));
        editor = openEditor(card);
        QVERIFY(editor);
        QCOMPARE(textOf(inputOf(editor->page())), saved);
        QVERIFY(!editor->saveButton()->isEnabled());
        QVERIFY(!editor->watcher()->isDirty());
    }

    // A path taken from the file or folder chooser is an edit; a cancelled chooser is none.
    void chosenPathIsAnEdit()
    {
        KestrinCard* card = dropCard(QStringLiteral("openFile"));
        KestrinCardPCCtrlEditor* editor = openEditor(card);
        QVERIFY(editor);
        auto* page = qobject_cast<SceneOSCtrlOpenFile*>(editor->page());
        QVERIFY(page);
        QString answer;
        SceneFileChooser::setProvider([&answer](const SceneFileChooser::Request&) { return answer; });
        for (QPushButton* button : {page->fileButton(), page->folderButton()}) {
            answer.clear();
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(!editor->saveButton()->isEnabled());
            answer = button == page->fileButton() ? QStringLiteral("/home/u/a.pdf") : QStringLiteral("/home/u/Music");
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(page->lineEdit()->text(), answer);
            QVERIFY(editor->saveButton()->isEnabled());
            QTest::mouseClick(editor->resetButton(), Qt::LeftButton);
            QVERIFY(page->lineEdit()->text().isEmpty());
            QVERIFY(!editor->saveButton()->isEnabled());
        }
        SceneFileChooser::setProvider({});
    }
};

ORVEL_WIDGET_TEST_MAIN(TestPcControlEditState, 1920, 1040)
#include "tst_PcControlEditState.moc"
