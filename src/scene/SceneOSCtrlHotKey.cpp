#include "scene/SceneOSCtrlHotKey.h"

#include "core/Logger.h"
#include "scene/HidKeyDefinition.h"
#include "scene/HotKeyRecorder.h"
#include "scene/SceneActionRecord.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"

#include <QVBoxLayout>

namespace OV {

SceneOSCtrlHotKey::SceneOSCtrlHotKey(const nlohmann::json& node, QWidget* parent) : SceneActionExPanel(node, parent)
{
    auto* layout = new QVBoxLayout(this);
    m_recorder = new HotKeyRecorder(this);
    layout->addWidget(m_recorder);
    m_recorder->onChanged = [this] {
        if (m_watcher)
            m_watcher->markDirty();
    };
}

nlohmann::json SceneOSCtrlHotKey::buildActionJson(bool showError)
{
    if (showError && m_recorder->keyCodes.isEmpty()) {
        MessageDialog::error(tr("Key combination not configured"), true);
        return nlohmann::json::object();
    }
    nlohmann::json keys = nlohmann::json::array();
    for (int code : std::as_const(m_recorder->keyCodes))
        keys.push_back(code);
    const nlohmann::json value = {
        {"output", 5}, {"keys", std::move(keys)}, {"keysDesc", m_recorder->description.toStdString()}};
    return SceneActionRecord::pcControl(m_node, tr("Hot Key: ") + m_recorder->description, value);
}

void SceneOSCtrlHotKey::reset()
{
    m_recorder->keyCodes.clear();
    m_recorder->description.clear();
    m_recorder->showDescription();
}

void SceneOSCtrlHotKey::bindData(const nlohmann::json& params)
{
    try {
        if (!params.is_object() || !params.contains("keys"))
            return;
        m_recorder->keyCodes.clear();
        m_recorder->description.clear();
        for (const nlohmann::json& element : params.at("keys")) {
            const int code = element.get<int>();
            const HidKeyDefinition* key = code >= 0 && code <= 0xFFFF ? hidKeyByCode(quint16(code)) : nullptr;
            if (!m_recorder->keyCodes.isEmpty())
                m_recorder->description += QStringLiteral(" + ");
            m_recorder->keyCodes.append(code);
            m_recorder->description += QStringLiteral("[") + (key ? key->name : tr("unknown")) + QStringLiteral("]");
        }
    } catch (const std::exception& e) {
        Logger::error("SceneOSCtrlHotKey", "bindData error:%s", e.what());
    }
    m_recorder->showDescription();
}

void SceneOSCtrlHotKey::setEditStateWatcher(EditStateWatcher* watcher)
{
    SceneActionExPanel::setEditStateWatcher(watcher);
}

} // namespace OV
