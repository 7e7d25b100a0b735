#include "core/FileUtils.h"
#include "core/TokenScrambler.h"
#include "core/Utils.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;

class TestFileUtils : public QObject
{
    Q_OBJECT
private slots:
    void directoriesRemovalAndSizes()
    {
        QTemporaryDir dir;
        const QString root = dir.filePath(QStringLiteral("a/b"));
        const QString file = dir.filePath(QStringLiteral("keep.bin"));
        QVERIFY(writeFile(root + QStringLiteral("/sub/deeper/g.txt"), "x", 0, 1, false));
        QVERIFY(writeFile(file, "0123456789", 2, 3, false));
        QVERIFY(createDirectories(root));
        QVERIFY(!createDirectories(file));
        QVERIFY(clearDirectory(root) && isEmptyDirectory(root));

        // A file is not removed by removeAll; a missing path is nothing to remove.
        QVERIFY(!removeAll(file) && isFile(file));
        QVERIFY(removeAll(dir.filePath(QStringLiteral("nothing-here"))));
        QVERIFY(removeAll(dir.filePath(QStringLiteral("a"))) && !pathExists(dir.filePath(QStringLiteral("a"))));

        // Only a regular file has a size; a path running through a file is simply missing.
        QCOMPARE(fileSize(file), uint64_t(3));
        QCOMPARE(fileSize(dir.path()), UINT64_MAX);
        QCOMPARE(fileSize(dir.filePath(QStringLiteral("missing"))), UINT64_MAX);
        QVERIFY(!pathExists(file + QStringLiteral("/below")));
    }

    void writeReadAndCanWrite()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("new/dir/w.txt"));
        QVERIFY(writeFile(file, "0123456789", 2, 3, false));
        QVERIFY(writeFile(file, "0123456789", 0, 2, true));
        QCOMPARE(readFile(file), QByteArray("23401"));
        QVERIFY(writeFile(file, "0123456789", 9, 1, false));
        QCOMPARE(readFile(file), QByteArray("9"));
        QVERIFY(!writeFile(file, nullptr, 0, 1, false));

        const QString probe = dir.filePath(QStringLiteral("probe.txt"));
        QVERIFY(canWriteFile(probe) && !QFile::exists(probe));
        QVERIFY(!canWriteFile(dir.filePath(QStringLiteral("no/such/dir/x.txt"))));
    }

    // A write the disk cannot take is a failure whatever its size, with its cause: one within
    // Qt's write buffer only meets the full disk when the buffer is flushed.
    void writeOntoAFullDeviceFails_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::newRow("1 byte") << qint64(1);
        QTest::newRow("16 KiB") << qint64(16 * 1024);
        QTest::newRow("64 KiB") << qint64(64 * 1024);
    }

    void writeOntoAFullDeviceFails()
    {
        QFETCH(qint64, size);
        QVERIFY2(QFileInfo(QStringLiteral("/dev/full")).exists(), "the system has no /dev/full");
        const QByteArray bytes(size, 'f');
        QString error;
        QVERIFY(!writeFile(QStringLiteral("/dev/full"), bytes.constData(), 0, size, false, &error));
        QCOMPARE(error, QStringLiteral("No space left on device"));
    }

    // A save that the disk cannot take leaves the file before it in place and names the cause;
    // one that fits is committed.
    void commitOfASaveFile_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("room");
        QTest::addColumn<QString>("error");
        const QString tooLarge = QStringLiteral("File too large");
        QTest::newRow("small, no room") << qint64(10) << qint64(0) << tooLarge;
        QTest::newRow("buffer-full, room for a part") << qint64(16 * 1024) << qint64(100) << tooLarge;
        QTest::newRow("past the buffer, no room") << qint64(64 * 1024) << qint64(0) << tooLarge;
        QTest::newRow("past the buffer, room for a part") << qint64(64 * 1024) << qint64(100) << tooLarge;
        QTest::newRow("fits") << qint64(16 * 1024) << qint64(16 * 1024) << QString();
    }

    void commitOfASaveFile()
    {
        QFETCH(qint64, size);
        QFETCH(qint64, room);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("saved.json"));
        QVERIFY(writeFile(path, "before", 0, 6, false));
        const QByteArray bytes(size, 's');
        bool committed = false;
        QString cause;
        {
            const Test::FileSizeLimit full(room);
            QVERIFY(full.isActive());
            QSaveFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            writeFully(file, bytes.constData(), bytes.size());
            committed = commitSaveFile(file, &cause);
        }
        QCOMPARE(committed, error.isEmpty());
        QCOMPARE(cause, error);
        QCOMPARE(readFile(path), committed ? bytes : QByteArray("before"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("saved.json")});
    }

    void safePathComponents()
    {
        for (const QString& bad : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"),
                                   QStringLiteral("a\\b"), QString(QChar(0))})
            QVERIFY2(!isSafePathComponent(bad), qPrintable(bad));
        QVERIFY(isSafePathComponent(QStringLiteral("card-01_ü.png")));
        QVERIFY(isSafePathComponent(QStringLiteral("..hidden")));
    }

    void identifiersTokensAndJsonPaths()
    {
        static const QRegularExpression uuid(QStringLiteral("^[A-Za-z0-9_-]{22}$"));
        const QString a = createUuid();
        QVERIFY(uuid.match(a).hasMatch() && a != createUuid());

        for (const QString& token : {QStringLiteral("Tökén-中文-🙂"), QString(40, QLatin1Char('k'))}) {
            QVERIFY(encodeToken(token) != token);
            QCOMPARE(decodeToken(encodeToken(token)), token);
        }
        QCOMPARE(encodeToken(QString(40, QLatin1Char('k'))).size(), 56);
        decodeToken(QStringLiteral("%%%not base64%%%")); // must not throw

        const nlohmann::json v = {{"a", {{"b", 1}}}, {"n", 3}};
        QVERIFY(jsonContainsPath(v, {QStringLiteral("a"), QStringLiteral("b")}));
        QVERIFY(!jsonContainsPath(v, {QStringLiteral("n"), QStringLiteral("x")}));
        QVERIFY(!jsonContainsPath(nlohmann::json::array(), {QStringLiteral("a")}));
    }
};

QTEST_GUILESS_MAIN(TestFileUtils)
#include "tst_FileUtils.moc"
