#include "core/PlainPngDecoder.h"
#include "core/PngPicture.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>

#include <zlib.h>

using namespace OV;

namespace {

QImage qtRead(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    return reader.read();
}

QByteArray chunk(const char* type, const QByteArray& data)
{
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(data.size()), out.data());
    const QByteArray body = QByteArray(type, 4) + data;
    out += body;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(crc32(0, reinterpret_cast<const Bytef*>(body.constData()),
                                                     static_cast<uInt>(body.size()))),
                          crc.data());
    return out + crc;
}

QByteArray header(quint32 width, quint32 height, int depth = 8, int colorType = 6, int interlace = 0)
{
    QByteArray data(13, '\0');
    qToBigEndian<quint32>(width, data.data());
    qToBigEndian<quint32>(height, data.data() + 4);
    data[8] = static_cast<char>(depth);
    data[9] = static_cast<char>(colorType);
    data[12] = static_cast<char>(interlace);
    return chunk("IHDR", data);
}

QByteArray deflated(const QByteArray& raw)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    QByteArray out(static_cast<qsizetype>(size), '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.constData()),
              static_cast<uLong>(raw.size()), 9);
    out.resize(static_cast<qsizetype>(size));
    return out;
}

// A file whose rows use every filter in turn, written the way a PNG encoder filters.
QByteArray filteredPng(int width, int height, bool alpha, quint32 seed, const QList<QByteArray>& extra = {})
{
    const int bpp = alpha ? 4 : 3;
    const int stride = width * bpp;
    QRandomGenerator random(seed);
    QByteArray pixels(stride * height, '\0');
    for (qsizetype i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<char>(i % 7 == 0 ? random.bounded(256) : (i * 13 + seed) % 256);
    const auto at = [&](int y, int x) -> int { return y < 0 || x < 0 ? 0 : uchar(pixels[y * stride + x]); };
    QByteArray raw;
    for (int y = 0; y < height; ++y) {
        const int filter = y % 5;
        raw.append(static_cast<char>(filter));
        for (int x = 0; x < stride; ++x) {
            const int a = at(y, x - bpp), b = at(y - 1, x), c = at(y - 1, x - bpp);
            int predicted = 0;
            if (filter == 1)
                predicted = a;
            else if (filter == 2)
                predicted = b;
            else if (filter == 3)
                predicted = (a + b) / 2;
            else if (filter == 4) {
                const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                predicted = pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
            }
            raw.append(static_cast<char>(at(y, x) - predicted));
        }
    }
    QByteArray file("\x89PNG\r\n\x1a\n", 8);
    file += header(static_cast<quint32>(width), static_cast<quint32>(height), 8, alpha ? 6 : 2);
    for (const QByteArray& c : extra)
        file += c;
    file += chunk("IDAT", deflated(raw));
    return file + chunk("IEND", {});
}

void compareWithQt(const QByteArray& bytes)
{
    const QImage expected = qtRead(bytes);
    const QImage decoded = PlainPngDecoder::decode(bytes);
    QVERIFY(!expected.isNull());
    QVERIFY(!decoded.isNull());
    QCOMPARE(decoded.format(), expected.format());
    QCOMPARE(decoded.size(), expected.size());
    QCOMPARE(decoded.dotsPerMeterX(), expected.dotsPerMeterX());
    QCOMPARE(decoded.dotsPerMeterY(), expected.dotsPerMeterY());
    QCOMPARE(decoded, expected);
}

} // namespace

class TestPlainPngDecoder : public QObject
{
    Q_OBJECT

private slots:
    // Every picture the program ships decodes here, to what Qt's reader makes of it.
    void shippedPicturesAsQtReadsThem()
    {
        int count = 0;
        QDirIterator it(QStringLiteral(":/"), {QStringLiteral("*.png")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.startsWith(QStringLiteral(":/qt-project.org/")))
                continue; // Qt's own
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            compareWithQt(file.readAll());
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(path));
            // Through the picture helper, "@2x" files keep the ratio Qt's reader gives them.
            QCOMPARE(PngPicture::pixmap(path).devicePixelRatio(), QImageReader(path).read().devicePixelRatio());
            ++count;
        }
        QVERIFY(count > 50);
    }

    void everyRowFilter_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("alpha");
        QTest::newRow("rgba") << 37 << 23 << true;
        QTest::newRow("rgb") << 41 << 19 << false;
        QTest::newRow("one pixel") << 1 << 1 << true;
        QTest::newRow("one column") << 1 << 12 << false;
        QTest::newRow("one row") << 300 << 1 << true;
    }

    void everyRowFilter()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, alpha);
        compareWithQt(filteredPng(width, height, alpha, 7));
        QByteArray resolution(9, '\0');
        qToBigEndian<quint32>(3780, resolution.data());
        qToBigEndian<quint32>(2835, resolution.data() + 4);
        resolution[8] = 1;
        compareWithQt(filteredPng(width, height, alpha, 8, {chunk("pHYs", resolution)}));
    }

    // Files Qt writes itself, with and without transparency.
    void writtenByQt()
    {
        for (const QImage::Format format : {QImage::Format_ARGB32, QImage::Format_RGB32}) {
            QImage image(61, 47, format);
            QRandomGenerator random(3);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    image.setPixel(x, y, qRgba(x * 4, y * 5, random.bounded(256), (x + y) % 3 ? 255 : x * 3));
            QByteArray bytes;
            QBuffer buffer(&bytes);
            QVERIFY(buffer.open(QIODevice::WriteOnly));
            QVERIFY(image.save(&buffer, "PNG"));
            compareWithQt(bytes);
        }
    }

    // Whatever is not a plain, whole file is left to Qt's reader: never read past, never a huge
    // allocation, never a crash.
    void anythingElseIsLeftToQt()
    {
        const QByteArray good = filteredPng(9, 9, true, 11);
        QVERIFY(!PlainPngDecoder::decode(good).isNull());
        for (qsizetype cut = 0; cut < good.size(); ++cut)
            QVERIFY2(PlainPngDecoder::decode(good.left(cut)).isNull(), qPrintable(QString::number(cut)));
        for (qsizetype i = 8; i < good.size(); ++i) {
            QByteArray flipped = good;
            flipped[i] = static_cast<char>(flipped[i] ^ 0x20);
            // A flipped byte breaks a length, a type or a checksum.
            QVERIFY2(PlainPngDecoder::decode(flipped).isNull(), qPrintable(QString::number(i)));
        }

        const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
        const QByteArray end = chunk("IEND", {});
        // Two rows of two RGBA pixels, each after its filter byte.
        const QByteArray someData = chunk("IDAT", deflated(QByteArray(2 * (1 + 2 * 4), '\0')));
        for (const QByteArray& head : {header(2, 2, 16), header(2, 2, 8, 3), header(2, 2, 8, 0), header(2, 2, 8, 6, 1),
                                       header(0, 2), header(100000, 100000), header(0x80000000u, 1)})
            QVERIFY(PlainPngDecoder::decode(signature + head + someData + end).isNull());

        // Too few rows, too many, a row filter that does not exist.
        QVERIFY(PlainPngDecoder::decode(signature + header(2, 3) + someData + end).isNull());
        QVERIFY(PlainPngDecoder::decode(signature + header(2, 1) + someData + end).isNull());
        QVERIFY(!PlainPngDecoder::decode(signature + header(2, 2) + someData + end).isNull());
        QByteArray badFilter(2 * (1 + 2 * 4), '\0');
        badFilter[0] = 5;
        QVERIFY(PlainPngDecoder::decode(signature + header(2, 2) + chunk("IDAT", deflated(badFilter)) + end).isNull());
        // No end, no data, chunks Qt's reader reads that this one does not.
        QVERIFY(PlainPngDecoder::decode(signature + header(2, 2) + someData).isNull());
        QVERIFY(PlainPngDecoder::decode(signature + header(2, 2) + end).isNull());
        for (const char* type : {"gAMA", "sRGB", "iCCP", "tRNS", "tEXt", "PLTE"})
            QVERIFY(
                PlainPngDecoder::decode(signature + header(2, 2) + chunk(type, QByteArray(4, '\1')) + someData + end)
                    .isNull());
        // The data chunk's length may claim more than the file holds.
        QByteArray lying = signature + header(2, 2) + someData + end;
        qToBigEndian<quint32>(0x7ffffff0u, lying.data() + 8 + 25);
        QVERIFY(PlainPngDecoder::decode(lying).isNull());
    }
};

QTEST_MAIN(TestPlainPngDecoder)
#include "tst_PlainPngDecoder.moc"
