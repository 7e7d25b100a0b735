#include "os/OSControllerWin.h"
#include "os/platform/DesktopEntry.h"
#include "os/platform/XdgApplicationCatalog.h"
#include "support/FakeOsPlatform.h"

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
    file.write(body);
}

} // namespace

class TestXdgApplicationCatalog : public QObject
{
    Q_OBJECT
private slots:
    void entryValuesAndCommandLine()
    {
        const auto entry = DesktopEntry::parse("# comment\n[Desktop Entry]\nName=Tab\\tand\\sspace\nName=second\n"
                                               "Exec=\"/opt/My App/run\" --title \"a \\\\\"b\\\\\"\" 100%% %F %i\n"
                                               "[Desktop Action new]\nExec=other\n");
        QVERIFY(entry);
        QCOMPARE(entry->value(QStringLiteral("Name")), QStringLiteral("Tab\tand space"));
        const QStringList expected{QStringLiteral("/opt/My App/run"), QStringLiteral("--title"),
                                   QStringLiteral("a \"b\""), QStringLiteral("100%")};
        QCOMPARE(entry->execArguments(), expected);
        QVERIFY(!DesktopEntry::parse("Name=x\n"));
    }

    void installedAppsFromTheDataFolders()
    {
        QTemporaryDir home;
        QTemporaryDir system1;
        QTemporaryDir system2;
        const QString shPath = QFileInfo(QStringLiteral("/bin/sh")).absolutePath();
        writeEntry(home.filePath(QStringLiteral("applications/editor.desktop")),
                   "[Desktop Entry]\nType=Application\nName=My Editor\nExec=sh -c true\n");
        // The user's copy of the same id wins.
        writeEntry(system1.filePath(QStringLiteral("applications/editor.desktop")),
                   "[Desktop Entry]\nType=Application\nName=System Editor\nExec=sh\n");
        // A hidden user entry takes the system one away.
        writeEntry(home.filePath(QStringLiteral("applications/removed.desktop")), "[Desktop Entry]\nHidden=true\n");
        writeEntry(system2.filePath(QStringLiteral("applications/removed.desktop")),
                   "[Desktop Entry]\nType=Application\nName=Removed\nExec=sh\n");
        writeEntry(system1.filePath(QStringLiteral("applications/kde/viewer.desktop")),
                   "[Desktop Entry]\nType=Application\nName=Viewer\nExec=viewer %f\nPath=/opt/viewer\n");
        writeEntry(system1.filePath(QStringLiteral("applications/helper.desktop")),
                   "[Desktop Entry]\nType=Application\nName=Helper\nExec=sh\nNoDisplay=true\n");
        writeEntry(system1.filePath(QStringLiteral("applications/gone.desktop")),
                   "[Desktop Entry]\nType=Application\nName=Gone\nTryExec=/nonexistent/gone\nExec=gone\n");
        writeEntry(system2.filePath(QStringLiteral("applications/link.desktop")),
                   "[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.org\n");
        writeEntry(system2.filePath(QStringLiteral("applications/unnamed.desktop")),
                   "[Desktop Entry]\nType=Application\nExec=sh\n");
        writeEntry(system2.filePath(QStringLiteral("applications/notes.txt")),
                   "[Desktop Entry]\nType=Application\nName=Notes\n");

        qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(system1.path() + QLatin1Char(':') + system2.path()));
        Test::FakeOsPlatform fakes;
        OSPlatform platform = fakes.platform();
        platform.applications = std::make_shared<XdgApplicationCatalog>();
        OSControllerWin controller(platform, nullptr);
        const auto apps = controller.getInstalledApps();
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_DIRS");

        QCOMPARE(apps.size(), size_t(2));
        QCOMPARE(apps[0].key, std::string("editor.desktop"));
        QCOMPARE(apps[0].name, std::string("My Editor"));
        QCOMPARE(QFileInfo(QString::fromStdString(apps[0].installLocation)).canonicalFilePath(),
                 QFileInfo(shPath).canonicalFilePath());
        QCOMPARE(apps[1].key, std::string("kde-viewer.desktop"));
        QCOMPARE(apps[1].name, std::string("Viewer"));
        QCOMPARE(apps[1].installLocation, std::string("/opt/viewer"));
    }
};

QTEST_GUILESS_MAIN(TestXdgApplicationCatalog)
#include "tst_XdgApplicationCatalog.moc"
