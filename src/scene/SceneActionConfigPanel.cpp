#include "scene/SceneActionConfigPanel.h"
#include "core/Utils.h"

#include "core/ThemeLoader.h"
#include "scene/ActionConfigItem.h"
#include "scene/SceneActionRecord.h"
#include "scene/SceneOSCtrlConfig.h"
#include "scene/ScenePelloraWidgetConfig.h"
#include "scene/ScenePluginConfig.h"

#include <QVBoxLayout>

namespace OV {

namespace {

// A member that is missing reads as null, so it fails with the library's type error ("type must
// be string, but is null"), as one of the wrong type does.
QString stringAt(const nlohmann::json& node, const char* key)
{
    static const nlohmann::json missing;
    if (!node.is_object())
        return OV::fromStdText(node.at(key).get<std::string>());
    const auto it = node.find(key);
    return OV::fromStdText((it != node.end() ? *it : missing).get<std::string>());
}

} // namespace

SceneActionConfigPanel::SceneActionConfigPanel(const nlohmann::json& node, QWidget* parent)
    : QScrollArea(parent), m_node(node)
{
    setStyleSheet(QStringLiteral("background:transparent;"));
    setWidgetResizable(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("base")));
    auto* inner = new QWidget(this);
    inner->setObjectName(QStringLiteral("panel2"));
    inner->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("scene_action_picker")));
    auto* layout = new QVBoxLayout(inner);
    layout->setAlignment(Qt::AlignTop);
    setWidget(inner);

    m_objectName = stringAt(node, "objectName");
    m_name = stringAt(node, "name");
    m_id = stringAt(node, "id");
    m_type = stringAt(node, "type");

    if (m_type == QLatin1String("PELLORA_TOGGLE"))
        m_special = new ScenePelloraWidgetConfig(m_id.toStdString(), node, inner);
    else if (m_type == QLatin1String("PC_CONTROL"))
        m_special = new SceneOSCtrlConfig(node, inner);
    else if (m_type == QLatin1String("PLUGIN_WIDGET"))
        m_special = new ScenePluginConfig(node, inner);
    if (m_special) {
        layout->setAlignment(Qt::Alignment());
        layout->addWidget(m_special, 1);
        layout->setContentsMargins(0, 0, 0, 0);
        return;
    }
    const auto it = node.find("components");
    m_components = it != node.end() ? *it : nlohmann::json::array();
    if (!m_components.is_array())
        m_components = nlohmann::json::array();
    for (const nlohmann::json& component : m_components) {
        ActionConfigItem* item = createActionConfigItem(component, inner);
        layout->addWidget(item);
        m_items.append(item);
    }
}

nlohmann::json SceneActionConfigPanel::buildActionJson()
{
    if (m_special)
        return m_special->buildActionJson(true);
    nlohmann::json deploy = {{"id", m_id.toStdString()}, {"type", m_type.toStdString()}};
    if (m_node.is_object() && m_node.contains("objectParams"))
        deploy["objectParams"] = m_node["objectParams"];
    deploy["values"] = nlohmann::json::array();
    QString desc = m_objectName.isEmpty() ? QStringLiteral("[%1] -> ").arg(m_name)
                                          : QStringLiteral("[%1] %2 -> ").arg(m_objectName, m_name);
    bool first = true;
    for (ActionConfigItem* item : m_items) {
        nlohmann::json built = item->buildItemJson();
        if (built.is_null())
            return built;
        if (!first)
            desc += QStringLiteral("; ");
        first = false;
        desc += OV::fromStdText(built.at("desc").get<std::string>());
        deploy["values"].push_back(built.at("params"));
    }
    return SceneActionRecord::make(m_node, desc, std::move(deploy));
}

void SceneActionConfigPanel::reset()
{
    for (ActionConfigItem* item : m_items)
        item->reset();
    if (m_special)
        m_special->reset();
}

} // namespace OV
