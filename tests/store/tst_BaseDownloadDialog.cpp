#include "store/BaseDownloadDialog.h"
#include "support/ProjectTestUtils.h"
#include "support/StandInHttpServer.h"
#include "support/WidgetTestEnv.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using OV::Test::HttpReply;

Q_DECLARE_METATYPE(OV::Test::HttpReply)

class TestBaseDownloadDialog : public QObject
{
    Q_OBJECT
private:
    static constexpr int kPauseMs = 300; // between the two halves of an unsized body

    QTemporaryDir m_dir;
    Test::StandInHttpServer m_server;
    QList<int> m_codes;
    QString m_target;

    // A shown, started dialog for the path; its codes go to m_codes.
    QPointer<BaseDownloadDialog> start(const QString& url)
    {
        auto* dialog = new BaseDownloadDialog;
        dialog->url = QUrl(url);
        dialog->filePath = m_target;
        dialog->onFinished = [this](int code) { m_codes << code; };
        dialog->show();
        dialog->start();
        return dialog;
    }
    QString served(const QString& path) const { return m_server.urlText(path); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        Test::applyBaseTheme();
        QVERIFY(m_server.start());
        m_server.route(QStringLiteral("/ok.zip"), HttpReply::bytes(QByteArray(300000, 'k'), "application/zip"));
        m_server.route(QStringLiteral("/missing.zip"), HttpReply::json({{"error", "gone"}}, 404));
        m_server.route(QStringLiteral("/cut.zip"), HttpReply::closeEarly(QByteArray(200000, 'c'), "application/zip"));
        HttpReply stall = HttpReply::stallMidBody(QByteArray(100000, 's'), "application/zip");
        stall.partBytes = 40000;
        m_server.route(QStringLiteral("/stall.zip"), stall);
        m_server.route(
            QStringLiteral("/huge.zip"),
            HttpReply::stallMidBody(QByteArray(BaseDownloadDialog::kMaxFileSize + 1, 'h'), "application/zip"));
        m_server.route(QStringLiteral("/unsized.zip"),
                       HttpReply::unsized(QByteArray(300000, 'u'), "application/zip", kPauseMs));
        m_server.route(
            QStringLiteral("/huge-unsized.zip"),
            HttpReply::unsized(QByteArray(BaseDownloadDialog::kMaxFileSize + 1, 'h'), "application/zip", kPauseMs));
    }

    void init()
    {
        m_codes.clear();
        m_target = m_dir.filePath(QStringLiteral("temp/plug.zip"));
        QDir().mkpath(m_dir.filePath(QStringLiteral("temp")));
        QFile::remove(m_target);
    }

    void completes()
    {
        QPointer<BaseDownloadDialog> dialog = start(served(QStringLiteral("/ok.zip")));
        QCOMPARE(dialog->statusText(), QStringLiteral("Starting..."));
        QTRY_COMPARE(m_codes, QList<int>{0});
        QCOMPARE(dialog->statusText(), QStringLiteral("Completed"));
        QCOMPARE(dialog->progress(), 100);
        QCOMPARE(Test::fileBytes(m_target), QByteArray(300000, 'k'));
        QTRY_VERIFY_WITH_TIMEOUT(!dialog, 2000);
        QCOMPARE(m_codes, QList<int>{0});
    }

    // A server that sends no total size: no percentage is made up while the bytes arrive; the bar
    // stays at 0 until "Completed" sets 100, and the whole body is the file.
    void completesWithoutTotalSize()
    {
        QPointer<BaseDownloadDialog> dialog = start(served(QStringLiteral("/unsized.zip")));
        auto* bar = dialog->findChild<QProgressBar*>();
        QVERIFY(bar);
        QList<int> values;
        connect(bar, &QProgressBar::valueChanged, this, [&values](int value) { values << value; });
        QSet<QString> texts;
        QTRY_VERIFY_WITH_TIMEOUT((texts << dialog->statusText(), !m_codes.isEmpty()), 5000);
        QCOMPARE(m_codes, QList<int>{0});
        QCOMPARE(values, QList<int>{100});
        QCOMPARE(texts, (QSet<QString>{QStringLiteral("Starting..."), QStringLiteral("Completed")}));
        QCOMPARE(Test::fileBytes(m_target), QByteArray(300000, 'u'));
        QTRY_VERIFY_WITH_TIMEOUT(!dialog, 2000);
        QCOMPARE(m_codes, QList<int>{0});
    }

    // Every failure reports 1 once and leaves no file; the dialog closes by itself.
    void failures_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("status");
        QTest::newRow("not found") << "/missing.zip"
                                   << "Error: ";
        QTest::newRow("cut short") << "/cut.zip"
                                   << "Error: ";
        QTest::newRow("over 10 MiB") << "/huge.zip"
                                     << "Error: file too large";
        QTest::newRow("over 10 MiB without a size") << "/huge-unsized.zip"
                                                    << "Error: file too large";
        QTest::newRow("file address") << "file:///etc/hostname"
                                      << "Error: unsupported address";
    }

    void failures()
    {
        QFETCH(QString, url);
        QFETCH(QString, status);
        QPointer<BaseDownloadDialog> dialog = start(url.startsWith(QLatin1Char('/')) ? served(url) : url);
        QTRY_COMPARE(m_codes, QList<int>{1});
        QVERIFY2(dialog->statusText().startsWith(status), qPrintable(dialog->statusText()));
        QVERIFY(!QFileInfo::exists(m_target));
        const QString dir = Test::screenshotDir();
        if (!dir.isEmpty() && QTest::currentDataTag() == QLatin1String("not found"))
            QVERIFY(dialog->grab().save(dir + QStringLiteral("/download_dialog_error.png")));
        if (url.startsWith(QLatin1Char('/')))
            QTRY_VERIFY_WITH_TIMEOUT(!dialog, 2000);
        else
            delete dialog;
        QCOMPARE(m_codes, QList<int>{1});
        QCOMPARE(QDir(m_dir.filePath(QStringLiteral("temp"))).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // Cancel during a transfer reports 2 only (the abort is no failure), closes at once and
    // leaves no file; cancel after a result changes nothing.
    void cancel()
    {
        QPointer<BaseDownloadDialog> dialog = start(served(QStringLiteral("/stall.zip")));
        QTRY_COMPARE(dialog->progress(), 40);
        QCOMPARE(dialog->statusText(), QStringLiteral("Downloading 40%"));
        const QString dir = Test::screenshotDir();
        if (!dir.isEmpty())
            QVERIFY(dialog->grab().save(dir + QStringLiteral("/download_dialog_progress.png")));
        QTest::mouseClick(dialog->button3, Qt::LeftButton);
        QTRY_VERIFY(!dialog);
        QTest::qWait(100);
        QCOMPARE(m_codes, QList<int>{2});
        QVERIFY(!QFileInfo::exists(m_target));

        // A target that cannot be opened: 1, the dialog stays; Cancel then closes without a 2.
        m_codes.clear();
        m_target = m_dir.filePath(QStringLiteral("temp/plug.zip/inside.zip"));
        QVERIFY(Test::writeFileBytes(m_dir.filePath(QStringLiteral("temp/plug.zip")), "a file, not a folder"));
        const int asked = m_server.requestCount(QStringLiteral("/ok.zip"));
        dialog = start(served(QStringLiteral("/ok.zip")));
        QCOMPARE(m_codes, QList<int>{1});
        QCOMPARE(dialog->statusText(), QStringLiteral("Cannot open file"));
        QTest::qWait(400);
        QVERIFY(dialog && dialog->isVisible());
        QTest::mouseClick(dialog->button3, Qt::LeftButton);
        QTRY_VERIFY(!dialog);
        QCOMPARE(m_codes, QList<int>{1});
        QCOMPARE(m_server.requestCount(QStringLiteral("/ok.zip")), asked);
    }
};

ORVEL_WIDGET_TEST_MAIN(TestBaseDownloadDialog, 1280, 800)
#include "tst_BaseDownloadDialog.moc"
