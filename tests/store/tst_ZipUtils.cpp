#include "core/ZlibUtils.h"
#include "store/ZipUtils.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

using namespace OV;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray rawDeflate(const QByteArray& data)
{
    z_stream s{};
    deflateInit2(&s, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(compressBound(uLong(data.size()))), Qt::Uninitialized);
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    s.avail_in = uInt(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = uInt(out.size());
    deflate(&s, Z_FINISH);
    out.resize(qsizetype(s.total_out));
    deflateEnd(&s);
    return out;
}

// Little-endian record builder.
struct Bytes
{
    QByteArray b;
    Bytes& u16(quint32 v) { return put(v, 2); }
    Bytes& u32(quint32 v) { return put(v, 4); }
    Bytes& raw(const QByteArray& bytes)
    {
        b += bytes;
        return *this;
    }
    Bytes& put(quint32 v, int n)
    {
        for (int i = 0; i < n; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
        return *this;
    }
};

// A one-entry archive with the given method and payload, for cases no writer produces.
QByteArray oneEntryZip(const QByteArray& name, quint16 method, const QByteArray& payload, const QByteArray& data)
{
    const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size())));
    const auto csize = quint32(payload.size());
    const auto usize = quint32(data.size());
    const auto nameSize = quint32(name.size());
    Bytes local;
    local.raw("PK\x03\x04").u16(20).u16(0x0800).u16(method).u32(0).u32(crc).u32(csize).u32(usize);
    local.u16(nameSize).u16(0).raw(name).raw(payload);
    Bytes central;
    central.raw("PK\x01\x02").u16(20).u16(20).u16(0x0800).u16(method).u32(0).u32(crc).u32(csize).u32(usize);
    central.u16(nameSize).u16(0).u16(0).u16(0).u16(0).u32(0).u32(0).raw(name);
    Bytes end;
    end.raw("PK\x05\x06").u32(0).u16(1).u16(1).u32(quint32(central.b.size())).u32(quint32(local.b.size())).u16(0);
    return local.b + central.b + end.b;
}

// Data descriptors (written to a stream), extra fields, comments, and a root entry that
// comes after a nested one of the same base name.
const char* kOtherWriterScript = R"PY(
import io, sys, zipfile
class Stream(io.RawIOBase):
    def __init__(self): self.buf = bytearray()
    def writable(self): return True
    def write(self, b): self.buf += b; return len(b)
s = Stream()
with zipfile.ZipFile(s, "w") as z:
    i = zipfile.ZipInfo("sub/config.json"); i.compress_type = zipfile.ZIP_DEFLATED
    z.writestr(i, b"nested")
    i = zipfile.ZipInfo("config.json"); i.compress_type = zipfile.ZIP_DEFLATED
    i.extra = b"\x55\x54\x05\x00\x01\x00\x00\x00\x00"; i.comment = b"entry comment"
    z.writestr(i, b'{"deflated":' + b"1" * 3000 + b"}")
    i = zipfile.ZipInfo("stored.bin"); i.compress_type = zipfile.ZIP_STORED
    z.writestr(i, bytes(range(256)))
    z.comment = b"archive comment PK\x05\x06 with a false signature"
sys.stdout.buffer.write(bytes(s.buf))
)PY";

} // namespace

class TestZipUtils : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;

private slots:
    void corpusReplay()
    {
        const QDir corpus(QStringLiteral(ORVEL_TEST_DATA_DIR "/store/zip_corpus"));
        const QStringList files = corpus.entryList({QStringLiteral("*.zip")}, QDir::Files);
        QVERIFY(files.size() >= 20);
        for (const QString& file : files) {
            const QByteArray zip = readBytes(corpus.filePath(file));
            const QByteArray content = readZipEntry(zip, QStringLiteral("config.json"));
            if (file.startsWith(QLatin1String("valid-")))
                QVERIFY2(content == QByteArray(R"({"ok":true})"), qPrintable(file));
            else
                QVERIFY2(content.isEmpty(), qPrintable(file));
            // Every cut of the archive is read without touching memory outside it.
            for (qsizetype cut = 0; cut < zip.size(); ++cut)
                readZipEntry(zip.left(cut), QStringLiteral("config.json"));
        }
    }

    void readsWhatOurWriterWrites_data()
    {
        QTest::addColumn<int>("level");
        QTest::newRow("stored") << 0;
        QTest::newRow("level 3") << 3;
        QTest::newRow("level 9") << 9;
    }

    void readsWhatOurWriterWrites()
    {
        QFETCH(int, level);
        QVERIFY(m_tmp.isValid());
        const QString root = m_tmp.filePath(QStringLiteral("pkg"));
        const QByteArray config = R"({"name":"plugin","list":[1,2,3]})";
        QByteArray image;
        for (int i = 0; i < 5000; ++i)
            image.append(char(i * 7 % 251));
        writeBytes(root + QStringLiteral("/config.json"), config);
        writeBytes(root + QStringLiteral("/images/ä.png"), image);
        writeBytes(root + QStringLiteral("/images/config.json"), "nested");
        writeBytes(root + QStringLiteral("/empty.txt"), QByteArray());
        const QString zipPath = m_tmp.filePath(QStringLiteral("pkg%1.zip").arg(level));
        QVERIFY(ZlibUtils::packToZip(root, zipPath, ZlibUtils::DirectoryContents, level));

        const QByteArray zip = readBytes(zipPath);
        QCOMPARE(readZipEntry(zip, QStringLiteral("config.json")), config);
        QCOMPARE(readZipEntry(zip, QStringLiteral("images/ä.png")), image);
        QCOMPARE(readZipEntry(zip, QStringLiteral("images/config.json")), QByteArray("nested"));
        QVERIFY(readZipEntry(zip, QStringLiteral("Config.json")).isEmpty());
        QVERIFY(readZipEntry(zip, QStringLiteral("images")).isEmpty());
        QVERIFY(readZipEntry(zip, QStringLiteral("empty.txt")).isEmpty());
    }

    void readsOtherWritersArchives()
    {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is needed to write the archives");
        QProcess p;
        p.start(python, {QStringLiteral("-c"), QString::fromUtf8(kOtherWriterScript)});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        const QByteArray zip = p.readAllStandardOutput();
        QCOMPARE(readZipEntry(zip, QStringLiteral("config.json")),
                 QByteArray("{\"deflated\":") + QByteArray(3000, '1') + '}');
        QCOMPARE(readZipEntry(zip, QStringLiteral("sub/config.json")), QByteArray("nested"));
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(char(i));
        QCOMPARE(readZipEntry(zip, QStringLiteral("stored.bin")), all);
    }

    void methodDecidesNotTheSizes()
    {
        // A deflated entry that happens to be exactly as long as its data is still inflated.
        QByteArray data;
        QByteArray payload;
        for (int k = 0; k < 400 && (payload.isEmpty() || payload.size() != data.size()); ++k) {
            data.clear();
            for (int i = 0; i < 64; ++i)
                data.append(char((i * 131 + 17) % 256));
            data.append(QByteArray(k, 'x'));
            payload = rawDeflate(data);
        }
        QCOMPARE(payload.size(), data.size());
        QVERIFY(payload != data);
        QCOMPARE(readZipEntry(oneEntryZip("a.bin", 8, payload, data), QStringLiteral("a.bin")), data);
        QCOMPARE(readZipEntry(oneEntryZip("a.bin", 0, data, data), QStringLiteral("a.bin")), data);
        QVERIFY(readZipEntry(oneEntryZip("a.bin", 14, data, data), QStringLiteral("a.bin")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestZipUtils)
#include "tst_ZipUtils.moc"
