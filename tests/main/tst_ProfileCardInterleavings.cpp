// Two windows writing one record, in orders a user can produce, through the real widgets of
// the main window and a real project file: after each row the file holds both changes.

#include "cards/KSPluginWidgetGroup.h"
#include "cards/KestrinAccuWeatherEditor.h"
#include "cards/KestrinCard.h"
#include "cards/KestrinCardBasicAccuWeatherEditor.h"
#include "cards/KestrinCardMAMultiActionEditor.h"
#include "cards/KestrinCardPCCtrlGroupEditor.h"
#include "cards/KestrinDeviceScreenUI.h"
#include "cards/KestrinDeviceUI.h"
#include "cards/KestrinWidgetListPanel.h"
#include "cards/SimpleKestrinCard.h"
#include "core/EventBus.h"
#include "main/DelayOpMessageDialog.h"
#include "main/MainProfilePanel.h"
#include "main/MainProfileWidget.h"
#include "main/MainTitleBar.h"
#include "main/MainWindow.h"
#include "main/StartWindow.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectIntegrationUseCase.h"
#include "project/ProjectManager.h"
#include "project/ProjectPluginUseCase.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "store/MainUtils.h"
#include "support/CardsTestUtils.h"
#include "support/MainScreensTestUtils.h"
#include "support/ProjectRawSqlite.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseDialog.h"
#include "widgets/CloudImagePicker.h"
#include "widgets/ElidedLabel.h"
#include "widgets/MessageDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <nlohmann/json.hpp>

#include <memory>

using namespace OV;
using Json = nlohmann::json;

namespace {

const QString kProjectName = QStringLiteral("Interleave");
const QString kPictureAddress = QStringLiteral("http://127.0.0.1:9/icons/leaf.png");

// A picture with a transparent border, as the cloud delivers them: 40 x 30 once trimmed.
QPixmap chosenPicture()
{
    QPixmap picture(60, 50);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.fillRect(QRect(10, 10, 40, 30), QColor(200, 40, 40));
    return picture;
}

QStringList steps(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

} // namespace

class TestProfileCardInterleavings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_messages;

    QString projectPath() const
    {
        return m_dir.filePath(kProjectName + QLatin1String(ProjectManager::kProjectExtension));
    }

    // The record's columns and document as the file holds them; null when there is no row.
    Json fileRecord(int64_t id, int64_t* sortId = nullptr)
    {
        Test::ProjectRawSqlite file(projectPath());
        QList<QVariantList> rows;
        if (!file.run(QStringLiteral("SELECT columns, data, sort_id FROM json_store WHERE id = ?"), {qlonglong(id)},
                      &rows) ||
            rows.isEmpty())
            return Json();
        if (sortId)
            *sortId = rows[0][2].toLongLong();
        Json record = Json::parse(rows[0][0].toString().toStdString());
        const QString data = rows[0][1].toString();
        record["(data)"] = data.isEmpty() ? Json() : Json::parse(data.toStdString());
        return record;
    }

    QByteArray fileBytes(int64_t owner, const QString& name)
    {
        Test::ProjectRawSqlite file(projectPath());
        QList<QVariantList> rows;
        file.run(QStringLiteral("SELECT data FROM file_store WHERE owner_id = ? AND file_name = ?"),
                 {qlonglong(owner), name}, &rows);
        return rows.isEmpty() ? QByteArray() : rows[0][0].toByteArray();
    }

    // A fresh project with the default profile and "Second", shown in a new main window.
    void openWindow()
    {
        m_window.reset();
        QVERIFY(Test::openFreshProject(m_dir.path(), kProjectName));
        QVERIFY(
            ProjectManager::instance()->getProfileUseCase()->createProfile(QStringLiteral("Second"), QString()).isOk());
        m_window = std::make_unique<MainWindow>();
        m_window->resize(1600, 960);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QCoreApplication::processEvents();
        QVERIFY(panel() && panel()->currentProfile());
    }

    MainProfilePanel* panel() const { return m_window->findChild<MainProfilePanel*>(); }

    MainProfileWidget::ProfileItem* row(int64_t id) const
    {
        for (MainProfileWidget::ProfileItem* item : panel()->header()->rows()) {
            if (item->profile()->id == id)
                return item;
        }
        return nullptr;
    }

    int64_t profileId(const QString& name) const
    {
        for (MainProfileWidget::ProfileItem* item : panel()->header()->rows()) {
            if (item->profile()->name == name)
                return item->profile()->id;
        }
        return -1;
    }

    // Chooses an entry of a row's menu as the user does.
    void chooseFromRowMenu(int64_t id, const QString& entry)
    {
        MainProfileWidget::ProfileItem* item = row(id);
        QVERIFY(item);
        QMenu* menu = item->openRowMenu();
        for (QAction* action : menu->actions()) {
            if (action->text() == entry) {
                action->trigger();
                break;
            }
        }
        QCoreApplication::processEvents();
    }

    void renameInDialog(int64_t id, const QString& name)
    {
        QPointer<BaseDialog> dialog = panel()->header()->onClickEditProfileName(row(id)->profile());
        dialog->findChild<QLineEdit*>()->setText(name);
        dialog->button2->click();
        QCoreApplication::processEvents();
        QVERIFY(!dialog);
    }

    KestrinDeviceScreenUI* strip() const { return m_window->findChild<KestrinDeviceUI*>()->screen(); }

    KestrinCard* dropCard(const char* widgetType, const Json& config)
    {
        const Json payload = {{"config", config}, {"from", "configPanel"}, {"id", 0}, {"widgetType", widgetType}};
        Test::dropOnStrip(strip(), QByteArray::fromStdString(payload.dump()), QPoint(5000, 50));
        Test::settleStrip(strip());
        return strip()->cardAt(strip()->cardCount() - 1);
    }

    template <typename Editor>
    Editor* editorOf(KestrinCard* card)
    {
        card->showEditor();
        QCoreApplication::processEvents();
        for (Editor* candidate : m_window->findChildren<Editor*>()) {
            if (candidate->card() == card && candidate->isVisibleTo(m_window.get()))
                return candidate;
        }
        return nullptr;
    }

    // The uids of the profile's cards in the order the file gives them.
    QStringList fileOrder(const QList<int64_t>& ids)
    {
        QList<std::pair<int64_t, QString>> placed;
        for (int64_t id : ids) {
            int64_t sortId = 0;
            const Json record = fileRecord(id, &sortId);
            if (!record.is_null())
                placed.append({sortId, QString::fromStdString(record.at("uid").get<std::string>())});
        }
        std::stable_sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        QStringList uids;
        for (const auto& [sortId, uid] : placed)
            uids << uid;
        return uids;
    }

    int cardRows()
    {
        Test::ProjectRawSqlite file(projectPath());
        QList<QVariantList> rows;
        file.run(QStringLiteral("SELECT count(*) FROM json_store WHERE type = 'profileKsWidget'"), {}, &rows);
        return rows.isEmpty() ? -1 : rows[0][0].toInt();
    }

    // Every message is noted and closed.
    void recordMessages()
    {
        MessageDialog::setAnswerProvider([this](MessageDialog& dialog) {
            m_messages << dialog.text();
            return 3;
        });
    }

    QStringList stripOrder()
    {
        QStringList uids;
        for (int i = 0; i < strip()->cardCount(); ++i)
            uids << strip()->cardAt(i)->bean()->uid;
        return uids;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        Test::applyBaseTheme();
        // The picture picker asks a gateway on a closed loopback port: no listing, no waiting.
        QVERIFY(QDir::setCurrent(m_dir.path()));
        QFile settings(m_dir.filePath(QStringLiteral("settings.json")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("{\"cloudGateway\": \"http://127.0.0.1:9/\"}");
        settings.close();
        recordMessages();
    }

    void cleanupTestCase()
    {
        m_window.reset();
        ProjectManager::instance()->closeProject();
        MessageDialog::setAnswerProvider({});
    }

    void init() { m_messages.clear(); }

    void cleanup()
    {
        if (CloudImagePicker* picker = MainProfilePanel::sharedPicker())
            picker->hide();
        recordMessages();
    }

    // The current profile (the default one, preferred) renamed or "Second" made preferred, and
    // the current profile's picture changed, in every order.
    void profileWriters_data()
    {
        QTest::addColumn<QStringList>("order");
        QTest::newRow("rename, then picture") << steps("rename choose");
        QTest::newRow("preferred elsewhere, then picture") << steps("prefer choose");
        QTest::newRow("picture, then rename") << steps("choose rename");
        QTest::newRow("picture, then preferred elsewhere") << steps("choose prefer");
        QTest::newRow("picker open across a rename") << steps("open rename pick");
        QTest::newRow("picker open across preferred elsewhere") << steps("open prefer pick");
        QTest::newRow("rename, preferred elsewhere, picture") << steps("rename prefer choose");
        QTest::newRow("picture, rename, picture again") << steps("choose rename choose");
        QTest::newRow("renamed twice, then picture") << steps("draft rename choose");
    }

    void profileWriters()
    {
        QFETCH(QStringList, order);
        openWindow();
        MainProfilePanel* shown = panel();
        const int64_t current = shown->currentProfile()->id;
        const int64_t second = profileId(QStringLiteral("Second"));
        QVERIFY(shown->currentProfile()->preferred && second > 0);
        CloudImagePicker* picker = MainProfilePanel::sharedPicker();
        for (const QString& step : order) {
            if (step == QLatin1String("draft")) {
                renameInDialog(current, QStringLiteral("Draft"));
            } else if (step == QLatin1String("rename")) {
                renameInDialog(current, QStringLiteral("Studio"));
            } else if (step == QLatin1String("prefer")) {
                chooseFromRowMenu(second, QStringLiteral("Save as preferred"));
            } else if (step == QLatin1String("open") || step == QLatin1String("choose")) {
                shown->onEditProfileIcon();
                QVERIFY(picker->isVisible());
            }
            if (step == QLatin1String("pick") || step == QLatin1String("choose")) {
                picker->selectionCallback()(kPictureAddress, chosenPicture());
                QCoreApplication::processEvents();
                QVERIFY(!picker->isVisible());
            }
        }
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('\n'))));

        const bool renamed = order.contains(QStringLiteral("rename"));
        const bool preferredElsewhere = order.contains(QStringLiteral("prefer"));
        const QString name = renamed ? QStringLiteral("Studio") : QStringLiteral("Default Profile");
        const Json stored = fileRecord(current);
        QCOMPARE(QString::fromStdString(stored.at("name").get<std::string>()), name);
        QCOMPARE(QString::fromStdString(stored.at("icon").get<std::string>()), kPictureAddress);
        QCOMPARE(stored.at("preferred").get<bool>(), !preferredElsewhere);
        QCOMPARE(fileRecord(second).at("preferred").get<bool>(), preferredElsewhere);
        QPixmap picture;
        QVERIFY(picture.loadFromData(fileBytes(current, QString::fromLatin1(ProjectProfileUseCase::kIconFileName))));
        QCOMPARE(picture.size(), QSize(40, 30));
        // The default profile's document is not touched by either window.
        QVERIFY(stored.at("(data)").contains("moduleConfigList"));

        // Every holder on screen shows the record as stored.
        QCoreApplication::processEvents();
        QCOMPARE(shown->currentProfile()->name, name);
        QCOMPARE(shown->currentProfile()->preferred, !preferredElsewhere);
        QCOMPARE(shown->header()->nameLabel()->fullText, name);
        QCOMPARE(MainWindow::currentProfile()->name, name);
        QCOMPARE(row(current)->star()->isVisibleTo(row(current)), !preferredElsewhere);
        QCOMPARE(row(second)->star()->isVisibleTo(row(second)), preferredElsewhere);
        QCOMPARE(shown->picture()->backgroundPixmap().size(), QSize(40, 30));
    }

    // A multi-action card edited in its editor while the strip moves or deletes it.
    void cardWriters_data()
    {
        QTest::addColumn<QStringList>("order");
        QTest::newRow("moved to the end, then saved") << steps("moveToEnd save");
        QTest::newRow("saved, then moved to the end") << steps("save moveToEnd");
        QTest::newRow("another card moved before it, then saved") << steps("moveOtherFirst save");
        QTest::newRow("saved, moved, saved again") << steps("save moveToEnd rename save");
        QTest::newRow("deleted, then its editor saves") << steps("delete save");
        QTest::newRow("saved, then deleted") << steps("save delete");
    }

    void cardWriters()
    {
        QFETCH(QStringList, order);
        openWindow();
        KestrinCard* card = dropCard("multiAction", {{"name", "Multi-Action"}, {"typeId", "multiAction"}});
        dropCard("basic", {{"typeId", "clock"}});
        dropCard("basic", {{"typeId", "clock"}});
        QCOMPARE(strip()->cardCount(), 3);
        QList<int64_t> ids;
        for (int i = 0; i < 3; ++i)
            ids << strip()->cardAt(i)->bean()->id;
        const int64_t id = card->bean()->id;
        const QString uid = card->bean()->uid;
        QPointer<KestrinCardMAMultiActionEditor> editor = editorOf<KestrinCardMAMultiActionEditor>(card);
        QVERIFY(editor);
        editor->nameEdit()->setText(QStringLiteral("Morning"));

        QString name = QStringLiteral("Multi-Action");
        bool deleted = false;
        for (const QString& step : order) {
            if (step == QLatin1String("save")) {
                // The editor may already be gone with its card; if not, its save must not
                // bring the card back.
                if (editor && editor->saveButton()->isEnabled()) {
                    editor->saveButton()->click();
                    if (!deleted)
                        name = editor->nameEdit()->text();
                }
            } else if (step == QLatin1String("rename")) {
                editor->nameEdit()->setText(QStringLiteral("Evening"));
            } else if (step == QLatin1String("moveToEnd")) {
                const QPoint end = strip()->cardAt(2)->geometry().center() + QPoint(5, 0);
                Test::dropOnStrip(strip(), Test::dragPayload(card), end);
            } else if (step == QLatin1String("moveOtherFirst")) {
                Test::dropOnStrip(strip(), Test::dragPayload(strip()->cardAt(2)), QPoint(1, 50));
            } else if (step == QLatin1String("delete")) {
                QTest::mouseClick(card, Qt::RightButton, {}, QPoint(20, 20));
                card->contextMenu()->actions().first()->trigger();
                deleted = true;
            }
        }
        Test::settleStrip(strip());
        QCoreApplication::processEvents();

        const Json stored = fileRecord(id);
        if (deleted) {
            QVERIFY2(stored.is_null(), "the deleted card came back");
            QCOMPARE(cardRows(), 2); // nor under another id
            QCOMPARE(strip()->cardCount(), 2);
            QVERIFY(fileBytes(id, QStringLiteral("widget_icon")).isEmpty());
            return;
        }
        QCOMPARE(QString::fromStdString(stored.at("name").get<std::string>()), name);
        QVERIFY(stored.at("(data)").at("deploymentData").at("name") == name.toStdString());
        QCOMPARE(fileOrder(ids), stripOrder());
        const int place = order.contains(QStringLiteral("moveToEnd"))        ? 2
                          : order.contains(QStringLiteral("moveOtherFirst")) ? 1
                                                                             : 0;
        QCOMPARE(stripOrder().indexOf(uid), place);
        // The strip as the file gives it again.
        const QStringList before = stripOrder();
        strip()->initData();
        Test::settleStrip(strip());
        QCOMPARE(stripOrder(), before);
        QCOMPARE(qobject_cast<SimpleKestrinCard*>(strip()->cardAt(before.indexOf(uid)))->nameText(), name);
    }

    void cardLabelsSurviveAReload_data()
    {
        QTest::addColumn<QString>("groupName");
        QTest::newRow("plain") << QStringLiteral("Office");
        // Text pasted from a file with a byte order mark keeps it, escaped characters or not.
        QTest::newRow("leading U+FEFF") << QString(QChar(0xFEFF)) + QStringLiteral("Office");
        QTest::newRow("leading U+FEFF, escaped") << QString(QChar(0xFEFF)) + QStringLiteral("Office \"HQ\" \\ 2");
    }

    // The label a save shows is the one a reload shows.
    void cardLabelsSurviveAReload()
    {
        QFETCH(QString, groupName);
        openWindow();
        KestrinCard* multi = dropCard("multiAction", {{"name", "Multi-Action"}, {"typeId", "multiAction"}});
        auto* multiEditor = editorOf<KestrinCardMAMultiActionEditor>(multi);
        QVERIFY(multiEditor);
        multiEditor->nameEdit()->setText(QString());
        multiEditor->saveButton()->click();
        QCOMPARE(qobject_cast<SimpleKestrinCard*>(multi)->nameText(), QString());

        QVERIFY(Test::installTestPlugin(QStringLiteral("grp-uuid"), QStringLiteral("Keys"), "[]", m_dir.path()) > 0);
        KestrinCard* group = dropCard("pcCtrlGroup", {{"pluginUuid", "grp-uuid"},
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
        QVERIFY(group);
        auto* groupEditor = editorOf<KestrinCardPCCtrlGroupEditor>(group);
        QVERIFY(groupEditor);
        groupEditor->nameEdit()->setText(groupName);
        groupEditor->saveButton()->click();
        QCOMPARE(qobject_cast<SimpleKestrinCard*>(group)->nameText(), groupName);
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('\n'))));

        strip()->initData();
        Test::settleStrip(strip());
        QCOMPARE(strip()->cardCount(), 2);
        QCOMPARE(qobject_cast<SimpleKestrinCard*>(strip()->cardAt(0))->nameText(), QString());
        QCOMPARE(qobject_cast<SimpleKestrinCard*>(strip()->cardAt(1))->nameText(), groupName);
        QCOMPARE(strip()->cardAt(1)->toolTip(), groupName);
    }

    // A plug-in uninstalled from its group's menu while cards made from it are placed: the
    // cards stay, on the strip and in the file, and the question says which hub screens hold
    // group cards, whose button pictures come from the plug-in's package.
    void uninstallNamesWhereItsGroupCardsAre_data()
    {
        QTest::addColumn<QStringList>("placed");
        QTest::addColumn<QString>("where");
        QTest::newRow("a group card on the shown strip") << steps("group") << QStringLiteral("\"Default Profile\"");
        QTest::newRow("two group cards on one hub screen")
            << steps("group group") << QStringLiteral("\"Default Profile\"");
        QTest::newRow("group cards on two hub screens")
            << steps("group secondGroup") << QStringLiteral("\"Default Profile\", \"Second\"");
        QTest::newRow("a row card and another plug-in's group card") << steps("row otherGroup") << QString();
    }

    void uninstallNamesWhereItsGroupCardsAre()
    {
        QFETCH(QStringList, placed);
        QFETCH(QString, where);
        openWindow();
        MainUtils::setPluginRoot(m_dir.filePath(QStringLiteral("plugin")));
        QVERIFY(Test::installTestPlugin(QStringLiteral("keys-uuid"), QStringLiteral("Office Keys"), "[]",
                                        m_dir.path()) > 0);
        EventBus::instance()->publish(
            QSharedPointer<EventBusMessage>::create(QString::fromLatin1(Topics::PluginInstalled)));
        auto* list = qobject_cast<KestrinWidgetListPanel*>(m_window->widgetListPanel());
        QVERIFY(list);
        std::shared_ptr<KSPluginWidgetGroup> group;
        for (const auto& each : list->groups()) {
            if (each->title() == QLatin1String("Office Keys"))
                group = std::dynamic_pointer_cast<KSPluginWidgetGroup>(each);
        }
        QVERIFY(group);
        const auto storeCard = [this](const char* profile, const char* widgetType, Json data) {
            ProjectDbProfileKsWidgetBean card;
            card.setProfileId(profileId(QString::fromLatin1(profile)));
            card.widgetType = QString::fromLatin1(widgetType);
            card.uid = QStringLiteral("c-%1").arg(cardRows());
            card.name = QStringLiteral("Keys");
            card.data = std::move(data);
            QVERIFY(
                ProjectManager::instance()->getProfileKsWidgetUseCase()->insertOrUpdateWidget(card, nullptr).isOk());
        };
        Json other = group->headerConfig();
        other["pluginUuid"] = "other-uuid";
        for (const QString& step : placed) {
            if (step == QLatin1String("group"))
                QVERIFY(dropCard("pcCtrlGroup", group->headerConfig()));
            else if (step == QLatin1String("secondGroup"))
                storeCard("Second", "pcCtrlGroup", group->headerConfig());
            else if (step == QLatin1String("otherGroup"))
                storeCard("Default Profile", "pcCtrlGroup", other);
            else if (step == QLatin1String("row"))
                storeCard("Default Profile", "pcCtrl", {{"pluginUuid", "keys-uuid"}, {"typeId", "hotKey"}});
        }
        const int rows = cardRows();
        const int shown = strip()->cardCount();

        QPointer<DelayOpMessageDialog> question;
        MessageDialog::setAnswerProvider([this, &question](MessageDialog& dialog) {
            if (auto* asked = qobject_cast<DelayOpMessageDialog*>(&dialog)) {
                question = asked;
                return 0;
            }
            m_messages << dialog.text();
            return 3;
        });
        group->uninstallPlugin();
        QTRY_VERIFY(question);
        const QString text = question->text();
        if (where.isEmpty())
            QCOMPARE(text, QStringLiteral("Are you sure you want to uninstall this plugin?"));
        else
            QVERIFY2(text.contains(QStringLiteral("hub screen of %1, but their button pictures").arg(where)),
                     qPrintable(text));
        question->countdownTimer()->setInterval(1);
        QTRY_VERIFY(question->button2->isEnabled());
        question->button2->click();
        QTRY_VERIFY(!question);
        recordMessages();
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('\n'))));
        const auto plugin = ProjectManager::instance()->getPluginUseCase()->findFirst(QStringLiteral("keys-uuid"));
        QVERIFY(plugin.isOk() && !*plugin.data);
        QCOMPARE(cardRows(), rows);
        QCOMPARE(strip()->cardCount(), shown);
    }

    // The weather key dialog is not modal: "Close Project" is reachable while it is open. Once
    // another project is open, nothing the dialog can still do writes into that project.
    void keyDialogEndsWithItsProject()
    {
        openWindow();
        KestrinCard* card = dropCard("basic", {{"typeId", "accuWeather"}});
        auto* editor = editorOf<KestrinCardBasicAccuWeatherEditor>(card);
        QVERIFY(editor);
        editor->keyButton()->click();
        QPointer<KestrinAccuWeatherEditor> dialog;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<KestrinAccuWeatherEditor*>(widget); found && found->isVisible())
                dialog = found;
        }
        QVERIFY(dialog);
        dialog->keyEdit()->setText(QStringLiteral("k-of-a"));

        for (QAction* action : m_window->mainTitleBar()->windowMenu()->actions()) {
            if (action->data().toInt() == MainTitleBar::MenuCloseProject)
                action->trigger();
        }
        QVERIFY(!m_window->isVisible());
        m_window.reset();
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* start = qobject_cast<StartWindow*>(widget))
                start->close();
        }
        QVERIFY(Test::openFreshProject(m_dir.path(), QStringLiteral("Other")));
        if (dialog && dialog->isVisible())
            dialog->button2->click();
        const auto found = ProjectManager::instance()->getIntegrationUseCase()->findAccuWeather();
        QVERIFY(found.isOk());
        QVERIFY2(!*found.data, *found.data ? (*found.data)->data.dump().c_str() : "");
        QTRY_VERIFY(!dialog);
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('\n'))));
    }
};

ORVEL_WIDGET_TEST_MAIN(TestProfileCardInterleavings, 1920, 1040)
#include "tst_ProfileCardInterleavings.moc"
