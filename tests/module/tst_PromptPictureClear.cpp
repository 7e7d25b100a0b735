// A prompt picture cleared in a module event and saved is gone from the project: the record
// and the stored file agree, and an editor opened again shows no picture.

#include "main/MainWindow.h"
#include "module/ModuleCommonKeyConfigPanel.h"
#include "module/ModulePipwickProfileEditor.h"
#include "module/ModuleProfileEditor.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "scene/MainSceneActionConfigWidget.h"
#include "support/MainScreensTestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/MessageDialog.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace OV;

namespace {

BaseResult<void> saveNow(ModuleProfileEditor& editor)
{
    BaseResult<void> out(Errors::Unknown, QStringLiteral("not called"));
    editor.save([&](const BaseResult<void>& result) { out = result; });
    return out;
}

QPixmap picture()
{
    QPixmap pixmap(24, 24);
    pixmap.fill(QColor(30, 160, 90));
    return pixmap;
}

} // namespace

class TestPromptPictureClear : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<MainWindow> m_window;

    std::shared_ptr<ProjectDbModuleBean> storedModule(int64_t id)
    {
        const auto found = ProjectManager::instance()->getModuleUseCase()->accessor->findById(id);
        return found.isOk() ? *found.data : nullptr;
    }

    bool fileStored(int64_t owner, const QString& name)
    {
        const auto names = ProjectManager::instance()->getModuleUseCase()->accessor->database()->findAllFileName(owner);
        return names.isOk() && std::find(names.data->begin(), names.data->end(), name) != names.data->end();
    }

private slots:
    void initTestCase()
    {
        Test::applyBaseTheme();
        MessageDialog::setAnswerProvider([](MessageDialog&) { return 3; });
        QVERIFY(Test::openFreshProject(m_dir.path(), QStringLiteral("Prompt")));
        m_window = std::make_unique<MainWindow>();
        QVERIFY(MainWindow::currentProfile());
    }

    void cleanupTestCase()
    {
        m_window.reset();
        ProjectManager::instance()->closeProject();
        MessageDialog::setAnswerProvider({});
    }

    void clearedPictureLeavesTheProject()
    {
        const std::vector<int64_t> ids = Test::addModules({QStringLiteral("PW-PROMPT")});
        QCOMPARE(ids.size(), size_t(1));
        const int64_t id = ids.front();
        const std::string key = ModuleProfileEditor::currentProfileKey().toStdString();

        QString path;
        {
            ModulePipwickProfileEditor editor(nullptr, storedModule(id));
            MainSceneActionConfigWidget* widget = editor.panel()->configWidget();
            path = widget->promptIconPath();
            QVERIFY(path.endsWith(QStringLiteral("-button1-click-promptIcon")));
            widget->onImagePicked(QStringLiteral("http://127.0.0.1:9/icons/leaf.png"), picture());
            QVERIFY(saveNow(editor).isOk());
        }
        QVERIFY(fileStored(id, path));
        {
            ModulePipwickProfileEditor editor(nullptr, storedModule(id));
            MainSceneActionConfigWidget* widget = editor.panel()->configWidget();
            QVERIFY(!widget->iconButton()->icon().isNull());
            widget->clearImage();
            QVERIFY(saveNow(editor).isOk());
        }
        QVERIFY2(!fileStored(id, path), "the cleared picture is still stored");
        const nlohmann::json event = storedModule(id)->data["profiles"][key]["button1"]["click"];
        QVERIFY(event.at("promptDialogBg") == "");

        // Opened again, the editor shows what the record says: no picture.
        ModulePipwickProfileEditor again(nullptr, storedModule(id));
        QVERIFY(again.panel()->configWidget()->iconButton()->icon().isNull());
        QCOMPARE(again.panel()->configWidget()->iconButton()->text(), QStringLiteral("+"));
    }
};

ORVEL_WIDGET_TEST_MAIN(TestPromptPictureClear, 1920, 1040)
#include "tst_PromptPictureClear.moc"
