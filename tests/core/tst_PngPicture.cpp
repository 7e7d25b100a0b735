#include "core/PngPicture.h"

#include <QBuffer>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;

namespace {

QImage pixels(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Whether an image-format plugin has been loaded into this process.
bool formatPluginLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    return maps.readAll().contains("/imageformats/");
}

} // namespace

class TestPngPicture : public QObject
{
    Q_OBJECT

private slots:
    // Runs first: nothing in this process has read a picture of unknown kind yet.
    void readsWithoutLoadingFormatPlugins()
    {
        if (!QFile::exists(QStringLiteral("/proc/self/maps")))
            QSKIP("no process map to look at");
        QVERIFY(!PngPicture::pixmap(QStringLiteral(":/start/image/logo.png")).isNull());
        QVERIFY(!PngPicture::icon(QStringLiteral(":/window/image/close.png")).isNull());
        QVERIFY(!formatPluginLoaded());
    }

    void samePixelsAsTheGeneralReaders_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("logo") << QStringLiteral(":/start/image/logo.png");
        QTest::newRow("window icon") << QStringLiteral(":/window/image/icon.png");
        QTest::newRow("dialog icon") << QStringLiteral(":/window/image/dialog_icon_error.png");
        QTest::newRow("window button") << QStringLiteral(":/window/image/max.png");
    }

    void samePixelsAsTheGeneralReaders()
    {
        QFETCH(QString, path);
        const QPixmap expected(path);
        QVERIFY(!expected.isNull());
        const QPixmap read = PngPicture::pixmap(path);
        QCOMPARE(read.size(), expected.size());
        QCOMPARE(pixels(read), pixels(expected));
        // Again, from the cache.
        QCOMPARE(pixels(PngPicture::pixmap(path)), pixels(expected));

        const QIcon general(path);
        const QIcon icon = PngPicture::icon(path);
        QCOMPARE(icon.availableSizes(), general.availableSizes());
        for (const QSize size : {expected.size(), expected.size() / 2, expected.size() * 2})
            QCOMPARE(pixels(icon.pixmap(size)), pixels(general.pixmap(size)));
        QCOMPARE(pixels(icon.pixmap(expected.size(), QIcon::Disabled)),
                 pixels(general.pixmap(expected.size(), QIcon::Disabled)));
    }

    // A missing picture and one that is no PNG come out as the general readers give them.
    void otherPicturesAsTheGeneralReaders()
    {
        const QString missing = QStringLiteral(":/no/such/picture.png");
        QVERIFY(PngPicture::pixmap(missing).isNull());
        QVERIFY(PngPicture::icon(missing).availableSizes().isEmpty());
        QCOMPARE(PngPicture::icon(missing).isNull(), QIcon(missing).isNull());

        QImage picture(7, 5, QImage::Format_RGB32);
        picture.fill(QColor(10, 200, 30));
        QByteArray bmp;
        QBuffer buffer(&bmp);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(picture.save(&buffer, "BMP"));
        QVERIFY(!PngPicture::isPng(bmp));
        QCOMPARE(pixels(PngPicture::fromData(bmp)), pixels(QPixmap::fromImage(picture)));
        QVERIFY(PngPicture::fromData(QByteArray("\x89PNG\r\n\x1a\n broken")).isNull());

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("picture.png")); // named PNG, holds BMP
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bmp);
        out.close();
        QCOMPARE(pixels(PngPicture::pixmap(file)), pixels(QPixmap(file)));
        QVERIFY(!PngPicture::pixmap(file).isNull());
    }
};

QTEST_MAIN(TestPngPicture)
#include "tst_PngPicture.moc"
