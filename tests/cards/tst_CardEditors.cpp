#include "cards/KestrinAccuWeatherEditor.h"
#include "cards/KestrinCard.h"
#include "cards/KestrinCardBasicAccuWeatherEditor.h"
#include "cards/KestrinCardBasicTimerEditor.h"
#include "cards/KestrinCardBasicWhiteNoiseEditor.h"
#include "cards/KestrinCardBasicWorldClockEditor.h"
#include "cards/KestrinCardIconEditor.h"
#include "cards/KestrinCardMAMultiActionEditor.h"
#include "cards/KestrinCardMDThessaTHEditor.h"
#include "cards/KestrinCardMDWakerinEditor.h"
#include "cards/KestrinCardPCCtrlEditor.h"
#include "cards/KestrinCardPCCtrlGroupEditor.h"
#include "cards/KestrinChoiceLists.h"
#include "cards/KestrinDeviceScreenUI.h"
#include "cards/KestrinDeviceUI.h"
#include "cards/SimpleKestrinCard.h"
#include "core/EventBus.h"
#include "main/MainDeviceListWidget.h"
#include "main/MainDeviceModule.h"
#include "main/MainWindow.h"
#include "module/ModuleDetailsDialog.h"
#include "module/ModuleRecordWriter.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectDbIntegrationBean.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectIntegrationUseCase.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "scene/SceneOSCtrlOpenBrowser.h"
#include "scene/SceneOSCtrlStartApp.h"
#include "support/CardsTestUtils.h"
#include "support/ProjectTestUtils.h"
#include "support/TestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseDialog.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>

using namespace OV;
using Json = nlohmann::json;

// What a row does in an open card editor.
using EditorStep = std::function<void(KestrinCardEditor*)>;
Q_DECLARE_METATYPE(EditorStep)

class TestCardEditors : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<MainWindow> m_window;
    KestrinDeviceScreenUI* m_strip = nullptr;
    QStringList m_dialogs;

    // A new card from a widget-list payload, with its editor open. Dropped past the strip's end,
    // however many cards earlier rows left there.
    KestrinCard* dropCard(const char* widgetType, const Json& config)
    {
        const Json payload = {{"config", config}, {"from", "configPanel"}, {"id", 0}, {"widgetType", widgetType}};
        Test::dropOnStrip(m_strip, QByteArray::fromStdString(payload.dump()), QPoint(m_strip->width() + 5000, 50));
        return m_strip->cardAt(m_strip->cardCount() - 1);
    }

    template <typename Editor>
    Editor* editorOf(KestrinCard* card)
    {
        card->showEditor();
        QCoreApplication::processEvents();
        Editor* editor = nullptr;
        for (Editor* candidate : m_window->findChildren<Editor*>()) {
            if (candidate->card() == card && candidate->isVisibleTo(m_window.get()))
                editor = candidate;
        }
        return editor;
    }

    // A sensor cube's record, stored.
    static bool insertThessa(ProjectDbModuleBean& module, const QString& name, const QString& sn)
    {
        module.gatewayType = QStringLiteral("can");
        module.productId = 0x10000004;
        module.name = name;
        module.sn = sn;
        return ProjectManager::instance()->getModuleUseCase()->insert(module).isOk();
    }

    KestrinCard* dropThessaCard()
    {
        return dropCard("module", {{"name", "Thessa Temp & Humidity"},
                                   {"typeId", "thessaTempAndHu"},
                                   {"icon", ":/profile/image/icon_md_thessa_temp_hu.png"}});
    }

    // The card's record as stored.
    Json stored(KestrinCard* card)
    {
        const auto found =
            ProjectManager::instance()->getProfileKsWidgetUseCase()->accessor->findById(card->bean()->id);
        return found.isOk() && *found.data ? (*found.data)->data : Json();
    }

    // Types a new name into the editor's form and, where it has a picture, picks a new one.
    template <typename Form>
    static EditorStep renameIn()
    {
        return [](KestrinCardEditor* editor) {
            auto* form = qobject_cast<Form*>(editor);
            QVERIFY(form);
            form->nameEdit()->setText(QStringLiteral("Never"));
            if constexpr (requires { form->iconEditor(); }) {
                QPixmap red(40, 40);
                red.fill(Qt::red);
                form->iconEditor()->setIcon(QStringLiteral("https://127.0.0.1:9/red.png"), red, 70);
            }
        };
    }

    void shoot(QWidget* editor, const char* name)
    {
        const QString dir = Test::screenshotDir();
        if (dir.isEmpty())
            return;
        QCoreApplication::processEvents();
        QVERIFY(m_window->grab().save(dir + QStringLiteral("/editor_%1.png").arg(QLatin1String(name))));
        Q_UNUSED(editor);
    }

private slots:
    void initTestCase()
    {
        Test::applyBaseTheme();
        MessageDialog::setAnswerProvider([this](MessageDialog& dialog) {
            m_dialogs << dialog.text();
            const QString dir = Test::screenshotDir();
            if (!dir.isEmpty() && dialog.text().startsWith(QLatin1String("invalid latitude")))
                dialog.grab().save(dir + QStringLiteral("/editor_validation_error.png"));
            return 3;
        });
        QVERIFY(m_dir.isValid());
        QVERIFY(ProjectManager::instance()->createProject(QStringLiteral("editors"), m_dir.path()).isOk());
        m_window = std::make_unique<MainWindow>();
        m_window->resize(1600, 960);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const auto profile = ProjectManager::instance()->getProfileUseCase()->findFirst(QStringLiteral("true"));
        MainWindow::setCurrentProfile(*profile.data);
        m_strip = m_window->findChild<KestrinDeviceUI*>()->screen();
    }

    void cleanupTestCase()
    {
        m_window.reset();
        ProjectManager::instance()->closeProject();
        MessageDialog::setAnswerProvider({});
    }

    void init() { m_dialogs.clear(); }

    void timerLoadsSavesResets()
    {
        KestrinCard* card = dropCard("basic", {{"typeId", "timer"}});
        auto* editor = editorOf<KestrinCardBasicTimerEditor>(card);
        QVERIFY(editor);
        QCOMPARE(editor->minBox()->currentText(), QStringLiteral("1"));
        QVERIFY(!editor->saveButton()->isEnabled());
        // Clicking the card whose editor is shown keeps that editor.
        card->showEditor();
        QCOMPARE(editorOf<KestrinCardBasicTimerEditor>(card), editor);

        editor->nameEdit()->setText(QStringLiteral("  Tea  "));
        editor->hourBox()->setCurrentIndex(1);
        editor->minBox()->setCurrentIndex(2);
        editor->secBox()->setCurrentIndex(3);
        QVERIFY(editor->saveButton()->isEnabled());
        editor->saveButton()->click();
        QVERIFY(!editor->saveButton()->isEnabled());
        const Json data = stored(card);
        QVERIFY(data.at("name") == "Tea");
        QVERIFY(data.at("deploymentData").at("param").at("time") == "01:02:03");
        QCOMPARE(static_cast<SimpleKestrinCard*>(card)->nameText(), QStringLiteral("Tea"));
        shoot(editor, "timer");

        editor->nameEdit()->setText(QStringLiteral("Coffee"));
        editor->resetButton()->click();
        QCOMPARE(editor->nameEdit()->text(), QStringLiteral("Tea"));
        QVERIFY(!editor->saveButton()->isEnabled());
    }

    void worldClockZones_data()
    {
        QTest::addColumn<QString>("storedZone");
        QTest::addColumn<int>("pick");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("shownIndex");
        QTest::addColumn<QString>("savedZone");
        QTest::addColumn<QString>("savedOffset");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("language"); // of the interface, which names the zones
        QTest::newRow("unknown zone opens on the first and is kept")
            << "Atlantis - Nowhere" << -1 << "" << 0 << "Atlantis - Nowhere"
            << "GMT+0:00"
            << ""
            << "en_US";
        QTest::newRow("zone stored in Chinese is found and kept")
            << "阿德莱德 - 澳大利亚" << -1 << "" << 2 << "阿德莱德 - 澳大利亚"
            << "GMT+0:00"
            << ""
            << "en_US";
        QTest::newRow("a picked zone") << "" << 2 << "" << 0 << "Adelaide - Australia"
                                       << "GMT+9:30"
                                       << ""
                                       << "en_US";
        // A typed text is the one item it names, as the completer matches; otherwise nothing is
        // saved and the zone saved before stays.
        QTest::newRow("typed text matching nothing") << "" << 2 << "Nowhere at all" << 0 << "Adelaide - Australia"
                                                     << "GMT+9:30"
                                                     << "No time zone matches"
                                                     << "en_US";
        QTest::newRow("typed text matching several") << "" << 2 << "australia" << 0 << "Adelaide - Australia"
                                                     << "GMT+9:30"
                                                     << "\"australia\" matches several"
                                                     << "en_US";
        QTest::newRow("typed empty") << "" << 2 << " " << 0 << "Adelaide - Australia"
                                     << "GMT+9:30"
                                     << "No time zone matches"
                                     << "en_US";
        QTest::newRow("typed city") << "" << -1 << "Sydney" << 0 << "Sydney - Australia"
                                    << "GMT+10:00"
                                    << ""
                                    << "en_US";
        QTest::newRow("typed in other case, blanks around") << "" << 2 << " sYDNEY - aus " << 0 << "Sydney - Australia"
                                                            << "GMT+10:00"
                                                            << ""
                                                            << "en_US";
        QTest::newRow("typed item text") << "" << -1 << "Paris - France" << 0 << "Paris - France"
                                         << "GMT+1:00"
                                         << ""
                                         << "en_US";
        // Named and matched in the interface's language.
        QTest::newRow("a picked zone, Chinese") << "" << 2 << "" << 0 << "阿德莱德 - 澳大利亚"
                                                << "GMT+9:30"
                                                << ""
                                                << "zh_CN";
        QTest::newRow("typed city, Chinese") << "" << -1 << "悉尼" << 0 << "悉尼 - 澳大利亚"
                                             << "GMT+10:00"
                                             << ""
                                             << "zh_CN";
    }

    void worldClockZones()
    {
        QFETCH(QString, storedZone);
        QFETCH(int, pick);
        QFETCH(QString, typed);
        QFETCH(int, shownIndex);
        QFETCH(QString, savedZone);
        QFETCH(QString, savedOffset);
        QFETCH(QString, refusal);
        QFETCH(QString, language);
        if (language != KestrinChoiceLists::language()) {
            QString output;
            QVERIFY2(Test::runRowWithSettings("{\"language\": \"" + language.toUtf8() + "\"}", &output),
                     qPrintable(output));
            return;
        }
        KestrinCard* card = dropCard("basic", {{"typeId", "worldClock"}});
        card->configuration()["timeZone"] = storedZone.toStdString();
        auto* editor = editorOf<KestrinCardBasicWorldClockEditor>(card);
        editor->resetButton()->click();
        QCOMPARE(editor->zoneBox()->currentIndex(), shownIndex);
        editor->nameEdit()->setText(QStringLiteral("Home"));
        if (pick >= 0) {
            editor->zoneBox()->setCurrentIndex(pick);
            editor->saveButton()->click();
        }
        if (!typed.isEmpty()) {
            editor->zoneBox()->setEditText(typed);
            QVERIFY(editor->saveButton()->isEnabled());
        }
        editor->saveButton()->click();
        QCoreApplication::processEvents(); // a message is answered once the event loop runs
        const Json data = stored(card);
        QCOMPARE(QString::fromStdString(data.at("timeZone").get<std::string>()), savedZone);
        QCOMPARE(QString::fromStdString(data.at("deploymentData").at("param").at("offset").get<std::string>()),
                 savedOffset);
        QVERIFY(data.at("deploymentData").at("name") == "Home");
        if (refusal.isEmpty()) {
            QVERIFY2(m_dialogs.isEmpty(), qPrintable(m_dialogs.join('|')));
            if (!typed.isEmpty())
                QCOMPARE(editor->zoneBox()->currentText(), savedZone);
        } else {
            QTRY_COMPARE(m_dialogs.size(), 1);
            QVERIFY2(m_dialogs[0].startsWith(refusal), qPrintable(m_dialogs[0]));
            QVERIFY(editor->saveButton()->isEnabled()); // the edit is still there to mend
        }
        if (pick >= 0)
            shoot(editor, "world_clock");
    }

    void whiteNoiseSavesTheChosenSound()
    {
        KestrinCard* card = dropCard("basic", {{"typeId", "whiteNoise"}});
        auto* editor = editorOf<KestrinCardBasicWhiteNoiseEditor>(card);
        QCOMPARE(editor->soundBox()->currentIndex(), 0);
        editor->soundBox()->setCurrentIndex(2);
        editor->saveButton()->click();
        const Json data = stored(card);
        QVERIFY(data.at("soundId") == "sys.app.soundscape.3");
        QVERIFY(data.at("deploymentData").at("param").at("id") == "sys.app.soundscape.3");
        QCOMPARE(card->bean()->name, QStringLiteral("Hearth’s Lullaby"));
        shoot(editor, "white_noise");
    }

    void weatherCoordinates_data()
    {
        QTest::addColumn<QString>("latitude");
        QTest::addColumn<QString>("longitude");
        QTest::addColumn<QString>("error");
        QTest::newRow("limits") << "90"
                                << "-180"
                                << "";
        QTest::newRow("both empty") << ""
                                    << ""
                                    << "";
        QTest::newRow("trimmed") << " 47.37 "
                                 << " 8.54"
                                 << "";
        QTest::newRow("latitude too far") << "90.5"
                                          << "0"
                                          << "invalid latitude:90.5";
        QTest::newRow("longitude too far") << "0"
                                           << "180.01"
                                           << "invalid longitude:180.01";
        QTest::newRow("not a number") << "north"
                                      << ""
                                      << "invalid latitude:north";
        QTest::newRow("nan") << "nan"
                             << ""
                             << "invalid latitude:nan";
        QTest::newRow("infinity") << ""
                                  << "-inf"
                                  << "invalid longitude:-inf";
    }

    void weatherCoordinates()
    {
        QFETCH(QString, latitude);
        QFETCH(QString, longitude);
        QFETCH(QString, error);
        KestrinCard* card = dropCard("basic", {{"typeId", "accuWeather"}});
        auto* editor = editorOf<KestrinCardBasicAccuWeatherEditor>(card);
        editor->latitudeEdit()->setText(latitude);
        editor->longitudeEdit()->setText(longitude);
        editor->saveButton()->click();
        const Json data = stored(card);
        if (error.isEmpty()) {
            QVERIFY(m_dialogs.isEmpty());
            QCOMPARE(QString::fromStdString(data.at("deploymentData").at("param").at("lat").get<std::string>()),
                     latitude.trimmed());
            QCOMPARE(QString::fromStdString(data.at("deploymentData").at("param").at("lon").get<std::string>()),
                     longitude.trimmed());
            QVERIFY(!editor->saveButton()->isEnabled());
        } else {
            QTRY_COMPARE(m_dialogs, QStringList{error});
            QVERIFY(data.at("latitude") == "");
            QVERIFY(editor->saveButton()->isEnabled());
        }
    }

    void weatherKeyDialog()
    {
        KestrinCard* card = dropCard("basic", {{"typeId", "accuWeather"}});
        auto* editor = editorOf<KestrinCardBasicAccuWeatherEditor>(card);
        QCOMPARE(editor->keyStateLabel()->text(), QStringLiteral("Not configured"));
        auto integration = ProjectManager::instance()->getIntegrationUseCase();
        QVERIFY(integration->findAccuWeather().isOk() && !*integration->findAccuWeather().data);

        KestrinAccuWeatherEditor dialog(nullptr);
        QVERIFY(dialog.keyEdit()->text().isEmpty());
        QVERIFY(dialog.fahrenheitButton()->isChecked());
        int saved = 0;
        dialog.savedHandler = [&saved](const Json&) { ++saved; };
        dialog.button2->click();
        QCOMPARE(saved, 1);
        Json data = (*integration->findAccuWeather().data)->data;
        QVERIFY(data.at("needToDeploy") == false);
        QVERIFY(data.at("apiKey") == "");

        KestrinAccuWeatherEditor second(nullptr);
        second.savedHandler = [&saved](const Json&) { ++saved; };
        second.keyEdit()->setText(QStringLiteral("  k-123  "));
        second.celsiusButton()->setChecked(true);
        second.button2->click();
        data = (*integration->findAccuWeather().data)->data;
        QVERIFY(data.at("needToDeploy") == true);
        QVERIFY(data.at("apiKey") == "k-123");
        QVERIFY(data.at("isUnitFahrenheit") == false);
        QVERIFY(data.at("deployData") ==
                Json({{"packageName", "com.orvelbar.weather"}, {"config", {{"apiKey", "k-123"}, {"metric", true}}}}));
        const auto all = integration->accessor->findAll(false);
        QCOMPARE(all.data->size(), size_t(1));

        KestrinAccuWeatherEditor third(nullptr);
        QCOMPARE(third.keyEdit()->text(), QStringLiteral("k-123"));
        QVERIFY(third.celsiusButton()->isChecked());
        editor->resetButton()->click();
        QCOMPARE(editor->keyStateLabel()->text(), QStringLiteral("Configured"));
        editor->latitudeEdit()->setText(QStringLiteral("47.3769"));
        editor->longitudeEdit()->setText(QStringLiteral("8.5417"));
        shoot(editor, "weather");
        const QString dir = Test::screenshotDir();
        if (!dir.isEmpty()) {
            third.show();
            QVERIFY(QTest::qWaitForWindowExposed(&third));
            QVERIFY(third.grab().save(dir + QStringLiteral("/editor_weather_key.png")));
        }
    }

    // The key dialog opened from a card's editor; null when none appeared.
    KestrinAccuWeatherEditor* openKeyDialog(KestrinCardBasicAccuWeatherEditor* editor)
    {
        QList<QWidget*> before = QApplication::topLevelWidgets();
        editor->keyButton()->click();
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<KestrinAccuWeatherEditor*>(widget);
            if (dialog && dialog->isVisible() && !before.contains(widget))
                return dialog;
        }
        return nullptr;
    }

    // Coordinates typed but not yet saved survive a key saved from the editor's own dialog: the
    // editor shows the new key state, stays dirty, and its save stores the typed coordinates.
    void weatherKeySaveKeepsTypedCoordinates()
    {
        KestrinCard* card = dropCard("basic", {{"typeId", "accuWeather"}});
        auto* editor = editorOf<KestrinCardBasicAccuWeatherEditor>(card);
        QVERIFY(editor);
        editor->latitudeEdit()->setText(QStringLiteral("46.2"));
        editor->longitudeEdit()->setText(QStringLiteral("6.15"));
        QPointer<KestrinAccuWeatherEditor> dialog = openKeyDialog(editor);
        QVERIFY(dialog);
        dialog->keyEdit()->setText(QStringLiteral("k-typed"));
        dialog->button2->click();
        QTRY_VERIFY(!dialog);
        QCOMPARE(editor->keyStateLabel()->text(), QStringLiteral("Configured"));
        QCOMPARE(editor->latitudeEdit()->text(), QStringLiteral("46.2"));
        QCOMPARE(editor->longitudeEdit()->text(), QStringLiteral("6.15"));
        QVERIFY(editor->saveButton()->isEnabled());
        editor->saveButton()->click();
        const Json data = stored(card);
        QVERIFY2(data.at("latitude") == "46.2" && data.at("longitude") == "6.15", data.dump().c_str());
        QVERIFY(m_dialogs.isEmpty());
    }

    // Two key dialogs open at once, A from one weather card and B from another; B saves first,
    // then A. An empty key or a unit of 0 leaves that field as the dialog shows it.
    void weatherKeyDialogsOpenTogether_data()
    {
        QTest::addColumn<QString>("bKey");
        QTest::addColumn<int>("bUnit");
        QTest::addColumn<QString>("aKey");
        QTest::addColumn<int>("aUnit");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("fahrenheit");
        const int c = KestrinAccuWeatherEditor::kCelsius;
        QTest::newRow("B's key survives A's unit-only save") << "k-b" << 0 << "" << c << "k-b" << false;
        QTest::newRow("B's unit survives A's key-only save") << "" << c << "k-a" << 0 << "k-a" << false;
        QTest::newRow("A saved as shown keeps what B stored") << "k-b" << c << "" << 0 << "k-b" << false;
        QTest::newRow("what A changed wins") << "k-b" << 0 << "k-a" << c << "k-a" << false;
    }

    void weatherKeyDialogsOpenTogether()
    {
        QFETCH(QString, bKey);
        QFETCH(int, bUnit);
        QFETCH(QString, aKey);
        QFETCH(int, aUnit);
        QFETCH(QString, key);
        QFETCH(bool, fahrenheit);
        auto integration = ProjectManager::instance()->getIntegrationUseCase();
        ProjectDbIntegrationBean empty;
        if (const auto found = integration->findAccuWeather(); found.isOk() && *found.data)
            empty = **found.data;
        empty.integType = QString::fromLatin1(ProjectIntegrationUseCase::kAccuWeather);
        empty.setData(KestrinAccuWeatherEditor::integrationData(QString(), true));
        QVERIFY(integration->saveAccuWeather(empty).isOk());

        KestrinCard* first = dropCard("basic", {{"typeId", "accuWeather"}});
        KestrinCard* second = dropCard("basic", {{"typeId", "accuWeather"}});
        QPointer<KestrinAccuWeatherEditor> a = openKeyDialog(editorOf<KestrinCardBasicAccuWeatherEditor>(first));
        QPointer<KestrinAccuWeatherEditor> b = openKeyDialog(editorOf<KestrinCardBasicAccuWeatherEditor>(second));
        QVERIFY(a && b);
        const auto edit = [](KestrinAccuWeatherEditor* dialog, const QString& text, int unit) {
            if (!text.isEmpty())
                dialog->keyEdit()->setText(text);
            if (unit != 0)
                (unit == KestrinAccuWeatherEditor::kCelsius ? dialog->celsiusButton() : dialog->fahrenheitButton())
                    ->setChecked(true);
            dialog->button2->click();
        };
        edit(b, bKey, bUnit);
        QTRY_VERIFY(!b);
        edit(a, aKey, aUnit);
        QTRY_VERIFY(!a);

        const Json data = (*integration->findAccuWeather().data)->data;
        QVERIFY2(data == KestrinAccuWeatherEditor::integrationData(key, fahrenheit), data.dump().c_str());
        QVERIFY(m_dialogs.isEmpty());
    }

    void moduleCardChoosesItsModule()
    {
        auto modules = ProjectManager::instance()->getModuleUseCase();
        ProjectDbModuleBean first;
        ProjectDbModuleBean second;
        QVERIFY(insertThessa(first, QStringLiteral("Desk cube"), QStringLiteral("TH-01")));
        QVERIFY(insertThessa(second, QStringLiteral("Shelf cube"), QStringLiteral("TH-02")));
        KestrinCard* card = dropThessaCard();
        QVERIFY(card->configuration().at("moduleUid") == std::to_string(first.id));
        auto* editor = editorOf<KestrinCardMDThessaTHEditor>(card);
        QCOMPARE(editor->moduleBox()->count(), 2);
        QCOMPARE(editor->moduleBox()->currentText(), QStringLiteral("Desk cube - TH-01"));
        editor->moduleBox()->setCurrentIndex(1);
        editor->saveButton()->click();
        QVERIFY(stored(card).at("deploymentData").at("param").at("uid") == std::to_string(second.id));
        shoot(editor, "thessa");

        // The chosen module is deleted: nothing is chosen and an empty uid is saved.
        QVERIFY(modules->remove(second.id).isOk());
        MainWindow::clearEditPanel();
        editor = editorOf<KestrinCardMDThessaTHEditor>(card);
        QCOMPARE(editor->moduleBox()->currentIndex(), -1);
        editor->nameEdit()->setText(QStringLiteral("Cube"));
        editor->saveButton()->click();
        QVERIFY(stored(card).at("deploymentData").at("param").at("uid") == "");
        QVERIFY(modules->remove(first.id).isOk());
    }

    // The module renamed in its details window while the card's editor is up: the editor lists
    // the new name, and its save keeps the chosen module.
    void moduleCardEditorFollowsARename()
    {
        auto modules = ProjectManager::instance()->getModuleUseCase();
        auto cube = std::make_shared<ProjectDbModuleBean>();
        QVERIFY(insertThessa(*cube, QStringLiteral("Desk cube"), QStringLiteral("TH-09")));
        KestrinCard* card = dropThessaCard();
        auto* editor = editorOf<KestrinCardMDThessaTHEditor>(card);
        QCOMPARE(editor->moduleBox()->currentText(), QStringLiteral("Desk cube - TH-09"));
        QPointer<ModuleDetailsDialog> details = new ModuleDetailsDialog(cube);
        details->show();
        details->onClickRename();
        details->renameEdit()->setText(QStringLiteral("Window cube"));
        QTest::mouseClick(details->renameDialog()->button2, Qt::LeftButton);
        QTRY_VERIFY(!details->renameDialog());
        details->close();
        QCOMPARE(editor->moduleBox()->currentText(), QStringLiteral("Window cube - TH-09"));
        QVERIFY(!editor->saveButton()->isEnabled());
        QVERIFY(modules->remove(cube->id).isOk());
    }

    // A module deleted while a module card's editor lists it. Deleted from its tile's menu, the
    // editor's list follows; deleted with the editor not told, the save is refused.
    void moduleCardEditorAfterADelete_data()
    {
        QTest::addColumn<bool>("chosenOne");
        QTest::addColumn<bool>("fromTile");
        QTest::newRow("the chosen module, from its tile's menu") << true << true;
        QTest::newRow("another module, from its tile's menu") << false << true;
        QTest::newRow("the chosen module, the editor not told") << true << false;
    }

    void moduleCardEditorAfterADelete()
    {
        QFETCH(bool, chosenOne);
        QFETCH(bool, fromTile);
        auto modules = ProjectManager::instance()->getModuleUseCase();
        ProjectDbModuleBean desk;
        ProjectDbModuleBean shelf;
        QVERIFY(insertThessa(desk, QStringLiteral("Desk cube"), QStringLiteral("TH-11")));
        QVERIFY(insertThessa(shelf, QStringLiteral("Shelf cube"), QStringLiteral("TH-12")));
        auto* row = qobject_cast<MainDeviceListWidget*>(m_window->deviceList());
        row->reloadModules();
        const auto tileOf = [row](int64_t id) -> MainDeviceModule* {
            for (MainDeviceModule* tile : row->moduleTiles()) {
                if (tile->deviceId() == id)
                    return tile;
            }
            return nullptr;
        };
        // Neither module nor its tile outlives the row, whatever happens in it.
        const auto cleanup = qScopeGuard([&] {
            for (const int64_t id : {desk.id, shelf.id}) {
                if (MainDeviceModule* tile = tileOf(id)) {
                    const std::shared_ptr<ProjectDbModuleBean> module = tile->module();
                    tile->removedCallback(module);
                }
                modules->remove(id);
            }
            QCoreApplication::processEvents();
        });
        KestrinCard* card = dropThessaCard();
        auto* editor = editorOf<KestrinCardMDThessaTHEditor>(card);
        QVERIFY(editor);
        editor->moduleBox()->setCurrentIndex(editor->moduleBox()->findText(QStringLiteral("Shelf cube - TH-12")));
        editor->saveButton()->click();
        const std::string shelfUid = std::to_string(shelf.id);
        QVERIFY(stored(card).at("deploymentData").at("param").at("uid") == shelfUid);

        const int64_t gone = chosenOne ? shelf.id : desk.id;
        if (fromTile) {
            QVERIFY(tileOf(gone));
            tileOf(gone)->onClickMenuDelete();
        } else {
            QVERIFY(modules->remove(gone).isOk());
        }
        QCoreApplication::processEvents();
        // The user changed nothing: a list that follows the delete lights no Save.
        if (fromTile)
            QVERIFY(!editor->saveButton()->isEnabled());
        editor->nameEdit()->setText(QStringLiteral("Cube"));
        editor->saveButton()->click();

        const Json uid = stored(card).at("deploymentData").at("param").at("uid");
        const QString goneText = chosenOne ? QStringLiteral("Shelf cube - TH-12") : QStringLiteral("Desk cube - TH-11");
        if (!fromTile) {
            // Refused: the record is as it was and the edit stays.
            QTRY_COMPARE(m_dialogs.size(), 1);
            QVERIFY2(m_dialogs.first().contains(QLatin1String("deleted")), qPrintable(m_dialogs.first()));
            QVERIFY(uid == shelfUid);
            QVERIFY(editor->saveButton()->isEnabled());
            QCOMPARE(editor->moduleBox()->currentIndex(), -1);
        } else {
            QCoreApplication::processEvents();
            QVERIFY2(m_dialogs.isEmpty(), qPrintable(m_dialogs.join(QLatin1Char('\n'))));
            QVERIFY2(uid == (chosenOne ? std::string() : shelfUid), uid.dump().c_str());
            QCOMPARE(editor->moduleBox()->currentText(), chosenOne ? QString() : QStringLiteral("Shelf cube - TH-12"));
            QVERIFY(!editor->saveButton()->isEnabled());
        }
        QCOMPARE(editor->moduleBox()->findText(goneText), -1);
        QCOMPARE(editor->moduleBox()->count(), 1);
    }

    // Modules added through the row's "+" while a module card's editor is up: the editor offers
    // the ones of its kind at once, and the user, who changed nothing, keeps the choice as it
    // was with Save unlit (a drop-down that was empty would otherwise choose the first one).
    void moduleCardEditorAfterAnAddition_data()
    {
        QTest::addColumn<bool>("emptyBefore");
        QTest::newRow("beside the chosen module") << false;
        QTest::newRow("to an empty list") << true;
    }

    void moduleCardEditorAfterAnAddition()
    {
        QFETCH(bool, emptyBefore);
        auto modules = ProjectManager::instance()->getModuleUseCase();
        ProjectModuleUseCase::BeanList added;
        ProjectDbModuleBean desk;
        const auto cleanup = qScopeGuard([&] {
            for (const auto& module : added)
                modules->remove(module->id);
            if (desk.id > 0)
                modules->remove(desk.id);
        });
        if (!emptyBefore)
            QVERIFY(insertThessa(desk, QStringLiteral("Desk cube"), QStringLiteral("TH-21")));
        KestrinCard* card = dropThessaCard();
        auto* editor = editorOf<KestrinCardMDThessaTHEditor>(card);
        QVERIFY(editor);
        const int chosen = editor->moduleBox()->currentIndex();
        QCOMPARE(chosen, emptyBefore ? -1 : 0);

        const auto module = [](uint64_t productId, const char* name, const char* sn) {
            auto bean = std::make_shared<ProjectDbModuleBean>();
            bean->gatewayType = QStringLiteral("can");
            bean->productId = productId;
            bean->name = QString::fromLatin1(name);
            bean->sn = QString::fromLatin1(sn);
            return bean;
        };
        added = {module(0x10000005, "Tower PC", "WK-21"), module(0x10000004, "Shelf cube", "TH-22")};
        QVERIFY(ModuleRecordWriter::add(added).isOk());
        QCoreApplication::processEvents();
        QCOMPARE(editor->moduleBox()->count(), emptyBefore ? 1 : 2);
        const int last = editor->moduleBox()->count() - 1;
        QCOMPARE(editor->moduleBox()->itemText(last), QStringLiteral("Shelf cube - TH-22"));
        QCOMPARE(editor->moduleBox()->currentIndex(), chosen);
        QVERIFY(!editor->saveButton()->isEnabled());

        editor->moduleBox()->setCurrentIndex(last);
        editor->saveButton()->click();
        QVERIFY(stored(card).at("deploymentData").at("param").at("uid") == std::to_string(added[1]->id));
    }

    // The module drop-down reads as the other drop-downs do in the dark theme: light text on a
    // dark background on every row, not only on the one under the pointer.
    void moduleDropDownColours()
    {
        auto modules = ProjectManager::instance()->getModuleUseCase();
        ProjectDbModuleBean desk;
        ProjectDbModuleBean shelf;
        const auto cleanup = qScopeGuard([&] {
            modules->remove(desk.id);
            modules->remove(shelf.id);
        });
        QVERIFY(insertThessa(desk, QStringLiteral("Desk cube"), QStringLiteral("TH-31")));
        QVERIFY(insertThessa(shelf, QStringLiteral("Shelf cube"), QStringLiteral("TH-32")));
        auto* editor = editorOf<KestrinCardMDThessaTHEditor>(dropThessaCard());
        QVERIFY(editor);
        QComboBox* box = editor->moduleBox();
        QCOMPARE(box->currentIndex(), 0);
        box->showPopup();
        const auto hide = qScopeGuard([box] { box->hidePopup(); });
        QAbstractItemView* view = box->view();
        QVERIFY(QTest::qWaitForWindowExposed(view->window()));
        const QImage popup = view->window()->grab().toImage();
        if (const QString dir = Test::screenshotDir(); !dir.isEmpty())
            QVERIFY(popup.save(dir + QStringLiteral("/editor_module_drop_down.png")));

        // The second row is neither chosen nor hovered.
        const QRect row =
            QRect(view->viewport()->mapTo(view->window(), view->visualRect(box->model()->index(1, 0)).topLeft()),
                  view->visualRect(box->model()->index(1, 0)).size())
                .intersected(view->viewport()->geometry().translated(view->mapTo(view->window(), QPoint(0, 0))));
        QVERIFY(row.isValid() && popup.rect().contains(row));
        int lightest = 0;
        for (int y = row.top(); y <= row.bottom(); ++y) {
            for (int x = row.left(); x <= row.right(); ++x)
                lightest = std::max(lightest, QColor(popup.pixel(x, y)).lightness());
        }
        const int background = QColor(popup.pixel(row.right() - 4, row.center().y())).lightness();
        QVERIFY2(background < 80 && lightest > 170,
                 qPrintable(QStringLiteral("background %1, text %2").arg(background).arg(lightest)));
    }

    void wakerinCard()
    {
        auto modules = ProjectManager::instance()->getModuleUseCase();
        ProjectDbModuleBean power;
        power.gatewayType = QStringLiteral("can");
        power.productId = 0x10000005;
        power.name = QStringLiteral("Tower PC");
        power.sn = QStringLiteral("WK-01");
        QVERIFY(modules->insert(power).isOk());
        KestrinCard* card = dropCard(
            "module", {{"name", "Wakerin"}, {"typeId", "wakerin"}, {"icon", ":/profile/image/icon_pc_exe.png"}});
        QVERIFY(card);
        QVERIFY(card->deploymentData().at("type") == "WAKERIN");
        auto* editor = editorOf<KestrinCardMDWakerinEditor>(card);
        QVERIFY(editor);
        QCOMPARE(editor->moduleBox()->currentText(), QStringLiteral("Tower PC - WK-01"));
        editor->nameEdit()->setText(QStringLiteral("Desk PC"));
        editor->saveButton()->click();
        const Json data = stored(card);
        QVERIFY(data.at("deploymentData").at("param").at("uid") == std::to_string(power.id));
        QVERIFY(data.at("deploymentData").at("name") == "");
        QCOMPARE(static_cast<SimpleKestrinCard*>(card)->nameText(), QStringLiteral("Desk PC"));
        shoot(editor, "wakerin");
        QVERIFY(modules->remove(power.id).isOk());
    }

    void iconEditorZoom()
    {
        EditStateWatcher watcher;
        QCOMPARE(Test::thrownText([] { KestrinCardIconEditor editor(nullptr, nullptr); }),
                 QStringLiteral("editStateWatcher is null"));
        KestrinCardIconEditor editor(nullptr, &watcher);
        QVERIFY(!editor.zoomInButton()->isEnabled() && !editor.zoomOutButton()->isEnabled());
        editor.setScale(40);
        QCOMPARE(editor.scale(), 0);
        QPixmap image(40, 40);
        image.fill(Qt::red);
        editor.setIcon(QStringLiteral("https://127.0.0.1:9/i.png"), image, 50);
        QVERIFY(editor.zoomInButton()->isEnabled());
        for (int i = 0; i < 8; ++i)
            editor.zoomInButton()->click();
        QCOMPARE(editor.scale(), 100);
        for (int i = 0; i < 12; ++i)
            editor.zoomOutButton()->click();
        QCOMPARE(editor.scale(), 10);
    }

    void multiActionSavesNameIconAndActions()
    {
        KestrinCard* card = dropCard("multiAction", {{"name", "Multi-Action"}, {"typeId", "multiAction"}});
        auto* editor = editorOf<KestrinCardMAMultiActionEditor>(card);
        QVERIFY(editor);
        QCOMPARE(editor->iconEditor()->scale(), 50);
        editor->nameEdit()->setText(QStringLiteral("Morning"));
        editor->iconEditor()->zoomInButton()->click();
        editor->saveButton()->click();
        const Json data = stored(card);
        QVERIFY(data.at("deploymentData").at("name") == "Morning");
        QVERIFY(data.at("deploymentData").at("iconScale") == 60);
        QVERIFY(data.at("deploymentData").at("param") == Json({{"type", "ACTION"}, {"actions", Json::array()}}));
        shoot(editor, "multi_action");
    }

    void pcControlRoundTrip()
    {
        KestrinCard* card = dropCard("pcCtrl", {{"name", "Open Browser"},
                                                {"typeId", "openBrowser"},
                                                {"icon", ":/profile/image/icon_pc_open_browser.png"},
                                                {"extCmd", ""}});
        auto* editor = editorOf<KestrinCardPCCtrlEditor>(card);
        QVERIFY(editor);
        auto* page = qobject_cast<SceneOSCtrlOpenBrowser*>(editor->page());
        QVERIFY(page);
        page->lineEdit()->setText(QStringLiteral(" https://example.org/docs "));
        editor->nameEdit()->setText(QStringLiteral("Docs"));
        editor->saveButton()->click();
        const Json first = stored(card).at("deploymentData");
        QVERIFY(first.at("param").at("payload").at("params").at("url") == "https://example.org/docs");
        QVERIFY(first.at("name") == "Docs");
        shoot(editor, "pc_control");

        MainWindow::clearEditPanel();
        editor = editorOf<KestrinCardPCCtrlEditor>(card);
        QCOMPARE(qobject_cast<SceneOSCtrlOpenBrowser*>(editor->page())->lineEdit()->text(),
                 QStringLiteral("https://example.org/docs"));
        editor->saveButton()->click();
        QVERIFY(stored(card).at("deploymentData") == first);
    }

    void startAppKeepsNewInstance()
    {
        KestrinCard* card = dropCard("pcCtrl", {{"name", "Start App"},
                                                {"typeId", "startApp"},
                                                {"icon", ":/profile/image/icon_pc_exe.png"},
                                                {"extCmd", ""}});
        auto* editor = editorOf<KestrinCardPCCtrlEditor>(card);
        auto* page = qobject_cast<SceneOSCtrlStartApp*>(editor->page());
        QVERIFY(page);
        page->lineEdit()->setText(QStringLiteral("/usr/bin/true"));
        page->newInstanceBox()->setChecked(true);
        editor->saveButton()->click();
        QVERIFY(stored(card).at("deploymentData").at("param").at("payload").at("params").at("launchMode") == 0);
        MainWindow::clearEditPanel();
        editor = editorOf<KestrinCardPCCtrlEditor>(card);
        QVERIFY(qobject_cast<SceneOSCtrlStartApp*>(editor->page())->newInstanceBox()->isChecked());
        editor->nameEdit()->setText(QStringLiteral("True"));
        editor->saveButton()->click();
        QVERIFY(stored(card).at("deploymentData").at("param").at("payload").at("params").at("launchMode") == 0);
    }

    void failedSaveKeepsTheEditAndTheRecord()
    {
        KestrinCard* card = dropCard("basic", {{"typeId", "timer"}});
        const Json before = stored(card);
        auto* editor = editorOf<KestrinCardBasicTimerEditor>(card);
        auto database = ProjectManager::instance()->getProfileKsWidgetUseCase()->accessor->database();
        QVERIFY(database
                    ->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON json_store "
                                          "BEGIN SELECT RAISE(ABORT, 'refused'); END"))
                    .isOk());
        editor->nameEdit()->setText(QStringLiteral("Never"));
        editor->saveButton()->click();
        QVERIFY(database->exec(QStringLiteral("DROP TRIGGER refuse")).isOk());
        QTRY_COMPARE(m_dialogs.size(), 1);
        QVERIFY2(m_dialogs.first().contains(QLatin1String("refused")), qPrintable(m_dialogs.first()));
        QVERIFY(editor->saveButton()->isEnabled());
        QCOMPARE(editor->nameEdit()->text(), QStringLiteral("Never"));
        // Memory and project stay equal.
        QVERIFY(card->configuration() == before);
        QVERIFY(stored(card) == before);
    }

    // Every card editor stores through its card's one save path: a save the database refuses
    // leaves the card showing what is stored (label, tooltip, icon), also after a Reset.
    void failedSaveKeepsWhatTheCardShows_data()
    {
        QTest::addColumn<QByteArray>("widgetType");
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<EditorStep>("edit");
        QTest::newRow("timer") << QByteArray("basic") << QByteArray(R"({"typeId":"timer"})")
                               << renameIn<KestrinCardBasicTimerEditor>();
        QTest::newRow("world clock") << QByteArray("basic") << QByteArray(R"({"typeId":"worldClock"})")
                                     << renameIn<KestrinCardBasicWorldClockEditor>();
        QTest::newRow("white noise") << QByteArray("basic") << QByteArray(R"({"typeId":"whiteNoise"})")
                                     << EditorStep([](KestrinCardEditor* editor) {
                                            auto* form = qobject_cast<KestrinCardBasicWhiteNoiseEditor*>(editor);
                                            QVERIFY(form);
                                            form->soundBox()->setCurrentIndex(2);
                                        });
        QTest::newRow("weather") << QByteArray("basic") << QByteArray(R"({"typeId":"accuWeather"})")
                                 << EditorStep([](KestrinCardEditor* editor) {
                                        auto* form = qobject_cast<KestrinCardBasicAccuWeatherEditor*>(editor);
                                        QVERIFY(form);
                                        form->latitudeEdit()->setText(QStringLiteral("47.37"));
                                        form->longitudeEdit()->setText(QStringLiteral("8.54"));
                                    });
        QTest::newRow("module") << QByteArray("module")
                                << QByteArray(R"({"name":"Thessa Temp & Humidity","typeId":"thessaTempAndHu",)"
                                              R"("icon":":/profile/image/icon_md_thessa_temp_hu.png"})")
                                << renameIn<KestrinCardMDThessaTHEditor>();
        QTest::newRow("multi-action") << QByteArray("multiAction")
                                      << QByteArray(R"({"name":"Multi-Action","typeId":"multiAction"})")
                                      << renameIn<KestrinCardMAMultiActionEditor>();
        QTest::newRow("pc control") << QByteArray("pcCtrl")
                                    << QByteArray(R"({"name":"Open Browser","typeId":"openBrowser",)"
                                                  R"("icon":":/profile/image/icon_pc_open_browser.png","extCmd":""})")
                                    << renameIn<KestrinCardPCCtrlEditor>();
        QTest::newRow("plug-in group")
            << QByteArray("pcCtrlGroup")
            << QByteArray(R"({"pluginUuid":"kept-uuid","name":"Keys","icon":"","iconScale":50,"deploymentData":)"
                          R"({"id":"row","type":"HOT_KEY_GROUP","name":"Keys","iconScale":50,"icon":"",)"
                          R"("param":{"button":[]}}})")
            << renameIn<KestrinCardPCCtrlGroupEditor>();
    }

    void failedSaveKeepsWhatTheCardShows()
    {
        QFETCH(QByteArray, widgetType);
        QFETCH(QByteArray, config);
        QFETCH(EditorStep, edit);
        const Json payload = Json::parse(config.toStdString());
        if (payload.contains("pluginUuid"))
            QVERIFY(Test::installTestPlugin(QStringLiteral("kept-uuid"), QStringLiteral("Keys"), "[]", m_dir.path()) >
                    0);
        auto* card = qobject_cast<SimpleKestrinCard*>(dropCard(widgetType.constData(), payload));
        QVERIFY(card);
        QTRY_VERIFY(!card->iconImage().isNull());
        const QString label = card->nameText();
        const QString tip = card->toolTip();
        const QImage icon = card->iconImage().toImage();
        QVERIFY(!label.isEmpty());
        const Json before = stored(card);
        auto* editor = editorOf<KestrinCardEditor>(card);
        QVERIFY(editor);

        auto database = ProjectManager::instance()->getProfileKsWidgetUseCase()->accessor->database();
        QVERIFY(database
                    ->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON json_store "
                                          "BEGIN SELECT RAISE(ABORT, 'refused'); END"))
                    .isOk());
        auto dropTrigger = qScopeGuard([&] { database->exec(QStringLiteral("DROP TRIGGER refuse")); });
        edit(editor);
        QVERIFY(editor->saveButton()->isEnabled());
        editor->saveButton()->click();
        QTRY_COMPARE(m_dialogs.size(), 1);
        QVERIFY2(m_dialogs.first().contains(QLatin1String("refused")), qPrintable(m_dialogs.first()));
        QCOMPARE(card->nameText(), label);
        QCOMPARE(card->toolTip(), tip);
        QVERIFY(card->iconImage().toImage() == icon);
        QVERIFY(card->configuration() == before);
        QVERIFY(stored(card) == before);

        editor->resetButton()->click();
        QVERIFY(!editor->saveButton()->isEnabled());
        QCOMPARE(card->nameText(), label);
        QCOMPARE(card->toolTip(), tip);
    }

    void preDeploySavesOpenEditorOnce()
    {
        KestrinCard* card = dropCard("basic", {{"typeId", "timer"}});
        auto* editor = editorOf<KestrinCardBasicTimerEditor>(card);
        editor->nameEdit()->setText(QStringLiteral("Deploy"));
        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QStringLiteral("ON_PRE_DEPLOY")));
        QVERIFY(stored(card).at("name") == "Deploy");
        QVERIFY(!editor->saveButton()->isEnabled());
    }

    void deletedCardLeavesEditorHarmless()
    {
        KestrinCard* card = dropCard("basic", {{"typeId", "timer"}});
        auto* editor = editorOf<KestrinCardBasicTimerEditor>(card);
        QPointer<KestrinCardBasicTimerEditor> guard(editor);
        const int64_t id = card->bean()->id;
        m_strip->removeCard(card);
        QTRY_VERIFY(!guard);
        QCOMPARE(MainWindow::currentEditKey().isEmpty(), false);
        // A delegate outliving its card does nothing.
        KestrinCard* other = dropCard("basic", {{"typeId", "timer"}});
        auto* second = editorOf<KestrinCardBasicTimerEditor>(other);
        auto delegate = second->saveDelegate;
        QPointer<KestrinCard> otherGuard(other);
        m_strip->removeCard(other);
        QTRY_VERIFY(!otherGuard);
        bool called = false;
        delegate([&called](const BaseResult<void>&) { called = true; }, QStringLiteral("x"), 0, 0, 1);
        QVERIFY(!called);
        QVERIFY(!ProjectManager::instance()->getProfileKsWidgetUseCase()->accessor->findById(id).data->get());
    }

    void groupCardEditor()
    {
        const QString dir = m_dir.path();
        QVERIFY(Test::installTestPlugin(QStringLiteral("grp-uuid"), QStringLiteral("Keys"), "[]", dir) > 0);
        KestrinCard* card = dropCard("pcCtrlGroup", {{"pluginUuid", "grp-uuid"},
                                                     {"name", "Keys"},
                                                     {"icon", ""},
                                                     {"iconScale", 50},
                                                     {"deploymentData",
                                                      {{"id", "row"},
                                                       {"type", "HOT_KEY_GROUP"},
                                                       {"name", "Keys"},
                                                       {"iconScale", 50},
                                                       {"icon", ""},
                                                       {"param", {{"button", Json::array()}}}}}});
        QVERIFY(card);
        QVERIFY(card->deploymentData().at("id") == card->bean()->uid.toStdString());
        auto* editor = editorOf<KestrinCardPCCtrlGroupEditor>(card);
        QVERIFY(editor);
        editor->nameEdit()->setText(QStringLiteral("Office"));
        editor->iconEditor()->zoomOutButton()->click();
        editor->saveButton()->click();
        const Json data = stored(card).at("deploymentData");
        QVERIFY(data.at("name") == "Office");
        QVERIFY(data.at("iconScale") == 40);
        QVERIFY(data.at("type") == "HOT_KEY_GROUP");
        QCOMPARE(QString::fromStdString(data.at("icon").get<std::string>()),
                 QStringLiteral("file://image/%1.png").arg(card->bean()->uid));
        shoot(editor, "shortcut_group");
    }
};

ORVEL_WIDGET_TEST_MAIN(TestCardEditors, 1920, 1040)
#include "tst_CardEditors.moc"
