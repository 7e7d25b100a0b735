#include "scene/SceneActionRecord.h"
#include "core/Utils.h"

#include <QColor>
#include <QRegularExpression>

namespace OV {

nlohmann::json SceneActionRecord::make(const nlohmann::json& node, const QString& configDesc, nlohmann::json deployData)
{
    return {{kRawData, node}, {kConfigDesc, configDesc.toStdString()}, {kDeployData, std::move(deployData)}};
}

nlohmann::json SceneActionRecord::deployFrame(const nlohmann::json& node)
{
    return deployFrame(node, node.at("type").get<std::string>());
}

nlohmann::json SceneActionRecord::deployFrame(const nlohmann::json& node, const std::string& type)
{
    nlohmann::json deploy = {{"type", type}};
    if (node.is_object()) {
        const auto it = node.find("objectParams");
        if (it != node.end())
            deploy["objectParams"] = *it;
    }
    return deploy;
}

nlohmann::json SceneActionRecord::valueEntry(int number, nlohmann::json value)
{
    return {{"id", std::to_string(number)}, {"value", std::move(value)}};
}

nlohmann::json SceneActionRecord::pcControl(const nlohmann::json& node, const QString& configDesc, nlohmann::json value)
{
    nlohmann::json deploy = deployFrame(node);
    deploy["values"] = nlohmann::json::array({valueEntry(1, std::move(value))});
    return make(node, configDesc, std::move(deploy));
}

bool SceneActionRecord::isEmpty(const nlohmann::json& record)
{
    return record.is_null() || ((record.is_object() || record.is_array()) && record.empty());
}

QString SceneActionRecord::describe(const nlohmann::json& record)
{
    if (record.is_object()) {
        const auto it = record.find(kConfigDesc);
        if (it != record.end() && it->is_string())
            return OV::fromStdText(it->get<std::string>());
    }
    return tr("(action without description)");
}

QString SceneActionRecord::swatch(const QColor& color)
{
    return QStringLiteral("<span style='color:%1;font-size:18px;'>\u25A0</span>").arg(color.name(QColor::HexRgb));
}

QString SceneActionRecord::swatchHtml(const QString& description)
{
    static const QRegularExpression shape(
        QStringLiteral("<span style='color:#[0-9A-Fa-f]{6};font-size:18px;'>\u25A0</span>"));
    QRegularExpressionMatchIterator it = shape.globalMatch(description);
    if (!it.hasNext())
        return QString();
    QString html;
    qsizetype from = 0;
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        // A match holds nothing but a colour of six hex digits: safe to keep as it stands.
        html += description.mid(from, match.capturedStart() - from).toHtmlEscaped() + match.captured();
        from = match.capturedEnd();
    }
    html += description.mid(from).toHtmlEscaped();
    return QStringLiteral("<p style='white-space:pre'>") + html + QStringLiteral("</p>");
}

} // namespace OV
