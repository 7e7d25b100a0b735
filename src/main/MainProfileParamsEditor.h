#pragma once

#include "core/EventBusMessage.h"
#include "main/BaseEditPanel.h"

#include <nlohmann/json.hpp>

class QPushButton;

namespace OV {

class EditStateWatcher;

// The base of the profile and card parameter editors shown in the main window's edit area:
// always editable, "Save" enabled once something changed, and saved before every deploy.
class MainProfileParamsEditor : public BaseEditPanel
{
    Q_OBJECT
public:
    // The configuration is kept by reference for the derived editor: it must outlive the
    // editor, so a temporary is refused at compile time.
    MainProfileParamsEditor(QWidget* parent, const nlohmann::json& config);
    MainProfileParamsEditor(QWidget* parent, nlohmann::json&& config) = delete;
    // For editors without a configuration of their own (the card editors).
    explicit MainProfileParamsEditor(QWidget* parent);

    const nlohmann::json& config() const { return m_config; }
    EditStateWatcher* watcher() const { return m_watcher; }
    QPushButton* resetButton() const { return m_resetButton; }
    QPushButton* saveButton() const { return m_saveButton; }

protected:
    virtual void onResetEdit();

    // Saves as "Save" does; a success then runs the given step unless the editor is gone.
    void saveEdit(std::function<void()> then = {});

private:
    void onMessage(const QSharedPointer<EventBusMessage>& message);

    const nlohmann::json& m_config;
    EditStateWatcher* m_watcher = nullptr;
    QPushButton* m_resetButton = nullptr;
    QPushButton* m_saveButton = nullptr;
};

} // namespace OV
