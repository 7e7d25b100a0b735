#include "core/Logger.h"
#include "support/TestUtils.h"

#include <QRegularExpression>
#include <QTest>

#include <thread>

using namespace OV;

class TestLogger : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        Logger::instance()->setMinLevel(LogDebug);
        Logger::instance()->setConsole(true);
    }

    void lineFormat()
    {
        Test::LogCapture capture;
        Logger::warn("ThemeLoader", "value %d of %s", 7, "x");
        const QString text = capture.text();
        static const QRegularExpression re(QStringLiteral(
            "^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3} \\[W\\] \\[ThemeLoader\\] value 7 of x\\n$"));
        QVERIFY2(re.match(text).hasMatch(), qPrintable(text));
    }

    void levelsAndFiltering()
    {
        Test::LogCapture capture;
        Logger::instance()->setMinLevel(LogWarning);
        Logger::debug("T", "d");
        Logger::info("T", "i");
        Logger::warn("T", "w");
        Logger::error("T", "e");
        const QStringList lines = capture.text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].contains(QLatin1String("[W] [T] w")));
        QVERIFY(lines[1].contains(QLatin1String("[E] [T] e")));
        QVERIFY(Logger::formatLine(9, "T", "x").contains(QLatin1String("  [T] x")));
    }

    void longMessageIsCutAndPlaceholdersStayLiteral()
    {
        Test::LogCapture capture;
        const std::string big(5000, 'a');
        Logger::info("T", "%s", big.c_str());
        Logger::info("%1", "%s", "keep %1 and %2");
        const QStringList lines = capture.text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        const QString first = lines[0];
        QCOMPARE(first.size() - first.indexOf(QLatin1String("[T] ")) - 4, 4095);
        QVERIFY(lines[1].endsWith(QLatin1String("[%1] keep %1 and %2")));
    }

    void consoleOffWritesNothing()
    {
        Test::LogCapture capture;
        Logger::instance()->setConsole(false);
        Logger::error("T", "hidden");
        QVERIFY(capture.text().isEmpty());
    }

    void linesFromThreadsNeverInterleave()
    {
        Test::LogCapture capture;
        auto worker = [](char c) {
            const std::string body(300, c);
            for (int i = 0; i < 200; ++i)
                Logger::info("Thread", "%s", body.c_str());
        };
        std::thread a(worker, 'a');
        std::thread b(worker, 'b');
        a.join();
        b.join();
        const QStringList lines = capture.text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 400);
        for (const QString& line : lines) {
            const QString body = line.mid(line.indexOf(QLatin1String("[Thread] ")) + 9);
            QCOMPARE(body.size(), 300);
            QVERIFY(body == QString(300, QLatin1Char('a')) || body == QString(300, QLatin1Char('b')));
        }
    }
};

QTEST_GUILESS_MAIN(TestLogger)
#include "tst_Logger.moc"
