#include "module/ModuleOtaSender.h"
#include "module/OtaFileInfo.h"
#include "support/OtaTestFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

// The fuzz target's checks, replayed on the committed corpus.
#include "../../fuzz/fuzz_ota_file.cpp"

using namespace OV;
using OV::Test::makeOtaFile;
using OV::Test::otaBody;

namespace {

constexpr uint32_t kPipwick = 0x10000001;
constexpr uint32_t kRollane = 0x10000002;

QString detailOf(const QByteArray& file, uint32_t product = kPipwick)
{
    const BaseResult<OtaFileInfo> parsed = parseOtaFile(file, product);
    if (parsed.isOk())
        return QString();
    return QString::number(parsed.code()) + QLatin1Char(' ') + parsed.message;
}

} // namespace

class TestOtaFile : public QObject
{
    Q_OBJECT
private slots:
    void acceptsAWholeFile()
    {
        const QByteArray body = otaBody(1000);
        const BaseResult<OtaFileInfo> parsed = parseOtaFile(makeOtaFile(kPipwick, body, "3.1.4-rc", 314), kPipwick);
        QVERIFY(parsed.isOk());
        QCOMPARE(parsed.data->productId, kPipwick);
        QCOMPARE(parsed.data->versionName, QByteArray("3.1.4-rc").leftJustified(16, '\0'));
        QCOMPARE(parsed.data->versionCode, 314u);
        QCOMPARE(parsed.data->data, body);
        // The hub gets the MD5 of the body alone, not of the file.
        QCOMPARE(parsed.data->fileMD5,
                 QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex().toUpper()));
    }

    // Every byte of a region changed on its own, each with the refusal it must give.
    void headerRegions_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("expected");
        QTest::newRow("magic 0-11") << 0 << 11 << QStringLiteral("1002 File header is invalid");
        QTest::newRow("product 12-15") << 12 << 15 << QStringLiteral("1002 Product ID mismatch");
        QTest::newRow("version and signature 16-51") << 16 << 51 << QStringLiteral("1002 Invalid file signature");
        QTest::newRow("reserved 52-63 not covered") << 52 << 63 << QString();
        QTest::newRow("body") << 64 << 199 << QStringLiteral("1002 Invalid file signature");
    }

    void headerRegions()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, expected);
        const QByteArray file = makeOtaFile(kPipwick, otaBody(136));
        for (int at = from; at <= to; ++at) {
            QByteArray changed = file;
            changed[at] = char(changed.at(at) ^ 0x5A);
            QCOMPARE(detailOf(changed), expected);
        }
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<uint32_t>("product");
        QTest::addColumn<QString>("expected");
        const QByteArray good = makeOtaFile(kPipwick, otaBody(300));
        QTest::newRow("empty") << QByteArray() << kPipwick << QStringLiteral("1002 File header is invalid");
        QTest::newRow("63 bytes") << good.left(63) << kPipwick << QStringLiteral("1002 File header is invalid");
        QTest::newRow("header only") << makeOtaFile(kPipwick, {}) << kPipwick
                                     << QStringLiteral("1002 File body is empty");
        QTest::newRow("another module kind, signed")
            << makeOtaFile(kRollane, otaBody(300)) << kPipwick << QStringLiteral("1002 Product ID mismatch");
        QTest::newRow("truncated body") << good.chopped(1) << kPipwick << QStringLiteral("1002 Invalid file signature");
        QTest::newRow("one byte body") << makeOtaFile(kPipwick, "x") << kPipwick << QString();
        QTest::newRow("exactly 1 MiB") << makeOtaFile(kPipwick, otaBody(0x100000 - 64)) << kPipwick << QString();
        QTest::newRow("1 MiB and a byte") << makeOtaFile(kPipwick, otaBody(0x100000 - 63)) << kPipwick
                                          << QStringLiteral("1002 Error file size:1048577 bytes.");
    }

    void refusals()
    {
        QFETCH(QByteArray, file);
        QFETCH(uint32_t, product);
        QFETCH(QString, expected);
        QCOMPARE(detailOf(file, product), expected);
    }

    void packets_data()
    {
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<int>("bodySize");
        QTest::addColumn<int>("packSize");
        QTest::addColumn<int>("count");
        QTest::newRow("can, exact multiple") << "can" << 600 << 200 << 3;
        QTest::newRow("can, short last packet") << "can" << 601 << 200 << 4;
        QTest::newRow("can, one byte") << "can" << 1 << 200 << 1;
        QTest::newRow("mesh, two packets") << "mesh" << 64 << 32 << 2;
        QTest::newRow("mesh, short last packet") << "mesh" << 65 << 32 << 3;
        QTest::newRow("largest file") << "can" << 0x100000 - 64 << 200 << 5243;
    }

    void packets()
    {
        QFETCH(QString, gateway);
        QFETCH(int, bodySize);
        QFETCH(int, packSize);
        QFETCH(int, count);
        QCOMPARE(ModuleOtaSender::packSizeFor(gateway), packSize);
        QCOMPARE(ModuleOtaSender::packetCount(bodySize, packSize), count);
        // The end packet shows the full bar; none before it does.
        QCOMPARE(ModuleOtaSender::progressOf(count - 1, count), 1000);
        if (count > 1)
            QVERIFY(ModuleOtaSender::progressOf(count - 2, count) < 1000);
    }

    void fuzzCorpusReplays()
    {
        const QDir dir(QStringLiteral(ORVEL_TEST_DATA_DIR "/module/corpus/ota_file"));
        const QStringList files = dir.entryList(QDir::Files);
        QVERIFY(files.size() >= 10);
        int accepted = 0;
        for (const QString& name : files) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())),
                     0);
            if (bytes.size() > 17 && parseOtaFile(bytes.mid(1), headerProduct(bytes.mid(1))).isOk())
                ++accepted;
        }
        // The corpus reaches past every check.
        QVERIFY(accepted >= 3);
    }
};

QTEST_GUILESS_MAIN(TestOtaFile)
#include "tst_OtaFile.moc"
