#pragma once

#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

namespace OV {

// A fresh random identifier: 22 characters of URL-safe Base64.
QString createUuid();

// True when each key exists in turn in nested JSON objects; an empty list gives true.
bool jsonContainsPath(const nlohmann::json& value, const QStringList& keys);

} // namespace OV
