#include "os/OSControllerWin.h"
#include "os/platform/ProcProcessTable.h"
#include "os/platform/SysfsBacklight.h"
#include "support/FakeOsPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace OV;

namespace {

void writeText(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSysfsAndProcServices : public QObject
{
    Q_OBJECT
private slots:
    void backlightInPercent()
    {
        QTemporaryDir sys;
        // The first device in name order with a usable maximum.
        writeText(sys.filePath(QStringLiteral("class/backlight/acpi_video0/max_brightness")), "0\n");
        writeText(sys.filePath(QStringLiteral("class/backlight/intel_backlight/max_brightness")), "19393\n");
        writeText(sys.filePath(QStringLiteral("class/backlight/intel_backlight/brightness")), "7176\n");
        Test::FakeOsPlatform fakes;
        OSPlatform platform = fakes.platform();
        platform.backlight = std::make_shared<SysfsBacklight>(sys.path());
        OSControllerWin controller(platform, nullptr);

        QCOMPARE(controller.getBrightness(), 37);
        QVERIFY(controller.setBrightness(50));
        QCOMPARE(readText(sys.filePath(QStringLiteral("class/backlight/intel_backlight/brightness"))),
                 QByteArray("9697"));
        QCOMPARE(controller.getBrightness(), 50);
        QVERIFY(!controller.setBrightness(101));
        QVERIFY(!controller.setBrightness(-1));
        QCOMPARE(controller.getBrightness(), 50);
    }

    void noBacklightGivesFailureValues()
    {
        QTemporaryDir sys;
        SysfsBacklight backlight(sys.path());
        QVERIFY(!backlight.brightness());
        QVERIFY(!backlight.setBrightness(40));
    }

    void processesByExecutable()
    {
        QTemporaryDir proc;
        QVERIFY(QDir(proc.path()).mkpath(QStringLiteral("120")));
        QVERIFY(QDir(proc.path()).mkpath(QStringLiteral("7")));
        QVERIFY(QDir(proc.path()).mkpath(QStringLiteral("33")));
        QVERIFY(QDir(proc.path()).mkpath(QStringLiteral("self")));
        QVERIFY(QDir(proc.path()).mkpath(QStringLiteral("sys")));
        QVERIFY(QFile::link(QStringLiteral("/usr/bin/editor"), proc.filePath(QStringLiteral("120/exe"))));
        QVERIFY(QFile::link(QStringLiteral("/usr/bin/editor (deleted)"), proc.filePath(QStringLiteral("7/exe"))));
        QVERIFY(QFile::link(QStringLiteral("/usr/bin/editor2"), proc.filePath(QStringLiteral("33/exe"))));
        QVERIFY(QFile::link(QStringLiteral("/usr/bin/editor"), proc.filePath(QStringLiteral("self/exe"))));

        ProcProcessTable table(proc.path());
        auto pids = table.processesOf(QStringLiteral("/usr/bin/editor"));
        std::sort(pids.begin(), pids.end());
        QCOMPARE(pids, (std::vector<int64_t>{7, 120}));
        QCOMPARE(table.executableOf(33), QStringLiteral("/usr/bin/editor2"));
        QVERIFY(table.executableOf(99).isEmpty());
        QVERIFY(table.executableOf(0).isEmpty());
        QVERIFY(table.processesOf({}).empty());
    }

    void thisProcessIsFound()
    {
        ProcProcessTable table;
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        QCOMPARE(table.executableOf(getpid()), self);
        const auto pids = table.processesOf(self);
        QVERIFY(std::find(pids.begin(), pids.end(), int64_t(getpid())) != pids.end());
    }
};

QTEST_GUILESS_MAIN(TestSysfsAndProcServices)
#include "tst_SysfsAndProcServices.moc"
