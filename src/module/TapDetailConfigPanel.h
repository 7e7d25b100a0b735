#pragma once

#include "module/ModuleEventPanel.h"

#include <memory>
#include <string>

class QPushButton;

namespace OV {

class MainSceneActionConfigWidget;
class ModuleThessaRhythmWidget;

// One tap mode of the sensor cube: whether it is enabled, a preview of its rhythm, its prompt
// and its action list.
class TapDetailConfigPanel : public ModuleEventPanel
{
    Q_OBJECT
public:
    TapDetailConfigPanel(QWidget* parent, EditStateWatcher* watcher);

    void setTapConfig(const std::string& mode, int64_t ownerId, const QString& promptIconPath,
                      nlohmann::json& tapConfig);
    void saveCurrentEvent() override;
    void onClickPlay();

    MainSceneActionConfigWidget* configWidget() const { return m_config; }
    ModuleThessaRhythmWidget* rhythmWidget() const { return m_rhythm; }
    QPushButton* playButton() const { return m_playButton; }

protected:
    void forgetEvent() override;

private:
    MainSceneActionConfigWidget* m_config = nullptr;
    ModuleThessaRhythmWidget* m_rhythm = nullptr;
    QPushButton* m_playButton = nullptr;
    nlohmann::json* m_event = nullptr;
};

} // namespace OV
