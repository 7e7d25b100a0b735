#pragma once

#include <QByteArray>
#include <QPixmap>

namespace OV {

// The picture as PNG bytes, the form every image in file_store has. A null picture gives no
// bytes, which reads back as a null picture.
QByteArray pixmapToPng(const QPixmap& pixmap);

} // namespace OV
