#pragma once

#include <QCoreApplication>
#include <QString>

#include <nlohmann/json.hpp>

class QColor;

namespace OV {

// The action record every action editor makes and every action list stores:
// {"rawData": the picked tree node, "configDesc": the line the lists show, "deployData": what
// the hub executes ({"id"?, "type", "objectParams"?, "values"})}.
class SceneActionRecord
{
    Q_DECLARE_TR_FUNCTIONS(SceneActionRecord)
public:
    static constexpr const char* kRawData = "rawData";
    static constexpr const char* kConfigDesc = "configDesc";
    static constexpr const char* kDeployData = "deployData";

    // The record of these three parts.
    static nlohmann::json make(const nlohmann::json& node, const QString& configDesc, nlohmann::json deployData);

    // "deployData" as the node gives it: "type" = the node's "type" (or the given one), and
    // "objectParams" copied unchanged when the node is an object holding that key (null too).
    // No "id" and no "values"; the editors add those.
    static nlohmann::json deployFrame(const nlohmann::json& node);
    static nlohmann::json deployFrame(const nlohmann::json& node, const std::string& type);

    // One entry of "values" of the special editors: {"id": the number as text, "value"}.
    static nlohmann::json valueEntry(int number, nlohmann::json value);

    // The record of a PC-control editor: "deployData" = the node's frame with
    // "values": [{"id": "1", "value": value}].
    static nlohmann::json pcControl(const nlohmann::json& node, const QString& configDesc, nlohmann::json value);

    // What the picker and the editors' callers treat as "no record": null, {} or [].
    static bool isEmpty(const nlohmann::json& record);

    // The record's "configDesc" to show; a placeholder when it has none as text, so a stored
    // record of another shape is still listed (and kept) rather than refused.
    static QString describe(const nlohmann::json& record);

    // The colour swatch a colour value puts into "configDesc": a span of markup, the one part
    // of a description that is not shown as written.
    static QString swatch(const QColor& color);
    // A description as rich text: each swatch of exactly swatch()'s shape drawn, everything
    // else (names and texts from the hub, what the user typed) escaped, spaces kept. Empty when
    // the description holds no swatch: it is then shown as plain text.
    static QString swatchHtml(const QString& description);
};

} // namespace OV
