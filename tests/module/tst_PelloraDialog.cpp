// The screen cube's configuration window: layers, widget grid, widget editor, saving, and the
// Deploy upload against the stand-in hub.

#include "device/DeviceImage.h"
#include "main/DragFlowLayoutContainer.h"
#include "module/ModulePelloraDialog.h"
#include "module/ModulePelloraLayer.h"
#include "module/ModulePelloraWidget.h"
#include "module/ModulePelloraWidgetEditor.h"
#include "module/PelloraAddingItem.h"
#include "module/PelloraImageEditor.h"
#include "module/PelloraLayerItemWidget.h"
#include "module/PelloraWidgetButton.h"
#include "module/PelloraWidgetItem.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "support/ModuleTestEnv.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseWidgetSelectGroup.h"
#include "widgets/DragFlowLayout.h"
#include "widgets/MessageDialog.h"

#include <QApplication>
#include <QDir>
#include <QDragMoveEvent>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace OV;
using json = nlohmann::json;

namespace {

QPixmap picture(QColor color, int w = 200, int h = 160)
{
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(color);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRect(10, 10, w - 20, h - 20));
    return pixmap;
}

std::vector<int64_t> ids(const json& widgets)
{
    std::vector<int64_t> out;
    for (const json& widget : widgets)
        out.push_back(widget.at("id").get<int64_t>());
    return out;
}

} // namespace

class TestPelloraDialog : public QObject
{
    Q_OBJECT

    std::unique_ptr<Test::ModuleTestEnv> m_env;
    QStringList m_messages;
    int m_questionAnswer = 2; // "Don't Save"

    ModulePelloraDialog* openDialog(int64_t id)
    {
        auto* dialog = new ModulePelloraDialog(id);
        dialog->show();
        dialog->onTapSelected(1);
        return dialog;
    }

    void addLayer(ModulePelloraLayer* layer, const QString& name = {})
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        layer->onClickAddLayerBtn();
        if (!layer->openDialog())
            return;
        if (!name.isNull())
            layer->openDialog()->findChild<QLineEdit*>(QStringLiteral("nameEdit"))->setText(name);
        layer->openDialog()->button2->click();
        // A closed dialog is gone before the next one opens.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Adds a button through the widget editor, with a picture chosen at the default size.
    void addButton(ModulePelloraWidget* grid, QColor color)
    {
        grid->onClickAddingItem();
        ModulePelloraWidgetEditor* editor = grid->openEditor();
        QVERIFY(editor);
        editor->typeEditor()->imageEditor()->setIcon(picture(color), PelloraImageEditor::kDefaultPercent);
        editor->saveButton()->click();
    }

private slots:
    void initTestCase()
    {
        Test::applyBaseTheme();
        MessageDialog::setAnswerProvider([this](MessageDialog& dialog) {
            if (dialog.button2->isVisible())
                return m_questionAnswer;
            m_messages << dialog.text();
            return 3;
        });
        m_env = std::make_unique<Test::ModuleTestEnv>(QStringLiteral("127.0.0.63"));
        QVERIFY(m_env->isValid());
        QVERIFY(m_env->connectHub());
    }

    void cleanupTestCase() { m_env.reset(); }

    void init()
    {
        m_messages.clear();
        m_questionAnswer = 2;
    }

    void nextIds_data()
    {
        QTest::addColumn<int>("layer");
        QTest::addColumn<QByteArray>("widgets");
        QTest::addColumn<int>("widgetId");
        QTest::newRow("first on layer 3") << 3 << QByteArray("[]") << 301;
        QTest::newRow("gap filled") << 3 << QByteArray(R"([{"id":301},{"id":303}])") << 302;
        QTest::newRow("all taken") << 1
                                   << QByteArray(R"([{"id":101},{"id":102},{"id":103},{"id":104},{"id":105},)"
                                                 R"({"id":106}])")
                                   << 101;
    }

    void nextIds()
    {
        QFETCH(int, layer);
        QFETCH(QByteArray, widgets);
        QFETCH(int, widgetId);
        QCOMPARE(ModulePelloraWidget::nextWidgetId(layer, json::parse(widgets.toStdString())), int64_t(widgetId));
        QCOMPARE(ModulePelloraLayer::nextLayerId(json::parse(R"([{"id":1},{"id":2},{"id":4}])")), 3);
    }

    void replyTexts_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("text");
        const QString unknown = QStringLiteral("Upload error: unknown error.");
        QTest::newRow("ok") << QByteArray(R"({"state":200,"msg":"fine"})") << true
                            << "Upload succeeded. Please wait for Pellora to complete update.";
        QTest::newRow("ok without msg") << QByteArray(R"({"state":200})") << true
                                        << "Upload succeeded. Please wait for Pellora to complete update.";
        QTest::newRow("busy") << QByteArray(R"({"state":1,"msg":"x"})") << false
                              << "Upload error: Pellora is currently busy.";
        QTest::newRow("offline 4") << QByteArray(R"({"state":4,"msg":"x"})") << false
                                   << "Upload error: Pellora is not connected to the network.";
        QTest::newRow("other") << QByteArray(R"({"state":3,"msg":"disk full"})") << false << "Upload error: disk full";
        QTest::newRow("other without msg") << QByteArray(R"({"state":3})") << false << unknown;
        QTest::newRow("not json") << QByteArray("<html>") << false << unknown;
        QTest::newRow("state text") << QByteArray(R"({"state":"200","msg":""})") << false << unknown;
    }

    void replyTexts()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, success);
        QFETCH(QString, text);
        bool ok = !success;
        QCOMPARE(ModulePelloraLayer::deployReplyText(reply, &ok), text);
        QCOMPARE(ok, success);
    }

    void unloadableModuleThrows()
    {
        QString what;
        try {
            ModulePelloraDialog dialog(987654);
        } catch (const std::runtime_error& e) {
            what = QString::fromUtf8(e.what());
        }
        QCOMPARE(what, QStringLiteral("Record is not exists"));
    }

    // Layers: default star, limits, names, deletion; Cancel restores what was saved.
    void layerOperations()
    {
        auto cube =
            m_env->addModule(ProjectModuleUseCase::kPelloraProductId, QStringLiteral("PL-LAYERS"), json::object(), 40);
        QVERIFY(cube);
        QPointer<ModulePelloraDialog> dialog = openDialog(cube->id);
        ModulePelloraLayer* layer = dialog->layerPage();
        QVERIFY(layer);
        QVERIFY(layer->deployBar()->isVisible());
        layer->enterEdit();
        QVERIFY(!layer->deployBar()->isVisible());

        addLayer(layer, QStringLiteral("   "));
        QTRY_COMPARE(m_messages, QStringList{"[New Name] is empty"});
        QVERIFY(layer->openDialog());
        layer->openDialog()->close();
        for (int i = 0; i < 6; ++i)
            addLayer(layer);
        QCOMPARE(layer->rows().size(), 6);
        QVERIFY(layer->row(1)->isStarShown());
        QVERIFY(!layer->row(2)->isStarShown());
        QCOMPARE(layer->row(3)->name(), QStringLiteral("Layer 3"));
        addLayer(layer);
        QTRY_COMPARE(m_messages.last(), QStringLiteral("Maximum of 6 layer items allowed"));
        QCOMPARE(layer->rows().size(), 6);

        layer->setDefaultLayer(3);
        QVERIFY(layer->row(3)->isStarShown());
        QVERIFY(!layer->row(1)->isStarShown());
        layer->selectGroup()->widgetAt(2)->setSelected(true);
        QCOMPARE(layer->currentPage()->layerId(), 3);
        layer->deleteLayer(layer->row(3));
        QCOMPARE(layer->rows().size(), 5);
        QVERIFY(layer->row(1)->isStarShown());
        QCOMPARE(layer->selectGroup()->checkedWidget(), layer->row(1));
        layer->deleteLayer(layer->row(2));
        QVERIFY(layer->row(1)->isStarShown());

        // Adding proposes the gap.
        layer->onClickAddLayerBtn();
        QCOMPARE(layer->openDialog()->findChild<QLineEdit*>(QStringLiteral("nameEdit"))->text(),
                 QStringLiteral("Layer 2"));
        layer->openDialog()->close();

        QPointer<PelloraLayerItemWidget> first = layer->row(1);
        layer->saveEdit();
        QTRY_VERIFY(!layer->isEditing());
        auto stored = m_env->storedModule(cube->id);
        QCOMPARE(stored->data["dataConfig"]["layers"].size(), size_t(4));
        QCOMPARE(stored->extraConfig["dataConfig"]["defaultLayer"].get<int>(), 1);

        // Cancel drops everything since the save.
        layer->enterEdit();
        layer->deleteLayer(layer->row(1));
        addLayer(layer, QStringLiteral("Temporary"));
        layer->exitEdit(false);
        QTRY_VERIFY(!layer->isEditing());
        QCOMPARE(layer->rows().size(), 4);
        QVERIFY(layer->row(1)->isStarShown());
        QVERIFY(layer->layers() == stored->data["dataConfig"]["layers"]);
        dialog->close();
        QTRY_VERIFY(!dialog);
    }

    // The add-layer button and the "Add Widget" tile are drawn at 0.4 opacity while the editor is
    // in view mode (they are disabled then), from the first showing on, and whole while editing.
    void dimmedWhileDisabled()
    {
        const json layers = {
            {"layers",
             json::array(
                 {{{"uniqueId", "u1"}, {"id", 1}, {"name", "Home"}, {"default", true}, {"widgets", json::array()}}})}};
        auto cube = m_env->addModule(ProjectModuleUseCase::kPelloraProductId, QStringLiteral("PL-DIM"),
                                     {{"dataConfig", layers}}, 45);
        QVERIFY(cube);
        QPointer<ModulePelloraDialog> dialog = openDialog(cube->id);
        ModulePelloraLayer* layer = dialog->layerPage();
        QVERIFY(layer && layer->currentPage());
        QWidget* addLayer = layer->addLayerButton();
        QWidget* addWidgetIcon = layer->currentPage()->addingItem()->iconLabel();
        const auto opacity = [](QWidget* widget) {
            const auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget->graphicsEffect());
            return effect && effect->isEnabled() ? effect->opacity() : 1.0;
        };
        QVERIFY(!addLayer->isEnabled());
        QVERIFY(!addWidgetIcon->isEnabled());
        QCOMPARE(opacity(addLayer), 0.4);
        QCOMPARE(opacity(addWidgetIcon), 0.4);
        layer->enterEdit();
        QVERIFY(addLayer->isEnabled());
        QCOMPARE(opacity(addLayer), 1.0);
        QCOMPARE(opacity(addWidgetIcon), 1.0);
        layer->exitEdit(false);
        QTRY_VERIFY(!layer->isEditing());
        QCOMPARE(opacity(addLayer), 0.4);
        // Cancelling reloads the layers: the new grid's tile starts dimmed as well.
        QVERIFY(layer->currentPage());
        QCOMPARE(opacity(layer->currentPage()->addingItem()->iconLabel()), 0.4);
        dialog->close();
        QTRY_VERIFY(!dialog);
    }

    // Widgets: ids, limit, edit keeps id and uniqueId, reorder and deletion persist, files follow.
    void widgetGrid()
    {
        auto cube =
            m_env->addModule(ProjectModuleUseCase::kPelloraProductId, QStringLiteral("PL-GRID"), json::object(), 50);
        QVERIFY(cube);
        QPointer<ModulePelloraDialog> dialog = openDialog(cube->id);
        ModulePelloraLayer* layer = dialog->layerPage();
        layer->enterEdit();
        addLayer(layer);
        layer->selectGroup()->widgetAt(0)->setSelected(true);
        ModulePelloraWidget* grid = layer->currentPage();
        QVERIFY(grid);

        // Saving without a picture is refused and keeps the editor open.
        grid->onClickAddingItem();
        QPointer<ModulePelloraWidgetEditor> editor = grid->openEditor();
        QCOMPARE(editor->nameEdit()->text(), QStringLiteral("Widget 1"));
        QVERIFY(editor->typeRow()->isEnabled());
        if (const QString dir = Test::screenshotDir(); !dir.isEmpty())
            QVERIFY(editor->grab().save(dir + QStringLiteral("/pellora_widget_editor_new.png")));
        editor->saveButton()->click();
        QTRY_COMPARE(m_messages, QStringList{"Unconfigured button image"});
        QVERIFY(editor);
        editor->typeEditor()->imageEditor()->setIcon(picture(Qt::red), 60);
        editor->nameEdit()->setText(QStringLiteral("  "));
        editor->saveButton()->click();
        QTRY_COMPARE(m_messages.last(), QStringLiteral("Name is empty."));
        editor->nameEdit()->setText(QStringLiteral("Play"));
        editor->saveButton()->click();
        QTRY_VERIFY(!editor);
        for (QColor color : {Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta})
            addButton(grid, color);
        QCOMPARE(grid->items().size(), 6);
        grid->onClickAddingItem();
        QTRY_COMPARE(m_messages.last(), QStringLiteral("Maximum of 6 widget items allowed"));
        QCOMPARE(grid->items()[0]->widget()["name"].get<std::string>(), std::string("Play"));
        QCOMPARE(grid->items()[0]->widgetId(), int64_t(101));
        // 60 % of 240 px, the pressed image 80 % of that.
        const auto& images = grid->items()[0]->images();
        QCOMPARE(images.at(QStringLiteral("widget/101/unpressedIcon")).width(), 144);
        const QPixmap pressed = images.at(QStringLiteral("widget/101/pressedIcon"));
        QVERIFY(pressed.width() <= 115 && pressed.height() <= 92 && pressed.width() >= 114);

        const QString dir = Test::screenshotDir();
        grid->onEditItem(grid->items()[1]);
        editor = grid->openEditor();
        QVERIFY(!editor->typeRow()->isEnabled());
        if (!dir.isEmpty())
            QVERIFY(editor->grab().save(dir + QStringLiteral("/pellora_widget_editor.png")));
        const std::string uniqueId = grid->items()[1]->widget()["uniqueId"];
        editor->nameEdit()->setText(QStringLiteral("Renamed"));
        editor->typeEditor()->imageEditor()->zoomInButton()->click();
        editor->saveButton()->click();
        QTRY_VERIFY(!editor);
        QCOMPARE(grid->items()[1]->widgetId(), int64_t(102));
        QCOMPARE(grid->items()[1]->widget()["uniqueId"].get<std::string>(), uniqueId);
        QCOMPARE(grid->items()[1]->widget()["iconScalePercent"].get<int>(), 70);

        layer->saveEdit();
        QTRY_VERIFY(!layer->isEditing());
        const auto files = [&] {
            return ProjectManager::instance()
                ->getModuleUseCase()
                ->accessor->database()
                ->findAllFileName(cube->id)
                .data.value_or(std::vector<QString>())
                .size();
        };
        QCOMPARE(files(), size_t(18));

        // The third tile dragged first, the fourth deleted: both stick after saving.
        layer->enterEdit();
        grid = layer->currentPage();
        {
            // The third tile dragged onto the first: the tile's own drag data, the grid's drop.
            std::unique_ptr<QMimeData> mime(grid->items()[2]->createMimeData());
            QVERIFY(mime);
            QCOMPARE(mime->data(QStringLiteral("from")), QByteArray("2"));
            const QPoint target = grid->items()[0]->geometry().center();
            QDragEnterEvent enter(target, Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::KeyboardModifiers());
            QCoreApplication::sendEvent(grid->container(), &enter);
            QDragMoveEvent move(target, Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::KeyboardModifiers());
            QCoreApplication::sendEvent(grid->container(), &move);
            QCOMPARE(grid->container()->dropIndex(), 0);
            QDropEvent drop(QPointF(target), Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::KeyboardModifiers());
            QCoreApplication::sendEvent(grid->container(), &drop);
        }
        grid->deleteItem(grid->items()[3], grid->items()[3]->widgetId());
        layer->saveEdit();
        QTRY_VERIFY(!layer->isEditing());
        auto stored = m_env->storedModule(cube->id);
        QCOMPARE(ids(stored->data["dataConfig"]["layers"][0]["widgets"]),
                 (std::vector<int64_t>{103, 101, 102, 105, 106}));
        QCOMPARE(files(), size_t(15));
        QVERIFY(!ProjectManager::instance()
                     ->getModuleUseCase()
                     ->accessor->database()
                     ->loadFile(cube->id, QStringLiteral("widget/104/rawIcon"))
                     .isOk());
        if (!dir.isEmpty()) {
            dialog->onTapSelected(0);
            QVERIFY(dialog->grab().save(dir + QStringLiteral("/pellora_network.png")));
        }
        dialog->close();
        QTRY_VERIFY(!dialog);
        QVERIFY(!PelloraImageEditor::hasSharedPicker());
    }

    // Two layers and three buttons with images; "Deploy" sends the package the dialog shows.
    void deployEndToEnd()
    {
        auto cube = m_env->addModule(ProjectModuleUseCase::kPelloraProductId, QStringLiteral("PL-E2E"),
                                     {{"netConfig", {{"ssid", "Desk"}, {"password", "pw"}}}}, 60);
        QVERIFY(cube);
        QPointer<ModulePelloraDialog> dialog = openDialog(cube->id);
        ModulePelloraLayer* layer = dialog->layerPage();
        // The fixed-height button has room for its whole text.
        QPushButton* deploy = layer->deployButton();
        QTRY_VERIFY(deploy->isVisible());
        if (const QString dir = Test::screenshotDir(); !dir.isEmpty())
            QVERIFY(dialog->grab().save(dir + QStringLiteral("/pellora_layers_view_mode.png")));
        QVERIFY2(deploy->sizeHint().height() <= deploy->height(),
                 qPrintable(QStringLiteral("needs %1, has %2").arg(deploy->sizeHint().height()).arg(deploy->height())));
        QVERIFY(deploy->sizeHint().width() <= deploy->width());

        // No layers yet: nothing is uploaded.
        layer->onClickBtnDeploy();
        QTRY_COMPARE(m_messages, QStringList{"Pellora has no layers yet: there is nothing to deploy."});

        layer->enterEdit();
        addLayer(layer, QStringLiteral("Home"));
        addLayer(layer, QStringLiteral("Media"));
        layer->selectGroup()->widgetAt(0)->setSelected(true);
        addButton(layer->currentPage(), Qt::red);
        addButton(layer->currentPage(), Qt::green);
        layer->selectGroup()->widgetAt(1)->setSelected(true);
        addButton(layer->currentPage(), Qt::blue);
        layer->setDefaultLayer(2);
        QTest::qWait(20);
        if (!Test::screenshotDir().isEmpty())
            QVERIFY(dialog->grab().save(Test::screenshotDir() + QStringLiteral("/pellora_layers_widgets.png")));
        layer->saveEdit();
        QTRY_VERIFY(!layer->isEditing());

        m_messages.clear();
        layer->onClickBtnDeploy();
        QVERIFY(!layer->deployButton()->isEnabled());
        QTRY_COMPARE(m_messages.size(), 1);
        QTRY_COMPARE(m_messages[0], QStringLiteral("Upload succeeded. Please wait for Pellora to complete update."));
        QVERIFY(layer->deployButton()->isEnabled());
        const Test::StandinHubUploads::Upload upload = m_env->uploads().uploads().last();
        QCOMPARE(upload.serialNo, QStringLiteral("PL-E2E"));
        QCOMPARE(upload.fileName, QStringLiteral("config.tgz"));

        QDir unpacked(m_env->dir() + QStringLiteral("/unpacked"));
        QVERIFY(unpacked.mkpath(QStringLiteral(".")));
        QProcess tar;
        tar.start(QStringLiteral("tar"),
                  {QStringLiteral("xzf"), upload.savedAs, QStringLiteral("-C"), unpacked.path()});
        QVERIFY(tar.waitForFinished(10000));
        QCOMPARE(tar.exitCode(), 0);
        QFile config(unpacked.filePath(QStringLiteral("config.json")));
        QVERIFY(config.open(QIODevice::ReadOnly));
        QCOMPARE(config.readAll(),
                 QByteArray(R"({"dataConfig":{"defaultLayer":2,"layers":[{"id":1,"items":[)"
                            R"({"id":101,"type":1},{"id":102,"type":1}]},{"id":2,"items":[)"
                            R"({"id":201,"type":1}]}]},"netConfig":{"password":"pw","ssid":"Desk"}})"));
        const auto db = ProjectManager::instance()->getModuleUseCase()->accessor->database();
        for (int id : {101, 102, 201}) {
            for (const auto& [bin, name] :
                 {std::pair{"default.bin", "unpressedIcon"}, {"pressed.bin", "pressedIcon"}}) {
                QFile file(unpacked.filePath(QStringLiteral("com_res%1/%2").arg(id).arg(QLatin1String(bin))));
                QVERIFY(file.open(QIODevice::ReadOnly));
                QPixmap stored;
                stored.loadFromData(*db->loadFile(cube->id, QStringLiteral("widget/%1/%2").arg(id).arg(name)).data);
                QCOMPARE(file.readAll(), encodeDeviceImage(stored));
            }
        }

        // Each state the hub may answer, then silence until the total time-out.
        const QList<std::pair<int, QString>> states{
            {1, QStringLiteral("Upload error: Pellora is currently busy.")},
            {2, QStringLiteral("Upload error: Pellora is not connected to the network.")},
            {7, QStringLiteral("Upload error: no room")}};
        for (const auto& [state, text] : states) {
            m_messages.clear();
            m_env->uploads().failWith(state, QStringLiteral("no room"));
            layer->onClickBtnDeploy();
            QTRY_COMPARE(m_messages.size(), 1);
            QTRY_COMPARE(m_messages[0], text);
        }
        const QString dir = Test::screenshotDir();
        m_env->uploads().succeed();
        if (!dir.isEmpty()) {
            MessageDialog* shown =
                MessageDialog::error(QStringLiteral("Upload error: Pellora is currently busy."), false);
            QVERIFY(shown->grab().save(dir + QStringLiteral("/pellora_upload_error.png")));
            delete shown;
        }
        m_messages.clear();
        m_env->uploads().server()->route(QStringLiteral("/upload"), Test::HttpReply::silent());
        layer->onClickBtnDeploy();
        QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 1, 15000);
        QVERIFY(m_messages[0].startsWith(QStringLiteral("Deploy error: ")));
        QVERIFY(m_messages[0].contains(QStringLiteral("timeout")));
        QVERIFY(layer->deployButton()->isEnabled());
        dialog->close();
    }
};

ORVEL_WIDGET_TEST_MAIN(TestPelloraDialog, 1600, 1000)
#include "tst_PelloraDialog.moc"
