#pragma once

#include "scene/SceneActionExPanel.h"

#include <QString>

#include <array>
#include <string>

class QVBoxLayout;

namespace OV {

class SceneOSCtrlTypeList;

// The PC-control action editor of the picker: the list of the six types beside the editor of
// the chosen one. Switching the type starts a fresh, empty editor.
class SceneOSCtrlConfig : public SceneActionExPanel
{
    Q_OBJECT
public:
    // In the order the type list shows them.
    static constexpr std::array<const char*, 6> kTypeIds = {"hotKey",      "inputText", "openFileOrFolder",
                                                            "openBrowser", "startApp",  "execCmd"};

    explicit SceneOSCtrlConfig(const nlohmann::json& node, QWidget* parent = nullptr);

    // The current editor's record; an empty object without one.
    nlohmann::json buildActionJson(bool showError) override;
    void reset() override;

    SceneOSCtrlTypeList* typeList() const { return m_typeList; }
    SceneActionExPanel* currentEditor() const { return m_current; }
    void setCurrentEditor(SceneActionExPanel* editor);

private:
    SceneOSCtrlTypeList* m_typeList = nullptr;
    QVBoxLayout* m_editorLayout = nullptr;
    SceneActionExPanel* m_current = nullptr;
};

// The translated label of a type id; empty for an unknown id.
QString pcControlTypeLabel(const std::string& typeId);

// Makes the editor of the type (an unknown id does nothing) the config's current editor.
void createOSCtrlEditor(SceneOSCtrlConfig* config, const QString& typeId);

} // namespace OV
