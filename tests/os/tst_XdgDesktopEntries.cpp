#include "os/OSControllerWin.h"
#include "os/StartupProvider.h"
#include "os/StartupProviderWin.h"
#include "os/platform/DesktopEntry.h"
#include "os/platform/XdgApplicationCatalog.h"
#include "os/platform/XdgAutostartStore.h"
#include "support/FakeOsPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;

namespace {

void writeEntry(const QString& path, const QByteArray& body)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\n" + body);
}

} // namespace

// Desktop entries: installed applications and the autostart entry.
class TestXdgDesktopEntries : public QObject
{
    Q_OBJECT

    QTemporaryDir config;
    QString autostartEntry() const { return config.filePath("autostart/OrvelWorkSpace.desktop"); }

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path())); }

    void entryValuesAndCommandLine()
    {
        const auto entry = DesktopEntry::parse("# comment\n[Desktop Entry]\nName=Tab\\tand\\sspace\nName=second\n"
                                               "Exec=\"/opt/My App/run\" --title \"a \\\\\"b\\\\\"\" 100%% %F %i\n"
                                               "[Desktop Action new]\nExec=other\n");
        QVERIFY(entry);
        QCOMPARE(entry->value("Name"), QStringLiteral("Tab\tand space"));
        QCOMPARE(entry->execArguments(), (QStringList{"/opt/My App/run", "--title", "a \"b\"", "100%"}));
        QVERIFY(!DesktopEntry::parse("Name=x\n"));
    }

    void installedAppsFromTheDataFolders()
    {
        QTemporaryDir home;
        QTemporaryDir system1;
        QTemporaryDir system2;
        const QByteArray app = "Type=Application\n";
        writeEntry(home.filePath("applications/editor.desktop"), app + "Name=My Editor\nExec=sh -c true\n");
        // The user's copy of the same id wins; a hidden user entry takes the system one away.
        writeEntry(system1.filePath("applications/editor.desktop"), app + "Name=System Editor\nExec=sh\n");
        writeEntry(home.filePath("applications/removed.desktop"), "Hidden=true\n");
        writeEntry(system2.filePath("applications/removed.desktop"), app + "Name=Removed\nExec=sh\n");
        writeEntry(system1.filePath("applications/kde/viewer.desktop"),
                   app + "Name=Viewer\nExec=viewer\nPath=/opt/v\n");
        // Not listed: hidden from menus, not installed, not an application, unnamed, not an entry.
        writeEntry(system1.filePath("applications/helper.desktop"), app + "Name=Helper\nExec=sh\nNoDisplay=true\n");
        writeEntry(system1.filePath("applications/gone.desktop"), app + "Name=Gone\nTryExec=/nonexistent/gone\n");
        writeEntry(system2.filePath("applications/link.desktop"), "Type=Link\nName=Site\nURL=https://example.org\n");
        writeEntry(system2.filePath("applications/unnamed.desktop"), app + "Exec=sh\n");
        writeEntry(system2.filePath("applications/notes.txt"), app + "Name=Notes\n");

        qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(system1.path() + ':' + system2.path()));
        Test::FakeOsPlatform fakes;
        OSPlatform platform = fakes.platform();
        platform.applications = std::make_shared<XdgApplicationCatalog>();
        const auto apps = OSControllerWin(platform, nullptr).getInstalledApps();
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_DIRS");

        QCOMPARE(apps.size(), size_t(2));
        QCOMPARE(apps[0].key, std::string("editor.desktop"));
        QCOMPARE(apps[0].name, std::string("My Editor"));
        QCOMPARE(QFileInfo(QString::fromStdString(apps[0].installLocation)).canonicalFilePath(),
                 QFileInfo(QFileInfo("/bin/sh").absolutePath()).canonicalFilePath());
        QCOMPARE(apps[1].key, std::string("kde-viewer.desktop"));
        QCOMPARE(apps[1].installLocation, std::string("/opt/v"));
    }

    void autostartEnableDetectDisable()
    {
        auto provider = StartupProvider::instance();
        QVERIFY(!provider->isEnabled());
        QVERIFY(!provider->disable());
        QVERIFY(provider->enable());
        QVERIFY(provider->isEnabled());
        QFile file(autostartEntry());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QVERIFY(
            text.contains(QByteArray("Exec=" + QCoreApplication::applicationFilePath().toUtf8() + " --autostart\n")));
        // Started where this program runs, so that it reads the same settings.json.
        QVERIFY(text.contains(QByteArray("Path=" + QDir::currentPath().toUtf8() + "\n")));
        QVERIFY(provider->disable());
        QVERIFY(!QFile::exists(autostartEntry()));
        QVERIFY(!provider->isEnabled());

        // A path with characters the Exec line reserves comes back as it was.
        const QString odd = "/opt/My Apps/it's \"$HOME\" 100%/OrvelWorkSpace";
        const QString oddFolder = "/srv/My Desk/back\\slash\ttab\nline %f";
        QVERIFY(StartupProviderWin("OrvelWorkSpace", std::make_shared<XdgAutostartStore>(), odd, oddFolder).enable());
        const auto stored = XdgAutostartStore().read("OrvelWorkSpace");
        QVERIFY(stored);
        QCOMPARE(stored->arguments, (QStringList{odd, "--autostart"}));
        QCOMPARE(stored->workingDirectory, oddFolder);
        QCOMPARE(DesktopEntry::load(autostartEntry())->value("Path"), oddFolder);
    }

    void autostartEntriesWrittenElsewhere()
    {
        StartupProviderWin provider("OrvelWorkSpace", std::make_shared<XdgAutostartStore>(), "/usr/bin/OrvelWorkSpace");
        const std::pair<QByteArray, bool> cases[] = {
            {"/USR/BIN/orvelworkspace --autostart --verbose", true},
            {"\"/usr/bin/OrvelWorkSpace --autostart\"", true},
            {"/usr/bin/OrvelWorkSpace", false},
            {"/usr/bin/Other --autostart", false},
            {"/old/place/OrvelWorkSpace --autostart", false}, // the program has moved since
        };
        for (const auto& [exec, enabled] : cases) {
            writeEntry(autostartEntry(), "Type=Application\nExec=" + exec + "\n");
            QVERIFY2(provider.isEnabled() == enabled, exec.constData());
        }
    }

    // The session refuses an entry whose folder is gone, so the switch must not show it on; the
    // program turned on again from where it runs now writes that folder over the stale one.
    void autostartOnlyWhereTheFolderIs_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("folder there") << "kept" << true;
        QTest::newRow("no Path") << "none" << true;
        QTest::newRow("empty Path") << "empty" << true;
        QTest::newRow("folder removed") << "removed" << false;
        QTest::newRow("folder renamed") << "renamed" << false;
        QTest::newRow("a file in its place") << "file" << false;
    }

    void autostartOnlyWhereTheFolderIs()
    {
        QFETCH(QString, folder);
        QFETCH(bool, enabled);
        QTemporaryDir scratch;
        const QString desk = scratch.filePath("desk");
        QVERIFY(QDir().mkpath(desk));
        QByteArray body =
            "Type=Application\nExec=" +
            XdgAutostartStore::quoteExec({QCoreApplication::applicationFilePath(), "--autostart"}).toUtf8() + "\n";
        if (folder != "none")
            body += "Path=" + (folder == "empty" ? QByteArray() : desk.toUtf8()) + "\n";
        writeEntry(autostartEntry(), body);
        if (folder == "removed" || folder == "file")
            QVERIFY(QDir(desk).removeRecursively());
        if (folder == "renamed")
            QVERIFY(QDir().rename(desk, scratch.filePath("desk 2")));
        if (folder == "file") {
            QFile file(desk);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(StartupProvider::instance()->isEnabled(), enabled);

        const QString now = scratch.filePath("now");
        QVERIFY(QDir().mkpath(now));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(now));
        const bool turnedOn = StartupProvider::instance()->enable();
        QVERIFY(QDir::setCurrent(before));
        QVERIFY(turnedOn);
        QCOMPARE(DesktopEntry::load(autostartEntry())->value("Path"), QFileInfo(now).canonicalFilePath());
        QVERIFY(StartupProvider::instance()->isEnabled());
        QVERIFY(StartupProvider::instance()->disable());
    }
};

QTEST_GUILESS_MAIN(TestXdgDesktopEntries)
#include "tst_XdgDesktopEntries.moc"
