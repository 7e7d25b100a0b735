#pragma once

#include <QPixmap>
#include <QString>

#include <functional>

namespace OV {

using PixmapCallback = std::function<void(const QPixmap&)>;
// Turns a picture address into a pixmap for a callback, called exactly once, now or later on the
// GUI thread; a failure delivers a null pixmap.
using WidgetImageRequest = std::function<void(const QString& url, PixmapCallback callback)>;

// Where widgets fetch pictures by address (background pictures). The built-in source reads
// embedded resources and local files at once and delivers a null pixmap for anything else; the
// application installs the shared image loader here, tests install a stand-in.
void setWidgetImageSource(WidgetImageRequest source);
void requestWidgetImage(const QString& url, PixmapCallback callback);

} // namespace OV
