#include "cards/KSPluginWidgetGroup.h"
#include "cards/KSPluginWidgetItem.h"
#include "cards/KestrinCardEditor.h"
#include "cards/SimpleKestrinCard.h"
#include "core/ErrorCode.h"
#include "main/DelayOpMessageDialog.h"
#include "main/MainDeviceModule.h"
#include "main/MainKestrinDialog.h"
#include "main/MainKestrinWidget.h"
#include "main/MainProfileWidget.h"
#include "main/StartRecentListItem.h"
#include "main/StartWindow.h"
#include "module/ModuleAddDialogPogoPin.h"
#include "module/ModuleCommonKeyConfigPanel.h"
#include "module/ModuleDetailsDialog.h"
#include "module/ModuleOTADialog.h"
#include "module/ModuleRecordWriter.h"
#include "module/PelloraLayerItemWidget.h"
#include "module/PelloraWidgetItem.h"
#include "module/ScanWifiDialog.h"
#include "project/ProjectDbHostBean.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbPluginBean.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "scene/ActionConfigItem.h"
#include "scene/LoadedTreeItem.h"
#include "scene/LoadedTreeModel.h"
#include "scene/MainSceneActionListItemWidget.h"
#include "scene/ScenePluginChildWidgetListItem.h"
#include "scene/ScenePluginWidgetListItem.h"
#include "store/BaseDownloadDialog.h"
#include "store/MainUtils.h"
#include "store/PluginCloudItem.h"
#include "support/MainScreensTestUtils.h"
#include "support/OtaTestFile.h"
#include "support/ProjectTestUtils.h"
#include "support/StandInHttpServer.h"
#include "support/TestSetup.h"
#include "support/WidgetTestEnv.h"
#include "widgets/CollapsibleListWidget.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/ElidedLabel.h"
#include "widgets/MessageDialog.h"
#include "widgets/SelectableLabel.h"
#include "widgets/ToastWidget.h"
#include "widgets/WaitDialog.h"

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>

#include <functional>
#include <memory>

using namespace OV;
using Json = nlohmann::json;

namespace {

// What a reader sees of a text Qt shows in the format: markup is read as markup when the format,
// or for Qt::AutoText Qt's guess, says rich text (a tool tip is shown as Qt::AutoText).
QString seen(const QString& text, Qt::TextFormat format)
{
    if (format != Qt::RichText && (format != Qt::AutoText || !Qt::mightBeRichText(text)))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

// A text as written and as seen on screen.
struct Shown
{
    QString written;
    QString seen;
};

Shown byLabel(const QLabel* label)
{
    if (!label)
        return {QStringLiteral("(no label)"), QString()};
    // A cut label shows part of the whole; the part is as written when read as plain text.
    if (auto* elided = dynamic_cast<const ElidedLabel*>(label); elided && label->text() != elided->fullText)
        return {elided->fullText,
                label->textFormat() == Qt::PlainText ? elided->fullText : seen(label->text(), label->textFormat())};
    return {label->text(), seen(label->text(), label->textFormat())};
}

// A tool tip meant to show the text.
Shown byToolTip(const QString& tip, const QString& text)
{
    return {text, seen(tip, Qt::AutoText)};
}

// The label under the root that was given the text (the whole text, for a cut one).
const QLabel* labelGiven(const QWidget* root, const QString& text)
{
    for (const QLabel* label : root->findChildren<QLabel*>()) {
        const auto* elided = dynamic_cast<const ElidedLabel*>(label);
        if (label->text() == text || (elided && elided->fullText == text))
            return label;
    }
    return nullptr;
}

std::shared_ptr<ProjectDbPluginBean> widgetPlugin(const QString& name)
{
    auto plugin = std::make_shared<ProjectDbPluginBean>();
    plugin->k1 = QStringLiteral("markup-uuid");
    plugin->k2 = QStringLiteral("0");
    plugin->name = name;
    return plugin;
}

const Json kHotKeyParam = {{"output", 5}, {"keys", {224, 6}}};

QString swatch(const QString& colour)
{
    return QStringLiteral("<span style='color:%1;font-size:18px;'>\u25A0</span>").arg(colour);
}

// Opens the row helpers of the card editors.
class CardEditorProbe : public KestrinCardEditor
{
public:
    explicit CardEditorProbe(const QString& title = QStringLiteral("Probe"))
        : KestrinCardEditor(nullptr, title, "CardEditorProbe")
    {}
    using KestrinCardEditor::addFrameRow;
    using KestrinCardEditor::addRow;

protected:
    void load() override {}
};

} // namespace

// Names and texts from packages, the store listing, the hub, module records and project files
// are shown exactly as written wherever they reach a label, a row, a tool tip or a message.
class TestOutsideTextPlain : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_png;
    Test::StandInHttpServer m_server;
    QHash<QString, std::function<Shown(const QString&)>> m_places;

    static std::shared_ptr<ProjectDbProfileBean> profile(const QString& name)
    {
        auto bean = std::make_shared<ProjectDbProfileBean>();
        bean->id = 99;
        bean->name = name;
        return bean;
    }

    static std::shared_ptr<ProjectDbModuleBean> module(const QString& name)
    {
        auto bean = std::make_shared<ProjectDbModuleBean>();
        bean->id = 98;
        bean->productId = 0x10000001;
        bean->sn = QStringLiteral("SN-1");
        bean->name = name;
        return bean;
    }

    // A module record stored in the open project under the name, as the device row shows one.
    static std::shared_ptr<ProjectDbModuleBean> storedModule(const QString& name)
    {
        static int serial = 0;
        auto bean = module(name);
        bean->id = 0;
        bean->gatewayType = QStringLiteral("can");
        bean->sn = QStringLiteral("SN-TIP-%1").arg(++serial);
        ProjectModuleUseCase::BeanList beans{bean};
        return ModuleRecordWriter::add(beans).isOk() ? bean : nullptr;
    }

    // The tile's tool tip once its details window, opened from the tile, has done its work.
    static Shown moduleTileTipAfterDetails(const std::shared_ptr<ProjectDbModuleBean>& stored, const QString& name,
                                           const std::function<void(ModuleDetailsDialog&)>& work)
    {
        if (!stored)
            return {QStringLiteral("(not stored)"), QString()};
        MainDeviceModule tile(std::make_shared<ProjectDbModuleBean>(*stored));
        tile.onClickMenuDetail();
        QPointer<ModuleDetailsDialog> details;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<ModuleDetailsDialog*>(window); found && found->isVisible())
                details = found;
        }
        if (!details)
            return {QStringLiteral("(no details window)"), QString()};
        work(*details);
        const Shown shown = byToolTip(tile.toolTip(), name);
        if (details && details->isVisible())
            details->close();
        ModuleRecordWriter::remove(stored->id);
        return shown;
    }

    void addPlaces()
    {
        m_places[QStringLiteral("profile name")] = [](const QString& name) {
            MainProfileWidget widget;
            widget.setCurrentProfile(profile(name));
            return byLabel(widget.nameLabel());
        };
        m_places[QStringLiteral("profile tip")] = [](const QString& name) {
            MainProfileWidget widget;
            widget.setCurrentProfile(profile(name));
            return byToolTip(widget.toolTip(), name);
        };
        m_places[QStringLiteral("profile row")] = [](const QString& name) {
            MainProfileWidget owner;
            MainProfileWidget::ProfileItem row(&owner, profile(name), nullptr);
            return byLabel(labelGiven(&row, name));
        };
        m_places[QStringLiteral("profile delete title")] = [](const QString& name) {
            MainProfileWidget owner;
            DelayOpMessageDialog* dialog = owner.onClickDeleteProfile(profile(name));
            const Shown shown = byLabel(dialog->findChild<QLabel*>(QStringLiteral("windowTitle")));
            dialog->close();
            return shown;
        };
        m_places[QStringLiteral("plug-in group")] = [](const QString& name) {
            CollapsibleListWidget list;
            auto group = std::make_shared<KSPluginWidgetGroup>(&list, widgetPlugin(name));
            QWidget host;
            group->headerWidget(&host);
            return byLabel(labelGiven(group->header(), name));
        };
        m_places[QStringLiteral("plug-in button")] = [](const QString& name) {
            const Json button = {
                {"name", name.toStdString()}, {"icon", "file://icons/key.png"}, {"param", kHotKeyParam}};
            KSPluginWidgetItem row(nullptr, widgetPlugin(QStringLiteral("Keys")), button);
            return byLabel(labelGiven(&row, name));
        };
        m_places[QStringLiteral("action editor plug-in")] = [](const QString& name) {
            ScenePluginWidgetListItem row(widgetPlugin(name));
            return byLabel(labelGiven(&row, name));
        };
        m_places[QStringLiteral("action editor button")] = [](const QString& name) {
            const Json button = {
                {"name", name.toStdString()}, {"icon", "file://icons/key.png"}, {"param", kHotKeyParam}};
            ScenePluginChildWidgetListItem row(widgetPlugin(QStringLiteral("Keys")), button);
            return byLabel(labelGiven(&row, name));
        };
        const auto storeTile = [](const char* field) {
            return [field](const QString& name) {
                Json record = {{"identifier", "plug-1"}, {"sha256", ""},        {"file", "http://127.0.0.1:9/p.zip"},
                               {"versionName", "1.0"},   {"versionCode", 1},    {"pluginType", 0},
                               {"name", "Clock"},        {"author", "Brelvik"}, {"desc", "Shows the time."}};
                record[field] = name.toStdString();
                PluginCloudItem tile;
                tile.setData(record);
                return byLabel(labelGiven(&tile, name));
            };
        };
        m_places[QStringLiteral("store name")] = storeTile("name");
        m_places[QStringLiteral("store author")] = storeTile("author");
        m_places[QStringLiteral("store description")] = storeTile("desc");
        m_places[QStringLiteral("module tile tip")] = [](const QString& name) {
            MainDeviceModule tile(module(name));
            return byToolTip(tile.toolTip(), name);
        };
        m_places[QStringLiteral("module tile tip after rename")] = [](const QString& name) {
            return moduleTileTipAfterDetails(storedModule(QStringLiteral("Desk")), name, [&name](auto& details) {
                details.onClickRename();
                details.renameEdit()->setText(name);
                details.renameDialog()->button2->click();
            });
        };
        // Renamed in another window while the tile showed the old name: closing the details
        // window shows the stored one.
        m_places[QStringLiteral("module tile tip after details close")] = [](const QString& name) {
            const auto stored = storedModule(name);
            if (stored)
                stored->name = QStringLiteral("Desk");
            return moduleTileTipAfterDetails(stored, name, [](auto& details) { details.close(); });
        };
        m_places[QStringLiteral("module details")] = [](const QString& name) {
            ModuleDetailsDialog dialog(module(name));
            return byLabel(dialog.nameLabel());
        };
        m_places[QStringLiteral("hub name")] = [](const QString& name) {
            ProjectDbHostBean host;
            host.connType = QStringLiteral("tcp");
            host.name = name;
            host.ip = QStringLiteral("127.0.0.1");
            host.port = 1;
            host.sn = QStringLiteral("KS-MARKUP");
            if (!ProjectManager::instance()->getHostUseCase()->saveHost(host).isOk())
                return Shown{QStringLiteral("(host not stored)"), QString()};
            MainKestrinWidget widget;
            const Shown shown = byLabel(widget.nameLabel());
            ProjectManager::instance()->setCurrentKestrin(nullptr);
            return shown;
        };
        const auto hubRow = [](const QString& first, const QString& second, const QString& name) {
            MainKestrinDialog dialog(false);
            return byLabel(labelGiven(dialog.createRow(false, first, second), name));
        };
        m_places[QStringLiteral("hub search row")] = [hubRow](const QString& name) {
            return hubRow(name, QStringLiteral("KS-1"), name);
        };
        m_places[QStringLiteral("hub search serial")] = [hubRow](const QString& name) {
            return hubRow(QStringLiteral("10.0.0.2"), name, name);
        };
        m_places[QStringLiteral("wifi row")] = [](const QString& name) {
            ScanWifiDialog dialog;
            dialog.onWifiResult(
                Json::array({{{"name", name.toStdString()}, {"signal", "GOOD"}, {"frequency", "2.4G"}}}));
            return byLabel(labelGiven(&dialog, name));
        };
        m_places[QStringLiteral("action tree retry tip")] = [](const QString& name) {
            LoadedTreeModel model;
            model.setLoader([name](LoadedTreeItem*, const LoadedTreeModel::Done& done) {
                done(BaseResult<Json>::failure(Errors::byCode(6001), name));
            });
            LoadedTreeItem* root = model.appendRootNode();
            model.loadChildren(root);
            return root->rowCount() == 1
                       ? byToolTip(root->child(0)->toolTip(), QStringLiteral("Kestrin reply error, details: ") + name)
                       : Shown{};
        };
        m_places[QStringLiteral("action option unit")] = [](const QString& name) {
            const Json component = {{"id", "level"},
                                    {"name", "Level"},
                                    {"uiType", "input"},
                                    {"inputType", "int"},
                                    {"unit", name.toStdString()},
                                    {"min", 0},
                                    {"max", 9}};
            std::unique_ptr<ActionConfigItem> item(createActionConfigItem(component, nullptr));
            return byLabel(labelGiven(item.get(), name));
        };
        m_places[QStringLiteral("action row")] = [](const QString& name) {
            MainSceneActionListItemWidget row(name);
            return byLabel(row.label());
        };
        m_places[QStringLiteral("message")] = [](const QString& name) {
            MessageDialog dialog;
            dialog.setText(QStringLiteral("The profile %1 could not be stored.").arg(name));
            return byLabel(dialog.findChild<QLabel*>(QStringLiteral("messageText")));
        };
        m_places[QStringLiteral("toast")] = [](const QString& name) {
            ToastWidget toast;
            toast.setText(name);
            return byLabel(toast.findChild<QLabel*>(QStringLiteral("toastText")));
        };
        const auto card = [](const QString& name, bool tip) {
            auto bean = std::make_shared<ProjectDbProfileKsWidgetBean>();
            bean->widgetType = QStringLiteral("basic");
            SimpleKestrinCard widget(nullptr, bean);
            widget.setName(name);
            return tip ? byToolTip(widget.toolTip(), name) : byLabel(labelGiven(&widget, name));
        };
        m_places[QStringLiteral("card name")] = [card](const QString& name) { return card(name, false); };
        m_places[QStringLiteral("card tip")] = [card](const QString& name) { return card(name, true); };
        m_places[QStringLiteral("recent row")] = [this](const QString& name) {
            StartRecentListItem row(name, m_dir.path());
            return byLabel(row.nameLabel());
        };
        m_places[QStringLiteral("recent tip")] = [this](const QString& name) {
            // The name is a folder: the row's tool tip is the project's whole path.
            const QString folder = m_dir.filePath(name);
            ProjectManager::instance()->closeProject();
            if (!QDir().mkpath(folder) || Test::makeClosedProject(folder, QStringLiteral("plan")).isEmpty())
                return Shown{QStringLiteral("(no project in %1)").arg(folder), QString()};
            StartWindow window;
            QListWidget* list = window.recentList();
            auto* row =
                list->count() > 0 ? qobject_cast<StartRecentListItem*>(list->itemWidget(list->item(0))) : nullptr;
            return row ? byToolTip(row->clickArea()->toolTip(), folder + QStringLiteral("/plan.ovpf")) : Shown{};
        };
        m_places[QStringLiteral("selectable label")] = [](const QString& name) {
            SelectableLabel label;
            label.setText(name);
            return byLabel(&label);
        };
        m_places[QStringLiteral("wait dialog")] = [](const QString& name) {
            WaitDialog dialog;
            dialog.setText(name);
            return byLabel(dialog.findChild<QLabel*>(QStringLiteral("waitText")));
        };
        m_places[QStringLiteral("edit panel title")] = [](const QString& name) {
            CardEditorProbe editor(name);
            return byLabel(editor.titleLabel());
        };
        m_places[QStringLiteral("card editor row")] = [](const QString& name) {
            CardEditorProbe editor;
            editor.addRow(name, new QLineEdit);
            return byLabel(labelGiven(&editor, name));
        };
        m_places[QStringLiteral("card editor frame row")] = [](const QString& name) {
            QWidget frame;
            auto* column = new QVBoxLayout(&frame);
            CardEditorProbe::addFrameRow(&frame, column, name, new QLineEdit);
            return byLabel(labelGiven(&frame, name));
        };
        m_places[QStringLiteral("module key panel title")] = [](const QString& name) {
            EditStateWatcher watcher;
            ModuleCommonKeyConfigPanel panel(nullptr, &watcher);
            Json config = Json::object();
            panel.setKeyConfig(name, "click", 0, QString(), config);
            return byLabel(panel.titleLabel());
        };
        m_places[QStringLiteral("module list cell")] = [](const QString& name) {
            ModuleAddDialogPogoPin dialog({});
            dialog.onModuleListReceived({{"interfaceType", "can"},
                                         {"serialNumber", name.toStdString()},
                                         {"productId", 0x10000001},
                                         {"netId", 3},
                                         {"workMode", 1}});
            return byLabel(labelGiven(&dialog, name));
        };
        m_places[QStringLiteral("update file version")] = [this](const QString& name) {
            const QString path = m_dir.filePath(QStringLiteral("update.bin"));
            if (!Test::writeFileBytes(path, Test::makeOtaFile(0x10000001, Test::otaBody(2048), name.toUtf8(), 9)))
                return Shown{QStringLiteral("(no update file)"), QString()};
            ModuleOTADialog dialog(module(QStringLiteral("Desk")));
            ModuleOTADialog::setFileChooser([path] { return path; });
            dialog.chooseOtaFile();
            ModuleOTADialog::setFileChooser({});
            return byLabel(dialog.statusLabel());
        };
        m_places[QStringLiteral("download failure")] = [this](const QString& name) {
            BaseDownloadDialog dialog;
            dialog.url = QUrl(m_server.urlText(QStringLiteral("/") + name));
            dialog.filePath = m_dir.filePath(QStringLiteral("download.zip"));
            dialog.start();
            if (!QTest::qWaitFor([&dialog] { return dialog.statusText().startsWith(QLatin1String("Error")); }, 5000))
                return Shown{QStringLiteral("(no failure shown)"), QString()};
            return byLabel(dialog.findChild<QLabel*>(QStringLiteral("downloadStatus")));
        };
        m_places[QStringLiteral("screen cube layer")] = [](const QString& name) {
            PelloraLayerItemWidget row(1, name, false);
            return byLabel(labelGiven(&row, name));
        };
        m_places[QStringLiteral("screen cube widget")] = [](const QString& name) {
            PelloraWidgetItem item;
            item.updateItem({{"id", 1}, {"name", name.toStdString()}}, QPixmap(), {});
            return byLabel(item.nameLabel());
        };
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("xdg")).toLocal8Bit());
        // A download that fails quotes the address the server did not know.
        QVERIFY(m_server.start());
        Test::applyBaseTheme();
        MainUtils::setPluginRoot(m_dir.filePath(QStringLiteral("plugin")));
        // A picture that markup naming it would show.
        m_png = m_dir.filePath(QStringLiteral("shown.png"));
        QVERIFY(Test::writeFileBytes(m_png, Test::solidPng(Qt::red, 16, 16)));
        addPlaces();
    }

    void init()
    {
        if (ProjectManager::instance()->projectFileInfo().filePath().isEmpty())
            QVERIFY(Test::openFreshProject(m_dir.path(), QStringLiteral("markup")));
    }

    void cleanupTestCase()
    {
        ProjectManager::instance()->setCurrentKestrin(nullptr);
        ProjectManager::instance()->closeProject();
    }

    void shownAsWritten_data()
    {
        QTest::addColumn<QString>("name");
        const QString image = QStringLiteral("<img src='%1'>").arg(m_png);
        QTest::newRow("profile name") << "<b>Work</b>";
        QTest::newRow("profile tip") << "<b>Work</b>";
        QTest::newRow("profile tip, escaped") << "&lt;b&gt;Work";
        QTest::newRow("profile row") << image;
        QTest::newRow("profile delete title") << "<i>Evening</i>";
        QTest::newRow("plug-in group") << "<h1>Keys</h1>";
        QTest::newRow("plug-in button") << image;
        QTest::newRow("action editor plug-in") << "<b>Keys</b>";
        QTest::newRow("action editor button") << "<font color=red>Copy</font>";
        QTest::newRow("store name") << "<b>Weather</b>";
        QTest::newRow("store author") << image;
        QTest::newRow("store description") << "<h1>Big</h1> news";
        QTest::newRow("module tile tip") << image;
        QTest::newRow("module tile tip, plain") << "R&amp;D desk";
        QTest::newRow("module tile tip after rename") << "<b>Desk</b> <i>2</i>";
        QTest::newRow("module tile tip after details close") << image;
        QTest::newRow("module details") << "<b>Desk</b>";
        QTest::newRow("hub name") << "<b>Hub</b>";
        QTest::newRow("hub search row") << "<u>Study</u>";
        QTest::newRow("hub search serial") << "<b>KS-2</b>";
        QTest::newRow("wifi row") << "<h1>Cafe</h1>";
        QTest::newRow("action tree retry tip") << "<b>busy</b>";
        QTest::newRow("action option unit") << "<sup>cm</sup>";
        QTest::newRow("action row") << "[<b>Lamp</b>] On";
        QTest::newRow("message") << image;
        QTest::newRow("toast") << "<b>Work</b> saved";
        QTest::newRow("card name") << "<b>Clock</b>";
        QTest::newRow("card tip") << image;
        QTest::newRow("recent row") << "<b>plan</b>";
        QTest::newRow("recent tip") << "<h1>Desk";
        QTest::newRow("selectable label") << "<b>Ctrl</b>";
        QTest::newRow("wait dialog") << "Saving <b>Work</b>";
        QTest::newRow("edit panel title") << "<h1>Clock</h1>";
        QTest::newRow("card editor row") << "<b>Name</b>";
        QTest::newRow("card editor frame row") << image;
        QTest::newRow("module key panel title") << "<b>Night</b>-<i>Play</i>";
        QTest::newRow("module list cell") << "<b>SN-7</b>";
        QTest::newRow("update file version") << "<b>9</b>";
        QTest::newRow("download failure") << "&lt;b&gt;gone.zip";
        QTest::newRow("screen cube layer") << "<b>Night</b>";
        QTest::newRow("screen cube widget") << image;
    }

    void shownAsWritten()
    {
        // The place is the row's name up to a comma.
        const QString place = QString::fromLatin1(QTest::currentDataTag()).section(QStringLiteral(", "), 0, 0);
        QFETCH(QString, name);
        QVERIFY(m_places.contains(place));
        const Shown shown = m_places.value(place)(name);
        QVERIFY2(shown.written.contains(name), qPrintable(shown.written));
        QCOMPARE(shown.seen, shown.written);
    }

    // An action's description as stored: the colour picker's swatch is drawn, every other part
    // (names and option texts from the hub, what the user typed) is shown as written.
    void actionDescription_data()
    {
        QTest::addColumn<QString>("description");
        // The colours of its swatches, as written.
        QTest::addColumn<QStringList>("swatches");
        const QString image = QStringLiteral("<img src='%1'>").arg(m_png);
        QTest::newRow("swatch beside markup")
            << "[<b>Lamp</b>] " + image + " -> " + swatch("#3d7eff") << QStringList{"#3d7eff"};
        QTest::newRow("spaces kept") << "Label:   hi  ; Colour: " + swatch("#ffffff") << QStringList{"#ffffff"};
        QTest::newRow("two swatches, capitals")
            << swatch("#00FF00") + " & " + swatch("#ff0000") << QStringList{"#00FF00", "#ff0000"};
        QTest::newRow("no swatch") << QStringLiteral("<h1>Scene</h1> -> On") << QStringList{};
        QTest::newRow("text after the last swatch")
            << swatch("#3d7eff") + " <b>dim</b> & <i>warm</i>" << QStringList{"#3d7eff"};
        QTest::newRow("span of another shape")
            << QStringLiteral("<span style='color:red;font-size:18px;'>\u25A0</span>") << QStringList{};
        QTest::newRow("swatch with markup inside")
            << QStringLiteral("<span style='color:#123456;font-size:18px;'><b>x</b></span>") << QStringList{};
    }

    void actionDescription()
    {
        QFETCH(QString, description);
        QFETCH(QStringList, swatches);
        MainSceneActionListItemWidget row(description);
        QString expected = description;
        QStringList expectedColours;
        for (const QString& colour : swatches) {
            expected.replace(swatch(colour), QStringLiteral("\u25A0"));
            expectedColours << colour.toLower();
        }
        QCOMPARE(byLabel(row.label()).seen, expected);
        QStringList drawn;
        if (row.label()->textFormat() == Qt::RichText) {
            QTextDocument document;
            document.setHtml(row.label()->text());
            for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
                for (auto it = block.begin(); !it.atEnd(); ++it) {
                    const QTextFragment fragment = it.fragment();
                    QVERIFY(!fragment.charFormat().isImageFormat());
                    if (fragment.text() == QStringLiteral("\u25A0"))
                        drawn << fragment.charFormat().foreground().color().name();
                }
            }
        }
        QCOMPARE(drawn, expectedColours);
    }
};

ORVEL_WIDGET_TEST_MAIN(TestOutsideTextPlain, 1920, 1040)
#include "tst_OutsideTextPlain.moc"
