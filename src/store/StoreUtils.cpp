#include "store/StoreUtils.h"

#include "core/ImageLoader.h"
#include "widgets/BaseWidget.h"

#include <QCoreApplication>
#include <QImage>
#include <QPointer>
#include <QVBoxLayout>

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

namespace {
QPointer<ImageLoader> g_iconLoader;
const QString kLoadingPicture = QStringLiteral(":/image/image_loading.png");
const QString kErrorPicture = QStringLiteral(":/image/image_load_error.png");
constexpr const char* kRequestProperty = "storeIconRequest";
} // namespace

ImageLoader* StoreUtils::iconLoader()
{
    if (!g_iconLoader)
        g_iconLoader = new ImageLoader(QCoreApplication::instance());
    return g_iconLoader;
}

void StoreUtils::releaseIconLoader()
{
    if (g_iconLoader)
        g_iconLoader->deleteLater();
    g_iconLoader = nullptr;
}

void StoreUtils::loadIcon(BaseWidget* widget, const QString& url, bool trim,
                          std::function<void(const QPixmap&)> callback)
{
    if (!widget)
        return;
    QPointer<BaseWidget> guard(widget);
    // Tiles are reused from page to page: an icon asked for earlier never replaces a later one.
    const quint64 request = widget->property(kRequestProperty).toULongLong() + 1;
    widget->setProperty(kRequestProperty, request);
    widget->setBackgroundImage(kLoadingPicture);
    iconLoader()->load(url, [guard, request, trim, callback = std::move(callback)](const QPixmap& pixmap) {
        if (!guard || guard->property(kRequestProperty).toULongLong() != request)
            return;
        if (pixmap.isNull()) {
            guard->setBackgroundImage(kErrorPicture);
            return;
        }
        const QPixmap shown = trim ? trimTransparentEdges(pixmap, kTrimThreshold) : pixmap;
        guard->setBackgroundPixmap(shown);
        if (callback)
            callback(shown);
    });
}

QWidget* wrapInContainer(QWidget* parent, QWidget* widget, int left, int top, int right, int bottom)
{
    auto* container = new QWidget(parent);
    widget->setParent(container);
    auto* box = new QVBoxLayout(container);
    box->setContentsMargins(left, top, right, bottom);
    box->addWidget(widget);
    return container;
}

QString formatErrorDetails(const ErrorCode& error, const QString& detail)
{
    const QString text = QCoreApplication::translate("OV::ErrorCode", error.text);
    if (detail.isEmpty())
        return text;
    return QCoreApplication::translate("OV::StoreUtils", "%1. Details: %2").arg(text, detail);
}

} // namespace OV
