#include "core/ResourceUtils.h"
#include "core/ThemeLoader.h"

#include <QSignalSpy>
#include <QTest>

using namespace OV;

class TestThemeLoader : public QObject
{
    Q_OBJECT
private slots:
    void baseSheetIsDarkAndCached()
    {
        ThemeLoader* loader = ThemeLoader::instance();
        const QString base = loader->load(QStringLiteral("base"));
        QVERIFY(!base.isEmpty());
        QVERIFY(base.contains(QLatin1String("background-color")));
        QCOMPARE(loader->load(QStringLiteral("base")), base);
        QVERIFY(loader->load(QStringLiteral("no_such_sheet")).isEmpty());
    }

    void setThemeEmitsEvenForSameName()
    {
        ThemeLoader* loader = ThemeLoader::instance();
        QSignalSpy spy(loader, &ThemeLoader::themeChanged);
        loader->setTheme(QStringLiteral("dark"));
        loader->setTheme(QStringLiteral("dark"));
        QCOMPARE(spy.size(), 2);
        loader->setTheme(QStringLiteral("light"));
        QVERIFY(loader->load(QStringLiteral("base")).isEmpty());
        loader->setTheme(QStringLiteral("dark"));
        QVERIFY(!loader->load(QStringLiteral("base")).isEmpty());
    }

    void resourcePathsWithAndWithoutPrefix()
    {
        const QByteArray a = readResource(QStringLiteral("theme/dark/base.qss"));
        QVERIFY(!a.isEmpty());
        QCOMPARE(readResource(QStringLiteral(":/theme/dark/base.qss")), a);
        QVERIFY(readResource(QStringLiteral("file/none.json")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestThemeLoader)
#include "tst_ThemeLoader.moc"
