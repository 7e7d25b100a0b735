#include "widgets/WidgetImageSource.h"

#include <QFile>

namespace OV {

namespace {

void loadDirect(const QString& url, PixmapCallback callback)
{
    if (url.startsWith(QLatin1String(":/")) || QFile::exists(url))
        callback(QPixmap(url));
    else
        callback(QPixmap());
}

WidgetImageRequest& currentSource()
{
    static WidgetImageRequest source = loadDirect;
    return source;
}

} // namespace

void setWidgetImageSource(WidgetImageRequest source)
{
    currentSource() = source ? std::move(source) : WidgetImageRequest(loadDirect);
}

void requestWidgetImage(const QString& url, PixmapCallback callback)
{
    if (callback)
        currentSource()(url, std::move(callback));
}

} // namespace OV
