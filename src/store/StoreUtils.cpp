#include "store/StoreUtils.h"

#include <QCoreApplication>
#include <QImage>

namespace OV {

QPixmap trimTransparentEdges(const QPixmap& pixmap, int alphaThreshold)
{
    if (pixmap.isNull())
        return {};
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGBA8888);
    const int width = image.width();
    const int height = image.height();
    auto counts = [&](int x, int y) { return image.constScanLine(y)[x * 4 + 3] > alphaThreshold; };
    auto columnCounts = [&](int x) {
        for (int y = 0; y < height; ++y) {
            if (counts(x, y))
                return true;
        }
        return false;
    };
    auto rowCounts = [&](int y, int left, int right) {
        for (int x = left; x <= right; ++x) {
            if (counts(x, y))
                return true;
        }
        return false;
    };

    int left = 0;
    while (left < width && !columnCounts(left))
        ++left;
    if (left == width)
        return {};
    int right = width - 1;
    while (right > left && !columnCounts(right))
        --right;
    int top = 0;
    while (!rowCounts(top, left, right))
        ++top;
    int bottom = height - 1;
    while (bottom > top && !rowCounts(bottom, left, right))
        --bottom;
    return QPixmap::fromImage(image.copy(left, top, right - left + 1, bottom - top + 1));
}

QString formatErrorDetails(const ErrorCode& error, const QString& detail)
{
    const QString text = QCoreApplication::translate("OV::ErrorCode", error.text);
    if (detail.isEmpty())
        return text;
    return QCoreApplication::translate("OV::StoreUtils", "%1. Details: %2").arg(text, detail);
}

} // namespace OV
