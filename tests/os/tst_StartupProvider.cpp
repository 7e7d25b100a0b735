#include "os/StartupProvider.h"
#include "os/StartupProviderWin.h"
#include "os/platform/XdgAutostartStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;

class TestStartupProvider : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_config;
    QString entry() const { return m_config.filePath(QStringLiteral("autostart/OrvelWorkSpace.desktop")); }

    void writeEntry(const QByteArray& exec)
    {
        QDir().mkpath(m_config.filePath(QStringLiteral("autostart")));
        QFile f(entry());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("[Desktop Entry]\nType=Application\nExec=" + exec + "\n"));
    }

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8()); }
    void init() { QFile::remove(entry()); }

    void enableDetectDisable()
    {
        auto provider = StartupProvider::instance();
        QVERIFY(!provider->isEnabled());
        QVERIFY(!provider->disable());
        QVERIFY(provider->enable());
        QVERIFY(provider->isEnabled());
        QFile f(entry());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QVERIFY(
            text.contains(QByteArray("Exec=" + QCoreApplication::applicationFilePath().toUtf8() + " --autostart\n")));
        QVERIFY(provider->disable());
        QVERIFY(!QFile::exists(entry()));
        QVERIFY(!provider->isEnabled());
    }

    void pathsWithReservedCharactersRoundTrip()
    {
        const QString odd = QStringLiteral("/opt/My Apps/it's \"$HOME\" 100%/OrvelWorkSpace");
        StartupProviderWin provider(QStringLiteral("OrvelWorkSpace"), std::make_shared<XdgAutostartStore>(), odd);
        QVERIFY(provider.enable());
        QVERIFY(provider.isEnabled());
        const auto args = XdgAutostartStore().read(QStringLiteral("OrvelWorkSpace"));
        QVERIFY(args.has_value());
        QCOMPARE(*args, QStringList({odd, QStringLiteral("--autostart")}));
    }

    void movedExecutableIsNotEnabled()
    {
        StartupProviderWin before(QStringLiteral("OrvelWorkSpace"), std::make_shared<XdgAutostartStore>(),
                                  QStringLiteral("/old/place/OrvelWorkSpace"));
        QVERIFY(before.enable());
        StartupProviderWin after(QStringLiteral("OrvelWorkSpace"), std::make_shared<XdgAutostartStore>(),
                                 QStringLiteral("/new/place/OrvelWorkSpace"));
        QVERIFY(!after.isEnabled());
        QVERIFY(after.enable());
        QVERIFY(after.isEnabled());
    }

    void entriesWrittenByHand()
    {
        const QString exe = QStringLiteral("/usr/bin/OrvelWorkSpace");
        StartupProviderWin provider(QStringLiteral("OrvelWorkSpace"), std::make_shared<XdgAutostartStore>(), exe);
        writeEntry("/USR/BIN/orvelworkspace --autostart --verbose");
        QVERIFY(provider.isEnabled());
        writeEntry("\"/usr/bin/OrvelWorkSpace --autostart\"");
        QVERIFY(provider.isEnabled());
        writeEntry("/usr/bin/OrvelWorkSpace");
        QVERIFY(!provider.isEnabled());
        writeEntry("/usr/bin/Other --autostart");
        QVERIFY(!provider.isEnabled());
    }
};

QTEST_GUILESS_MAIN(TestStartupProvider)
#include "tst_StartupProvider.moc"
