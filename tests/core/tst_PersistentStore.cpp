#include "core/PersistentStore.h"
#include "core/Settings.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using nlohmann::json;

namespace {
void writeText(const QString& path, const QByteArray& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QString errorOf(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const std::runtime_error& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}
} // namespace

class TestPersistentStore : public QObject
{
    Q_OBJECT
private slots:
    void keyPathsIgnoreExtraSlashes()
    {
        QTemporaryDir dir;
        PersistentStore store(dir.filePath(QStringLiteral("s.json")));
        QSignalSpy spy(&store, &PersistentStore::dataUpdated);
        store.setValue("//a///b/", 7);
        QCOMPARE(store.get("a/b").get<int>(), 7);
        QCOMPARE(store.get("/a//b//").get<int>(), 7);
        QVERIFY(store.get("").is_object());
        QVERIFY(store.get("///").contains("a"));
        QVERIFY(store.get("a/missing").is_null());
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].value<std::string>(), std::string("//a///b/"));
    }

    void pathConflictLeavesDocumentUnchanged()
    {
        QTemporaryDir dir;
        PersistentStore store(dir.filePath(QStringLiteral("s.json")));
        store.setValue("a", 1);
        const json before = store.get("");
        QCOMPARE(errorOf([&] { store.setValue("a/b/c", 2); }),
                 QStringLiteral("PersistentStore: path conflict at segment 'a' while locating 'a/b/c'"));
        QVERIFY(store.get("") == before);
        store.setValue("a", json::object({{"x", true}}));
        QVERIFY(store.get("a/x").get<bool>());
    }

    void getAsStringForEveryKind()
    {
        QTemporaryDir dir;
        PersistentStore store(dir.filePath(QStringLiteral("s.json")));
        store.setValue("s", "dark");
        store.setValue("n", 5);
        store.setValue("o", json::object({{"k", "é"}}));
        QCOMPARE(store.getAsString("s", QStringLiteral("d")), QStringLiteral("dark"));
        QCOMPARE(store.getAsString("n", QStringLiteral("d")), QStringLiteral("5"));
        QCOMPARE(store.getAsString("o", QStringLiteral("d")), QStringLiteral("{\"k\":\"é\"}"));
        QCOMPARE(store.getAsString("none", QStringLiteral("d")), QStringLiteral("d"));
    }

    void saveRoundTripAndCreatesDirectory()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("deep/er/s.json"));
        {
            PersistentStore store(path);
            store.setValue("lang/name", "中文");
            store.save();
        }
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(!text.endsWith('\n'));
        QVERIFY(text.contains("    \"lang\""));
        PersistentStore again(path, PersistentStore::ReadOnly);
        QCOMPARE(again.getAsString("lang/name", {}), QStringLiteral("中文"));
        // Only the final file remains: the save went through a temporary beside it.
        QCOMPARE(QDir(dir.filePath(QStringLiteral("deep/er"))).entryList(QDir::Files),
                 QStringList{QStringLiteral("s.json")});
    }

    void readOnlyRefusesWrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.json"));
        writeText(path, "{\"a\": 1}");
        PersistentStore store(path, PersistentStore::ReadOnly);
        QCOMPARE(store.get("a").get<int>(), 1);
        const QString expected = QStringLiteral("PersistentStore: read-only mode: ") + path;
        QCOMPARE(errorOf([&] { store.setValue("a", 2); }), expected);
        QCOMPARE(errorOf([&] { store.save(); }), expected);
    }

    void loadFailures()
    {
        QTemporaryDir dir;
        QCOMPARE(errorOf([] { PersistentStore s(QString{}); }), QStringLiteral("PersistentStore: empty file path"));
        const QString empty = dir.filePath(QStringLiteral("empty.json"));
        writeText(empty, "");
        QVERIFY(errorOf([&] {
                    PersistentStore s(empty);
                }).startsWith(QStringLiteral("PersistentStore: JSON parse error in ") + empty + QStringLiteral(": ")));
        const QString broken = dir.filePath(QStringLiteral("broken.json"));
        writeText(broken, "{\"a\": ");
        QVERIFY(!errorOf([&] { PersistentStore s(broken); }).isEmpty());
        QCOMPARE(errorOf([&] { PersistentStore s(dir.path()); }),
                 QStringLiteral("PersistentStore: cannot open file for reading"));
        // A missing file is an empty document and creates nothing.
        const QString missing = dir.filePath(QStringLiteral("missing.json"));
        PersistentStore s(missing);
        QVERIFY(s.get("").is_object());
        QVERIFY(!QFile::exists(missing));
    }

    void arrayDocumentRefusesNestedWrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("arr.json"));
        writeText(path, "[1, 2]");
        PersistentStore store(path);
        QVERIFY(store.get("a").is_null());
        QVERIFY(store.get("").is_array());
        QVERIFY_THROWS_EXCEPTION(std::exception, store.setValue("a", 1));
        QVERIFY(store.get("").is_array());
    }

    void settingsDefaultsAndValues()
    {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        writeText(dir.filePath(QStringLiteral("settings.json")),
                  "{\"theme\": 5, \"cloudGateway\": \"http://127.0.0.1:9/\"}");
        Settings* settings = Settings::instance();
        QCOMPARE(settings->theme(), QStringLiteral("5"));
        QCOMPARE(settings->language(), QStringLiteral("en_US"));
        QCOMPARE(settings->cloudGateway(), QStringLiteral("http://127.0.0.1:9"));
        QDir::setCurrent(previous);
    }
};

QTEST_GUILESS_MAIN(TestPersistentStore)
#include "tst_PersistentStore.moc"
