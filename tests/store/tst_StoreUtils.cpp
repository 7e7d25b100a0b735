#include "store/StoreUtils.h"

#include <QImage>
#include <QTest>

using namespace OV;

namespace {

QPixmap pictureWith(int width, int height, const QList<QPair<QPoint, int>>& alphaAt)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (const auto& [point, alpha] : alphaAt)
        image.setPixelColor(point, QColor(200, 10, 10, alpha));
    return QPixmap::fromImage(image);
}

} // namespace

class TestStoreUtils : public QObject
{
    Q_OBJECT
private slots:
    void trimTransparentEdges_data()
    {
        QTest::addColumn<QPixmap>("picture");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<QSize>("size");
        QTest::newRow("null") << QPixmap() << 5 << QSize();
        QTest::newRow("fully transparent") << pictureWith(8, 8, {}) << 5 << QSize();
        QTest::newRow("one opaque pixel") << pictureWith(10, 10, {{{3, 7}, 255}}) << 5 << QSize(1, 1);
        const QPixmap bordered = pictureWith(10, 10, {{{1, 1}, 5}, {{8, 8}, 5}, {{4, 5}, 255}, {{5, 4}, 255}});
        QTest::newRow("alpha 5 kept at 2") << bordered << 2 << QSize(8, 8);
        QTest::newRow("alpha 5 dropped at 5") << bordered << 5 << QSize(2, 2);
        QTest::newRow("nothing to trim") << pictureWith(3, 2, {{{0, 0}, 255}, {{2, 1}, 255}}) << 5 << QSize(3, 2);
    }

    void trimTransparentEdges()
    {
        QFETCH(QPixmap, picture);
        QFETCH(int, threshold);
        QFETCH(QSize, size);
        const QPixmap trimmed = OV::trimTransparentEdges(picture, threshold);
        QCOMPARE(trimmed.isNull(), !size.isValid());
        if (!size.isValid())
            return;
        QCOMPARE(trimmed.size(), size);
        // The box is cut from the picture itself: a counting pixel lies on its left edge.
        const QImage image = trimmed.toImage();
        QVERIFY(image.pixelColor(0, 0).alpha() > threshold ||
                image.pixelColor(0, size.height() - 1).alpha() > threshold);
    }

    void formatErrorDetails()
    {
        QCOMPARE(OV::formatErrorDetails(BaseResult<int>(Errors::FileNotFound, QStringLiteral("filePath:/x/y"))),
                 QStringLiteral("File not found. Details: filePath:/x/y"));
        QCOMPARE(OV::formatErrorDetails(BaseResult<void>(Errors::FileNotFound)), QStringLiteral("File not found"));
        // A detail holding placeholders is shown as it is.
        QCOMPARE(OV::formatErrorDetails(BaseResult<QString>(Errors::ReadFailed, QStringLiteral("%1 and %2"))),
                 QStringLiteral("Read failed. Details: %1 and %2"));
    }
};

QTEST_MAIN(TestStoreUtils)
#include "tst_StoreUtils.moc"
