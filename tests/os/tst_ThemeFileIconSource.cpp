#include "os/OSControllerWin.h"
#include "os/platform/ThemeFileIconSource.h"
#include "support/FakeOsPlatform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

using namespace OV;

class TestThemeFileIconSource : public QObject
{
    Q_OBJECT

    QTemporaryDir themes;

    void writeIcon(int size, QColor colour)
    {
        const QString dir = themes.filePath(QStringLiteral("orveltest/%1x%1/mimetypes").arg(size));
        QVERIFY(QDir().mkpath(dir));
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(colour);
        QVERIFY(image.save(dir + QLatin1String("/text-plain.png")));
    }

private slots:
    void initTestCase()
    {
        QFile index(themes.filePath(QStringLiteral("orveltest/index.theme")));
        QVERIFY(QDir().mkpath(themes.filePath(QStringLiteral("orveltest"))));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=orveltest\nDirectories=32x32/mimetypes,256x256/mimetypes\n"
                    "[32x32/mimetypes]\nSize=32\nType=Fixed\n[256x256/mimetypes]\nSize=256\nType=Fixed\n");
        index.close();
        writeIcon(32, Qt::red);
        writeIcon(256, Qt::blue);
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName(QStringLiteral("orveltest"));
    }

    void iconOfTheFileTypeInBothSizes()
    {
        Test::FakeOsPlatform fakes;
        OSPlatform platform = fakes.platform();
        platform.icons = std::make_shared<ThemeFileIconSource>();
        OSControllerWin controller(platform, nullptr);

        const QPixmap jumbo = controller.getFileIcon(QStringLiteral("/nowhere/notes.txt"), true);
        QCOMPARE(jumbo.size(), QSize(256, 256));
        QCOMPARE(jumbo.toImage().pixelColor(128, 128), QColor(Qt::blue));
        const QPixmap large = controller.getFileIcon(QStringLiteral("/nowhere/notes.txt"), false);
        QCOMPARE(large.size(), QSize(32, 32));
        QCOMPARE(large.toImage().pixelColor(16, 16), QColor(Qt::red));
    }

    void otherFilesGetTheStyleIcon()
    {
        ThemeFileIconSource source;
        QVERIFY(!source.icon(QStringLiteral("/nowhere/data.orvel-unknown"), 32).isNull());
        QVERIFY(!source.icon(QDir::tempPath(), 32).isNull());
    }

    void noPixmapOffTheGuiThread()
    {
        ThemeFileIconSource source;
        bool isNull = false;
        std::thread worker([&] { isNull = source.icon(QStringLiteral("/nowhere/notes.txt"), 32).isNull(); });
        worker.join();
        QVERIFY(isNull);
    }
};

QTEST_MAIN(TestThemeFileIconSource)
#include "tst_ThemeFileIconSource.moc"
