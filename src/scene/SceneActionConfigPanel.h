#pragma once

#include <QList>
#include <QScrollArea>
#include <QString>

#include <nlohmann/json.hpp>

class QVBoxLayout;

namespace OV {

class ActionConfigItem;
class SceneActionExPanel;

// The form for one picked action: a special editor chosen by the node's "type" (screen-cube
// page, PC control, plug-in widget), or one parameter item per entry of "components".
class SceneActionConfigPanel : public QScrollArea
{
    Q_OBJECT
public:
    // Throws the JSON library's type error for a node without string "objectName", "name",
    // "id" and "type", and the items' and editors' construction errors.
    explicit SceneActionConfigPanel(const nlohmann::json& node, QWidget* parent = nullptr);

    // The action record, or null (an item refused its input) / an empty object (the special
    // editor has nothing to give).
    nlohmann::json buildActionJson();
    // Every item's and the special editor's reset.
    void reset();

    const QList<ActionConfigItem*>& items() const { return m_items; }
    SceneActionExPanel* specialEditor() const { return m_special; }
    const nlohmann::json& node() const { return m_node; }

private:
    nlohmann::json m_node;
    QString m_objectName;
    QString m_name;
    QString m_id;
    QString m_type;
    nlohmann::json m_components;
    QList<ActionConfigItem*> m_items;
    SceneActionExPanel* m_special = nullptr;
};

} // namespace OV
