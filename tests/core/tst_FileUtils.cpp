#include "core/AppDirs.h"
#include "core/FileUtils.h"
#include "core/TokenScrambler.h"
#include "core/Utils.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;

namespace {
void touch(const QString& path, const QByteArray& data = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}
} // namespace

class TestFileUtils : public QObject
{
    Q_OBJECT
private slots:
    void directoriesAndRemoval()
    {
        QTemporaryDir dir;
        const QString root = dir.filePath(QStringLiteral("a/b/c"));
        QVERIFY(createDirectories(root));
        QVERIFY(createDirectories(root));
        touch(root + QStringLiteral("/f.txt"));
        QVERIFY(!createDirectories(root + QStringLiteral("/f.txt")));
        touch(root + QStringLiteral("/sub/deeper/g.txt"));

        QVERIFY(clearDirectory(root));
        QVERIFY(isDirectory(root));
        QVERIFY(isEmptyDirectory(root));
        QVERIFY(!clearDirectory(root + QStringLiteral("/missing")));

        const QString file = dir.filePath(QStringLiteral("keep.txt"));
        touch(file);
        QVERIFY(!removeAll(file));
        QVERIFY(isFile(file));
        QVERIFY(removeAll(dir.filePath(QStringLiteral("nothing-here"))));
        QVERIFY(removeAll(dir.filePath(QStringLiteral("a"))));
        QVERIFY(!pathExists(dir.filePath(QStringLiteral("a"))));
        QVERIFY(removeFile(file));
        QVERIFY(!removeFile(file));
    }

    void sizesAndKinds()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("f.bin"));
        touch(file, QByteArray(1234, 'z'));
        QCOMPARE(fileSize(file), uint64_t(1234));
        QCOMPARE(fileSize(dir.path()), UINT64_MAX);
        QCOMPARE(fileSize(dir.filePath(QStringLiteral("missing"))), UINT64_MAX);
        QVERIFY(!isEmptyDirectory(file));
        QVERIFY(!isDirectory(file));
        // A path that runs through a file is simply missing, not an error.
        QVERIFY(!pathExists(file + QStringLiteral("/below")));
    }

    void writeReadAndCanWrite()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("new/dir/w.txt"));
        const char data[] = "0123456789";
        QVERIFY(writeFile(file, data, 2, 3, false));
        QCOMPARE(readFile(file), QByteArray("234"));
        QVERIFY(writeFile(file, data, 0, 2, true));
        QCOMPARE(readFile(file), QByteArray("23401"));
        QVERIFY(writeFile(file, data, 9, 1, false));
        QCOMPARE(readFile(file), QByteArray("9"));
        QVERIFY(!writeFile(file, nullptr, 0, 1, false));
        QVERIFY(!writeFile(file, data, 0, 0, false));
        QVERIFY(readFile(dir.filePath(QStringLiteral("missing"))).isEmpty());

        const QString probe = dir.filePath(QStringLiteral("probe.txt"));
        QVERIFY(canWriteFile(probe));
        QVERIFY(!QFile::exists(probe));
        QVERIFY(!canWriteFile(QString()));
        QVERIFY(!canWriteFile(dir.filePath(QStringLiteral("no/such/dir/x.txt"))));
    }

    void safePathComponents()
    {
        for (const char* bad : {"", ".", "..", "a/b", "a\\b", "/"})
            QVERIFY2(!isSafePathComponent(QString::fromLatin1(bad)), bad);
        QVERIFY(!isSafePathComponent(QString(QChar(0))));
        QVERIFY(isSafePathComponent(QStringLiteral("card-01_ü.png")));
        QVERIFY(isSafePathComponent(QStringLiteral("..hidden")));
    }

    void uuidsAreShortAndUnique()
    {
        static const QRegularExpression re(QStringLiteral("^[A-Za-z0-9_-]{22}$"));
        const QString a = createUuid();
        const QString b = createUuid();
        QVERIFY(re.match(a).hasMatch());
        QVERIFY(re.match(b).hasMatch());
        QVERIFY(a != b);
    }

    void tokenScramblerRoundTrip()
    {
        const QStringList tokens = {QStringLiteral("abc"), QStringLiteral("Tökén-中文-🙂"),
                                    QString(40, QLatin1Char('k'))};
        for (const QString& token : tokens) {
            const QString stored = encodeToken(token);
            QVERIFY(stored != token);
            QCOMPARE(decodeToken(stored), token);
        }
        QCOMPARE(encodeToken(QString(40, QLatin1Char('k'))).size(), 56);
        QVERIFY(encodeToken({}).isEmpty());
        QVERIFY(decodeToken({}).isEmpty());
        QCOMPARE(tokenKey().size(), 32);
        // Not Base64 at all: decoding must not throw.
        decodeToken(QStringLiteral("%%%not base64%%%"));
    }

    void jsonPaths()
    {
        const nlohmann::json v = {{"a", {{"b", {{"c", 1}}}}}, {"n", 3}};
        QVERIFY(jsonContainsPath(v, {}));
        QVERIFY(jsonContainsPath(v, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        QVERIFY(!jsonContainsPath(v, {QStringLiteral("a"), QStringLiteral("x")}));
        QVERIFY(!jsonContainsPath(v, {QStringLiteral("n"), QStringLiteral("x")}));
        QVERIFY(!jsonContainsPath(nlohmann::json::array(), {QStringLiteral("a")}));
    }

    void appDirsCreateAndEmptyTemp()
    {
        const QString app = AppDirs::appDir();
        touch(AppDirs::tempDir() + QStringLiteral("/left/over.txt"));
        touch(AppDirs::cacheDir() + QStringLiteral("/kept.txt"));
        AppDirs::ensureAll();
        QVERIFY(isEmptyDirectory(app + QStringLiteral("/temp")));
        QVERIFY(isFile(app + QStringLiteral("/cache/kept.txt")));
        for (const char* name : {"cache", "project", "plugin", "temp"})
            QVERIFY(isDirectory(app + QLatin1Char('/') + QLatin1String(name)));
        QCOMPARE(AppDirs::tempDir(QStringLiteral("x/y")), app + QStringLiteral("/temp/x/y"));
        QVERIFY(isDirectory(app + QStringLiteral("/temp/x/y")));
        QFile::remove(app + QStringLiteral("/cache/kept.txt"));
        AppDirs::ensureAll();
    }
};

QTEST_GUILESS_MAIN(TestFileUtils)
#include "tst_FileUtils.moc"
