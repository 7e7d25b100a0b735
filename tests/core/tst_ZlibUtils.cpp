#include "core/ZlibUtils.h"

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

// Lists an archive with Python's own readers, which verify CRCs and tar checksums; for a
// tar.gz also the uncompressed size and the first header block.
const char* kInspect = R"PY(
import base64, gzip, json, sys, tarfile, zipfile
kind, path = sys.argv[1], sys.argv[2]
b64 = lambda b: base64.b64encode(b).decode()
out = {"entries": []}
if kind == "zip":
    with zipfile.ZipFile(path) as z:
        assert z.testzip() is None
        for i in z.infolist():
            out["entries"].append({"name": i.filename, "method": i.compress_type, "flags": i.flag_bits,
                                   "csize": i.compress_size, "size": i.file_size, "time": list(i.date_time),
                                   "data": b64(z.read(i))})
else:
    raw = gzip.open(path).read()
    out["tarSize"], out["head"] = len(raw), b64(raw[:512])
    with tarfile.open(path, "r:gz") as t:
        for m in t.getmembers():
            out["entries"].append({"name": m.name, "type": m.type.decode(), "data": b64(t.extractfile(m).read())})
print(json.dumps(out))
)PY";

json inspect(const QString& kind, const QString& path)
{
    QProcess p;
    p.start(QStandardPaths::findExecutable(QStringLiteral("python3")),
            {QStringLiteral("-c"), QString::fromUtf8(kInspect), kind, path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {{"entries", nullptr}, {"error", p.readAllStandardError().toStdString()}};
    return json::parse(p.readAllStandardOutput().toStdString());
}

QByteArray b64(const json& value)
{
    return QByteArray::fromBase64(QByteArray::fromStdString(value.get<std::string>()));
}

// Entry name -> content.
QMap<QString, QByteArray> contents(const json& listing)
{
    QMap<QString, QByteArray> out;
    for (const json& e : listing["entries"])
        out.insert(QString::fromStdString(e["name"].get<std::string>()), b64(e["data"]));
    return out;
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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

    QString path(const QString& name) const { return m_tmp.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
            QSKIP("python3 is needed to check the archives");
        // Text, random data, a UTF-8 path, empty folders and a hidden file (left out).
        writeBytes(path(QStringLiteral("assets/config.json")), QByteArray(R"({"a":1})").repeated(50));
        writeBytes(path(QStringLiteral("assets/icons/a.png")), randomBytes(70000));
        writeBytes(path(QStringLiteral("assets/") + kUtf8Name), QStringLiteral("grüße").toUtf8());
        writeBytes(path(QStringLiteral("assets/.hidden")), "secret");
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
            if (level == 0)
                QCOMPARE(e["csize"].get<qint64>(), e["size"].get<qint64>());
        }
        const auto entries = contents(listing);
        QCOMPARE(entries.keys(), QStringList({prefix + QStringLiteral("config.json"),
                                              prefix + QStringLiteral("icons/a.png"), prefix + kUtf8Name}));
        QCOMPARE(entries.value(prefix + QStringLiteral("icons/a.png")),
                 readBytes(path(QStringLiteral("assets/icons/a.png"))));
        QCOMPARE(entries.value(prefix + kUtf8Name), QStringLiteral("grüße").toUtf8());
    }

    void singleFileAndEmptyArchives()
    {
        const QString file = path(QStringLiteral("single/data.bin"));
        writeBytes(file, randomBytes(1000));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime(QDate(2021, 6, 15), QTime(13, 45, 31)), QFileDevice::FileModificationTime));
        f.close();
        const QString zip = path(QStringLiteral("single.zip"));
        QVERIFY(ZlibUtils::packToZip(file, zip, ZlibUtils::File, 0));
        const json listing = inspect(QStringLiteral("zip"), zip);
        QCOMPARE(contents(listing).keys(), QStringList{QStringLiteral("data.bin")});
        QVERIFY(listing["entries"][0]["time"] == json({2021, 6, 15, 13, 45, 30}));
        QCOMPARE(readBytes(zip).size(), 30 + 8 + 1000 + 46 + 8 + 22);

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
            QCOMPARE(readBytes(zip), kEndRecord);
        }
    }

    void refusalsLeaveTheTargetAlone()
    {
        const QString assets = path(QStringLiteral("assets"));
        const QString target = path(QStringLiteral("keep.zip"));
        writeBytes(target, "previous");
        QVERIFY(!ZlibUtils::packToZip(assets, target, ZlibUtils::DirectoryContents, 10));
        QVERIFY(!ZlibUtils::packToZip(assets, target, ZlibUtils::DirectoryContents, -1));
        QVERIFY(!ZlibUtils::packToZip(assets, path(QStringLiteral("no/dir/x.zip")), ZlibUtils::DirectoryContents, 3));
        QVERIFY(!ZlibUtils::packToTarGz(assets, path(QStringLiteral("no/dir/x.tgz"))));

        // Past the 32-bit sizes: refused before reading (a sparse file stores nothing).
        QFile huge(path(QStringLiteral("big/huge.bin")));
        QDir().mkpath(path(QStringLiteral("big")));
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
        QCOMPARE(readBytes(target), QByteArray("previous"));
        QVERIFY(QFile::remove(many + QStringLiteral("/0")));
        QVERIFY(ZlibUtils::packToZip(many, target, ZlibUtils::DirectoryContents, 0));
        QCOMPARE(readBytes(target).right(22).mid(8, 4), QByteArray("\xff\xff\xff\xff"));
        QDir(many).removeRecursively();
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
        writeBytes(dir + QStringLiteral("/f.bin"), data);
        QDir().mkpath(dir + QStringLiteral("/empty"));
        const QString tgz = path(QStringLiteral("t.tgz"));
        QVERIFY(ZlibUtils::packToTarGz(dir, tgz));

        const json listing = inspect(QStringLiteral("tgz"), tgz);
        QCOMPARE(listing["tarSize"].get<int>(), tarSize);
        QCOMPARE(contents(listing), (QMap<QString, QByteArray>{{QStringLiteral("f.bin"), data}}));
        QCOMPARE(listing["entries"][0]["type"].get<std::string>(), std::string("0"));
        const QByteArray head = b64(listing["head"]);
        QCOMPARE(head.mid(100, 8), QByteArray("0000644\0", 8));
        QCOMPARE(head.mid(124, 24), QByteArray::number(size, 8).rightJustified(11, '0') + '\0' + "00000000000" + '\0');
        QCOMPARE(head.mid(154, 2), QByteArray("\0 ", 2));
        QCOMPARE(head.mid(257, 13), QByteArray("ustar\0"
                                               "00root\0",
                                               13));
        QCOMPARE(head.mid(297, 5), QByteArray("root\0", 5));
    }

    void tarNamesAndTheirLimit()
    {
        const QString dir = path(QStringLiteral("tarnames"));
        const QString exact = QString(96, QLatin1Char('n')) + QStringLiteral(".txt");
        writeBytes(dir + QLatin1Char('/') + kUtf8Name, "x");
        writeBytes(dir + QLatin1Char('/') + exact, "a name of 100 bytes");
        const QString tgz = path(QStringLiteral("names.tgz"));
        QVERIFY(ZlibUtils::packToTarGz(dir, tgz));
        QCOMPARE(contents(inspect(QStringLiteral("tgz"), tgz)).keys(), QStringList({exact, kUtf8Name}));

        // One byte more does not fit the name field: refused, target untouched.
        writeBytes(dir + QStringLiteral("/sub/") + QString(97, QLatin1Char('m')), "x");
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
        writeBytes(path(QStringLiteral("large/a.txt")), text);
        writeBytes(path(QStringLiteral("large/b.bin")), noise);
        const QString tgz = path(QStringLiteral("large.tgz"));
        QVERIFY(ZlibUtils::packToTarGz(path(QStringLiteral("large")), tgz));
        const QByteArray gz = readBytes(tgz);
        QCOMPARE(gz.left(10), QByteArray("\x1f\x8b\x08\0\0\0\0\0\x02\x03", 10));
        QVERIFY(gz.size() < text.size() / 4 + noise.size());
        QCOMPARE(contents(inspect(QStringLiteral("tgz"), tgz)),
                 (QMap<QString, QByteArray>{{QStringLiteral("a.txt"), text}, {QStringLiteral("b.bin"), noise}}));
        QVERIFY(ZlibUtils::packToTarGz(path(QStringLiteral("tar1")), tgz));
        QCOMPARE(readBytes(tgz).left(10), gz.left(10));
    }
};

QTEST_GUILESS_MAIN(TestZlibUtils)
#include "tst_ZlibUtils.moc"
