#pragma once

#include "module/ModuleEventPanel.h"

#include <string>

class QLineEdit;
class QPushButton;

namespace OV {

// One turn direction of the knob: whether it is enabled and the hub device it drives.
class ModuleCommonKnobConfigPanel : public ModuleEventPanel
{
    Q_OBJECT
public:
    ModuleCommonKnobConfigPanel(QWidget* parent, EditStateWatcher* watcher);

    // Throws std::invalid_argument "invalid eventId: <id>" for another event.
    void setKnobConfig(const QString& keyLabel, const std::string& eventId, nlohmann::json& knobConfig);
    void saveCurrentEvent() override;

    // What choosing a device in the knob-control picker does (its "name", "id" and "type").
    void onDeviceChosen(const nlohmann::json& node);
    void clearDevice();

    static QString eventLabel(const std::string& eventId);
    QLineEdit* deviceEdit() const { return m_deviceEdit; }
    QPushButton* chooseButton() const { return m_chooseButton; }
    QPushButton* clearButton() const { return m_clearButton; }
    QString deviceId() const { return m_deviceId; }

protected:
    void forgetEvent() override;

private:
    void openPicker();

    QWidget* m_deviceRow = nullptr;
    QLineEdit* m_deviceEdit = nullptr;
    QPushButton* m_chooseButton = nullptr;
    QPushButton* m_clearButton = nullptr;
    QString m_deviceName;
    QString m_deviceId;
    QString m_deviceType;
    nlohmann::json* m_event = nullptr;
};

} // namespace OV
