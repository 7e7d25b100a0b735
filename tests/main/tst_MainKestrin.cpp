#include "core/EventBus.h"
#include "core/TokenScrambler.h"
#include "device/KestrinDevice.h"
#include "main/MainKestrinDialog.h"
#include "main/MainKestrinWidget.h"
#include "main/MainTitleBar.h"
#include "project/ProjectDbHostBean.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "support/MainScreensTestUtils.h"
#include "support/ProjectRawSqlite.h"
#include "support/StandinHub.h"
#include "support/StandinHubDiscovery.h"
#include "support/TestUtils.h"
#include "support/WidgetTestEnv.h"
#include "widgets/BaseWidgetSelectGroup.h"
#include "widgets/BusyIndicator.h"
#include "widgets/ElidedLabel.h"
#include "widgets/MessageDialog.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace OV;
using Test::StandinHub;
using Test::StandinHubDiscovery;
using Json = nlohmann::json;

namespace {

const QHostAddress kResponderAddress(QStringLiteral("127.0.0.2"));
const QHostAddress kOwnAddress(QStringLiteral("127.0.0.3"));
constexpr int64_t kMs = 1'000'000;

std::shared_ptr<ProjectDbHostBean> storedHost()
{
    const auto found = ProjectManager::instance()->getHostUseCase()->accessor->findFirst();
    return found.isOk() ? *found.data : nullptr;
}

bool storeHost(const QString& ip, int port, const QString& sn)
{
    ProjectDbHostBean host;
    host.connType = QStringLiteral("tcp");
    host.ip = ip;
    host.port = port;
    host.sn = sn;
    return ProjectManager::instance()->getHostUseCase()->saveHost(host).isOk();
}

// The rows of the search dialog, as "IP | SN".
QStringList rowTexts(MainKestrinDialog& dialog)
{
    QStringList rows;
    for (int i = 0; i < dialog.hubList()->count(); ++i) {
        QWidget* row = dialog.hubList()->itemWidget(dialog.hubList()->item(i));
        const QList<QLabel*> labels = row->findChildren<QLabel*>();
        rows << labels.at(0)->text() + QStringLiteral(" | ") + labels.at(1)->text();
    }
    return rows;
}

QWidget* rowOf(MainKestrinDialog& dialog, const QString& sn)
{
    for (int i = 1; i < dialog.hubList()->count(); ++i) {
        QWidget* row = dialog.hubList()->itemWidget(dialog.hubList()->item(i));
        if (row->property("data").value<KestrinSearchResult>().sn == sn)
            return row;
    }
    return nullptr;
}

} // namespace

class TestMainKestrin : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    StandinHub m_hubA;
    StandinHub m_hubB;
    StandinHubDiscovery m_discoveryA;
    StandinHubDiscovery m_discoveryB;

    // Opens the search dialog from the widget as a click does, and returns it.
    MainKestrinDialog* openDialog(MainKestrinWidget& widget)
    {
        QPointer<MainKestrinDialog> dialog;
        auto connection = connect(&widget, &MainKestrinWidget::kestrinDialogShown, this,
                                  [&](QWidget* shown) { dialog = qobject_cast<MainKestrinDialog*>(shown); });
        widget.showKestrinDialog();
        disconnect(connection);
        return dialog;
    }

    // Lets discovery find both stand-ins, presses the row of `sn` and confirms.
    void choose(MainKestrinDialog* dialog, const QString& sn)
    {
        QVERIFY(dialog);
        m_discoveryB.announce(kOwnAddress, dialog->searcher()->boundPort(), 200);
        QTRY_COMPARE_WITH_TIMEOUT(dialog->hubList()->count(), 3, 5000);
        QVERIFY(!dialog->confirmButton()->isEnabled());
        QWidget* row = rowOf(*dialog, sn);
        QVERIFY(row);
        QTest::mousePress(row, Qt::LeftButton, {}, QPoint(20, 10));
        QTest::mouseRelease(row, Qt::LeftButton, {}, QPoint(20, 10));
        QVERIFY(dialog->confirmButton()->isEnabled());
        dialog->confirmButton()->click();
    }

private slots:
    void initTestCase()
    {
        Test::applyBaseTheme();
        QVERIFY(m_hubA.listen());
        QVERIFY(m_hubB.listen());
        m_hubA.setIssuedToken(QStringLiteral("token-of-A"));
        m_hubB.setIssuedToken(QStringLiteral("token-of-B"));
        QVERIFY(m_discoveryA.listen(kResponderAddress, 0));
        m_discoveryA.setReply(
            StandinHubDiscovery::makeReply(QStringLiteral("KS-A"), StandinHub::address(), m_hubA.port()));
        QVERIFY(m_discoveryB.listen(kResponderAddress, 0, QHostAddress(QStringLiteral("127.0.0.4"))));
        m_discoveryB.setReply(
            StandinHubDiscovery::makeReply(QStringLiteral("KS-B"), StandinHub::address(), m_hubB.port()));
        KestrinSearchOptions options;
        options.target = kResponderAddress;
        options.targetPort = m_discoveryA.port();
        options.bindPort = 0;
        options.intervalMs = 300;
        options.localAddress = kOwnAddress;
        MainKestrinDialog::setSearchOptions(options);
        m_path = m_dir.filePath(QStringLiteral("Hub.ovpf"));
    }

    void init()
    {
        QVERIFY(Test::openFreshProject(m_dir.path(), QStringLiteral("Hub")));
        m_hubA.clearRecords();
        m_hubB.clearRecords();
        m_hubA.setValidToken(QString());
        m_hubB.setValidToken(QString());
    }

    void cleanup()
    {
        MessageDialog::setAnswerProvider({});
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<BaseWindow*>(w))
                w->close();
        }
        ProjectManager::instance()->closeProject();
    }

    // Connecting is shown for at least 5 s before a drop to offline is shown; a drop from
    // online is shown at once. Steps are "ms:state".
    void stateDisplayHoldsBackOffline_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("deferredMs"); // -1: no deferral running
        QTest::addColumn<QString>("afterDeferral");
        QTest::newRow("offline 2 s after connecting") << "0:1 2000:0"
                                                      << "Connection..." << 3000 << "Offline";
        QTest::newRow("offline 6 s after connecting") << "0:1 6000:0"
                                                      << "Offline" << -1 << "";
        QTest::newRow("offline after online") << "0:1 500:2 900:0"
                                              << "Offline" << -1 << "";
        QTest::newRow("online before the hold-back ends") << "0:1 2000:0 3000:2"
                                                          << "Online" << -1 << "";
        QTest::newRow("a state outside 0 to 2 is not shown") << "0:1 100:7"
                                                             << "Connection..." << -1 << "";
    }

    void stateDisplayHoldsBackOffline()
    {
        QFETCH(QString, steps);
        QFETCH(QString, shown);
        QFETCH(int, deferredMs);
        QFETCH(QString, afterDeferral);
        MainKestrinWidget widget;
        // At start, before any session report: offline, shown with its icon.
        QCOMPARE(widget.iconPath(), QStringLiteral(":/image/icon_offline.png"));
        QVERIFY(!widget.iconLabel()->pixmap().isNull());
        int64_t now = 1000 * kMs;
        widget.setClock([&now] { return now; });
        for (const QString& step : steps.split(QLatin1Char(' '))) {
            now = 1000 * kMs + step.section(QLatin1Char(':'), 0, 0).toLongLong() * kMs;
            widget.onStateChanged(step.section(QLatin1Char(':'), 1, 1).toInt());
        }
        QCOMPARE(widget.menuStateLabel()->text(), shown);
        QCOMPARE(!widget.busyIndicator()->isHidden(), shown == QLatin1String("Connection..."));
        QCOMPARE(widget.deferralTimer()->isActive(), deferredMs >= 0);
        if (deferredMs < 0)
            return;
        QCOMPARE(widget.deferralTimer()->interval(), deferredMs);
        QVERIFY(widget.deferralTimer()->isSingleShot());
        // The timer fires at 5 s and reads the session again (offline: there is none).
        now += deferredMs * kMs;
        widget.deferralTimer()->start(0);
        QTRY_COMPARE(widget.menuStateLabel()->text(), afterDeferral);
        QCOMPARE(widget.iconPath(), QStringLiteral(":/image/icon_offline.png"));
        QVERIFY(!widget.reconnectButton()->isHidden());
    }

    // Without a host the widget says so and a click opens "Search Kestrin" offering "Add";
    // the event-bus topic opens it too, other topics do not.
    void withoutAHost()
    {
        MainKestrinWidget widget;
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QCOMPARE(widget.nameLabel()->fullText, QStringLiteral("Kestrin not added"));
        QVERIFY(!widget.iconHolder()->isVisible());
        QVERIFY(!ProjectManager::instance()->getCurrentKestrin());
        QList<QPointer<QWidget>> opened;
        connect(&widget, &MainKestrinWidget::kestrinDialogShown, this, [&](QWidget* d) { opened << d; });
        QTest::mouseClick(&widget, Qt::LeftButton);
        QCOMPARE(opened.size(), 1);
        auto* dialog = qobject_cast<MainKestrinDialog*>(opened.front());
        QVERIFY(dialog);
        QCOMPARE(dialog->confirmButton()->text(), QStringLiteral("Add"));
        QCOMPARE(dialog->title(), QStringLiteral("Search Kestrin"));
        QVERIFY(dialog->searcher()->isSearching());
        dialog->close();
        QTRY_VERIFY(!opened.front());

        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QStringLiteral("ON_PRE_DEPLOY")));
        QCOMPARE(opened.size(), 1);
        EventBus::instance()->publish(
            QSharedPointer<EventBusMessage>::create(QLatin1String(Topics::ShowKestrinDialog)));
        QCOMPARE(opened.size(), 2);
    }

    // Found through discovery, chosen, stored with an empty token; the session pairs and the
    // prompt stays until the hub confirms; the token is stored scrambled and the widget's own
    // record carries it, so choosing the same hub again only checks it.
    void searchSelectAndPair()
    {
        QVERIFY(storeHost(QStringLiteral("127.0.0.9"), 9, QStringLiteral("KS-OLD")));
        m_hubA.setConfirmDelayMs(700);
        MainKestrinWidget widget;
        widget.resize(200, 34);
        widget.show();
        QCOMPARE(widget.nameLabel()->fullText, QStringLiteral("127.0.0.9"));
        QPointer<MainKestrinDialog> dialog = openDialog(widget);
        QVERIFY(dialog);
        QCOMPARE(dialog->confirmButton()->text(), QStringLiteral("Select"));
        m_discoveryB.announce(kOwnAddress, dialog->searcher()->boundPort(), 200);
        QTRY_COMPARE_WITH_TIMEOUT(dialog->hubList()->count(), 3, 5000);
        QStringList rows = rowTexts(*dialog);
        QCOMPARE(rows.takeFirst(), QStringLiteral("IP | SN"));
        rows.sort();
        QCOMPARE(rows, (QStringList{QStringLiteral("127.0.0.1 | KS-A"), QStringLiteral("127.0.0.1 | KS-B")}));
        if (const QString dir = Test::screenshotDir(); !dir.isEmpty())
            QVERIFY(dialog->grab().save(dir + QStringLiteral("/search_kestrin_two_hubs.png")));

        QList<QPointer<MessageDialog>> prompts;
        MessageDialog::setAnswerProvider([&](MessageDialog& d) {
            prompts << &d;
            return 0;
        });
        choose(dialog, QStringLiteral("KS-A"));
        // Stored at once as chosen: the token is empty until the hub issues one.
        auto host = storedHost();
        QVERIFY(host);
        QCOMPARE(host->sn, QStringLiteral("KS-A"));
        QCOMPARE(host->ip, QStringLiteral("127.0.0.1"));
        QCOMPARE(host->port, int(m_hubA.port()));
        QCOMPARE(host->connType, QStringLiteral("tcp"));
        QCOMPARE(host->token, QString());
        QTRY_VERIFY(!dialog); // closed and deleted

        QTRY_COMPARE_WITH_TIMEOUT(prompts.size(), 1, 5000);
        QCOMPARE(prompts.front()->text(),
                 QStringLiteral(
                     "Your request has been submitted.\nPlease authorize it on the [Kestrin] within 15 seconds."));
        QVERIFY(prompts.front()->isVisible());
        QVERIFY(widget.iconPath() != QLatin1String(":/image/icon_online.png"));
        if (const QString dir = Test::screenshotDir(); !dir.isEmpty())
            QVERIFY(prompts.front()->grab().save(dir + QStringLiteral("/pairing_prompt.png")));
        QTRY_COMPARE_WITH_TIMEOUT(widget.iconPath(), QStringLiteral(":/image/icon_online.png"), 5000);
        QTRY_VERIFY(!prompts.front());
        QCOMPARE(widget.menuStateLabel()->text(), QStringLiteral("Online"));
        host = storedHost();
        QCOMPARE(decodeToken(host->token), QStringLiteral("token-of-A"));
        QVERIFY(host->token != QLatin1String("token-of-A"));
        QCOMPARE(widget.host()->token, host->token);
        QCOMPARE(m_hubA.receivedCount(KestrinDevice::kActRequestToken), 1);

        // The same hub again: its token is checked, no new pairing.
        m_hubA.clearRecords();
        choose(openDialog(widget), QStringLiteral("KS-A"));
        QTRY_COMPARE_WITH_TIMEOUT(m_hubA.receivedCount(KestrinDevice::kActCheckToken), 1, 5000);
        QTRY_COMPARE(widget.iconPath(), QStringLiteral(":/image/icon_online.png"));
        QCOMPARE(m_hubA.receivedCount(KestrinDevice::kActRequestToken), 0);
        QCOMPARE(prompts.size(), 1);
        // Reconnecting from the menu checks the token too.
        m_hubA.clearRecords();
        widget.reconnectButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_hubA.receivedCount(KestrinDevice::kActCheckToken), 1, 5000);
        QCOMPARE(m_hubA.receivedCount(KestrinDevice::kActRequestToken), 0);

        // Another hub: it is asked for a token of its own and never hears the first hub's.
        m_hubA.setConfirmDelayMs(20);
        m_hubB.setConfirmDelayMs(20);
        const std::shared_ptr<KestrinDevice> oldSession = widget.session();
        choose(openDialog(widget), QStringLiteral("KS-B"));
        QTRY_COMPARE_WITH_TIMEOUT(decodeToken(storedHost()->token), QStringLiteral("token-of-B"), 5000);
        QCOMPARE(m_hubB.receivedCount(KestrinDevice::kActCheckToken), 0);
        QCOMPARE(m_hubB.receivedCount(KestrinDevice::kActRequestToken), 1);
        QCOMPARE(storedHost()->sn, QStringLiteral("KS-B"));
        // The first hub's session no longer speaks for the widget.
        QTRY_COMPARE(widget.iconPath(), QStringLiteral(":/image/icon_online.png"));
        if (oldSession)
            emit oldSession->onStateChanged(KestrinDevice::Disconnected);
        QCOMPARE(widget.menuStateLabel()->text(), QStringLiteral("Online"));
    }

    // A host that cannot be stored keeps the dialog open with the reason; the session stays
    // with the hub it had and nothing is sent to any hub.
    void failedSaveKeepsTheDialogOpen()
    {
        QVERIFY(storeHost(StandinHub::address(), m_hubA.port(), QStringLiteral("KS-A")));
        MainKestrinWidget widget;
        const std::shared_ptr<KestrinDevice> session = widget.session();
        QVERIFY(session);
        QTRY_COMPARE_WITH_TIMEOUT(widget.iconPath(), QStringLiteral(":/image/icon_online.png"), 5000);
        Test::ProjectRawSqlite raw(m_path);
        QVERIFY(raw.exec(QStringLiteral("CREATE TRIGGER refuse_host BEFORE UPDATE ON json_store WHEN NEW.type = 'host' "
                                        "BEGIN SELECT RAISE(ABORT, 'host refused'); END;")));
        QStringList errors;
        MessageDialog::setAnswerProvider([&](MessageDialog& d) {
            errors << d.text();
            return 1;
        });
        m_hubA.clearRecords();
        m_hubB.clearRecords();
        QPointer<MainKestrinDialog> dialog = openDialog(widget);
        choose(dialog, QStringLiteral("KS-B"));
        QTRY_COMPARE(errors.size(), 1);
        QVERIFY2(errors.front().startsWith(QStringLiteral("Save [Kestrin] failed: Database execution failed")),
                 qPrintable(errors.front()));
        QTest::qWait(200);
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(widget.session(), session);
        QCOMPARE(ProjectManager::instance()->getCurrentKestrin(), session);
        QCOMPARE(m_hubA.receivedCount(KestrinDevice::kActCheckToken) +
                     m_hubA.receivedCount(KestrinDevice::kActRequestToken),
                 0);
        QCOMPARE(m_hubB.receivedCount(KestrinDevice::kActCheckToken) +
                     m_hubB.receivedCount(KestrinDevice::kActRequestToken),
                 0);
        QCOMPARE(storedHost()->sn, QStringLiteral("KS-A"));
        // The program's reads share one read transaction until the event loop next runs.
        QTest::qWait(50);
        QVERIFY2(raw.exec(QStringLiteral("DROP TRIGGER refuse_host;")), qPrintable(raw.lastError()));
    }

    // The title bar as the main window shows it, offline and online.
    void titleBarScreenshots()
    {
        const QString dir = Test::screenshotDir();
        if (dir.isEmpty())
            QSKIP("ORVEL_SCREENSHOTS is not set");
        // A hub nobody answers for: offline once connecting has been shown long enough.
        QVERIFY(storeHost(StandinHub::address(), 1, QStringLiteral("KS-GONE")));
        {
            MainTitleBar bar;
            bar.resize(900, bar.sizeHint().height());
            auto* hubWidget = bar.findChild<MainKestrinWidget*>();
            QVERIFY(hubWidget);
            hubWidget->setClock([] { return std::numeric_limits<int64_t>::max() / 2; });
            bar.show();
            QTRY_COMPARE_WITH_TIMEOUT(hubWidget->menuStateLabel()->text(), QStringLiteral("Offline"), 8000);
            QVERIFY(bar.grab().save(dir + QStringLiteral("/title_bar_hub_offline.png")));
        }
        m_hubA.setValidToken(QStringLiteral("token-of-A"));
        ProjectDbHostBean paired;
        paired.connType = QStringLiteral("tcp");
        paired.name = QStringLiteral("Desk Kestrin");
        paired.ip = StandinHub::address();
        paired.port = m_hubA.port();
        paired.sn = QStringLiteral("KS-A");
        paired.token = encodeToken(QStringLiteral("token-of-A"));
        QVERIFY(ProjectManager::instance()->getHostUseCase()->saveHost(paired).isOk());
        MainTitleBar bar;
        bar.resize(900, bar.sizeHint().height());
        auto* hubWidget = bar.findChild<MainKestrinWidget*>();
        bar.show();
        QTRY_COMPARE_WITH_TIMEOUT(hubWidget->iconPath(), QStringLiteral(":/image/icon_online.png"), 5000);
        QTest::qWait(50);
        QVERIFY(bar.grab().save(dir + QStringLiteral("/title_bar_hub_online.png")));
    }
};

ORVEL_WIDGET_TEST_MAIN(TestMainKestrin, 1920, 1040)
#include "tst_MainKestrin.moc"
