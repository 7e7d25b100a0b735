#include "core/ImageLoader.h"
#include "support/StandInHttpServer.h"
#include "support/WidgetTestEnv.h"
#include "widgets/CloudImagePicker.h"
#include "widgets/MessageDialog.h"
#include "widgets/PaginationWidget.h"
#include "widgets/ToastWidget.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScopedPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using OV::Test::HttpReply;
using OV::Test::HttpRequest;

Q_DECLARE_METATYPE(OV::Test::HttpReply)

namespace {

const QString kListPath = QString::fromLatin1(CloudImagePicker::kListPath);
const QString kLoading = QStringLiteral(":/image/image_loading.png");
const QString kError = QStringLiteral(":/image/image_load_error.png");

QByteArray pngBytes(int side, int hue)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(QColor::fromHsv(hue % 360, 150, 220));
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

bool waitLoaded(const CloudImagePicker& picker, int count, int timeoutMs = 5000)
{
    return QTest::qWaitFor(
        [&] {
            for (int i = 0; i < count; ++i) {
                if (!picker.items()[i]->isLoaded())
                    return false;
            }
            return true;
        },
        timeoutMs);
}

int pageAsked(const HttpRequest& r)
{
    return r.query.queryItemValue(QStringLiteral("pi")).toInt();
}

} // namespace

class TestCloudImagePicker : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home;
    Test::StandInHttpServer m_server;
    std::function<HttpReply(const HttpRequest&)> m_listing;

    QString img(const QString& name) const { return m_server.urlText(QStringLiteral("/img/") + name); }
    QString gateway() const { return m_server.urlText(QString()); }
    int sent() const { return m_server.requestCount(kListPath); }
    bool waitSent(int n) const
    {
        return QTest::qWaitFor([&] { return sent() >= n; }, 5000);
    }
    QString lastQuery(const char* key) const
    {
        for (auto it = m_server.requests().crbegin(); it != m_server.requests().crend(); ++it) {
            if (it->path == kListPath)
                return it->query.queryItemValue(QLatin1String(key), QUrl::FullyDecoded);
        }
        return QStringLiteral("<none>");
    }
    nlohmann::json page(int current, int total, const QStringList& paths) const
    {
        nlohmann::json records = nlohmann::json::array();
        for (const QString& path : paths)
            records.push_back({{"path", img(path).toStdString()}});
        return {{"state", 200}, {"data", {{"current", current}, {"total", total}, {"records", records}}}};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CACHE_HOME", m_home.path().toUtf8());
        Test::applyBaseTheme();
        QVERIFY(m_server.start());
        m_server.route(kListPath, [this](const HttpRequest& r) { return m_listing(r); });
        for (int i = 0; i < 20; ++i)
            m_server.route(QStringLiteral("/img/t%1.png").arg(i), HttpReply::bytes(pngBytes(100, i * 37), "image/png"));
        HttpReply slow = HttpReply::bytes(pngBytes(100, 0), "image/png");
        slow.delayMs = 400;
        m_server.route(QStringLiteral("/img/slow.png"), slow);
        m_server.route(QStringLiteral("/img/stall.png"), HttpReply::silent());
        m_server.route(QStringLiteral("/img/small.png"), HttpReply::bytes(pngBytes(30, 90), "image/png"));

        // The configured gateway, as a settings file gives it (trailing slash included).
        QVERIFY(QDir::setCurrent(m_home.path()));
        QFile settings(m_home.filePath(QStringLiteral("settings.json")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(QStringLiteral("{\"cloudGateway\": \"%1/\"}").arg(gateway()).toUtf8());
    }

    void init()
    {
        QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).removeRecursively();
        // 120 records in all; each page holds 7, t<page>... .
        m_listing = [this](const HttpRequest& r) {
            QStringList paths;
            for (int i = 0; i < 7; ++i)
                paths << QStringLiteral("t%1.png").arg(pageAsked(r) + i);
            return HttpReply::json(page(pageAsked(r), 120, paths));
        };
    }

    void requestsPagesAndShowsThumbnails()
    {
        CloudImagePicker picker(nullptr, 50, 80, 90, 60); // the configured gateway
        int n = sent();
        picker.show();
        QVERIFY(waitSent(++n));
        const std::pair<const char*, const char*> first[] = {
            {"pi", "1"}, {"ps", "50"}, {"keyword", ""}, {"group", "false"}, {"projectId", "20,30"}};
        for (const auto& [key, value] : first)
            QCOMPARE(lastQuery(key), QLatin1String(value));

        QVERIFY(waitLoaded(picker, 7));
        QCOMPARE(picker.paginationWidget()->totalPages(), 3);
        QCOMPARE(picker.items()[0]->address(), img(QStringLiteral("t1.png")));
        for (int i = 7; i < 50; ++i)
            QVERIFY(picker.items()[i]->pictureLabel()->isHidden());

        // "Icon" keeps the page the user chose; "Search" goes to page 1, and the reply that moves
        // the selector back asks once more, then all is quiet.
        picker.paginationWidget()->setCurrentPage(2);
        QVERIFY(waitSent(++n));
        QTest::mouseClick(picker.findChildren<QPushButton*>(QStringLiteral("baseCheckButton")).value(1),
                          Qt::LeftButton);
        QVERIFY(waitSent(++n));
        QCOMPARE(lastQuery("pi"), QStringLiteral("2"));
        QCOMPARE(lastQuery("projectId"), QStringLiteral("20"));
        picker.searchField()->setText(QStringLiteral("cat & dog"));
        QTest::mouseClick(picker.findChild<QPushButton*>(QStringLiteral("cloudImageSearchButton")), Qt::LeftButton);
        QVERIFY(waitSent(n += 2));
        QTest::qWait(200);
        QCOMPARE(sent(), n);
        QCOMPARE(lastQuery("pi"), QStringLiteral("1"));
        QCOMPARE(lastQuery("keyword"), QStringLiteral("cat & dog"));

        // A page choice takes the searched keyword back over an unsearched edit; showing again reloads.
        picker.searchField()->setText(QStringLiteral("typed"));
        picker.paginationWidget()->setCurrentPage(3);
        QVERIFY(waitSent(++n));
        QCOMPARE(lastQuery("keyword"), QStringLiteral("cat & dog"));
        QCOMPARE(picker.searchField()->text(), QStringLiteral("cat & dog"));
        picker.hide();
        picker.show();
        QVERIFY(waitSent(++n));
        QCOMPARE(lastQuery("pi"), QStringLiteral("3"));
    }

    void lateRepliesNeverOverwriteNewerOnes()
    {
        CloudImagePicker picker(nullptr, 50, 80, 90, 60, gateway());
        picker.requestPageData(1, 50, QString(), false);
        QVERIFY(waitLoaded(picker, 7));

        // Page 1, asked for again, answers after page 2.
        m_listing = [this](const HttpRequest& r) {
            HttpReply reply = HttpReply::json(page(pageAsked(r), 120, {QStringLiteral("t%1.png").arg(pageAsked(r))}));
            reply.delayMs = pageAsked(r) == 1 ? 500 : 0;
            return reply;
        };
        const int n = sent();
        picker.requestPageData(1, 50, QString(), false);
        picker.paginationWidget()->setCurrentPage(2);
        // Page 2 shown (however long that takes), then time for page 1's late answer to come.
        QTRY_COMPARE(picker.items()[0]->address(), img(QStringLiteral("t2.png")));
        QVERIFY(waitLoaded(picker, 1));
        QTest::qWait(800);
        QCOMPARE(picker.items()[0]->address(), img(QStringLiteral("t2.png")));
        QCOMPARE(picker.paginationWidget()->currentPage(), 2);
        QCOMPARE(sent(), n + 2);

        // Leaving a page mid-download: its stalled downloads neither hold up the next page's
        // thumbnails (six at most run per host) nor land on them later.
        m_listing = [this](const HttpRequest& r) {
            QStringList paths{pageAsked(r) == 3 ? QStringLiteral("slow.png") : QStringLiteral("t9.png")};
            for (int i = 0; i < 6; ++i)
                paths << (pageAsked(r) == 3 ? QStringLiteral("stall.png?%1").arg(i) : QStringLiteral("t%1.png").arg(i));
            return HttpReply::json(page(pageAsked(r), 120, paths));
        };
        const int stalls = m_server.requestCount(QStringLiteral("/img/stall.png"));
        QElapsedTimer sinceStalls; // started before any stalled download was asked for
        sinceStalls.start();
        picker.paginationWidget()->setCurrentPage(3);
        QVERIFY(QTest::qWaitFor([&] { return m_server.requestCount(QStringLiteral("/img/stall.png")) >= stalls + 5; },
                                5000));
        picker.paginationWidget()->setCurrentPage(1);
        // Loaded before any stalled download reached its own time-out and freed its place.
        QVERIFY(waitLoaded(picker, 7, int(qMax<qint64>(0, ImageLoader::kNetworkTimeoutMs - sinceStalls.elapsed()))));
        QVERIFY2(sinceStalls.elapsed() < ImageLoader::kNetworkTimeoutMs,
                 qPrintable(QString::number(sinceStalls.elapsed())));
        QTest::qWait(600);
        QCOMPARE(picker.items()[0]->address(), img(QStringLiteral("t9.png")));
        QVERIFY(picker.items()[0]->isLoaded());
    }

    void repliesNamingOtherPagesCannotLoop_data()
    {
        QTest::addColumn<int>("kind"); // 0: always page 99, 1: always another page, 2: the page asked for
        QTest::addColumn<int>("settledPage");
        QTest::newRow("out of range") << 0 << 3;
        QTest::newRow("always another page") << 1 << 1;
        // From page 5 of "All" (5 pages) to "Icon" (3 pages): the last page, not one before it.
        QTest::newRow("to a category with fewer pages") << 2 << 3;
    }

    void repliesNamingOtherPagesCannotLoop()
    {
        QFETCH(int, kind);
        QFETCH(int, settledPage);
        m_listing = [this, kind](const HttpRequest& r) {
            const int current = kind == 2 ? pageAsked(r) : kind == 1 ? (pageAsked(r) == 1 ? 2 : 1) : 99;
            const int total = kind == 2 && r.query.queryItemValue(QStringLiteral("projectId")) == u"20" ? 150 : 250;
            return HttpReply::json(page(current, kind == 2 ? total : 120, {QStringLiteral("t3.png")}));
        };
        CloudImagePicker picker(nullptr, 50, 80, 90, 60, gateway());
        const int n = sent();
        picker.requestPageData(1, 50, QString(), false);
        const int requests = kind == 2 ? 4 : 2;
        if (kind == 2) {
            QVERIFY(waitSent(n + 1) && waitLoaded(picker, 1));
            picker.paginationWidget()->setCurrentPage(5);
            QVERIFY(waitSent(n + 2) && waitLoaded(picker, 1));
            QTest::mouseClick(picker.findChildren<QPushButton*>(QStringLiteral("baseCheckButton")).value(1),
                              Qt::LeftButton);
        }
        QVERIFY(waitSent(n + requests));
        QVERIFY(waitLoaded(picker, 1));
        QTRY_COMPARE(picker.paginationWidget()->currentPage(), settledPage);
        QTest::qWait(300);
        QCOMPARE(sent(), n + requests);
        QCOMPARE(picker.paginationWidget()->currentPage(), settledPage);
        QCOMPARE(picker.currentPage(), settledPage);
        QCOMPARE(lastQuery("pi"), QString::number(kind == 1 ? 2 : settledPage));
    }

    void failuresAreShown_data()
    {
        QTest::addColumn<HttpReply>("reply");
        QTest::addColumn<int>("loaded"); // thumbnails that still load
        nlohmann::json noPath = page(1, 3, {QStringLiteral("t4.png"), QStringLiteral("t5.png")});
        noPath["data"]["records"][1] = {{"name", "no path"}};
        QTest::newRow("time-out") << HttpReply::silent() << 0;
        QTest::newRow("HTTP error") << HttpReply::bytes("busy", "text/plain", 503) << 0;
        QTest::newRow("state not 200") << HttpReply::json({{"state", 500}, {"data", nullptr}}) << 0;
        QTest::newRow("record without path") << HttpReply::json(noPath) << 1;
    }

    void failuresAreShown()
    {
        QFETCH(HttpReply, reply);
        QFETCH(int, loaded);
        m_listing = [reply](const HttpRequest&) { return reply; };
        CloudImagePicker picker(nullptr, 10, 80, 90, 60, gateway(), 300);
        picker.requestPageData(1, 10, QString(), false);
        QVERIFY(shows(picker.items()[9], kLoading));
        QVERIFY(QTest::qWaitFor([&] { return shows(picker.items()[9], kError); }, 3000));
        QVERIFY(waitLoaded(picker, loaded));
        for (int i = loaded; i < 10; ++i)
            QVERIFY(shows(picker.items()[i], kError) && !picker.items()[i]->isLoaded());
    }

    void choosingAThumbnailHandsItOver()
    {
        m_listing = [this](const HttpRequest&) {
            return HttpReply::json(page(1, 2, {QStringLiteral("t6.png"), QStringLiteral("stall.png?c")}));
        };
        CloudImagePicker picker(nullptr, 50, 80, 90, 60, gateway());
        QStringList chosen;
        picker.setSelectionCallback([&](const QString& address, const QPixmap& picture) {
            chosen << QStringLiteral("%1 %2").arg(address).arg(picture.width());
        });
        picker.show();
        QVERIFY(waitLoaded(picker, 1));

        QTest::mouseClick(picker.items()[1], Qt::LeftButton); // still loading
        QVERIFY(chosen.isEmpty());
        QTest::mouseClick(picker.items()[0], Qt::LeftButton);
        QCOMPARE(chosen, QStringList{img(QStringLiteral("t6.png")) + QStringLiteral(" 100")});
        QVERIFY(picker.isVisible());
    }

    void backgroundPicturesLoadByAddress()
    {
        BaseWidget widget; // the built-in picture source downloads
        widget.setBackgroundImage(img(QStringLiteral("small.png")));
        QVERIFY(QTest::qWaitFor([&] { return !widget.backgroundPixmap().isNull(); }, 3000));
        QCOMPARE(widget.backgroundPixmap().size(), QSize(30, 30));
    }

    // With ORVEL_SCREENSHOTS set, renders the filled picker (a frameless window with its title bar
    // and page selector) under a toast, and each message dialog, to PNG files for a look by eye.
    void screenshots()
    {
        const QString dir = Test::screenshotDir();
        if (dir.isEmpty())
            QSKIP("ORVEL_SCREENSHOTS is not set");
        CloudImagePicker picker(nullptr, 50, 80, 90, 60, gateway());
        picker.show();
        picker.resize(900, 620);
        QVERIFY(waitLoaded(picker, 7));
        QScopedPointer<ToastWidget> toast(
            ToastWidget::showInfo(&picker, QStringLiteral("Deploy Success"), true, 60000));
        QTest::qWait(100);
        QImage shot = picker.grab().toImage();
        QPainter(&shot).drawImage(toast->pos() - picker.pos(), toast->grab().toImage());
        QVERIFY(shot.save(dir + QStringLiteral("/cloud_image_picker.png")));
        const std::pair<MessageDialog*, const char*> dialogs[] = {
            {MessageDialog::error(QStringLiteral("Open project failed. Details: not a project."), true), "error"},
            {MessageDialog::warning(QStringLiteral("The hub is offline."), true), "warning"},
            {MessageDialog::information(QStringLiteral("The plug-in was installed."), true), "information"},
            {MessageDialog::askSaveChanges(QString(), true), "save_changes"},
        };
        for (const auto& [dialog, name] : dialogs) {
            QVERIFY(dialog->grab().save(dir + QStringLiteral("/dialog_%1.png").arg(QLatin1String(name))));
            delete dialog;
        }
    }
};

ORVEL_WIDGET_TEST_MAIN(TestCloudImagePicker, 1920, 1040)
#include "tst_CloudImagePicker.moc"
