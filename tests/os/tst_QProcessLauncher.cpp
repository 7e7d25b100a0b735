#include "os/OSControllerWin.h"
#include "os/platform/QProcessLauncher.h"
#include "support/FakeOsPlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;

// The controller with real processes: the shell for commands, and an opener that only
// records its arguments, placed first on PATH.
class TestQProcessLauncher : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString record;
    QByteArray savedPath;
    std::unique_ptr<OSControllerWin> controller;

    QStringList recordedCalls()
    {
        QFile file(record);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase()
    {
        record = dir.filePath(QStringLiteral("calls.txt"));
        // One line per call: the arguments, each between < and >.
        QFile opener(dir.filePath(QStringLiteral("xdg-open")));
        QVERIFY(opener.open(QIODevice::WriteOnly));
        opener.write("#!/bin/sh\nline=\nfor a in \"$@\"; do line=\"$line<$a>\"; done\n"
                     "printf '%s\\n' \"$line\" >> \"" +
                     QFile::encodeName(record) + "\"\n");
        opener.close();
        opener.setPermissions(opener.permissions() | QFile::ExeOwner);
        savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.path()) + ':' + savedPath);

        Test::FakeOsPlatform fakes;
        OSPlatform platform = fakes.platform();
        platform.launcher = std::make_shared<QProcessLauncher>();
        controller = std::make_unique<OSControllerWin>(platform, nullptr);
    }

    void cleanupTestCase() { qputenv("PATH", savedPath); }

    void init() { QFile::remove(record); }

    void commandOutputIsReadBack()
    {
        std::string output;
        QVERIFY(controller->execCommand("printf 'one\\n'; echo two >&2; printf 'drei \\303\\274'", true, &output));
        QCOMPARE(QString::fromStdString(output), QStringLiteral("one\ntwo\ndrei ü"));
        QVERIFY(!controller->execCommand("echo partial; exit 1", true, &output));
        QVERIFY(QString::fromStdString(output).endsWith(QLatin1String("partial\n")));
        QVERIFY(!controller->execCommand("kill -9 $$", true, nullptr));
        // A command that reads its input gets none, rather than waiting for it.
        QVERIFY(controller->execCommand("cat", true, nullptr));
        // Without wait only the start counts.
        QVERIFY(controller->execCommand("exit 1", false, nullptr));
        QVERIFY(controller->execCommand("touch '" + dir.filePath(QStringLiteral("ran")).toStdString() + "'", false,
                                        nullptr));
        QTRY_VERIFY(QFile::exists(dir.filePath(QStringLiteral("ran"))));
    }

    void openerGetsOneUntouchedArgument()
    {
        const QString odd = dir.filePath(QStringLiteral("a b; touch pwned $(id).txt"));
        QVERIFY(controller->openFile(odd.toStdString()));
        QTRY_COMPARE(recordedCalls().size(), 1);
        QCOMPARE(recordedCalls().at(0), QLatin1Char('<') + odd + QLatin1Char('>'));

        QVERIFY(controller->openBrowser("https://example.org/search?q=a&b=$(id)"));
        QTRY_COMPARE(recordedCalls().size(), 2);
        QCOMPARE(recordedCalls().at(1), QStringLiteral("<https://example.org/search?q=a&b=$(id)>"));

        QVERIFY(!controller->openBrowser("file:///etc/passwd"));
        QVERIFY(controller->openBrowser("mailto:someone@example.org"));
        QTRY_COMPARE(recordedCalls().size(), 3);
        QCOMPARE(recordedCalls().at(2), QStringLiteral("<mailto:someone@example.org>"));
        QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("pwned"))));
    }

    void missingOpenerIsAFailure()
    {
        qputenv("PATH", QFile::encodeName(dir.filePath(QStringLiteral("nothing-here"))));
        const bool opened = controller->openFile("/tmp/x.pdf");
        qputenv("PATH", QFile::encodeName(dir.path()) + ':' + savedPath);
        QVERIFY(!opened);
    }
};

QTEST_GUILESS_MAIN(TestQProcessLauncher)
#include "tst_QProcessLauncher.moc"
