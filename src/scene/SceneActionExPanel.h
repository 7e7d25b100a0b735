#pragma once

#include <QWidget>

#include <nlohmann/json.hpp>

namespace OV {

class EditStateWatcher;

// The base of the special action editors (PC control, plug-in widget, screen-cube page): each
// turns its form into an action record.
class SceneActionExPanel : public QWidget
{
    Q_OBJECT
public:
    SceneActionExPanel(const nlohmann::json& node, QWidget* parent = nullptr);

    // The action record, or an empty value when the form is not valid; with showError the
    // reason is shown in an error message.
    virtual nlohmann::json buildActionJson(bool showError) = 0;
    // Clears the inputs.
    virtual void reset() = 0;
    // Loads saved parameters into the form; the base does nothing.
    virtual void bindData(const nlohmann::json& data);
    // Throws std::invalid_argument for null; subclasses also register their inputs.
    virtual void setEditStateWatcher(EditStateWatcher* watcher);

    const nlohmann::json& node() const { return m_node; }
    EditStateWatcher* editStateWatcher() const { return m_watcher; }

protected:
    nlohmann::json m_node;
    EditStateWatcher* m_watcher = nullptr;
};

} // namespace OV
