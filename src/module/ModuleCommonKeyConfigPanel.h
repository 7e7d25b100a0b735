#pragma once

#include "module/ModuleEventPanel.h"

#include <memory>
#include <string>

namespace OV {

class MainSceneActionConfigWidget;

// One event ("click", "doubleClick" or "longPress") of a key: whether it is enabled, its prompt
// and its action list, edited in place in the key's configuration.
class ModuleCommonKeyConfigPanel : public ModuleEventPanel
{
    Q_OBJECT
public:
    ModuleCommonKeyConfigPanel(QWidget* parent, EditStateWatcher* watcher);

    // Throws std::invalid_argument "invalid eventId: <id>" for another event.
    void setKeyConfig(const QString& keyLabel, const std::string& eventId, int64_t ownerId,
                      const QString& promptIconPath, nlohmann::json& keyConfig);
    void saveCurrentEvent() override;

    static QString eventLabel(const std::string& eventId);
    MainSceneActionConfigWidget* configWidget() const { return m_config; }
    nlohmann::json* shownEvent() const { return m_event; }

protected:
    void forgetEvent() override;

private:
    MainSceneActionConfigWidget* m_config = nullptr;
    nlohmann::json* m_event = nullptr;
};

} // namespace OV
