#include "core/ZlibUtils.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

#include <zlib.h>

using namespace OV;
using nlohmann::json;

namespace {

// Lists a ZIP or tar.gz archive with Python's own readers, which verify CRCs and tar checksums.
const char* kInspect = R"PY(
import json, sys, tarfile, zipfile, base64
kind, path = sys.argv[1], sys.argv[2]
out = []
if kind == "zip":
    with zipfile.ZipFile(path) as z:
        bad = z.testzip()
        if bad is not None:
            raise SystemExit("bad entry " + bad)
        for i in z.infolist():
            out.append({"name": i.filename, "method": i.compress_type, "flags": i.flag_bits,
                        "csize": i.compress_size, "size": i.file_size, "time": list(i.date_time),
                        "data": base64.b64encode(z.read(i)).decode()})
else:
    with tarfile.open(path, "r:gz") as t:
        for m in t.getmembers():
            out.append({"name": m.name, "size": m.size, "mode": m.mode, "type": m.type.decode(),
                        "uname": m.uname, "mtime": m.mtime,
                        "data": base64.b64encode(t.extractfile(m).read()).decode()})
print(json.dumps(out))
)PY";

QString python()
{
    return QStandardPaths::findExecutable(QStringLiteral("python3"));
}

json inspect(const QString& kind, const QString& path)
{
    QProcess p;
    p.start(python(), {QStringLiteral("-c"), QString::fromUtf8(kInspect), kind, path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        qWarning() << p.readAllStandardError();
        return json();
    }
    return json::parse(p.readAllStandardOutput().toStdString());
}

QByteArray entryData(const json& entry)
{
    return QByteArray::fromBase64(QByteArray::fromStdString(entry["data"].get<std::string>()));
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray gunzip(const QByteArray& gz)
{
    z_stream s{};
    if (inflateInit2(&s, 31) != Z_OK)
        return {};
    QByteArray out;
    char chunk[65536];
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gz.constData()));
    s.avail_in = uInt(gz.size());
    int ret = Z_OK;
    while (ret == Z_OK) {
        s.next_out = reinterpret_cast<Bytef*>(chunk);
        s.avail_out = sizeof(chunk);
        ret = inflate(&s, Z_NO_FLUSH);
        out.append(chunk, qsizetype(sizeof(chunk) - s.avail_out));
    }
    inflateEnd(&s);
    return ret == Z_STREAM_END ? out : QByteArray();
}

QByteArray randomBytes(int n)
{
    QByteArray b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        b[i] = char(QRandomGenerator::global()->bounded(256));
    return b;
}

const QString kUtf8Folder = QStringLiteral("ünï");
const QString kUtf8File = QStringLiteral("名前.txt");

} // namespace

class TestZlibUtils : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;

    // icons/ with text and random data, a UTF-8 folder, an empty folder and a hidden file.
    QString makeAssets()
    {
        const QString root = m_tmp.filePath(QStringLiteral("assets"));
        QDir(root).removeRecursively();
        writeBytes(root + QStringLiteral("/config.json"), QByteArray(R"({"a":1})").repeated(50));
        writeBytes(root + QStringLiteral("/icons/a.png"), randomBytes(70000));
        writeBytes(root + QLatin1Char('/') + kUtf8Folder + QLatin1Char('/') + kUtf8File,
                   QStringLiteral("grüße").toUtf8());
        writeBytes(root + QStringLiteral("/.hidden"), "secret");
        QDir().mkpath(root + QStringLiteral("/empty/deeper"));
        return root;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        if (python().isEmpty())
            QSKIP("python3 is needed to check the archives");
    }

    void zipEntriesNamesAndMethods_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("contents, level 3") << int(ZlibUtils::DirectoryContents) << 3 << QString();
        QTest::newRow("with root, level 9") << int(ZlibUtils::DirectoryWithRoot) << 9 << QStringLiteral("assets/");
        QTest::newRow("contents, stored") << int(ZlibUtils::DirectoryContents) << 0 << QString();
    }

    void zipEntriesNamesAndMethods()
    {
        QFETCH(int, mode);
        QFETCH(int, level);
        QFETCH(QString, prefix);
        const QString root = makeAssets();
        const QString zip = m_tmp.filePath(QStringLiteral("out.zip"));
        QVERIFY(ZlibUtils::packToZip(root, zip, ZlibUtils::PackMode(mode), level));

        const json entries = inspect(QStringLiteral("zip"), zip);
        QVERIFY(entries.is_array());
        QMap<QString, QByteArray> byName;
        for (const json& e : entries) {
            const QString name = QString::fromStdString(e["name"].get<std::string>());
            QVERIFY2(!name.endsWith(QLatin1Char('/')), qPrintable(name));
            QCOMPARE(e["method"].get<int>(), level == 0 ? 0 : 8);
            QCOMPARE(e["flags"].get<int>() & 0x0800, 0x0800);
            if (level == 0)
                QCOMPARE(e["csize"].get<qint64>(), e["size"].get<qint64>());
            byName.insert(name, entryData(e));
        }
        const QStringList expected = {prefix + QStringLiteral("config.json"), prefix + QStringLiteral("icons/a.png"),
                                      prefix + kUtf8Folder + QLatin1Char('/') + kUtf8File};
        QCOMPARE(QStringList(byName.keys()).size(), expected.size());
        for (const QString& name : expected)
            QVERIFY2(byName.contains(name), qPrintable(name));
        QCOMPARE(byName.value(prefix + QStringLiteral("icons/a.png")),
                 readBytes(root + QStringLiteral("/icons/a.png")));
        QCOMPARE(byName.value(prefix + kUtf8Folder + QLatin1Char('/') + kUtf8File), QStringLiteral("grüße").toUtf8());

        if (!QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty()) {
            QProcess unzip;
            unzip.start(QStringLiteral("unzip"), {QStringLiteral("-t"), zip});
            QVERIFY(unzip.waitForFinished(30000));
            QCOMPARE(unzip.exitCode(), 0);
        }
    }

    void singleStoredFileWithDosTime()
    {
        const QString path = m_tmp.filePath(QStringLiteral("single/data.bin"));
        const QByteArray data = randomBytes(1000);
        writeBytes(path, data);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime(QDate(2021, 6, 15), QTime(13, 45, 31)), QFileDevice::FileModificationTime));
        }
        const QString zip = m_tmp.filePath(QStringLiteral("single.zip"));
        QVERIFY(ZlibUtils::packToZip(path, zip, ZlibUtils::File, 0));
        const json entries = inspect(QStringLiteral("zip"), zip);
        QCOMPARE(entries.size(), size_t(1));
        QCOMPARE(entries[0]["name"].get<std::string>(), std::string("data.bin"));
        QCOMPARE(entries[0]["method"].get<int>(), 0);
        QCOMPARE(entries[0]["csize"].get<int>(), 1000);
        QVERIFY(entries[0]["time"] == json({2021, 6, 15, 13, 45, 30}));
        QCOMPARE(entryData(entries[0]), data);
        QCOMPARE(readBytes(zip).size(), 30 + 8 + 1000 + 46 + 8 + 22);
    }

    void emptyArchiveIsTheEndRecordAlone()
    {
        const QString empty = m_tmp.filePath(QStringLiteral("emptydir"));
        QDir().mkpath(empty + QStringLiteral("/sub"));
        const QByteArray endRecord = QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0');
        const QString zip = m_tmp.filePath(QStringLiteral("empty.zip"));
        QVERIFY(ZlibUtils::packToZip(empty, zip, ZlibUtils::DirectoryContents, 3));
        QCOMPARE(readBytes(zip), endRecord);
        // A folder given as a single file, or a missing file, adds no entry.
        QVERIFY(ZlibUtils::packToZip(empty, zip, ZlibUtils::File, 3));
        QCOMPARE(readBytes(zip), endRecord);
        QVERIFY(ZlibUtils::packToZip(empty + QStringLiteral("/none"), zip, ZlibUtils::File, 3));
        QCOMPARE(readBytes(zip), endRecord);
        // A mode outside the table adds no entry either.
        QVERIFY(ZlibUtils::packToZip(makeAssets(), zip, ZlibUtils::PackMode(7), 3));
        QCOMPARE(readBytes(zip), endRecord);
        QVERIFY(inspect(QStringLiteral("zip"), zip) == json::array());
    }

    void refusedArchivesLeaveTheTargetAlone()
    {
        const QString root = makeAssets();
        const QString zip = m_tmp.filePath(QStringLiteral("keep.zip"));
        writeBytes(zip, "previous");
        QVERIFY(!ZlibUtils::packToZip(root, zip, ZlibUtils::DirectoryContents, 10));
        QVERIFY(!ZlibUtils::packToZip(root, zip, ZlibUtils::DirectoryContents, -1));
        QCOMPARE(readBytes(zip), QByteArray("previous"));
        QVERIFY(!ZlibUtils::packToZip(root, m_tmp.filePath(QStringLiteral("missing/dir/x.zip")),
                                      ZlibUtils::DirectoryContents, 3));
        QVERIFY(!ZlibUtils::packToTarGz(root, m_tmp.filePath(QStringLiteral("missing/dir/x.tgz"))));

        // A file past the 32-bit sizes is refused before it is read (sparse, so nothing is stored).
        const QString big = m_tmp.filePath(QStringLiteral("big"));
        QDir().mkpath(big);
        {
            QFile f(big + QStringLiteral("/huge.bin"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(qint64(5) << 30));
        }
        QVERIFY(!ZlibUtils::packToZip(big, zip, ZlibUtils::DirectoryContents, 0));
        QVERIFY(!ZlibUtils::packToTarGz(big, zip));
        QCOMPARE(readBytes(zip), QByteArray("previous"));
    }

    void zipRefusesMoreThan65535Entries()
    {
        const QString many = m_tmp.filePath(QStringLiteral("many"));
        QDir().mkpath(many);
        for (int i = 0; i < 65536; ++i) {
            QFile f(many + QStringLiteral("/%1").arg(i));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QString zip = m_tmp.filePath(QStringLiteral("many.zip"));
        QVERIFY(!ZlibUtils::packToZip(many, zip, ZlibUtils::DirectoryContents, 0));
        QVERIFY(!QFile::exists(zip));
        QVERIFY(QFile::remove(many + QStringLiteral("/0")));
        QVERIFY(ZlibUtils::packToZip(many, zip, ZlibUtils::DirectoryContents, 0));
        QCOMPARE(readBytes(zip).right(22).mid(8, 4), QByteArray("\xff\xff\xff\xff"));
        QDir(many).removeRecursively();
    }

    void tarLayoutAndPadding_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("tarSize");
        QTest::newRow("1 byte") << 1 << 512 + 512 + 1024;
        QTest::newRow("512 bytes, no fill") << 512 << 512 + 512 + 1024;
        QTest::newRow("513 bytes") << 513 << 512 + 1024 + 1024;
        QTest::newRow("empty file") << 0 << 512 + 1024;
    }

    void tarLayoutAndPadding()
    {
        QFETCH(int, size);
        QFETCH(int, tarSize);
        const QString dir = m_tmp.filePath(QStringLiteral("tar%1").arg(size));
        const QByteArray data = randomBytes(size);
        writeBytes(dir + QStringLiteral("/f.bin"), data);
        const QString tgz = m_tmp.filePath(QStringLiteral("t%1.tgz").arg(size));
        QVERIFY(ZlibUtils::packToTarGz(dir, tgz));

        const QByteArray gz = readBytes(tgz);
        QCOMPARE(gz.left(3), QByteArray("\x1f\x8b\x08"));
        const QByteArray tar = gunzip(gz);
        QCOMPARE(tar.size(), tarSize);
        QCOMPARE(tar.mid(0, 6), QByteArray("f.bin\0", 6));
        QCOMPARE(tar.mid(100, 8), QByteArray("0000644\0", 8));
        QCOMPARE(tar.mid(124, 12), QByteArray::number(size, 8).rightJustified(11, '0') + '\0');
        QCOMPARE(tar.mid(136, 12), QByteArray("00000000000\0", 12));
        QCOMPARE(tar.at(156), '0');
        QCOMPARE(tar.mid(257, 8), QByteArray("ustar\0"
                                             "00",
                                             8));
        QCOMPARE(tar.mid(265, 5), QByteArray("root\0", 5));
        QCOMPARE(tar.mid(297, 5), QByteArray("root\0", 5));
        QCOMPARE(tar.mid(154, 2), QByteArray("\0 ", 2));
        QCOMPARE(tar.mid(512, size), data);
        QVERIFY(tar.right(tarSize - 512 - size).count('\0') == tarSize - 512 - size);

        const json entries = inspect(QStringLiteral("tgz"), tgz);
        QCOMPARE(entries.size(), size_t(1));
        QCOMPARE(entries[0]["mode"].get<int>(), 0644);
        QCOMPARE(entries[0]["uname"].get<std::string>(), std::string("root"));
        QCOMPARE(entryData(entries[0]), data);
    }

    void largeTarIsOneGzipStream()
    {
        // Several megabytes are compressed in blocks; the result must still be one stream
        // whose matches reach across the block boundaries correctly.
        const QString dir = m_tmp.filePath(QStringLiteral("large"));
        QByteArray text;
        for (int i = 0; text.size() < 3 * 1024 * 1024; ++i)
            text += "line " + QByteArray::number(i % 977) + " of a repetitive icon manifest\n";
        const QByteArray noise = randomBytes(700 * 1024);
        writeBytes(dir + QStringLiteral("/a.txt"), text);
        writeBytes(dir + QStringLiteral("/b.bin"), noise);
        writeBytes(dir + QStringLiteral("/c.txt"), text.left(100000));
        const QString tgz = m_tmp.filePath(QStringLiteral("large.tgz"));
        QVERIFY(ZlibUtils::packToTarGz(dir, tgz));

        const QByteArray gz = readBytes(tgz);
        QCOMPARE(gz.left(10), QByteArray("\x1f\x8b\x08\0\0\0\0\0\x02\x03", 10));
        QVERIFY(gz.size() < text.size() / 4 + noise.size() + 100000);
        const QByteArray tar = gunzip(gz);
        QCOMPARE(tar.mid(512, text.size()), text);
        const json entries = inspect(QStringLiteral("tgz"), tgz);
        QCOMPARE(entries.size(), size_t(3));
        QMap<std::string, QByteArray> byName;
        for (const json& e : entries)
            byName.insert(e["name"].get<std::string>(), entryData(e));
        QCOMPARE(byName["a.txt"], text);
        QCOMPARE(byName["b.bin"], noise);
        QCOMPARE(byName["c.txt"], text.left(100000));

        // A small archive comes out with the same header.
        const QString small = m_tmp.filePath(QStringLiteral("small"));
        writeBytes(small + QStringLiteral("/x"), "x");
        QVERIFY(ZlibUtils::packToTarGz(small, m_tmp.filePath(QStringLiteral("small.tgz"))));
        QCOMPARE(readBytes(m_tmp.filePath(QStringLiteral("small.tgz"))).left(10), gz.left(10));
    }

    void tarNamesAndTheirLimit()
    {
        const QString dir = m_tmp.filePath(QStringLiteral("tarnames"));
        writeBytes(dir + QLatin1Char('/') + kUtf8Folder + QLatin1Char('/') + kUtf8File, "x");
        QDir().mkpath(dir + QStringLiteral("/empty"));
        const QString exact = QString(96, QLatin1Char('n')) + QStringLiteral(".txt");
        writeBytes(dir + QLatin1Char('/') + exact, "100 bytes of name");
        const QString tgz = m_tmp.filePath(QStringLiteral("names.tgz"));
        QVERIFY(ZlibUtils::packToTarGz(dir, tgz));
        const json entries = inspect(QStringLiteral("tgz"), tgz);
        QStringList names;
        for (const json& e : entries) {
            QCOMPARE(e["type"].get<std::string>(), std::string("0"));
            names << QString::fromStdString(e["name"].get<std::string>());
        }
        names.sort();
        QCOMPARE(names, QStringList({exact, kUtf8Folder + QLatin1Char('/') + kUtf8File}));

        // One byte more cannot be stored in the name field: refused, target untouched.
        writeBytes(dir + QStringLiteral("/sub/") + QString(97, QLatin1Char('m')), "x");
        writeBytes(tgz, "previous");
        QVERIFY(!ZlibUtils::packToTarGz(dir, tgz));
        QCOMPARE(readBytes(tgz), QByteArray("previous"));
    }
};

QTEST_GUILESS_MAIN(TestZlibUtils)
#include "tst_ZlibUtils.moc"
