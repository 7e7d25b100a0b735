// ORVEL_TEST_LABELS: threads
#include "core/FileUtils.h"
#include "core/ZlibUtils.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

using namespace OV;
using nlohmann::json;

namespace {

// Reads an archive back with Python's own readers, which verify CRCs, tar checksums and that
// every tar member is a regular file; for a tar.gz also the tar size and its first header.
const char* kInspect = R"PY(
import base64, gzip, json, sys, tarfile, zipfile
kind, path = sys.argv[1], sys.argv[2]
b64 = lambda b: base64.b64encode(b).decode()
out = {"entries": {}}
if kind == "zip":
    with zipfile.ZipFile(path) as z:
        assert z.testzip() is None
        for i in z.infolist():
            out["entries"][i.filename] = {"method": i.compress_type, "flags": i.flag_bits, "time": list(i.date_time),
                                          "data": b64(z.read(i))}
else:
    raw = gzip.open(path).read()
    out["tarSize"], out["head"] = len(raw), b64(raw[:512])
    with tarfile.open(path, "r:gz") as t:
        for m in t.getmembers():
            assert m.type == tarfile.REGTYPE
            out["entries"][m.name] = {"data": b64(t.extractfile(m).read())}
print(json.dumps(out))
)PY";

json inspect(const QString& kind, const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(kInspect), kind, path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        qWarning("%s", p.readAllStandardError().constData());
        return {{"entries", json::object()}, {"tarSize", -1}, {"head", ""}};
    }
    return json::parse(p.readAllStandardOutput().toStdString());
}

QByteArray b64(const json& v)
{
    return QByteArray::fromBase64(QByteArray::fromStdString(v.get<std::string>()));
}

// Entry name -> content.
QMap<QString, QByteArray> contents(const json& listing)
{
    QMap<QString, QByteArray> out;
    for (const auto& [name, e] : listing["entries"].items())
        out.insert(QString::fromStdString(name), b64(e["data"]));
    return out;
}

void put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

QByteArray randomBytes(int n)
{
    QByteArray b(n, Qt::Uninitialized);
    for (char& c : b)
        c = char(QRandomGenerator::global()->bounded(256));
    return b;
}

const QString kUtf8Name = QStringLiteral("ünï/名前.txt");
const QByteArray kEndRecord = QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0');

} // namespace

class TestZlibUtils : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    QMap<QString, QByteArray> m_assets; // what a pack of "assets" must hold

    QString path(const QString& name) const { return m_tmp.filePath(name); }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
            QSKIP("python3 is needed to check the archives");
        // Text, random data and a UTF-8 path; empty folders and a hidden file are left out.
        m_assets = {{QStringLiteral("config.json"), QByteArray(R"({"a":1})").repeated(50)},
                    {QStringLiteral("icons/a.png"), randomBytes(70000)},
                    {kUtf8Name, QStringLiteral("grüße").toUtf8()}};
        for (auto it = m_assets.cbegin(); it != m_assets.cend(); ++it)
            put(path(QStringLiteral("assets/") + it.key()), it.value());
        put(path(QStringLiteral("assets/.hidden")), "secret");
        QDir().mkpath(path(QStringLiteral("assets/empty/deeper")));
    }

    void zipFormat_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("contents, level 3") << int(ZlibUtils::DirectoryContents) << 3 << QString();
        QTest::newRow("with root, level 9") << int(ZlibUtils::DirectoryWithRoot) << 9 << QStringLiteral("assets/");
        QTest::newRow("contents, stored") << int(ZlibUtils::DirectoryContents) << 0 << QString();
    }

    void zipFormat()
    {
        QFETCH(int, mode);
        QFETCH(int, level);
        QFETCH(QString, prefix);
        const QString zip = path(QStringLiteral("out.zip"));
        QVERIFY(ZlibUtils::packToZip(path(QStringLiteral("assets")), zip, ZlibUtils::PackMode(mode), level));
        const json listing = inspect(QStringLiteral("zip"), zip);
        for (const json& e : listing["entries"]) {
            QCOMPARE(e["method"].get<int>(), level == 0 ? 0 : 8);
            QCOMPARE(e["flags"].get<int>(), 0x0800);
        }
        QMap<QString, QByteArray> expected;
        for (auto it = m_assets.cbegin(); it != m_assets.cend(); ++it)
            expected.insert(prefix + it.key(), it.value());
        QCOMPARE(contents(listing), expected);
    }

    void singleFileAndEmptyArchives()
    {
        const QString file = path(QStringLiteral("single/data.bin"));
        put(file, randomBytes(1000));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime(QDate(2021, 6, 15), QTime(13, 45, 31)), QFileDevice::FileModificationTime));
        f.close();
        const QString zip = path(QStringLiteral("single.zip"));
        QVERIFY(ZlibUtils::packToZip(file, zip, ZlibUtils::File, 0));
        const json listing = inspect(QStringLiteral("zip"), zip);
        QCOMPARE(contents(listing).keys(), QStringList{QStringLiteral("data.bin")});
        QVERIFY(listing["entries"]["data.bin"]["time"] == json({2021, 6, 15, 13, 45, 30}));
        QCOMPARE(readFile(zip).size(), 30 + 8 + 1000 + 46 + 8 + 22);

        // Nothing to pack gives the 22-byte end record alone: an empty folder, a folder or a
        // missing file given as the single file, a mode outside the table.
        const QString empty = path(QStringLiteral("emptydir"));
        QDir().mkpath(empty + QStringLiteral("/sub"));
        const QList<QPair<QString, int>> cases = {{empty, ZlibUtils::DirectoryContents},
                                                  {empty, ZlibUtils::File},
                                                  {empty + QStringLiteral("/none"), ZlibUtils::File},
                                                  {path(QStringLiteral("assets")), 7}};
        for (const auto& [source, mode] : cases) {
            QVERIFY(ZlibUtils::packToZip(source, zip, ZlibUtils::PackMode(mode), 3));
            QCOMPARE(readFile(zip), kEndRecord);
        }
    }

    void refusalsLeaveTheTargetAlone()
    {
        const QString assets = path(QStringLiteral("assets"));
        const QString target = path(QStringLiteral("keep.zip"));
        put(target, "previous");
        QVERIFY(!ZlibUtils::packToZip(assets, target, ZlibUtils::DirectoryContents, 10));
        QVERIFY(!ZlibUtils::packToZip(assets, target, ZlibUtils::DirectoryContents, -1));
        QVERIFY(!ZlibUtils::packToZip(assets, path(QStringLiteral("no/dir/x.zip")), ZlibUtils::DirectoryContents, 3));
        QVERIFY(!ZlibUtils::packToTarGz(assets, path(QStringLiteral("no/dir/x.tgz"))));

        // Past the 32-bit sizes: refused before reading (a sparse file stores nothing).
        QDir().mkpath(path(QStringLiteral("big")));
        QFile huge(path(QStringLiteral("big/huge.bin")));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(5) << 30));
        huge.close();
        QVERIFY(!ZlibUtils::packToZip(path(QStringLiteral("big")), target, ZlibUtils::DirectoryContents, 0));
        QVERIFY(!ZlibUtils::packToTarGz(path(QStringLiteral("big")), target));

        // 65,536 entries do not fit the ZIP's 16-bit count; 65,535 do.
        const QString many = path(QStringLiteral("many"));
        QDir().mkpath(many);
        for (int i = 0; i < 65536; ++i)
            QFile(many + QStringLiteral("/%1").arg(i)).open(QIODevice::WriteOnly);
        QVERIFY(!ZlibUtils::packToZip(many, target, ZlibUtils::DirectoryContents, 0));
        QCOMPARE(readFile(target), QByteArray("previous"));
        QVERIFY(QFile::remove(many + QStringLiteral("/0")));
        QVERIFY(ZlibUtils::packToZip(many, target, ZlibUtils::DirectoryContents, 0));
        QCOMPARE(readFile(target).right(22).mid(8, 4), QByteArray("\xff\xff\xff\xff"));
        QDir(many).removeRecursively();
    }

    // A disk that fills while the archive is written (here: the process's file size limit, on
    // any file system) fails the archive, and the target stays as it was, also when the whole
    // archive is small enough to wait in Qt's write buffer until the end.
    void archiveOntoAFullDiskIsRefused_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("picture"); // the one file packed; null for an empty folder
        QTest::addColumn<qint64>("room");        // bytes the disk takes
        for (const char* format : {"zip", "tar.gz"}) {
            const auto tag = [format](const char* name) { return QByteArray(QByteArray(format) + ' ' + name); };
            QTest::newRow(tag("one small picture, no room").constData())
                << QString::fromLatin1(format) << QByteArray("PNG-A") << qint64(0);
            QTest::newRow(tag("one empty picture, no room").constData())
                << QString::fromLatin1(format) << QByteArray("") << qint64(0);
            QTest::newRow(tag("no files, no room").constData())
                << QString::fromLatin1(format) << QByteArray() << qint64(0);
            QTest::newRow(tag("room for a part").constData())
                << QString::fromLatin1(format) << randomBytes(3000) << qint64(100);
        }
    }

    void archiveOntoAFullDiskIsRefused()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, picture);
        QFETCH(qint64, room);
        const QString folder = path(QStringLiteral("full/") + QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/assets/image")));
        if (!picture.isNull())
            put(folder + QStringLiteral("/assets/image/uid.png"), picture);
        const QString target = folder + QStringLiteral("/out.") + format;
        put(target, "previous");

        bool packed = false;
        QString error;
        {
            const Test::FileSizeLimit full(room);
            QVERIFY(full.isActive());
            const QString assets = folder + QStringLiteral("/assets");
            packed = format == QLatin1String("zip")
                         ? ZlibUtils::packToZip(assets, target, ZlibUtils::DirectoryContents, 3, &error)
                         : ZlibUtils::packToTarGz(assets, target, &error);
        }
        QVERIFY(!packed);
        QCOMPARE(error, QStringLiteral("File too large"));
        QCOMPARE(readFile(target), QByteArray("previous"));
        // The temporary file is gone too.
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QFileInfo(target).fileName()});
    }

    void tarFormat_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("tarSize");
        QTest::newRow("1 byte") << 1 << 512 + 512 + 1024;
        QTest::newRow("512 bytes, no fill") << 512 << 512 + 512 + 1024;
        QTest::newRow("513 bytes") << 513 << 512 + 1024 + 1024;
        QTest::newRow("empty file") << 0 << 512 + 1024;
    }

    void tarFormat()
    {
        QFETCH(int, size);
        QFETCH(int, tarSize);
        const QString dir = path(QStringLiteral("tar%1").arg(size));
        const QByteArray data = randomBytes(size);
        put(dir + QStringLiteral("/f.bin"), data);
        QDir().mkpath(dir + QStringLiteral("/empty"));
        const QString tgz = path(QStringLiteral("t.tgz"));
        QVERIFY(ZlibUtils::packToTarGz(dir, tgz));

        const json listing = inspect(QStringLiteral("tgz"), tgz);
        QCOMPARE(listing["tarSize"].get<int>(), tarSize);
        QCOMPARE(contents(listing), (QMap<QString, QByteArray>{{QStringLiteral("f.bin"), data}}));
        // Mode, size and mtime 0 in octal, the checksum's end, ustar magic and version, owner names ('|': NUL).
        const QByteArray head = b64(listing["head"]);
        QByteArray expected =
            "0000644|" + QByteArray::number(size, 8).rightJustified(11, '0') + "|00000000000|| ustar|00root|root|";
        QCOMPARE(head.mid(100, 8) + head.mid(124, 24) + head.mid(154, 2) + head.mid(257, 13) + head.mid(297, 5),
                 expected.replace('|', '\0'));
    }

    void tarNamesAndTheirLimit()
    {
        const QString dir = path(QStringLiteral("tarnames"));
        const QString exact = QString(96, QLatin1Char('n')) + QStringLiteral(".txt");
        put(dir + QLatin1Char('/') + kUtf8Name, "x");
        put(dir + QLatin1Char('/') + exact, "a name of 100 bytes");
        const QString tgz = path(QStringLiteral("names.tgz"));
        QVERIFY(ZlibUtils::packToTarGz(dir, tgz));
        QCOMPARE(contents(inspect(QStringLiteral("tgz"), tgz)).keys(), QStringList({exact, kUtf8Name}));

        // One byte more does not fit the name field: refused, target untouched.
        put(dir + QStringLiteral("/sub/") + QString(97, QLatin1Char('m')), "x");
        QVERIFY(!ZlibUtils::packToTarGz(dir, tgz));
        QCOMPARE(contents(inspect(QStringLiteral("tgz"), tgz)).size(), 2);
    }

    void largeTarIsOneGzipStream()
    {
        // Megabytes are compressed in blocks; matches reaching across a block boundary must
        // still decode to the same bytes.
        QByteArray text;
        for (int i = 0; text.size() < 3 * 1024 * 1024; ++i)
            text += "line " + QByteArray::number(i % 977) + " of a repetitive icon manifest\n";
        const QByteArray noise = randomBytes(700 * 1024);
        put(path(QStringLiteral("large/a.txt")), text);
        put(path(QStringLiteral("large/b.bin")), noise);
        const QString tgz = path(QStringLiteral("large.tgz"));
        QVERIFY(ZlibUtils::packToTarGz(path(QStringLiteral("large")), tgz));
        const QByteArray gz = readFile(tgz);
        QCOMPARE(gz.left(10), QByteArray("\x1f\x8b\x08\0\0\0\0\0\x02\x03", 10));
        QVERIFY(gz.size() < text.size() / 4 + noise.size());
        QCOMPARE(contents(inspect(QStringLiteral("tgz"), tgz)),
                 (QMap<QString, QByteArray>{{QStringLiteral("a.txt"), text}, {QStringLiteral("b.bin"), noise}}));
    }
};

QTEST_GUILESS_MAIN(TestZlibUtils)
#include "tst_ZlibUtils.moc"
