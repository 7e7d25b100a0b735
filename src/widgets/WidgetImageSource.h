#pragma once

#include <QPixmap>
#include <QString>

#include <functional>

namespace OV {

using PixmapCallback = std::function<void(const QPixmap&)>;
// Turns a picture address into a pixmap for a callback, called exactly once, now or later on the
// GUI thread; a failure delivers a null pixmap.
using WidgetImageRequest = std::function<void(const QString& url, PixmapCallback callback)>;

// Where widgets fetch pictures by address (background pictures). The built-in source is the
// shared ImageLoader (resources, local files, caches and downloads); tests may install a
// stand-in, and an empty source restores the built-in one.
void setWidgetImageSource(WidgetImageRequest source);
void requestWidgetImage(const QString& url, PixmapCallback callback);

} // namespace OV
