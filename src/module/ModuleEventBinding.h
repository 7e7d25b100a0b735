#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>

namespace OV {

class MainSceneActionConfigWidget;

// Loads one event record into the action configuration widget and writes it back: the prompt
// switch, name and picture, and the action list. It points into the module's data while an
// event is shown; detach() forgets the event before that data is replaced.
class ModuleEventBinding
{
    Q_DECLARE_TR_FUNCTIONS(ModuleEventBinding)
public:
    explicit ModuleEventBinding(MainSceneActionConfigWidget* widget) : m_widget(widget) {}

    void loadEventConfig(int64_t ownerId, const QString& promptIconPath, const QString& defaultName,
                         nlohmann::json* event);
    void saveEventConfig();
    void detach() { m_event = nullptr; }
    nlohmann::json* event() const { return m_event; }

    // "profile/<profile key>/<name>": where a prompt picture is stored.
    static QString profileFilePath(const QString& profileKey, const QString& name);
    // "Event 1" to "Event 5" for "mode1" to "mode5"; empty for anything else.
    static QString tapModeLabel(const std::string& mode);
    // The gaps between the taps of a mode, in ms.
    static QList<int> tapRhythmDelays(const std::string& mode);

private:
    MainSceneActionConfigWidget* m_widget;
    nlohmann::json* m_event = nullptr;
    int64_t m_ownerId = -1;
    QString m_promptIconPath;
};

} // namespace OV
