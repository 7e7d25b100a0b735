#include "device/DeviceImage.h"
#include "support/TestUtils.h"

#include <QTest>

using namespace OV;

namespace {

QPixmap pixels(int width, int height, const QList<QColor>& colors)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int i = 0; i < colors.size(); ++i)
        image.setPixelColor(i % width, i / width, colors[i]);
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
        const QColor red(255, 0, 0);
        const std::pair<QPixmap, const char*> cases[] = {
            // Header word 4 | 2 << 10 | 1 << 21, size 4, then RGB565 high byte first.
            {pixels(2, 1, {red, QColor(0, 0, 255)}), "04082000 04000000 F800001F"},
            // One pixel below opaque: format 5, an alpha byte after each pixel.
            {pixels(2, 1, {red, QColor(0, 0, 255, 128)}), "05082000 06000000 F800FF 001F80"},
            {QPixmap(), "04000000 00000000"},
            // The top bits of each channel, row by row: 1 << 11 | 1 << 5 | 31, then 31 << 11 | 63 << 5.
            {pixels(1, 2, {QColor(0x0F, 0x07, 0xFF), QColor(0xFF, 0xFF, 0x07)}), "04044000 04000000 083F FFE0"},
            // Colour is kept as it is under any alpha (not premultiplied).
            {pixels(1, 1, {QColor(255, 255, 255, 1)}), "05042000 03000000 FFFF01"},
        };
        for (const auto& [pixmap, expected] : cases)
            QCOMPARE(encodeDeviceImage(pixmap).toHex(' '), QByteArray::fromHex(expected).toHex(' '));
    }

    void scalesPicturesTheHeaderCannotDescribe()
    {
        QPixmap wide(3000, 12);
        wide.fill(Qt::green);
        Test::LogCapture log;
        const QByteArray blob = encodeDeviceImage(wide);
        const uint32_t width = le32(blob, 0) >> 10 & 0x7FF;
        const uint32_t height = le32(blob, 0) >> 21;
        QVERIFY(width == 2047 && height >= 1 && height <= 12);
        QCOMPARE(le32(blob, 4), width * height * 2);
        QCOMPARE(uint32_t(blob.size()), 8 + width * height * 2);
        QVERIFY(log.text().contains("[DeviceImage] image 3000x12 too large"));
    }
};

QTEST_MAIN(TestDeviceImage)
#include "tst_DeviceImage.moc"
