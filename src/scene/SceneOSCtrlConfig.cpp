#include "scene/SceneOSCtrlConfig.h"

#include "scene/SceneOSCtrlExecCmd.h"
#include "scene/SceneOSCtrlHotKey.h"
#include "scene/SceneOSCtrlInputText.h"
#include "scene/SceneOSCtrlOpenBrowser.h"
#include "scene/SceneOSCtrlOpenFile.h"
#include "scene/SceneOSCtrlStartApp.h"
#include "scene/SceneOSCtrlTypeList.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace OV {

QString pcControlTypeLabel(const std::string& typeId)
{
    const char* label = nullptr;
    if (typeId == "hotKey")
        label = QT_TRANSLATE_NOOP("OV::SceneOSCtrlConfig", "Hot Key");
    else if (typeId == "inputText")
        label = QT_TRANSLATE_NOOP("OV::SceneOSCtrlConfig", "Input Text");
    else if (typeId == "openFileOrFolder")
        label = QT_TRANSLATE_NOOP("OV::SceneOSCtrlConfig", "Open File/Folder");
    else if (typeId == "openBrowser")
        label = QT_TRANSLATE_NOOP("OV::SceneOSCtrlConfig", "Open Browser");
    else if (typeId == "startApp")
        label = QT_TRANSLATE_NOOP("OV::SceneOSCtrlConfig", "Start App");
    else if (typeId == "execCmd")
        label = QT_TRANSLATE_NOOP("OV::SceneOSCtrlConfig", "Command");
    return label ? QCoreApplication::translate("OV::SceneOSCtrlConfig", label) : QString();
}

void createOSCtrlEditor(SceneOSCtrlConfig* config, const QString& typeId)
{
    if (!config)
        return;
    const nlohmann::json& node = config->node();
    SceneActionExPanel* editor = nullptr;
    if (typeId == QLatin1String("hotKey"))
        editor = new SceneOSCtrlHotKey(node, config);
    else if (typeId == QLatin1String("inputText"))
        editor = new SceneOSCtrlInputText(node, config);
    else if (typeId == QLatin1String("openFileOrFolder"))
        editor = new SceneOSCtrlOpenFile(node, config);
    else if (typeId == QLatin1String("openBrowser"))
        editor = new SceneOSCtrlOpenBrowser(node, config);
    else if (typeId == QLatin1String("startApp"))
        editor = new SceneOSCtrlStartApp(node, config);
    else if (typeId == QLatin1String("execCmd"))
        editor = new SceneOSCtrlExecCmd(node, config);
    if (editor)
        config->setCurrentEditor(editor);
}

SceneOSCtrlConfig::SceneOSCtrlConfig(const nlohmann::json& node, QWidget* parent) : SceneActionExPanel(node, parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_typeList = new SceneOSCtrlTypeList(this, this);
    row->addWidget(m_typeList);
    auto* divider = new QFrame(this);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setFixedWidth(2);
    divider->setProperty("vertical", true);
    row->addWidget(divider);
    m_editorLayout = new QVBoxLayout();
    row->addLayout(m_editorLayout, 1);
    m_typeList->onTypeChanged = [this](const QString& typeId) { createOSCtrlEditor(this, typeId); };
    createOSCtrlEditor(this, m_typeList->currentType());
}

void SceneOSCtrlConfig::setCurrentEditor(SceneActionExPanel* editor)
{
    if (m_current) {
        m_editorLayout->removeWidget(m_current);
        m_current->setParent(nullptr);
        m_current->deleteLater();
    }
    m_current = editor;
    if (editor) {
        m_editorLayout->addWidget(editor, 1);
        editor->show();
    }
}

nlohmann::json SceneOSCtrlConfig::buildActionJson(bool showError)
{
    return m_current ? m_current->buildActionJson(showError) : nlohmann::json::object();
}

void SceneOSCtrlConfig::reset()
{
    if (m_current)
        m_current->reset();
}

} // namespace OV
