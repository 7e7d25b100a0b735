#pragma once

#include <QByteArray>
#include <QString>

namespace OV {

// Keeps the hub's pairing token unreadable at a glance in the project file.
QString encodeToken(const QString& token);
QString decodeToken(const QString& stored);
QByteArray tokenKey();

} // namespace OV
