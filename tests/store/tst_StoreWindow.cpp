#include "core/EventBus.h"
#include "main/MainTitleBar.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectDbPluginBean.h"
#include "project/ProjectImageUtils.h"
#include "project/ProjectManager.h"
#include "project/ProjectPluginUseCase.h"
#include "store/BaseDownloadDialog.h"
#include "store/PluginCloudItem.h"
#include "store/StorePluginCloudContent.h"
#include "store/StorePluginPanel.h"
#include "store/StoreUtils.h"
#include "store/StoreWindow.h"
#include "support/ProjectTestUtils.h"
#include "support/StandInHttpServer.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseWidget.h"
#include "widgets/MessageDialog.h"
#include "widgets/PaginationWidget.h"
#include "widgets/ToastWidget.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using OV::Test::HttpReply;

// Declared before the first data table that holds one; later is an error in optimised builds.
Q_DECLARE_METATYPE(OV::Test::HttpReply)
using OV::Test::HttpRequest;

namespace {

const QString kListPath = QString::fromLatin1(StorePluginCloudContent::kListPath);
const QString kCorpus = QStringLiteral(ORVEL_TEST_DATA_DIR "/store/package_corpus");

QByteArray pngBytes(int hue)
{
    QImage image(90, 90, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor::fromHsv(hue % 360, 160, 230));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(10, 10, 70, 70), 16, 16);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(45, 45), 14, 14);
    painter.end();
    return pixmapToPng(QPixmap::fromImage(image));
}

} // namespace

class TestStoreWindow : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home;
    Test::StandInHttpServer m_server;
    // What the listing answers: the number of records in all, and the "current" it names
    // (-1: the page asked for, as a sound gateway does).
    int m_total = 41;
    int m_current = -1;
    std::function<nlohmann::json(int index)> m_record;
    QStringList m_messages;
    QStringList m_topics;

    int sent() const { return m_server.requestCount(kListPath); }
    QList<int> pagesAsked() const
    {
        QList<int> pages;
        for (const HttpRequest& r : m_server.requests()) {
            if (r.path == kListPath)
                pages << r.query.queryItemValue(QStringLiteral("pi")).toInt();
        }
        return pages;
    }
    nlohmann::json record(int index) const
    {
        const std::string id = "plug-" + std::to_string(index);
        return {{"identifier", id},
                {"sha256", ""},
                {"file", m_server.urlText(QStringLiteral("/pkg/valid-package.zip")).toStdString()},
                {"versionName", "1.0." + std::to_string(index)},
                {"versionCode", index},
                {"pluginType", index % 3 == 2 ? 2 : 0},
                {"icon", m_server.urlText(QStringLiteral("/icon/%1.png").arg(index % 6)).toStdString()},
                {"name", "Plug-in " + std::to_string(index)},
                {"author", "Brelvik Labs"},
                {"desc", index % 4 == 1 ? "A clock with three time zones, the date, the week number and a "
                                          "countdown to the next meeting, for the hub's wide screen."
                                        : "Shows " + std::to_string(index) + " on the hub."}};
    }
    HttpReply listing(const HttpRequest& r) const
    {
        const int asked = r.query.queryItemValue(QStringLiteral("pi")).toInt();
        const int page = qMax(1, asked);
        nlohmann::json records = nlohmann::json::array();
        for (int i = (page - 1) * 20; i < qMin(m_total, page * 20); ++i)
            records.push_back(m_record ? m_record(i) : record(i));
        return HttpReply::json(
            {{"state", 200},
             {"data", {{"current", m_current < 0 ? asked : m_current}, {"total", m_total}, {"records", records}}}});
    }
    // A store window whose listing has answered (and any follow-up too).
    std::unique_ptr<StoreWindow> openStore(int requests)
    {
        const int before = sent();
        auto window = std::make_unique<StoreWindow>();
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->show();
        if (!QTest::qWaitFor([&] { return sent() >= before + requests; }, 5000))
            return {};
        QTest::qWait(150);
        return window;
    }
    static StorePluginCloudContent* cloud(StoreWindow& window)
    {
        return static_cast<StorePluginCloudContent*>(window.pluginPanel()->cloudContent());
    }
    static int shownTiles(StoreWindow& window)
    {
        int shown = 0;
        for (PluginCloudItem* item : cloud(window)->items())
            shown += item->isVisibleTo(&window) ? 1 : 0;
        return shown;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CACHE_HOME", m_home.path().toUtf8());
        QVERIFY(m_server.start());
        m_server.route(kListPath, [this](const HttpRequest& r) { return listing(r); });
        for (int i = 0; i < 6; ++i)
            m_server.route(QStringLiteral("/icon/%1.png").arg(i), HttpReply::bytes(pngBytes(i * 55), "image/png"));
        HttpReply slowIcon = HttpReply::bytes(pngBytes(300), "image/png");
        slowIcon.delayMs = 500;
        m_server.route(QStringLiteral("/icon/slow.png"), slowIcon);
        for (const QString& file : QDir(kCorpus).entryList({QStringLiteral("*.zip")}))
            m_server.route(QStringLiteral("/pkg/") + file, HttpReply::file(kCorpus + QLatin1Char('/') + file));
        QVERIFY(QDir::setCurrent(m_home.path()));
        QVERIFY(Test::writeFileBytes(m_home.filePath(QStringLiteral("settings.json")),
                                     QStringLiteral("{\"cloudGateway\": \"%1\"}").arg(m_server.urlText({})).toUtf8()));
        Test::applyBaseTheme();
        QVERIFY(ProjectManager::instance()->createProject(QStringLiteral("Store"), m_home.path()).isOk());
        MessageDialog::setAnswerProvider([this](MessageDialog& d) {
            m_messages << d.text();
            return 1;
        });
        connect(EventBus::instance(), &EventBus::messagePosted, this,
                [this](const QSharedPointer<EventBusMessage>& m) { m_topics << m->topic; });
    }

    void init()
    {
        m_total = 41;
        m_current = -1;
        m_record = {};
        m_messages.clear();
        m_topics.clear();
    }

    // The first request asks for page 0 with the fixed query; the pagination shows page 1, so
    // page 1 is asked for once more, and no further request follows.
    void firstPageThenOneFollowUp()
    {
        const int before = sent();
        auto window = openStore(2);
        QVERIFY(window);
        QTest::qWait(300);
        QCOMPARE(pagesAsked().mid(before), QList<int>({0, 1}));
        QList<QUrlQuery> queries;
        for (const HttpRequest& r : m_server.requests()) {
            if (r.path == kListPath)
                queries << r.query;
        }
        const QUrlQuery first = queries.value(before);
        QVERIFY(first.hasQueryItem(QStringLiteral("keyword")));
        QCOMPARE(first.queryItemValue(QStringLiteral("keyword")), QString());
        QCOMPARE(first.queryItemValue(QStringLiteral("ps")), QStringLiteral("20"));
        QCOMPARE(window->title(), QStringLiteral("App and Plugin Store"));
        QVERIFY(window->isMaximized());
        QCOMPARE(window->currentCategory(), QStringLiteral("plugin"));
        QCOMPARE(window->pluginPanel()->currentPage(), 1);
        QCOMPARE(StoreWindow::instance(), window.get());

        PaginationWidget* pages = cloud(*window)->pagination();
        QCOMPARE(pages->totalPages(), 3);
        QCOMPARE(pages->currentPage(), 1);
        QCOMPARE(shownTiles(*window), 20);
        pages->setCurrentPage(3);
        QTRY_COMPARE(pagesAsked().last(), 3);
        QTRY_COMPARE(shownTiles(*window), 1);
        QCOMPARE(cloud(*window)->items()[0]->identifier(), QStringLiteral("plug-40"));
        window.reset();
        QCOMPARE(StoreWindow::instance(), nullptr);
    }

    // The title bar's store button opens a new parentless store window each time, deleted on close.
    void titleBarOpensStore()
    {
        MainTitleBar bar;
        bar.show();
        QPointer<StoreWindow> first;
        for (int i = 0; i < 2; ++i) {
            const int before = sent();
            QTest::mouseClick(bar.storeButton(), Qt::LeftButton);
            QTRY_COMPARE(sent(), before + 2);
            QPointer<StoreWindow> store = StoreWindow::instance();
            QVERIFY(store && store != first && !store->parentWidget());
            QVERIFY(store->testAttribute(Qt::WA_DeleteOnClose));
            if (first)
                first->close();
            first = store;
        }
        first->close();
        QTRY_VERIFY(!first);
        QTRY_COMPARE(StoreWindow::instance(), nullptr);
    }

    // A gateway whose "current" is always 0, or out of range, is asked at most once more.
    void replyNamingAnotherPageAsksOnce_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QList<int>>("asked");
        QTest::newRow("always 0, user picks 2") << 0 << 41 << 2 << QList<int>{0, 1, 2, 1};
        QTest::newRow("beyond the last") << 99 << 41 << 2 << QList<int>{0, 3, 2, 3};
        QTest::newRow("total 0") << 0 << 0 << 1 << QList<int>{0, 1};
    }

    void replyNamingAnotherPageAsksOnce()
    {
        QFETCH(int, current);
        QFETCH(int, total);
        QFETCH(int, chosen);
        QFETCH(QList<int>, asked);
        m_current = current;
        m_total = total;
        const int before = sent();
        auto window = openStore(2);
        QVERIFY(window);
        QCOMPARE(cloud(*window)->pagination()->totalPages(), qMax(1, (total + 19) / 20));
        cloud(*window)->pagination()->setCurrentPage(chosen);
        // Every request asked for has gone out, however long that takes; then none follows.
        QTRY_VERIFY(sent() >= before + int(asked.size()));
        QTest::qWait(400);
        QCOMPARE(pagesAsked().mid(before), asked);
    }

    // 25 records in one reply fill the 20 tiles; a record without identifier stops the filling;
    // missing texts show "--"; type 2 shows "Images".
    void tilesFromRecords()
    {
        m_total = 25;
        m_current = 1;
        m_record = [this](int i) {
            nlohmann::json r = record(i);
            if (i == 1)
                r.erase("name");
            return r;
        };
        auto window = openStore(2);
        QVERIFY(window);
        m_current = -1;
        m_server.route(kListPath, [this](const HttpRequest& r) {
            HttpReply reply = listing(r);
            nlohmann::json body = nlohmann::json::parse(reply.body.toStdString());
            body["data"]["records"] = nlohmann::json::array();
            for (int i = 0; i < 25; ++i)
                body["data"]["records"].push_back(record(i));
            if (r.query.queryItemValue(QStringLiteral("pi")) == QLatin1String("2"))
                body["data"]["records"][3].erase("identifier");
            return HttpReply::json(body);
        });
        cloud(*window)->requestPage(1);
        QTRY_COMPARE(shownTiles(*window), 20);
        const auto& items = cloud(*window)->items();
        QCOMPARE(items[2]->typeText(), QStringLiteral("Images"));
        QCOMPARE(items[0]->typeText(), QStringLiteral("Widgets"));
        cloud(*window)->requestPage(2);
        QTRY_COMPARE(shownTiles(*window), 3);
        QVERIFY(items[3]->record().is_null() || items[3]->isHidden());
        m_server.route(kListPath, [this](const HttpRequest& r) { return listing(r); });
        cloud(*window)->requestPage(2);
        QTRY_COMPARE(shownTiles(*window), 5);
    }

    void descriptionFitsFortyPixels()
    {
        PluginCloudItem item;
        nlohmann::json r = record(0);
        r.erase("desc");
        item.setData(r);
        QCOMPARE(item.descriptionLabel()->text(), QStringLiteral("--"));
        QCOMPARE(item.nameText(), QStringLiteral("Plug-in 0"));
        r["desc"] = "One short line.";
        item.setData(r);
        QCOMPARE(item.descriptionLabel()->text(), QStringLiteral("One short line."));
        r["desc"] = std::string(40, 'w') + " shows the weather of three cities with their sunrise and sunset, "
                                           "the wind and a forecast for the next five days in one card.";
        item.setData(r);
        const QString shown = item.descriptionLabel()->text();
        QVERIFY2(shown.endsWith(QLatin1String("...")), qPrintable(shown));
        const QFontMetrics metrics(item.descriptionLabel()->font());
        QVERIFY(shown.count(QLatin1Char('\n')) + 1 <= qMax(1, 40 / metrics.height()));
        // A record with a bad type is refused with an exception, which the listing logs.
        r["versionCode"] = "7";
        QVERIFY(!Test::thrownText([&] { item.setData(r); }).isEmpty());
    }

    // Store icons: a picture (cropped when asked) reaches the widget and the callback; one that
    // cannot be had, or an address that is no web address, leaves the error picture and no call.
    void icons()
    {
        const QImage errorPicture = QPixmap(QStringLiteral(":/image/image_load_error.png")).toImage();
        BaseWidget widget;
        QPixmap given;
        StoreUtils::loadIcon(&widget, m_server.urlText(QStringLiteral("/icon/1.png")), true,
                             [&](const QPixmap& p) { given = p; });
        QTRY_VERIFY(!given.isNull());
        QCOMPARE(given.size(), QSize(70, 70));
        QCOMPARE(widget.backgroundPixmap().size(), QSize(70, 70));
        int calls = 0;
        StoreUtils::loadIcon(&widget, m_server.urlText(QStringLiteral("/icon/missing.png")), false,
                             [&](const QPixmap&) { ++calls; });
        QTRY_COMPARE(widget.backgroundPixmap().toImage(), errorPicture);
        QCOMPARE(calls, 0);

        PluginCloudItem item;
        nlohmann::json r = record(0);
        r["icon"] = "file:///etc/hostname";
        item.setData(r);
        QTRY_COMPARE(item.iconWidget()->backgroundPixmap().toImage(), errorPicture);
    }

    // A listing that fails shows a notice instead of an empty page.
    void failedListingShowsNotice_data()
    {
        QTest::addColumn<HttpReply>("reply");
        QTest::newRow("error status") << HttpReply::json({{"error", "down"}}, 503);
        QTest::newRow("other state") << HttpReply::json({{"state", 500}, {"msg", "busy"}});
        QTest::newRow("silence") << HttpReply::silent();
        QTest::newRow("cut short") << HttpReply::closeEarly(QByteArray(R"({"state":200,"data":{"records":[]}})"));
        QTest::newRow("not json") << HttpReply::bytes("<html>", "text/html");
        QTest::newRow("endless body") << HttpReply::endless("application/json", 16 << 20);
        QTest::newRow("records not an array")
            << HttpReply::json({{"state", 200}, {"data", {{"current", 1}, {"total", 1}, {"records", "none"}}}});
    }

    void failedListingShowsNotice()
    {
        QFETCH(HttpReply, reply);
        auto window = openStore(2);
        QVERIFY(window);
        QVERIFY(cloud(*window)->noticeLabel()->isHidden());
        m_server.route(kListPath, reply);
        cloud(*window)->setRequestTimeout(300);
        const int before = sent();
        cloud(*window)->requestPage(2);
        QTRY_VERIFY(cloud(*window)->noticeLabel()->isVisible());
        QCOMPARE(shownTiles(*window), 0);
        const QString notice = cloud(*window)->noticeLabel()->text();
        QVERIFY(notice.startsWith(QLatin1String("The plug-in list could not be loaded.")));
        // Refused at its bound, well before the time-out.
        if (QTest::currentDataTag() == QLatin1String("endless body"))
            QVERIFY2(notice.endsWith(QLatin1String("Reply too large (more than 4194304 bytes)")), qPrintable(notice));
        QTest::qWait(100);
        QCOMPARE(sent(), before + 1);
        const QString dir = Test::screenshotDir();
        if (!dir.isEmpty() && QTest::currentDataTag() == QLatin1String("error status"))
            QVERIFY(window->grab().save(dir + QStringLiteral("/store_listing_failed.png")));
        m_server.route(kListPath, [this](const HttpRequest& r) { return listing(r); });
    }

    // Install from the tile: download, record with icon and package in the project, the event,
    // the toast; the tile turns to "Installed"; a second install keeps the record id.
    void installFromTile()
    {
        m_total = 7;
        auto window = openStore(1);
        QVERIFY(window);
        PluginCloudItem* tile = cloud(*window)->items()[0];
        QTRY_VERIFY(!tile->iconWidget()->backgroundPixmap().isNull());
        QVERIFY(tile->installButton()->isVisibleTo(tile));
        QTest::mouseClick(tile->installButton(), Qt::LeftButton);
        QTRY_VERIFY(tile->installedLabel()->isVisibleTo(tile));
        QVERIFY(!tile->installButton()->isVisibleTo(tile));
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(m_topics, QStringList{QStringLiteral("ON_PLUGIN_INSTALLED")});
        const auto toasts = window->findChildren<ToastWidget*>();
        QVERIFY(!toasts.isEmpty() && toasts.last()->text() == QLatin1String("Install successful"));

        auto plugins = ProjectManager::instance()->getPluginUseCase();
        auto installed = *plugins->findFirst(QStringLiteral("plug-0")).data;
        QVERIFY(installed);
        QCOMPARE(installed->name, QStringLiteral("Plug-in 0"));
        QCOMPARE(installed->versionName, QStringLiteral("1.0.0"));
        QCOMPARE(installed->k2, QStringLiteral("0"));
        QVERIFY(installed->data["button"][0]["name"] == "One");
        auto db = plugins->accessor->database();
        QCOMPARE(*db->loadFile(installed->id, QStringLiteral("pack")).data,
                 Test::fileBytes(kCorpus + QStringLiteral("/valid-package.zip")));
        QVERIFY(!QImage::fromData(*db->loadFile(installed->id, QStringLiteral("icon")).data).isNull());
        QVERIFY(!QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/temp/plug-0.zip")));

        const QString dir = Test::screenshotDir();
        if (!dir.isEmpty()) {
            QTest::qWait(100);
            QVERIFY(window->grab().save(dir + QStringLiteral("/store_window.png")));
        }

        const int64_t id = installed->id;
        tile->downloadPluginFile();
        QTRY_COMPARE(m_topics.size(), 2);
        installed = *plugins->findFirst(QStringLiteral("plug-0")).data;
        QCOMPARE(installed->id, id);
        QCOMPARE(plugins->accessor->findAll(false).data->size(), size_t(1));
    }

    // Each failure gives its text and stores nothing.
    void installFailures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sha256");
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<QString>("message");
        const QString sha = QString::fromLatin1(
            QCryptographicHash::hash(Test::fileBytes(kCorpus + QStringLiteral("/valid-package.zip")),
                                     QCryptographicHash::Sha256)
                .toHex());
        QTest::newRow("not found") << "/pkg/missing.zip"
                                   << ""
                                   << "f-1"
                                   << "download failed. Details: Error transferring %1 - server replied: Not Found";
        QTest::newRow("array config") << "/pkg/valid-config-array.zip"
                                      << ""
                                      << "f-2"
                                      << "Unknown error. Details: arg 'data' is not json object";
        QTest::newRow("no config") << "/pkg/valid-no-config.zip"
                                   << ""
                                   << "f-3"
                                   << "Read failed. Details: Read plugin config.json error";
        QTest::newRow("sha256 differs")
            << "/pkg/valid-package.zip" << QString(64, QLatin1Char('0')) << "f-4"
            << "Invalid argument. Details: the downloaded package does not match its sha256";
        QTest::newRow("zip slip") << "/pkg/hostile-slip-dotdot.zip"
                                  << ""
                                  << "f-5"
                                  << "Read failed. Details: invalid plugin package: unsafe member name: ../evil.txt";
        QTest::newRow("unsafe identifier") << "/pkg/valid-package.zip"
                                           << ""
                                           << "../f-6"
                                           << "Invalid argument. Details: invalid identifier:../f-6";
        QTest::newRow("file address") << "file:///etc/hostname"
                                      << ""
                                      << "f-7"
                                      << "Invalid argument. Details: invalid address:file:///etc/hostname";
        QTest::newRow("sha256 matches, any case") << "/pkg/valid-package.zip" << sha.toUpper() << "f-8"
                                                  << "";
    }

    void installFailures()
    {
        QFETCH(QString, file);
        QFETCH(QString, sha256);
        QFETCH(QString, identifier);
        QFETCH(QString, message);
        PluginCloudItem tile;
        nlohmann::json r = record(0);
        r["identifier"] = identifier.toStdString();
        r["sha256"] = sha256.toStdString();
        r["file"] = (file.startsWith(QLatin1Char('/')) ? m_server.urlText(file) : file).toStdString();
        tile.setData(r);
        const int downloads = m_server.requests().size();
        tile.downloadPluginFile();
        if (message.isEmpty()) {
            QTRY_COMPARE(m_topics.size(), 1);
            QVERIFY(*ProjectManager::instance()->getPluginUseCase()->exists(identifier).data);
            return;
        }
        if (message.contains(QLatin1String("%1")))
            message = message.arg(QString::fromStdString(r["file"].get<std::string>()));
        QTRY_COMPARE(m_messages, QStringList{message});
        QVERIFY(!*ProjectManager::instance()->getPluginUseCase()->exists(identifier).data);
        QVERIFY(m_topics.isEmpty());
        QVERIFY(tile.installButton()->isEnabled());
        if (identifier.contains(QLatin1Char('/')) || !file.startsWith(QLatin1Char('/')))
            QCOMPARE(m_server.requests().size(), downloads);
        QVERIFY(!QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/evil.txt")));
    }

    // A tile reused for another plug-in while its download ran ignores the completion.
    void reusedTileIgnoresCompletion()
    {
        PluginCloudItem tile;
        tile.setData(record(10));
        tile.downloadPluginFile();
        tile.setData(record(11));
        QTest::qWait(600);
        QVERIFY(m_topics.isEmpty());
        QVERIFY(!*ProjectManager::instance()->getPluginUseCase()->exists(QStringLiteral("plug-10")).data);
    }

    // A tile reused while its download is open offers "Install" for the plug-in it shows now,
    // also after the earlier download has ended.
    void reusedTileOffersInstall()
    {
        PluginCloudItem tile;
        tile.setData(record(12));
        tile.downloadPluginFile();
        QVERIFY(!tile.installButton()->isEnabled());
        tile.setData(record(13));
        QVERIFY(tile.installButton()->isEnabled());
        QVERIFY(!tile.installButton()->isHidden());
        QTest::qWait(600);
        QVERIFY(tile.installButton()->isEnabled());
        QVERIFY(m_topics.isEmpty());
    }

    // The earlier plug-in's icon arriving after the later one's (from the cache) does not
    // replace it.
    void reusedTileKeepsItsIcon()
    {
        PluginCloudItem tile;
        const int slowAsked = m_server.requestCount(QStringLiteral("/icon/slow.png"));
        tile.setData(record(1));
        const QImage loading = QPixmap(QStringLiteral(":/image/image_loading.png")).toImage();
        QTRY_VERIFY(tile.iconWidget()->backgroundPixmap().toImage() != loading);
        const QImage own = tile.iconWidget()->backgroundPixmap().toImage();
        nlohmann::json slow = record(2);
        slow["icon"] = m_server.urlText(QStringLiteral("/icon/slow.png")).toStdString();
        tile.setData(slow);
        QTRY_COMPARE(m_server.requestCount(QStringLiteral("/icon/slow.png")), slowAsked + 1);
        tile.setData(record(1));
        QTRY_COMPARE(tile.iconWidget()->backgroundPixmap().toImage(), own);
        // The slow answer is sent after 500 ms; give it time to arrive and be decoded.
        QTest::qWait(900);
        QCOMPARE(tile.iconWidget()->backgroundPixmap().toImage(), own);
    }
};

ORVEL_WIDGET_TEST_MAIN(TestStoreWindow, 1280, 800)
#include "tst_StoreWindow.moc"
