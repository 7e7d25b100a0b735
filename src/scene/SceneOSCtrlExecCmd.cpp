#include "scene/SceneOSCtrlExecCmd.h"

#include "scene/SceneActionRecord.h"
#include "widgets/MessageDialog.h"

namespace OV {

SceneOSCtrlExecCmd::SceneOSCtrlExecCmd(const nlohmann::json& node, QWidget* parent)
    : SceneOSCtrlLineEditPanel(node, tr("Command"), "cmd", "SceneOSCtrlExecCmd", parent)
{}

nlohmann::json SceneOSCtrlExecCmd::buildActionJson(bool showError)
{
    const QString command = text();
    if (showError && command.isEmpty()) {
        MessageDialog::error(tr("Command is empty"), true);
        return nlohmann::json::object();
    }
    const nlohmann::json value = {{"output", 10},
                                  {"payload", {{"action", "execCmd"}, {"params", {{"cmd", command.toStdString()}}}}}};
    return SceneActionRecord::pcControl(m_node, tr("Command: ") + command, value);
}

} // namespace OV
