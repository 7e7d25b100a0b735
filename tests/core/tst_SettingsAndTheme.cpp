#include "core/FileUtils.h"
#include "core/PersistentStore.h"
#include "core/ResourceUtils.h"
#include "core/Settings.h"
#include "core/ThemeLoader.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using nlohmann::json;

namespace {
QString errorOf(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}
} // namespace

class TestSettingsAndTheme : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    void put(const char* name, const QByteArray& text) const
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
    }

private slots:
    void pathsValuesAndConflicts()
    {
        PersistentStore store(path("paths.json"));
        QSignalSpy spy(&store, &PersistentStore::dataUpdated);
        store.setValue("//a///b/", 7);
        QCOMPARE(store.get("/a//b//").get<int>(), 7);
        QVERIFY(store.get("///").contains("a") && store.get("a/missing").is_null());
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].value<std::string>(), std::string("//a///b/"));

        // A conflict is found before anything is created.
        const json before = store.get("");
        QCOMPARE(errorOf([&] { store.setValue("a/b/c", 2); }),
                 QStringLiteral("PersistentStore: path conflict at segment 'b' while locating 'a/b/c'"));
        QVERIFY(store.get("") == before);

        store.setValue("o", json::object({{"k", "é"}}));
        store.setValue("s", "dark");
        const std::pair<const char*, const char*> asText[] = {
            {"s", "dark"}, {"a/b", "7"}, {"o", "{\"k\":\"é\"}"}, {"none", "d"}};
        for (const auto& [key, text] : asText)
            QCOMPARE(store.getAsString(key, QStringLiteral("d")), QString::fromUtf8(text));
    }

    void saveGoesThroughATemporaryAndCreatesDirectories()
    {
        const QString file = m_dir.filePath(QStringLiteral("deep/er/s.json"));
        {
            PersistentStore store(file);
            store.setValue("lang/name", "中文");
            store.save();
        }
        const QByteArray text = readFile(file);
        QVERIFY(!text.endsWith('\n') && text.contains("    \"lang\""));
        QCOMPARE(PersistentStore(file, PersistentStore::ReadOnly).getAsString("lang/name", {}), QStringLiteral("中文"));
        QCOMPARE(QDir(m_dir.filePath(QStringLiteral("deep/er"))).entryList(QDir::Files),
                 QStringList{QStringLiteral("s.json")});
    }

    // A disk that cannot take the new settings fails the save and keeps the file from before as it was.
    void saveTheDiskCannotTakeFailsAndKeepsTheFile()
    {
        const QByteArray before = "{\"theme\": \"dark\"}";
        put("settings.json", before);
        PersistentStore store(path("settings.json"));
        store.setValue("cloudGateway", "http://127.0.0.1:9/" + std::string(1000, 'x'));
        QString error;
        {
            const Test::FileSizeLimit full(before.size());
            QVERIFY(full.isActive());
            error = errorOf([&] { store.save(); });
        }
        QCOMPARE(error, QStringLiteral("PersistentStore: failed to write full JSON data to: ") + path("settings.json"));
        QCOMPARE(readFile(path("settings.json")), before);
    }

    void loadFailuresAndRefusedWrites()
    {
        put("empty.json", "");
        put("array.json", "[1, 2]");
        put("ro.json", "{}");
        QVERIFY(
            errorOf([&] { PersistentStore s(path("empty.json")); }).startsWith("PersistentStore: JSON parse error"));
        QCOMPARE(errorOf([&] { PersistentStore s(m_dir.path()); }),
                 QStringLiteral("PersistentStore: cannot open file for reading"));
        // A missing file is an empty document and creates nothing.
        QVERIFY(PersistentStore(path("missing.json")).get("").is_object());
        QVERIFY(!QFile::exists(path("missing.json")));

        // Below an array nothing is found, and writing fails without changing it.
        PersistentStore array(path("array.json"));
        QVERIFY(array.get("a").is_null());
        QVERIFY(!errorOf([&] { array.setValue("a", 1); }).isEmpty());
        QVERIFY(array.get("") == json({1, 2}));

        PersistentStore readOnly(path("ro.json"), PersistentStore::ReadOnly);
        const QString expected = QStringLiteral("PersistentStore: read-only mode: ") + path("ro.json");
        QCOMPARE(errorOf([&] { readOnly.setValue("a", 2); }), expected);
        QCOMPARE(errorOf([&] { readOnly.save(); }), expected);
    }

    void settingsDefaultsAndValues()
    {
        const QString previous = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        put("settings.json", "{\"theme\": 5, \"cloudGateway\": \"http://127.0.0.1:9/\"}");
        Settings* settings = Settings::instance();
        QCOMPARE(settings->theme(), QStringLiteral("5"));
        QCOMPARE(settings->language(), QStringLiteral("en_US"));
        QCOMPARE(settings->cloudGateway(), QStringLiteral("http://127.0.0.1:9"));
        QDir::setCurrent(previous);
    }

    void themeSheetsAndResources()
    {
        ThemeLoader* loader = ThemeLoader::instance();
        QSignalSpy spy(loader, &ThemeLoader::themeChanged);
        QVERIFY(loader->load(QStringLiteral("base")).contains(QLatin1String("background-color")));
        // Every change drops the cached sheets and is announced, also a change to the same name.
        loader->setTheme(QStringLiteral("light"));
        QVERIFY(loader->load(QStringLiteral("base")).isEmpty());
        loader->setTheme(QStringLiteral("dark"));
        loader->setTheme(QStringLiteral("dark"));
        QCOMPARE(spy.size(), 3);
        QVERIFY(!loader->load(QStringLiteral("base")).isEmpty());

        const QByteArray sheet = readResource(QStringLiteral("theme/dark/base.qss"));
        QVERIFY(!sheet.isEmpty() && readResource(QStringLiteral(":/theme/dark/base.qss")) == sheet);
    }
};

QTEST_GUILESS_MAIN(TestSettingsAndTheme)
#include "tst_SettingsAndTheme.moc"
