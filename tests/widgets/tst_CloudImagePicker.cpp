#include "core/ImageLoader.h"
#include "support/StandInHttpServer.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseWidget.h"
#include "widgets/CloudImagePicker.h"
#include "widgets/PaginationWidget.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace OV;
using OV::Test::HttpReply;
using OV::Test::HttpRequest;

namespace {

const QString kListPath = QString::fromLatin1(CloudImagePicker::kListPath);

// A small icon-like picture: a rounded tile of one hue with a light disc.
QByteArray pngBytes(int side, int hue)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromHsv(hue % 360, 150, 220));
    p.drawRoundedRect(QRectF(0, 0, side, side), side / 5.0, side / 5.0);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(QRectF(side * 0.3, side * 0.3, side * 0.4, side * 0.4));
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

bool shows(const CloudImageItem* item, const QString& resource)
{
    const QLabel* label = item->pictureLabel();
    const QPixmap expected = QPixmap(resource).scaled(label->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return label->pixmap().toImage() == expected.toImage();
}

const QString kLoading = QStringLiteral(":/image/image_loading.png");
const QString kError = QStringLiteral(":/image/image_load_error.png");

} // namespace

class TestCloudImagePicker : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home;
    Test::StandInHttpServer m_server;
    QString m_cacheDir;
    std::function<HttpReply(const HttpRequest&)> m_listing;

    QString img(const QString& name) const { return m_server.urlText(QStringLiteral("/img/") + name); }
    QString gateway() const { return m_server.urlText(QString()); }

    static nlohmann::json page(int current, int total, const QStringList& paths)
    {
        nlohmann::json records = nlohmann::json::array();
        for (const QString& path : paths)
            records.push_back({{"path", path.toStdString()}});
        return {{"state", 200}, {"data", {{"current", current}, {"total", total}, {"records", records}}}};
    }

    // Answers with the page asked for, "total" records in all and paths t<first>... for the records.
    void serveEcho(int total, int recordsPerPage)
    {
        m_listing = [this, total, recordsPerPage](const HttpRequest& r) {
            const int pi = r.query.queryItemValue(QStringLiteral("pi")).toInt();
            QStringList paths;
            for (int i = 0; i < recordsPerPage; ++i)
                paths << img(QStringLiteral("t%1.png").arg((pi * 7 + i) % 60));
            return HttpReply::json(page(pi, total, paths));
        };
    }

    QList<HttpRequest> listings() const
    {
        QList<HttpRequest> out;
        for (const HttpRequest& r : m_server.requests()) {
            if (r.path == kListPath)
                out << r;
        }
        return out;
    }
    int listingCount() const { return m_server.requestCount(kListPath); }
    bool waitListings(int n) const
    {
        return QTest::qWaitFor([&] { return listingCount() >= n; }, 5000);
    }
    static QString query(const HttpRequest& r, const char* key)
    {
        return r.query.queryItemValue(QLatin1String(key), QUrl::FullyDecoded);
    }
    static bool waitLoaded(const CloudImagePicker& picker, int count)
    {
        return QTest::qWaitFor(
            [&] {
                for (int i = 0; i < count; ++i) {
                    if (!picker.items()[i]->isLoaded())
                        return false;
                }
                return true;
            },
            5000);
    }
    static QPushButton* category(const CloudImagePicker& picker, int index)
    {
        for (auto* b : picker.findChildren<QPushButton*>(QStringLiteral("baseCheckButton"))) {
            if (b->property("index").toInt() == index)
                return b;
        }
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CACHE_HOME", m_home.path().toUtf8());
        QCoreApplication::setOrganizationName(QStringLiteral("Brelvik"));
        QCoreApplication::setApplicationName(QStringLiteral("OrvelWorkSpaceTest"));
        m_cacheDir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/ImageCache");
        QVERIFY(m_cacheDir.startsWith(m_home.path()));
        Test::applyBaseTheme();

        QVERIFY(m_server.start());
        m_server.route(kListPath, [this](const HttpRequest& r) { return m_listing(r); });
        for (int i = 0; i < 60; ++i)
            m_server.route(QStringLiteral("/img/t%1.png").arg(i), HttpReply::bytes(pngBytes(100, i * 37), "image/png"));
        HttpReply slow = HttpReply::bytes(pngBytes(100, 0), "image/png");
        slow.delayMs = 400;
        m_server.route(QStringLiteral("/img/slow.png"), slow);
        m_server.route(QStringLiteral("/img/stall.png"), HttpReply::silent());
        m_server.route(QStringLiteral("/img/small.png"), HttpReply::bytes(pngBytes(30, 90), "image/png"));

        // The configured gateway, as a user's settings file gives it (trailing slash included).
        QVERIFY(QDir::setCurrent(m_home.path()));
        QFile settings(m_home.filePath(QStringLiteral("settings.json")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(QStringLiteral("{\"cloudGateway\": \"%1/\"}").arg(gateway()).toUtf8());
        settings.close();
    }

    void init()
    {
        QDir(m_cacheDir).removeRecursively();
        QDir().mkpath(m_cacheDir);
        serveEcho(120, 7);
    }

    void requestsPagesAndShowsThumbnails()
    {
        CloudImagePicker picker(nullptr, 50, 80, 90, 60); // the configured gateway
        QCOMPARE(picker.title(), QStringLiteral("Image Picker"));
        QCOMPARE(picker.windowModality(), Qt::ApplicationModal);
        int sent = listingCount();
        picker.show();
        QVERIFY(waitListings(++sent));
        HttpRequest r = listings().last();
        QCOMPARE(r.method, QByteArray("GET"));
        QCOMPARE(query(r, "pi"), QStringLiteral("1"));
        QCOMPARE(query(r, "ps"), QStringLiteral("50"));
        QVERIFY(r.query.hasQueryItem(QStringLiteral("keyword")));
        QCOMPARE(query(r, "keyword"), QString());
        QCOMPARE(query(r, "group"), QStringLiteral("false"));
        QCOMPARE(query(r, "projectId"), QStringLiteral("20,30"));

        // 120 records at 50 a page; a page of 7 shows 7 thumbnails and 43 empty tiles.
        QVERIFY(waitLoaded(picker, 7));
        QCOMPARE(picker.paginationWidget()->totalPages(), 3);
        QCOMPARE(picker.items().size(), 50);
        QCOMPARE(picker.items()[0]->address(), img(QStringLiteral("t7.png")));
        QCOMPARE(picker.items()[0]->picture().size(), QSize(100, 100));
        QVERIFY(!shows(picker.items()[0], kLoading));
        for (int i = 7; i < 50; ++i)
            QVERIFY(picker.items()[i]->pictureLabel()->isHidden());

        if (const QString dir = Test::screenshotDir(); !dir.isEmpty()) {
            picker.resize(900, 620);
            QTest::qWait(100);
            QVERIFY(picker.grab().save(dir + QStringLiteral("/cloud_image_picker.png")));
        }

        // The user's page choice; then "Icon" keeps the page and narrows the project ids.
        picker.paginationWidget()->setCurrentPage(2);
        QVERIFY(waitListings(++sent));
        QCOMPARE(query(listings().last(), "pi"), QStringLiteral("2"));
        QVERIFY(waitLoaded(picker, 7));
        QTest::mouseClick(category(picker, 1), Qt::LeftButton);
        QVERIFY(waitListings(++sent));
        r = listings().last();
        QCOMPARE(query(r, "pi"), QStringLiteral("2"));
        QCOMPARE(query(r, "projectId"), QStringLiteral("20"));
        QCOMPARE(picker.categoryIndex(), 1);

        // "Search" goes to page 1; the reply moves the selector, which asks once more, and stops.
        picker.searchField()->setText(QStringLiteral("cat & dog"));
        QTest::mouseClick(picker.findChild<QPushButton*>(QStringLiteral("cloudImageSearchButton")), Qt::LeftButton);
        sent += 2;
        QVERIFY(waitListings(sent));
        QTest::qWait(200);
        QCOMPARE(listingCount(), sent);
        r = listings().last();
        QCOMPARE(query(r, "pi"), QStringLiteral("1"));
        QCOMPARE(query(r, "keyword"), QStringLiteral("cat & dog"));
        QCOMPARE(picker.paginationWidget()->currentPage(), 1);

        // A page choice restores the searched keyword over an unsearched edit.
        picker.searchField()->setText(QStringLiteral("unsearched"));
        QTest::mouseClick(category(picker, 2), Qt::LeftButton);
        QVERIFY(waitListings(++sent));
        QCOMPARE(query(listings().last(), "projectId"), QStringLiteral("30"));
        QCOMPARE(query(listings().last(), "keyword"), QStringLiteral("unsearched"));
        picker.searchField()->setText(QStringLiteral("typed"));
        picker.paginationWidget()->setCurrentPage(3);
        QVERIFY(waitListings(++sent));
        QCOMPARE(query(listings().last(), "keyword"), QStringLiteral("unsearched"));
        QCOMPARE(picker.searchField()->text(), QStringLiteral("unsearched"));

        // Refresh and every new showing reload the current page.
        QPushButton* refresh = nullptr;
        for (auto* b : picker.findChildren<QPushButton*>()) {
            if (b->toolTip() == QStringLiteral("Refresh"))
                refresh = b;
        }
        QVERIFY(refresh);
        QTest::mouseClick(refresh, Qt::LeftButton);
        QVERIFY(waitListings(++sent));
        QCOMPARE(query(listings().last(), "pi"), QStringLiteral("3"));
        picker.hide();
        picker.show();
        QVERIFY(waitListings(++sent));
        QCOMPARE(query(listings().last(), "pi"), QStringLiteral("3"));
    }

    void gridFollowsTheWindowWidth()
    {
        CloudImagePicker picker(nullptr, 50, 80, 90, 60, gateway());
        const int sent = listingCount();
        picker.show();
        QVERIFY(waitListings(sent + 1));
        picker.resize(500, 600);
        auto* grid = picker.findChild<QGridLayout*>();
        QVERIFY(grid);
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(grid->indexOf(picker.items()[5]), &row, &column, &rowSpan, &columnSpan);
        QCOMPARE(QPoint(column, row), QPoint(1, 1));
        QCOMPARE(picker.findChild<QWidget*>(QStringLiteral("cloudImageGrid"))->minimumHeight(), 13 * 122 + 32);
        picker.resize(1000, 600);
        grid->getItemPosition(grid->indexOf(picker.items()[5]), &row, &column, &rowSpan, &columnSpan);
        QCOMPARE(QPoint(column, row), QPoint(5, 0));
    }

    void lateRepliesNeverOverwriteNewerOnes()
    {
        CloudImagePicker picker(nullptr, 50, 80, 90, 60, gateway());
        picker.requestPageData(1, 50, QString(), false);
        QVERIFY(waitLoaded(picker, 7));
        const int sent = listingCount();

        // Page 1 is asked for again and answers late, after the user has moved on to page 2.
        m_listing = [this](const HttpRequest& r) {
            const int pi = r.query.queryItemValue(QStringLiteral("pi")).toInt();
            if (pi == 1) {
                HttpReply late = HttpReply::json(page(1, 120, {img(QStringLiteral("t1.png"))}));
                late.delayMs = 500;
                return late;
            }
            return HttpReply::json(page(pi, 120, {img(QStringLiteral("t2.png"))}));
        };
        picker.requestPageData(1, 50, QString(), false);
        picker.paginationWidget()->setCurrentPage(2);
        QVERIFY(waitLoaded(picker, 1));
        QTest::qWait(800); // the page-1 reply has come and gone
        QCOMPARE(picker.items()[0]->address(), img(QStringLiteral("t2.png")));
        QCOMPARE(picker.paginationWidget()->currentPage(), 2);
        QCOMPARE(listingCount(), sent + 2);

        // Leaving a page mid-download: its stalled downloads neither hold up the next page's
        // thumbnails nor land on them afterwards.
        QStringList first{img(QStringLiteral("slow.png"))};
        for (int i = 0; i < 6; ++i)
            first << img(QStringLiteral("stall.png?%1").arg(i));
        m_listing = [&, this](const HttpRequest& r) {
            const int pi = r.query.queryItemValue(QStringLiteral("pi")).toInt();
            if (pi == 3)
                return HttpReply::json(page(3, 120, first));
            QStringList next;
            for (int i = 0; i < 7; ++i)
                next << img(QStringLiteral("t%1.png").arg(40 + i));
            return HttpReply::json(page(pi, 120, next));
        };
        const int imagesBefore = m_server.requestCount(QStringLiteral("/img/stall.png"));
        picker.paginationWidget()->setCurrentPage(3);
        QVERIFY(QTest::qWaitFor(
            [&] { return m_server.requestCount(QStringLiteral("/img/stall.png")) >= imagesBefore + 5; }, 5000));
        picker.paginationWidget()->setCurrentPage(1);
        QVERIFY(QTest::qWaitFor([&] { return picker.items()[6]->isLoaded(); }, 3000));
        QVERIFY(waitLoaded(picker, 7));
        QTest::qWait(600);
        QCOMPARE(picker.items()[0]->address(), img(QStringLiteral("t40.png")));
        QVERIFY(picker.items()[0]->isLoaded());
        QVERIFY(!shows(picker.items()[0], kError));
    }

    void repliesNamingOtherPagesCannotLoop_data()
    {
        QTest::addColumn<bool>("wandering");
        QTest::addColumn<int>("settledPage");
        QTest::newRow("out of range") << false << 3;
        QTest::newRow("always another page") << true << 1;
    }

    void repliesNamingOtherPagesCannotLoop()
    {
        QFETCH(bool, wandering);
        QFETCH(int, settledPage);
        m_listing = [this, wandering](const HttpRequest& r) {
            const int pi = r.query.queryItemValue(QStringLiteral("pi")).toInt();
            const int current = wandering ? (pi == 1 ? 2 : 1) : 99;
            return HttpReply::json(page(current, 120, {img(QStringLiteral("t3.png"))}));
        };
        CloudImagePicker picker(nullptr, 50, 80, 90, 60, gateway());
        const int sent = listingCount();
        picker.requestPageData(1, 50, QString(), false);
        QVERIFY(waitListings(sent + 2));
        QVERIFY(waitLoaded(picker, 1));
        QTest::qWait(300);
        QCOMPARE(listingCount(), sent + 2);
        QCOMPARE(picker.paginationWidget()->currentPage(), settledPage);
        QCOMPARE(picker.currentPage(), settledPage);
    }

    void failuresAreShown_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("loaded"); // thumbnails that still load
        QTest::newRow("time-out") << 0 << 0;
        QTest::newRow("HTTP error") << 1 << 0;
        QTest::newRow("state not 200") << 2 << 0;
        QTest::newRow("not JSON") << 3 << 0;
        QTest::newRow("record without path") << 4 << 1;
    }

    void failuresAreShown()
    {
        QFETCH(int, kind);
        QFETCH(int, loaded);
        m_listing = [this, kind](const HttpRequest&) {
            switch (kind) {
            case 0:
                return HttpReply::silent();
            case 1:
                return HttpReply::bytes("busy", "text/plain", 503);
            case 2:
                return HttpReply::json({{"state", 500}, {"data", nullptr}});
            case 3:
                return HttpReply::bytes("<html>", "text/html");
            default: {
                nlohmann::json body = page(1, 3, {img(QStringLiteral("t4.png")), img(QStringLiteral("t5.png"))});
                body["data"]["records"][1] = {{"name", "no path"}};
                return HttpReply::json(body);
            }
            }
        };
        CloudImagePicker picker(nullptr, 10, 80, 90, 60, gateway(), 300);
        picker.requestPageData(1, 10, QString(), false);
        QVERIFY(shows(picker.items()[9], kLoading));
        QVERIFY(QTest::qWaitFor([&] { return shows(picker.items()[9], kError); }, 3000));
        QVERIFY(waitLoaded(picker, loaded));
        for (int i = loaded; i < 10; ++i) {
            QVERIFY(shows(picker.items()[i], kError));
            QVERIFY(!picker.items()[i]->isLoaded());
        }
    }

    void choosingAThumbnailHandsItOver()
    {
        m_listing = [this](const HttpRequest&) {
            return HttpReply::json(page(1, 2, {img(QStringLiteral("t6.png")), img(QStringLiteral("stall.png?c"))}));
        };
        CloudImagePicker picker(nullptr, 50, 80, 90, 60, gateway());
        QList<QPair<QString, QSize>> chosen;
        picker.setSelectionCallback([&](const QString& address, const QPixmap& picture) {
            chosen.append({address, picture.size()});
        });
        picker.show();
        QVERIFY(waitLoaded(picker, 1));
        CloudImageItem* ready = picker.items()[0];
        CloudImageItem* loading = picker.items()[1];

        QTest::mouseClick(loading, Qt::LeftButton);
        QVERIFY(chosen.isEmpty());
        QVERIFY(!loading->graphicsEffect());

        QTest::mousePress(ready, Qt::LeftButton);
        auto* effect = qobject_cast<QGraphicsOpacityEffect*>(ready->graphicsEffect());
        QVERIFY(effect);
        QVERIFY(qAbs(effect->opacity() - 0.6) < 1e-6);
        QTest::mouseRelease(ready, Qt::LeftButton);
        QVERIFY(qAbs(effect->opacity() - 1.0) < 1e-6);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0].first, img(QStringLiteral("t6.png")));
        QCOMPARE(chosen[0].second, QSize(100, 100));
        QVERIFY(picker.isVisible());
    }

    void backgroundPicturesLoadByAddress()
    {
        // The built-in picture source downloads; an earlier, slower picture never replaces a later one.
        BaseWidget widget;
        widget.setBackgroundImage(img(QStringLiteral("slow.png")));
        widget.setBackgroundImage(img(QStringLiteral("small.png")));
        QVERIFY(QTest::qWaitFor([&] { return !widget.backgroundPixmap().isNull(); }, 3000));
        QTest::qWait(700);
        QCOMPARE(widget.backgroundPixmap().size(), QSize(30, 30));
        QVERIFY(m_server.requestCount(QStringLiteral("/img/slow.png")) > 0);
    }
};

ORVEL_WIDGET_TEST_MAIN(TestCloudImagePicker, 1920, 1040)
#include "tst_CloudImagePicker.moc"
