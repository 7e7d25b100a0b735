#pragma once

#include <QWidget>

#include <nlohmann/json.hpp>

class QCheckBox;
class QLabel;
class QVBoxLayout;

namespace OV {

class EditStateWatcher;

// The frame every module event panel shares: a title bar with the event's title and its
// "Enabled" check box, a divider, and the panel's own content below.
class ModuleEventPanel : public QWidget
{
    Q_OBJECT
public:
    // Throws std::invalid_argument "editStateWatcher is null" for a null watcher.
    ModuleEventPanel(QWidget* parent, EditStateWatcher* watcher);

    QLabel* titleLabel() const { return m_titleLabel; }
    QCheckBox* enabledBox() const { return m_enabledBox; }
    EditStateWatcher* watcher() const { return m_watcher; }

    // Writes the shown event back into the module's data.
    virtual void saveCurrentEvent() = 0;
    // Writes the shown event back and forgets it, before the data it points into is replaced.
    void detachEvent();

protected:
    virtual void forgetEvent() = 0;
    // The checked state read from an event ("enabled", true when missing or not a boolean).
    static bool enabledOf(const nlohmann::json& event);
    void markChanged();

    QVBoxLayout* m_contentLayout = nullptr;
    QLabel* m_titleLabel = nullptr;
    QCheckBox* m_enabledBox = nullptr;
    EditStateWatcher* m_watcher = nullptr;
};

} // namespace OV
