#pragma once

#include "core/BaseResult.h"
#include "core/ErrorCode.h"

#include <QPixmap>
#include <QString>

#include <functional>

class QWidget;

namespace OV {

class BaseWidget;
class ImageLoader;

// Icons of the store's tiles come through one image loader of the store's own, made on first
// use and released with the store window.
class StoreUtils
{
public:
    static constexpr int kTrimThreshold = 5;

    // Shows the loading picture, then the icon (cropped when trim is set) and hands it to the
    // callback; an icon that cannot be had leaves the error picture and no callback. Nothing
    // happens to a widget that is gone by then.
    static void loadIcon(BaseWidget* widget, const QString& url, bool trim,
                         std::function<void(const QPixmap&)> callback = {});
    // Drops the store's loader; pending loads still call back (with nothing to show).
    static void releaseIconLoader();

private:
    static ImageLoader* iconLoader();
};

// A new container under the parent holding the widget in a vertical box with these margins.
QWidget* wrapInContainer(QWidget* parent, QWidget* widget, int left, int top, int right, int bottom);

// The picture cropped to the bounding box of the pixels whose alpha exceeds the threshold;
// a null picture for a null or fully transparent one.
QPixmap trimTransparentEdges(const QPixmap& pixmap, int alphaThreshold);

// The text a screen shows for a failed result: the translated row text, followed by
// ". Details: " and the detail when there is one.
QString formatErrorDetails(const ErrorCode& error, const QString& detail);

template <typename T>
QString formatErrorDetails(const BaseResult<T>& result)
{
    return formatErrorDetails(result.error, result.message);
}

} // namespace OV
