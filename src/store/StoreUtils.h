#pragma once

#include "core/BaseResult.h"
#include "core/ErrorCode.h"

#include <QPixmap>
#include <QString>

namespace OV {

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
