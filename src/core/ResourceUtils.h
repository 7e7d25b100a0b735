#pragma once

#include <QByteArray>
#include <QString>

namespace OV {

// Reads an embedded resource whole; "file/x" and ":/file/x" name the same resource.
QByteArray readResource(const QString& path);

} // namespace OV
