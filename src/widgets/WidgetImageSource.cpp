#include "widgets/WidgetImageSource.h"

#include "core/ImageLoader.h"

namespace OV {

namespace {

void loadShared(const QString& url, PixmapCallback callback)
{
    ImageLoader::instance()->load(url, std::move(callback));
}

WidgetImageRequest& currentSource()
{
    static WidgetImageRequest source = loadShared;
    return source;
}

} // namespace

void setWidgetImageSource(WidgetImageRequest source)
{
    currentSource() = source ? std::move(source) : WidgetImageRequest(loadShared);
}

void requestWidgetImage(const QString& url, PixmapCallback callback)
{
    if (callback)
        currentSource()(url, std::move(callback));
}

} // namespace OV
