#include "cards/KestrinCard.h"
#include "cards/KestrinCardBasicTimer.h"
#include "cards/KestrinChoiceLists.h"
#include "cards/KestrinDeviceScreenUI.h"
#include "cards/SimpleKestrinCard.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectImageUtils.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "support/ProjectRawSqlite.h"
#include "support/TestUtils.h"

#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QRegularExpression>
#include <QResource>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

#include <memory>

using namespace OV;
using Json = nlohmann::json;

namespace {

// Test JSON is written with single quotes.
QByteArray q(const char* text)
{
    return QByteArray(text).replace('\'', '"');
}

// Replaces "<uid>" anywhere in the expected text with the card's uid.
Json expectedFor(const QByteArray& text, const QString& uid)
{
    QByteArray filled = text;
    filled.replace("<uid>", uid.toUtf8());
    return Json::parse(filled.toStdString());
}

// Every key of expected is in actual with an equal value (objects compared the same way).
bool containsAll(const Json& actual, const Json& expected, QString* where)
{
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        if (!actual.contains(it.key())) {
            *where = QString::fromStdString("missing " + it.key());
            return false;
        }
        const Json& value = actual.at(it.key());
        if (it->is_object() ? !containsAll(value, *it, where) : value != *it) {
            if (where->isEmpty())
                *where = QString::fromStdString(it.key() + ": " + value.dump() + " != " + it->dump());
            return false;
        }
    }
    return true;
}

} // namespace

class TestCardDeployData : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int64_t m_profileId = 0;
    std::unique_ptr<KestrinDeviceScreenUI> m_screen;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const BaseResult<void> created =
            ProjectManager::instance()->createProject(QStringLiteral("cards"), m_dir.path());
        QVERIFY2(created.isOk(), qPrintable(created.message));
        const auto profile = ProjectManager::instance()->getProfileUseCase()->findFirst(QStringLiteral("true"));
        QVERIFY(profile.isOk() && *profile.data);
        m_profileId = (*profile.data)->id;
        m_screen = std::make_unique<KestrinDeviceScreenUI>(nullptr, nullptr, nullptr);
    }

    void cleanupTestCase()
    {
        m_screen.reset();
        ProjectManager::instance()->closeProject();
    }

    void defaults_data()
    {
        QTest::addColumn<QString>("widgetType");
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QByteArray>("deploy");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("editable");

        QTest::newRow("clock") << "basic" << q("{'typeId':'clock'}") << q("{'type':'TIME'}") << "Clock" << false;
        QTest::newRow("world clock")
            << "basic" << q("{'typeId':'worldClock'}")
            << q("{'id':'<uid>','type':'WORLD_TIME','name':'UTC', 'param':{'offset':'GMT+0:00'}}") << "UTC" << true;
        QTest::newRow("weather") << "basic" << q("{'typeId':'accuWeather'}")
                                 << q("{'id':'<uid>','type':'WEATHER','param':{'lat':'','lon':''}}") << "Accu Weather"
                                 << true;
        QTest::newRow("timer") << "basic" << q("{'typeId':'timer'}")
                               << q("{'id':'<uid>','type':'TIMER','name':'','param':{'time':'00:01:00'}}") << "00:01:00"
                               << true;
        QTest::newRow("white noise") << "basic" << q("{'typeId':'whiteNoise'}")
                                     << q("{'id':'<uid>','type':'SOUNDSCAPE', 'param':{'id':'sys.app.soundscape.1'}}")
                                     << "White Noise" << true;
        QTest::newRow("network usage") << "pcCtrl"
                                       << q("{'name':'Network Speed','typeId':'cpuUsage','extCmd':'NETWORK', "
                                            "'icon':':/profile/image/icon_pc_network_speed.png'}")
                                       << q("{'id':'<uid>','type':'NETWORK','name':'Network Speed','iconScale':50, "
                                            "'icon':'file://image/<uid>.png'}")
                                       << "Network Speed" << false;
        QTest::newRow("app") << "app"
                             << q("{'name':'Calendar','iconUrl':':/profile/image/icon_basic_clock.png', "
                                  "'package':'app.calendar','type':1}")
                             << q("{'id':'app.calendar','type':'APPS'}") << "Calendar" << false;
        QTest::newRow("thessa") << "module"
                                << q("{'name':'Thessa Temp & Humidity','typeId':'thessaTempAndHu', "
                                     "'icon':':/profile/image/icon_md_thessa_temp_hu.png'}")
                                << q("{'id':'<uid>','type':'THESSA','name':'','param':{'uid':''}}")
                                << "Thessa Temp & Humidity" << true;
        QTest::newRow("multi-action") << "multiAction" << q("{'name':'Multi-Action','typeId':'multiAction'}")
                                      << q("{'id':'<uid>','type':'SCENE','iconScale':50, "
                                           "'icon':'file://image/<uid>.png', 'param':{'type':'ACTION','actions':[]}}")
                                      << "Multi-Action" << true;
        struct PcRow
        {
            const char* typeId;
            const char* param;
        };
        const PcRow pcRows[] = {
            {"hotKey", "{'output':5,'keys':[]}"},
            {"openFile", "{'output':10,'payload':{'action':'openFile','params':{'path':''}}}"},
            {"startApp", "{'output':10,'payload':{'action':'startApp','params':{'path':'','launchMode':2}}}"},
            {"openBrowser", "{'output':10,'payload':{'action':'openBrowser','params':{'url':''}}}"},
            {"inputText", "{'output':10,'payload':{'action':'inputText','params':{'text':''}}}"},
            {"execCmd", "{'output':10,'payload':{'action':'execCmd','params':{'cmd':''}}}"},
        };
        for (const PcRow& row : pcRows) {
            const QByteArray config = QByteArray("{'name':'Action','typeId':'") + row.typeId +
                                      "','icon':':/profile/image/icon_pc_exe.png','extCmd':''}";
            const QByteArray deploy = QByteArray("{'id':'<uid>','type':'PC_CONTROL','name':'Action','iconScale':50,"
                                                 "'icon':'file://image/<uid>.png','param':") +
                                      row.param + "}";
            QTest::addRow("PC control %s", row.typeId)
                << "pcCtrl" << q(config.constData()) << q(deploy.constData()) << "Action" << true;
        }
    }

    void defaults()
    {
        QFETCH(QString, widgetType);
        QFETCH(QByteArray, config);
        QFETCH(QByteArray, deploy);
        QFETCH(QString, label);
        QFETCH(bool, editable);

        std::unique_ptr<KestrinCard> card(m_screen->createDeskCard(m_profileId, nullptr, widgetType.toStdString(),
                                                                   Json::parse(config.toStdString())));
        QVERIFY(card);
        const QString uid = card->bean()->uid;
        QCOMPARE(uid.size(), 22);
        QCOMPARE(card->bean()->k1, QString::number(m_profileId));
        QString where;
        QVERIFY2(containsAll(card->deploymentData(), expectedFor(deploy, uid), &where), qPrintable(where));
        QCOMPARE(static_cast<SimpleKestrinCard*>(card.get())->nameText(), label);
        QCOMPARE(card->isEditable(), editable);
        if (QTest::currentDataTag() == QByteArrayLiteral("clock")) {
            // The clock's hub id is made once, apart from the record's uid.
            const QString id = QString::fromStdString(card->deploymentData().at("id").get<std::string>());
            QCOMPARE(id.size(), 22);
            QVERIFY(id != uid);
        }
    }

    // An application card's stored icon is decoded when the card is first seen (or its icon is
    // asked for), not when the strip is filled; stored bytes that are no picture are logged and
    // the card fetches its icon from its address instead, as before.
    void storedAppIconIsDecodedWhenFirstSeen()
    {
        const auto cards = ProjectManager::instance()->getProfileKsWidgetUseCase();
        const auto storedCard = [&](const QByteArray& iconBytes) {
            auto bean = std::make_shared<ProjectDbProfileKsWidgetBean>();
            bean->setProfileId(m_profileId);
            bean->widgetType = QStringLiteral("app");
            bean->uid = QStringLiteral("app-%1").arg(iconBytes.size());
            bean->setData(Json::parse(
                q("{'name':'Calendar','iconUrl':':/profile/image/icon_basic_clock.png','package':'app.calendar'}")
                    .toStdString()));
            [&] { QVERIFY(cards->insertOrUpdateWidget(*bean, nullptr).isOk()); }();
            Test::ProjectRawSqlite raw(ProjectManager::instance()->projectFileInfo().filePath());
            [&] {
                QVERIFY(raw.run(QStringLiteral("INSERT INTO file_store (owner_id, file_name, data) VALUES (?, ?, ?)"),
                                {qlonglong(bean->id), QString::fromLatin1(ProjectProfileKsWidgetUseCase::kIconFileName),
                                 iconBytes}));
            }();
            return std::unique_ptr<SimpleKestrinCard>(
                static_cast<SimpleKestrinCard*>(m_screen->createDeskCard(-1, bean, "app", bean->data)));
        };
        const auto iconShown = [](SimpleKestrinCard& card) {
            for (QLabel* label : card.findChildren<QLabel*>()) {
                if (label->size() == QSize(50, 50))
                    return !label->pixmap().isNull();
            }
            return false;
        };

        QPixmap red(64, 64);
        red.fill(Qt::red);
        const auto card = storedCard(pixmapToPng(red));
        QVERIFY(card);
        QVERIFY(!iconShown(*card));
        QCOMPARE(card->iconImage().size(), QSize(64, 64));
        QCOMPARE(card->iconImage().toImage().pixelColor(10, 10), QColor(Qt::red));
        QVERIFY(iconShown(*card));

        Test::LogCapture capture;
        const auto damaged = storedCard("not a picture");
        QVERIFY(damaged);
        card->grab();
        QVERIFY(damaged->iconImage().isNull());
        QVERIFY2(capture.text().contains(QLatin1String("is no picture")), qPrintable(capture.text()));
        QTRY_VERIFY(!damaged->iconImage().isNull()); // the picture at its address
        QVERIFY(iconShown(*damaged));
    }

    void refusedCards_data()
    {
        QTest::addColumn<qint64>("profileId");
        QTest::addColumn<QString>("widgetType");
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QString>("log");

        QTest::newRow("unknown basic typeId") << qint64(1) << "basic" << q("{'typeId':'radio'}") << "";
        QTest::newRow("unknown widget type") << qint64(1) << "sticker" << q("{'typeId':'clock'}") << "";
        QTest::newRow("unknown module") << qint64(1) << "module" << q("{'typeId':'lamp'}") << "";
        QTest::newRow("profile id 0") << qint64(0) << "basic" << q("{'typeId':'clock'}")
                                      << "createScreenItem error:invalid profile id: 0";
        QTest::newRow("unknown PC typeId") << qint64(1) << "pcCtrl" << q("{'typeId':'reboot'}")
                                           << "createScreenItem error:[PCCtrl] invalid typeId: reboot";
        QTest::newRow("basic without typeId") << qint64(1) << "basic" << q("{}") << "createScreenItem error:";
        QTest::newRow("group of a missing plug-in")
            << qint64(1) << "pcCtrlGroup" << q("{'name':'Keys','pluginUuid':'nope','deploymentData':{}}")
            << "createScreenItem error:plugin not install";
    }

    void refusedCards()
    {
        QFETCH(qint64, profileId);
        QFETCH(QString, widgetType);
        QFETCH(QByteArray, config);
        QFETCH(QString, log);
        Test::LogCapture capture;
        KestrinCard* card = m_screen->createDeskCard(profileId == 1 ? m_profileId : profileId, nullptr,
                                                     widgetType.toStdString(), Json::parse(config.toStdString()));
        QVERIFY(!card);
        if (log.isEmpty())
            QVERIFY2(!capture.text().contains(QLatin1String("createScreenItem")), qPrintable(capture.text()));
        else
            QVERIFY2(capture.text().contains(log), qPrintable(capture.text()));
    }

    // A card from a plug-in button row carries the row's id; every card must have its own.
    void pluginRowCardsTakeTheirOwnId()
    {
        const Json row = Json::parse(q("{'pluginUuid':'weatherkeys','name':'Lights','icon':'file://icons/a.png', "
                                       "'iconScale':60,'typeId':'hotKey','iconName':'','extCmd':'', "
                                       "'deploymentData':{'id':'row-id','type':'PC_CONTROL','name':'Lights','iconScale'"
                                       ":60, 'icon':'file://icons/a.png','param':{'output':5,'keys':[4]}}}")
                                         .toStdString());
        std::unique_ptr<KestrinCard> first(m_screen->createDeskCard(m_profileId, nullptr, "pcCtrl", row));
        std::unique_ptr<KestrinCard> second(m_screen->createDeskCard(m_profileId, nullptr, "pcCtrl", row));
        QVERIFY(first && second);
        QVERIFY(first->deploymentData().at("id") == first->bean()->uid.toStdString());
        QVERIFY(second->deploymentData().at("id") == second->bean()->uid.toStdString());
        QVERIFY(first->deploymentData().at("param") == row.at("deploymentData").at("param"));
    }

    void iconReferences_data()
    {
        QTest::addColumn<QString>("icon");
        QTest::addColumn<bool>("exported");
        QTest::newRow("address in capitals") << "HTTP://127.0.0.1:9/icon.png" << false;
        QTest::newRow("address with spaces") << "  https://127.0.0.1:9/icon.png" << false;
        QTest::newRow("kept in the project") << "file://" << true;
        QTest::newRow("empty") << "" << false;
    }

    void iconReferences()
    {
        QFETCH(QString, icon);
        QFETCH(bool, exported);
        std::unique_ptr<KestrinCard> card(m_screen->createDeskCard(m_profileId, nullptr, "basic",
                                                                   Json::parse(q("{'typeId':'timer'}").toStdString())));
        QVERIFY(card);
        card->bean()->icon = icon;
        card->deploymentData()["icon"] = icon.toStdString();
        card->deployIcon();
        const QString expected = exported ? QStringLiteral("file://image/%1.png").arg(card->bean()->uid) : icon;
        QCOMPARE(QString::fromStdString(card->deploymentData().at("icon").get<std::string>()), expected);
    }

    void timerLabelAndParam_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("sec");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("label");
        QTest::newRow("named") << "Tea" << 0 << 3 << 0 << "00:03:00"
                               << "Tea";
        QTest::newRow("unnamed") << "" << 12 << 5 << 9 << "12:05:09"
                                 << "12:05:09";
        QTest::newRow("zero") << "" << 0 << 0 << 0 << "00:00:00"
                              << "00:00:00";
    }

    void timerLabelAndParam()
    {
        QFETCH(QString, name);
        QFETCH(int, hour);
        QFETCH(int, min);
        QFETCH(int, sec);
        QFETCH(QString, time);
        QFETCH(QString, label);
        std::unique_ptr<KestrinCard> card(m_screen->createDeskCard(m_profileId, nullptr, "basic",
                                                                   Json::parse(q("{'typeId':'timer'}").toStdString())));
        auto* timer = qobject_cast<KestrinCardBasicTimer*>(card.get());
        QVERIFY(timer);
        timer->setConfig(name, hour, min, sec);
        QCOMPARE(QString::fromStdString(timer->param().at("time").get<std::string>()), time);
        QCOMPARE(timer->nameText(), label);
        QCOMPARE(timer->configuration().at("hour").get<int>(), hour);
    }

    void timeZoneList()
    {
        QResource resource(QString::fromLatin1(KestrinChoiceLists::kTimeZoneResource));
        QVERIFY(resource.isValid());
        QVERIFY(resource.compressionAlgorithm() != QResource::NoCompression);
        const QList<KestrinChoiceLists::TimeZone> zones = KestrinChoiceLists::timeZones();
        QCOMPARE(zones.size(), 286);
        QCOMPARE(zones.first().textEn, QStringLiteral("Accra - Ghana"));
        QCOMPARE(zones.first().offset, QStringLiteral("GMT+0:00"));
        const QRegularExpression format(QStringLiteral("^GMT[+-](1[0-2]|[0-9]):(00|30)$"));
        QSet<QString> offsets;
        for (int i = 0; i < zones.size(); ++i) {
            QVERIFY2(format.match(zones[i].offset).hasMatch(), qPrintable(zones[i].offset));
            offsets.insert(zones[i].offset);
            if (i > 0)
                QVERIFY2(zones[i - 1].textEn.compare(zones[i].textEn, Qt::CaseInsensitive) < 0,
                         qPrintable(zones[i].textEn));
        }
        QCOMPARE(offsets.size(), 28);
        QVERIFY(offsets.contains(QStringLiteral("GMT-10:00")) && offsets.contains(QStringLiteral("GMT+12:00")));
        QVERIFY(offsets.contains(QStringLiteral("GMT+9:30")));
        QCOMPARE(zones.first().text(QStringLiteral("zh_CN")), QStringLiteral("阿克拉 - 加纳"));
    }

    // Three letters typed in any letter case offer every zone that holds them anywhere.
    void timeZoneCompletion()
    {
        QStringList texts;
        for (const KestrinChoiceLists::TimeZone& zone : KestrinChoiceLists::timeZones())
            texts << zone.textEn;
        QComboBox box;
        box.setEditable(true);
        KestrinChoiceLists::setSearchableItems(&box, texts);
        QCompleter* completer = box.completer();
        QVERIFY(completer);
        completer->setCompletionPrefix(QStringLiteral("LoN"));
        QStringList offered;
        for (int i = 0; completer->setCurrentRow(i); ++i)
            offered << completer->currentCompletion();
        QCOMPARE(offered, texts.filter(QStringLiteral("lon"), Qt::CaseInsensitive));
        QVERIFY(offered.contains(QStringLiteral("London - United Kingdom")));
        QVERIFY(offered.contains(QStringLiteral("Barcelona - Spain")));
        // The timer's boxes are not editable and list plain numbers.
        QComboBox hours;
        KestrinChoiceLists::setSearchableItems(&hours, KestrinChoiceLists::numbers(24));
        QCOMPARE(hours.count(), 24);
        QCOMPARE(hours.itemText(9), QStringLiteral("9"));
    }

    void soundList()
    {
        const QList<KestrinChoiceLists::Sound> sounds = KestrinChoiceLists::sounds();
        QCOMPARE(sounds.size(), 7);
        for (int i = 0; i < sounds.size(); ++i)
            QCOMPARE(sounds[i].id, QStringLiteral("sys.app.soundscape.%1").arg(i + 1));
        // The file's Chinese names are empty: Chinese falls back to English.
        QCOMPARE(sounds.first().name(QStringLiteral("zh_CN")), QStringLiteral("Moonlit Serenade"));
        QCOMPARE(sounds[2].name(QStringLiteral("en_US")), QStringLiteral("Hearth’s Lullaby"));
    }
};

QTEST_MAIN(TestCardDeployData)
#include "tst_CardDeployData.moc"
