#include "scene/LoadedTreeItem.h"
#include "core/Utils.h"

#include <QCoreApplication>

namespace OV {

namespace {

constexpr const char* kPlaceholderText = "loading...";

// A member that is missing reads as null, so reading it fails with the library's type error, as
// one of the wrong type does; a node that is not an object fails in the library's own lookup.
const nlohmann::json& member(const nlohmann::json& node, const char* key)
{
    static const nlohmann::json missing;
    if (!node.is_object())
        return node.at(key);
    const auto it = node.find(key);
    return it != node.end() ? *it : missing;
}

} // namespace

LoadedTreeItem::LoadedTreeItem(const nlohmann::json& node) : m_node(node)
{
    const auto nameIt = node.is_object() ? node.find("name") : node.end();
    const bool hasName = nameIt != node.end() && nameIt->is_string();
    setText(hasName ? OV::fromStdText(nameIt->get<std::string>()) : QStringLiteral("NULL"));
    setEditable(false);
    m_name = OV::fromStdText(member(node, "name").get<std::string>());
    m_last = member(node, "last").get<bool>();
    if (m_last) {
        m_state = Loaded;
        return;
    }
    setSelectable(false);
    const auto failedIt = node.find("loadFailedNode");
    if (failedIt != node.end() && failedIt->is_boolean() && failedIt->get<bool>()) {
        m_state = LoadFailed;
        return;
    }
    m_id = OV::fromStdText(member(node, "id").get<std::string>());
    // Gives the view an expander before anything is known of the children.
    auto* placeholder = new QStandardItem(QString::fromLatin1(kPlaceholderText));
    placeholder->setEditable(false);
    placeholder->setSelectable(false);
    appendRow(placeholder);
}

LoadedTreeItem::~LoadedTreeItem()
{
    *m_alive = false;
}

nlohmann::json LoadedTreeItem::rootNode()
{
    return {{"name", ""}, {"id", ""}, {"type", ""}, {"last", false}};
}

nlohmann::json LoadedTreeItem::retryNode()
{
    return {{"name", QCoreApplication::translate("LoadedTreeModel", "Load failed, click to retry").toStdString()},
            {"last", false},
            {"id", ""},
            {"type", ""},
            {"loadFailedNode", true}};
}

} // namespace OV
