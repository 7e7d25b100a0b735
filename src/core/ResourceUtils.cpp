#include "core/ResourceUtils.h"

#include <QFile>

namespace OV {

QByteArray readResource(const QString& path)
{
    const QString resourcePath = path.startsWith(QLatin1String(":/")) ? path : QStringLiteral(":/%1").arg(path);
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace OV
