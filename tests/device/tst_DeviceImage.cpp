#include "device/DeviceImage.h"
#include "support/TestUtils.h"

#include <QTest>

using namespace OV;

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

QPixmap redThenBlue(int blueAlpha)
{
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixelColor(0, 0, QColor(255, 0, 0));
    image.setPixelColor(1, 0, QColor(0, 0, 255, blueAlpha));
    return QPixmap::fromImage(image);
}

uint32_t le32(const QByteArray& blob, int offset)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | uchar(blob[offset + i]);
    return value;
}

} // namespace

class TestDeviceImage : public QObject
{
    Q_OBJECT
private slots:
    void encodesTheKnownVectors()
    {
        // Header word 4 | 2 << 10 | 1 << 21, size 4, then RGB565 high byte first.
        QCOMPARE(encodeDeviceImage(redThenBlue(255)).toHex(' '), hex("04082000 04000000 F800001F").toHex(' '));
        // One pixel below opaque: format 5, an alpha byte after each pixel.
        QCOMPARE(encodeDeviceImage(redThenBlue(128)).toHex(' '), hex("05082000 06000000 F800FF 001F80").toHex(' '));
        QCOMPARE(encodeDeviceImage(QPixmap()).toHex(' '), hex("0400000000000000").toHex(' '));
    }

    void keepsTopBitsRowByRow()
    {
        QImage image(1, 2, QImage::Format_RGBA8888);
        image.setPixelColor(0, 0, QColor(0x0F, 0x07, 0xFF));
        image.setPixelColor(0, 1, QColor(0xFF, 0xFF, 0x07));
        // 1 << 11 | 1 << 5 | 31, then 31 << 11 | 63 << 5 | 0.
        QCOMPARE(encodeDeviceImage(QPixmap::fromImage(image)).mid(8).toHex(), QByteArray("083fffe0"));
        // Colour is kept as it is under any alpha (not premultiplied).
        QImage faint(1, 1, QImage::Format_RGBA8888);
        faint.setPixelColor(0, 0, QColor(255, 255, 255, 1));
        QCOMPARE(encodeDeviceImage(faint).mid(8).toHex(), QByteArray("ffff01"));
    }

    void scalesPicturesTheHeaderCannotDescribe()
    {
        QPixmap wide(3000, 12);
        wide.fill(Qt::green);
        Test::LogCapture log;
        const QByteArray blob = encodeDeviceImage(wide);
        const uint32_t header = le32(blob, 0);
        const uint32_t width = header >> 10 & 0x7FF;
        const uint32_t height = header >> 21;
        QCOMPARE(width, 2047u);
        QVERIFY(height >= 1 && height <= 12);
        QCOMPARE(le32(blob, 4), width * height * 2);
        QCOMPARE(uint32_t(blob.size()), 8 + width * height * 2);
        QVERIFY(log.text().contains("[DeviceImage] image 3000x12 too large"));
    }
};

QTEST_MAIN(TestDeviceImage)
#include "tst_DeviceImage.moc"
