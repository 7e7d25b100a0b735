#pragma once

#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <string>

namespace OV {

// A fresh random identifier: 22 characters of URL-safe Base64.
QString createUuid();

// UTF-8 text (from the JSON library, a hub line, a stored record) as UTF-16, character for
// character: a leading U+FEFF is text like any other, where QString::fromStdString would take it
// for a byte order mark and drop it.
QString fromStdText(const std::string& text);

// A tool tip that shows the text as written. Qt reads a tool tip that looks like markup as rich
// text, so such a text is escaped (spaces and line breaks kept); any other text is returned
// unchanged.
QString plainToolTip(const QString& text);

// True when each key exists in turn in nested JSON objects; an empty list gives true.
bool jsonContainsPath(const nlohmann::json& value, const QStringList& keys);

} // namespace OV
