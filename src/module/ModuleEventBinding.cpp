#include "module/ModuleEventBinding.h"

#include "module/PelloraDeployData.h"
#include "scene/MainSceneActionConfigWidget.h"
#include "scene/SceneActionListWidget.h"

#include <QCheckBox>
#include <QLineEdit>

namespace OV {

void ModuleEventBinding::loadEventConfig(int64_t ownerId, const QString& promptIconPath, const QString& defaultName,
                                         nlohmann::json* event)
{
    saveEventConfig();
    m_ownerId = ownerId;
    m_promptIconPath = promptIconPath;
    m_event = event;
    if (!m_event)
        return;
    const nlohmann::json& e = *m_event;
    const auto promptEnabled = e.find("promptEnabled");
    m_widget->enabledBox()->setChecked(promptEnabled == e.end() || !promptEnabled->is_boolean() ||
                                       promptEnabled->get<bool>());
    const auto promptText = e.find("promptText");
    m_widget->nameEdit()->setText(promptText != e.end() && promptText->is_string()
                                      ? QString::fromStdString(promptText->get<std::string>())
                                      : defaultName);
    const auto background = e.find("promptDialogBg");
    m_widget->setPickedImageName(background != e.end() && background->is_string()
                                     ? QString::fromStdString(background->get<std::string>())
                                     : QString());
    // A picture picked but not yet saved stays in the map; otherwise the stored one is shown.
    std::map<QString, QPixmap>& images = m_widget->imageMap();
    if (images.find(promptIconPath) == images.end()) {
        const QPixmap stored = loadModuleImage(ownerId, promptIconPath);
        if (!stored.isNull())
            images[promptIconPath] = stored;
    }
    m_widget->setPromptIconPath(promptIconPath);
    const auto actions = e.find("actionList");
    m_widget->actionListWidget()->setActions(actions != e.end() && actions->is_array() ? *actions
                                                                                       : nlohmann::json::array());
    m_widget->actionListWidget()->updateActionList();
}

void ModuleEventBinding::saveEventConfig()
{
    if (!m_event)
        return;
    nlohmann::json& e = *m_event;
    if (!e.is_object())
        e = nlohmann::json::object();
    e["promptEnabled"] = m_widget->enabledBox()->isChecked();
    e["promptText"] = m_widget->nameEdit()->text().trimmed().toStdString();
    e["promptDialogBg"] = m_widget->pickedImageName().toStdString();
    e["actionList"] = m_widget->actionListWidget()->actions();
}

QString ModuleEventBinding::profileFilePath(const QString& profileKey, const QString& name)
{
    return QStringLiteral("profile/%1/%2").arg(profileKey, name);
}

QString ModuleEventBinding::tapModeLabel(const std::string& mode)
{
    static const char* const kModes[] = {"mode1", "mode2", "mode3", "mode4", "mode5"};
    for (int i = 0; i < 5; ++i) {
        if (mode == kModes[i])
            return tr("Event %1").arg(i + 1);
    }
    return {};
}

QList<int> ModuleEventBinding::tapRhythmDelays(const std::string& mode)
{
    if (mode == "mode1")
        return {500};
    if (mode == "mode2")
        return {500, 500};
    if (mode == "mode3")
        return {800, 500};
    if (mode == "mode4")
        return {500, 800};
    if (mode == "mode5")
        return {500, 800, 500};
    return {};
}

} // namespace OV
