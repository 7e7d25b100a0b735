#pragma once

#include <QByteArray>
#include <QPixmap>
#include <QSize>

namespace OV {

// The picture as PNG bytes, the form every image in file_store has. A null picture gives no
// bytes, which reads back as a null picture.
QByteArray pixmapToPng(const QPixmap& pixmap);

// Stored picture bytes decoded for a place of the given size (device pixels) that stretches the
// picture over it: a larger picture is scaled down once here instead of at every paint, and is
// not kept whole. An invalid size keeps the picture's own size. Null when the bytes are no picture.
QPixmap pixmapFromBytes(const QByteArray& bytes, const QSize& shownSize);

} // namespace OV
