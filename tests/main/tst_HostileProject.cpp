// A project file is a document users receive from others: every stored value of another type and
// every hostile stored package is opened into the real main window, every tile, card, editor and
// the cube window is opened, and a deploy runs. The program never ends, never lets an exception
// leave an event handler, and the file stays as it was.
#include "cards/KestrinCard.h"
#include "cards/KestrinDeviceScreenUI.h"
#include "cards/KestrinDeviceUI.h"
#include "cards/KestrinDragWidget.h"
#include "cards/KestrinWidgetListPanel.h"
#include "cards/WidgetListGroupItem.h"
#include "core/Application.h"
#include "core/Logger.h"
#include "core/WorkerThreads.h"
#include "device/KestrinDevice.h"
#include "main/MainDeviceListWidget.h"
#include "main/MainDeviceModule.h"
#include "main/MainWindow.h"
#include "module/ModuleProfileEditor.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "scene/MainSceneActionConfigWidget.h"
#include "scene/SceneActionListWidget.h"
#include "store/MainUtils.h"
#include "support/CardsTestUtils.h"
#include "support/HostileZip.h"
#include "support/ModuleTestEnv.h"
#include "support/ProjectRawSqlite.h"
#include "support/TestSetup.h"
#include "support/TestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/MessageDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>

using namespace OV;
using json = nlohmann::json;

namespace {

const char* kButtons = "[{\"id\":\"k1\",\"name\":\"Copy\",\"icon\":\"file://icons/key.png\","
                       "\"param\":{\"output\":5,\"keys\":[224,6]}}]";
const char* kEscaped = "exception escaped an event handler";

// What a stored row holds, as text.
struct Row
{
    qlonglong id = 0;
    QString type;
    QString columns;
    QString data;
};

// The replacement values, one of each JSON kind.
const json& replacement(int kind)
{
    static const json values[] = {json::object(), json::array(), json("x"), json(7), json(nullptr)};
    return values[kind % 5];
}

int kindOf(const json& value)
{
    if (value.is_object())
        return 0;
    if (value.is_array())
        return 1;
    if (value.is_string())
        return 2;
    if (value.is_number())
        return 3;
    if (value.is_null())
        return 4;
    return 5; // booleans: every replacement differs
}

void collectPointers(const json& value, const json::json_pointer& at, std::vector<json::json_pointer>& out)
{
    out.push_back(at);
    if (value.is_object()) {
        for (auto it = value.begin(); it != value.end(); ++it)
            collectPointers(it.value(), at / it.key(), out);
    } else if (value.is_array()) {
        for (std::size_t i = 0; i < value.size(); ++i)
            collectPointers(value[i], at / i, out);
    }
}

QString snapshot(const QString& file)
{
    Test::ProjectRawSqlite db(file);
    QList<QVariantList> rows;
    db.run(QStringLiteral("SELECT id, type, k1, k2, k3, k4, columns, data, sort_id FROM json_store ORDER BY id"), {},
           &rows);
    db.run(QStringLiteral("SELECT owner_id, file_name, hex(data) FROM file_store ORDER BY owner_id, file_name"), {},
           &rows);
    QStringList text;
    for (const QVariantList& row : rows) {
        QStringList fields;
        for (const QVariant& field : row)
            fields << field.toString();
        text << fields.join(u'|');
    }
    return text.join(u'\n');
}

} // namespace

class TestHostileProject : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<Test::ModuleTestEnv> m_env;
    QString m_template;
    QList<Row> m_rows;
    QStringList m_messages;
    int m_variants = 0;
    QStringList m_thrown;
    QString m_label;

    QString workFile(const QString& name) const
    {
        return m_env->dir() + QLatin1Char('/') + name + QStringLiteral(".ovpf");
    }

    static void settle(int ms = 0)
    {
        QCoreApplication::processEvents();
        if (ms > 0)
            QTest::qWait(ms);
        QCoreApplication::processEvents();
    }

    static void closeWindows()
    {
        for (int round = 0; round < 3; ++round) {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->isVisible() && w != MainWindow::instance())
                    w->close();
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
    }

    MainWindow* openMain(const QString& file)
    {
        const BaseResult<void> opened = ProjectManager::instance()->openProject(file);
        if (!opened.isOk()) {
            m_messages << opened.message;
            return nullptr;
        }
        auto* main = new MainWindow(nullptr);
        main->show();
        settle();
        return main;
    }

    void closeMain(MainWindow* main)
    {
        closeWindows();
        delete main;
        closeWindows();
        ProjectManager::instance()->setCurrentKestrin(nullptr);
        ProjectManager::instance()->closeProject();
        WorkerThreads::waitAll();
        settle();
    }

    // Runs a call the user's click would make; an exception out of it is what would leave the
    // event handler, so it is collected as a finding.
    void attempt(const char* what, const std::function<void()>& call)
    {
        try {
            call();
        } catch (const std::exception& e) {
            m_thrown << QStringLiteral("%1: %2 [%3]").arg(QLatin1String(what), QString::fromUtf8(e.what()), m_label);
        }
    }

    static void press(QWidget* widget)
    {
        if (!widget)
            return;
        const QPoint at(qMax(1, widget->width() / 2), qMax(1, widget->height() / 2));
        QTest::mousePress(widget, Qt::LeftButton, {}, at);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }

    // Every tile and card selected, every editor, the details and the cube window opened, then
    // a deploy against the stand-in hub.
    void exercise(MainWindow* main)
    {
        auto* devices = main->findChild<MainDeviceListWidget*>();
        QVERIFY(devices);
        // A damaged host record keeps the hub away: the deploy is then refused.
        const bool ready = QTest::qWaitFor(
            [] {
                const auto device = ProjectManager::instance()->getCurrentKestrin();
                return !device || device->isReady();
            },
            1500);
        Q_UNUSED(ready);
        press(devices->hubTile());
        for (const QPointer<MainDeviceModule> tile : devices->moduleTiles()) {
            press(tile);
            if (tile)
                attempt("showProfileEditor", [&] { tile->showProfileEditor(); });
            settle();
            if (tile)
                attempt("onClickMenuDetail", [&] { tile->onClickMenuDetail(); });
            settle();
            closeWindows();
            if (tile && tile->isScreenCube())
                attempt("onClickMenuConfig", [&] { tile->onClickMenuConfig(); });
            settle();
            closeWindows();
        }
        {
            auto* panel = main->findChild<KestrinWidgetListPanel*>();
            for (const auto& group : panel->groups())
                group->setExpanded(true);
            settle(50);
        }
        auto* hub = main->findChild<KestrinDeviceUI*>();
        if (hub) {
            KestrinDeviceScreenUI* strip = hub->screen();
            for (int i = 0; strip && i < strip->cardCount(); ++i) {
                QPointer<KestrinCard> card = strip->cardAt(i);
                press(card);
                if (card)
                    attempt("showEditor", [&] { card->showEditor(); });
                settle();
            }
        }
        // An open editor saves before a deploy, as the user asked it to; none is left open here.
        MainWindow::clearEditPanel();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        settle();
        bool done = false;
        ProjectManager::instance()->deployProject([&done](const BaseResult<void>& result) {
            done = true;
            Q_UNUSED(result);
        });
        QVERIFY(QTest::qWaitFor([&done] { return done; }, 15000));
        settle();
    }

    // Opens the file, exercises it, and checks the program's behaviour; `named` are texts of
    // which one should appear in a message or the log.
    void runVariant(const QString& file, const QStringList& named, const QString& label)
    {
        m_label = label;
        const QString before = snapshot(file);
        Test::LogCapture log;
        m_messages.clear();
        if (MainWindow* main = openMain(file)) {
            exercise(main);
            closeMain(main);
        }
        const QString logged = log.text();
        for (const QString& line : logged.split(u'\n')) {
            if (line.contains(QLatin1String(kEscaped)))
                m_thrown << line.mid(line.indexOf(QLatin1String(kEscaped))) + QStringLiteral(" [%1]").arg(label);
        }
        if (snapshot(file) != before)
            m_thrown << QStringLiteral("the file changed [%1]").arg(label);
        ++m_variants;
        // An empty list: nothing the program reads was damaged, so nothing need be named.
        const QString said = m_messages.join(u'\n') + logged;
        bool seen = named.isEmpty();
        for (const QString& text : named)
            seen = seen || said.contains(text);
        if (!seen)
            m_thrown << QStringLiteral("no message or log line names the record [%1]").arg(label);
    }

    void buildTemplate()
    {
        ProjectManager* pm = ProjectManager::instance();
        m_env->hub().setValidToken(QStringLiteral("valid"));
        const auto host = Test::standinHost(m_env->hub(), QStringLiteral("KS-HOSTILE"), QStringLiteral("valid"));
        QVERIFY(pm->getHostUseCase()->saveHost(*host).isOk());

        // A second profile with a picture.
        const auto profiles = pm->getProfileUseCase();
        QVERIFY(profiles->createProfile(QStringLiteral("Night"), QString()).isOk());
        std::shared_ptr<ProjectDbProfileBean> night;
        const auto all = profiles->accessor->findAll(false);
        QVERIFY(all.isOk());
        for (const auto& profile : *all.data) {
            if (profile->name == QLatin1String("Night"))
                night = profile;
        }
        QVERIFY(night);
        QPixmap picture(16, 16);
        picture.fill(Qt::green);
        QVERIFY(profiles->updateProfile(*night, &picture).isOk());

        QVERIFY(Test::installTestPlugin(QStringLiteral("keys-uuid"), QStringLiteral("Office Keys"),
                                        QByteArray(kButtons), m_env->dir()) > 0);
        const QList<std::pair<uint64_t, const char*>> products = {{ProjectModuleUseCase::kPipwickProductId, "PW-1"},
                                                                  {ProjectModuleUseCase::kRollaneProductId, "RL-1"},
                                                                  {ProjectModuleUseCase::kThessaProductId, "TH-1"},
                                                                  {ProjectModuleUseCase::kPelloraProductId, "PL-1"},
                                                                  {ProjectModuleUseCase::kWakerinProductId, "WK-1"}};
        for (const auto& [product, sn] : products)
            QVERIFY(m_env->addModule(product, QString::fromLatin1(sn), json::object()));

        auto* main = new MainWindow(nullptr);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        QTRY_VERIFY_WITH_TIMEOUT(pm->getCurrentKestrin() && pm->getCurrentKestrin()->isReady(), 5000);

        // Each module's editor binds an action and saves.
        auto* devices = main->findChild<MainDeviceListWidget*>();
        QCOMPARE(devices->moduleTiles().size(), products.size());
        for (MainDeviceModule* tile : devices->moduleTiles()) {
            tile->showProfileEditor();
            settle();
            auto* editor = main->findChild<ModuleProfileEditor*>();
            if (!editor)
                continue;
            const auto actions = editor->findChildren<MainSceneActionConfigWidget*>();
            if (!actions.isEmpty()) {
                json list = actions.front()->actionListWidget()->actions();
                list.push_back({{"configDesc", "play"}, {"deployData", {{"act", "play"}}}});
                actions.front()->actionListWidget()->setActions(list);
                actions.front()->actionListWidget()->updateActionList();
            }
            BaseResult<void> saved(Errors::Unknown);
            editor->save([&saved](const BaseResult<void>& result) { saved = result; });
            QVERIFY2(saved.isOk(), qPrintable(saved.message));
        }

        // One card of every kind the widget list offers, dropped onto the hub's screen.
        KestrinDeviceScreenUI* strip = main->findChild<KestrinDeviceUI*>()->screen();
        auto* panel = main->findChild<KestrinWidgetListPanel*>();
        for (const auto& group : panel->groups())
            group->setExpanded(true);
        settle(300);
        QSet<QString> kinds;
        for (KestrinDragWidget* item : panel->findChildren<KestrinDragWidget*>()) {
            const QByteArray payload = Test::dragPayload(item);
            if (payload.isEmpty())
                continue;
            const json parsed = json::parse(payload.toStdString(), nullptr, false);
            QVERIFY(parsed.is_object());
            const json config = parsed.value("config", json::object());
            const QString kind = QString::fromStdString(
                parsed.value("widgetType", std::string()) + "/" + config.value("typeId", std::string()) + "/" +
                config.value("deploymentData", json::object()).value("type", ""));
            if (kinds.contains(kind))
                continue;
            kinds.insert(kind);
            Test::dropOnStrip(strip, payload, QPoint(5000, 50));
            closeWindows();
        }
        QVERIFY2(strip->cardCount() >= 8, qPrintable(QString::number(strip->cardCount())));
        closeMain(main);
    }

private slots:
    void initTestCase()
    {
        Test::applyBaseTheme();
        MessageDialog::setAnswerProvider([this](MessageDialog& dialog) {
            m_messages << dialog.text();
            return dialog.button2->isVisible() ? 2 : 3;
        });
        m_env = std::make_unique<Test::ModuleTestEnv>(QStringLiteral("127.0.0.91"));
        QVERIFY(m_env->isValid());
        MainUtils::setPluginRoot(m_env->dir() + QStringLiteral("/plugin"));
        DeploySettings settings;
        settings.tempDir = m_env->dir() + QStringLiteral("/deploy");
        ProjectManager::instance()->setDeploySettings(settings);
        const QString made = workFile(QStringLiteral("Modules"));
        buildTemplate();
        m_template = workFile(QStringLiteral("template"));
        QVERIFY(QFile::copy(made, m_template));

        Test::ProjectRawSqlite db(m_template);
        QList<QVariantList> rows;
        QVERIFY(db.run(QStringLiteral("SELECT id, type, columns, data FROM json_store ORDER BY id"), {}, &rows));
        for (const QVariantList& row : rows)
            m_rows.append({row[0].toLongLong(), row[1].toString(), row[2].toString(), row[3].toString()});
        QVERIFY(!m_rows.isEmpty());
    }

    void init() { m_thrown.clear(); }

    void cleanupTestCase()
    {
        qInfo("%d variants", m_variants);
        m_env.reset();
    }

    // The project as the program wrote it opens without a word of damage.
    void soundProjectOpensCleanly()
    {
        const QString file = workFile(QStringLiteral("sound"));
        QFile::remove(file);
        QVERIFY(QFile::copy(m_template, file));
        runVariant(file, {}, QStringLiteral("sound"));
        QVERIFY2(m_thrown.isEmpty(), qPrintable(m_thrown.join(u'\n')));
    }

    // The key-button module's settings for the current profile and the sensor card's name, each
    // of another kind: pressing the tile and the card says which record is damaged and leaves
    // both as they are.
    void damagedModuleAndCardAreNamed()
    {
        const Row* keys = nullptr;
        const Row* sensor = nullptr;
        for (const Row& row : m_rows) {
            const json columns = json::parse(row.columns.toStdString(), nullptr, false);
            const json data = json::parse(row.data.toStdString(), nullptr, false);
            if (row.type == QLatin1String("module") && columns.value("productId", 0) == 0x10000001)
                keys = &row;
            if (row.type == QLatin1String("profileKsWidget") && data.value("typeId", "") == "thessaTempAndHu")
                sensor = &row;
        }
        QVERIFY(keys && sensor);
        json keysData = json::parse(keys->data.toStdString());
        QVERIFY(keysData["profiles"].size() == 1);
        keysData["profiles"].begin().value() = 7;
        json sensorData = json::parse(sensor->data.toStdString());
        sensorData["name"] = 7;
        const QString file = workFile(QStringLiteral("named"));
        QFile::remove(file);
        QVERIFY(QFile::copy(m_template, file));
        {
            Test::ProjectRawSqlite db(file);
            for (const auto& [row, data] : {std::pair{keys, keysData}, std::pair{sensor, sensorData}})
                QVERIFY(db.run(QStringLiteral("UPDATE json_store SET data = ? WHERE id = ?"),
                               {QString::fromStdString(data.dump()), row->id}));
        }
        const QString before = snapshot(file);
        m_messages.clear();
        Test::LogCapture log;
        MainWindow* main = openMain(file);
        QVERIFY(main);
        auto* devices = main->findChild<MainDeviceListWidget*>();
        for (MainDeviceModule* tile : devices->moduleTiles()) {
            if (tile->module()->id == keys->id)
                press(tile);
        }
        KestrinDeviceScreenUI* strip = main->findChild<KestrinDeviceUI*>()->screen();
        for (int i = 0; i < strip->cardCount(); ++i) {
            if (strip->cardAt(i)->bean()->id == sensor->id)
                press(strip->cardAt(i));
        }
        settle(50);
        closeMain(main);
        const QString uid = QString::fromStdString(json::parse(sensor->columns.toStdString())["uid"]);
        for (const QString& expected :
             {QStringLiteral("Invalid database format. Details: module id:%1, ").arg(keys->id),
              QStringLiteral("Invalid database format. Details: widget uid:%1, ").arg(uid)}) {
            bool shown = false;
            for (const QString& message : m_messages)
                shown = shown || message.startsWith(expected);
            QVERIFY2(shown, qPrintable(expected + QLatin1Char('\n') + m_messages.join(u'\n')));
        }
        QVERIFY(!log.text().contains(QLatin1String(kEscaped)));
        QCOMPARE(snapshot(file), before);
    }

    // Every JSON value of every record replaced by a value of another kind. Records of one kind
    // are damaged together, one value each per opening; the kinds of replacement rotate.
    void everyValueOfAnotherKind()
    {
        struct Target
        {
            const Row* row;
            const char* column;
            json original;
            std::vector<json::json_pointer> pointers;
        };
        QMap<QString, QList<Target>> byKind;
        for (const Row& row : m_rows) {
            for (const char* column : {"columns", "data"}) {
                const QString text = QLatin1String(column) == QLatin1String("data") ? row.data : row.columns;
                Target target{&row, column, json::parse(text.toStdString(), nullptr, false), {}};
                if (text.isEmpty() || target.original.is_discarded())
                    continue;
                collectPointers(target.original, json::json_pointer(), target.pointers);
                byKind[row.type].append(target);
            }
        }
        // Records that feed different screens are damaged together; those that every screen
        // needs (hub, project, profiles) one kind at a time.
        QMap<QString, QList<Target>> batches;
        for (auto kind = byKind.begin(); kind != byKind.end(); ++kind) {
            const bool shared = kind.key() == QLatin1String("module") || kind.key() == QLatin1String("plugin") ||
                                kind.key() == QLatin1String("profileKsWidget");
            batches[shared ? QStringLiteral("module+plugin+card") : kind.key()] += kind.value();
        }
        QElapsedTimer clock;
        clock.start();
        int values = 0;
        for (auto kind = batches.begin(); kind != batches.end(); ++kind) {
            std::size_t rounds = 0;
            for (const Target& target : kind.value())
                rounds = std::max(rounds, target.pointers.size());
            for (std::size_t round = 0; round < rounds; ++round) {
                const QString file = workFile(QStringLiteral("variant"));
                QFile::remove(file);
                QVERIFY(QFile::copy(m_template, file));
                QStringList named;
                QStringList changes;
                {
                    Test::ProjectRawSqlite db(file);
                    int index = 0;
                    for (const Target& target : kind.value()) {
                        ++index;
                        if (round >= target.pointers.size())
                            continue;
                        const json::json_pointer& pointer = target.pointers[round];
                        json changed = target.original;
                        int replaced = int(round) + index;
                        // Null read as an object is the least telling change of an object.
                        const int own = kindOf(changed[pointer]);
                        while (replaced % 5 == own || (own == 0 && replaced % 5 == 4))
                            ++replaced;
                        changed[pointer] = replacement(replaced);
                        ++values;
                        QVERIFY(db.run(QStringLiteral("UPDATE json_store SET %1 = ? WHERE id = ?")
                                           .arg(QLatin1String(target.column)),
                                       {QString::fromStdString(changed.dump()), target.row->id}));
                        changes << QStringLiteral("%1 %2%3 -> %4")
                                       .arg(target.row->id)
                                       .arg(QLatin1String(target.column))
                                       .arg(QString::fromStdString(pointer.to_string()))
                                       .arg(QString::fromStdString(replacement(replaced).dump()));
                        // What a module's editor does not read of its per-profile settings goes
                        // to the hub as it is stored.
                        if (target.row->type == QLatin1String("module") &&
                            pointer.to_string().find("/deployConfig") != std::string::npos)
                            continue;
                        for (const char* form : {"id:%1", "id: %1", "id %1", "id=%1"})
                            named << QString::fromLatin1(form).arg(target.row->id);
                        const json columns = json::parse(target.row->columns.toStdString(), nullptr, false);
                        if (columns.is_object() && columns.value("uid", json()).is_string())
                            named << QString::fromStdString(columns["uid"].get<std::string>());
                    }
                }
                runVariant(file, named, kind.key() + QLatin1Char(' ') + changes.join(QStringLiteral(", ")));
                if (QTest::currentTestFailed())
                    return;
            }
        }
        qInfo("%d values in %lld ms", values, clock.elapsed());
        m_thrown.removeDuplicates();
        QVERIFY2(m_thrown.isEmpty(), qPrintable(m_thrown.join(u'\n')));
    }

    // Each stored package replaced by a hostile archive.
    void hostilePacks()
    {
        Test::HostileZipMember lying{"icons/key.png", "PNG"};
        lying.localCompressed = lying.localUncompressed = 0x7FFFFFF0;
        QList<Test::HostileZipMember> large{{"config.json", "{}"}};
        for (int i = 0; i < 5; ++i) {
            Test::HostileZipMember member{QByteArray("p") + QByteArray::number(i), "x"};
            member.localUncompressed = member.centralUncompressed = 60u << 20;
            large.append(member);
        }
        const QList<std::pair<QString, QByteArray>> packs = {
            {QStringLiteral("bomb"), Test::zipBomb("icons/key.png", 64ll * 1024 * 1024 + 1)},
            {QStringLiteral("oversize"), Test::hostileZip(large)},
            {QStringLiteral("mismatch"), Test::hostileZip({{"config.json", "{}"}, lying})}};
        for (const auto& [name, pack] : packs) {
            const QString file = workFile(QStringLiteral("pack-") + name);
            QFile::remove(file);
            QVERIFY(QFile::copy(m_template, file));
            {
                Test::ProjectRawSqlite db(file);
                QVERIFY(db.run(QStringLiteral("UPDATE file_store SET data = ? WHERE file_name = 'pack'"), {pack}));
            }
            QDir(MainUtils::pluginRoot()).removeRecursively();
            runVariant(file, {QStringLiteral("keys-uuid")}, name);
        }
        QVERIFY2(m_thrown.isEmpty(), qPrintable(m_thrown.join(u'\n')));
    }
};

int main(int argc, char** argv)
{
    const QString screenConfig = OV::Test::useOffscreenScreen(QSize(1600, 1000));
    // The program's own application object: an exception that escaped a handler would be logged
    // by its last-resort guard, which the checks above refuse.
    OV::Application app(argc, argv);
    QFile::remove(screenConfig);
    TestHostileProject test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_HostileProject.moc"
