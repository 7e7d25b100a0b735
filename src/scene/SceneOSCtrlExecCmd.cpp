#include "scene/SceneOSCtrlExecCmd.h"

#include "core/Logger.h"
#include "scene/SceneActionRecord.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace OV {

SceneOSCtrlExecCmd::SceneOSCtrlExecCmd(const nlohmann::json& node, QWidget* parent) : SceneActionExPanel(node, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout();
    row->addWidget(new QLabel(tr("Command"), this));
    m_edit = new QLineEdit(this);
    m_edit->setMaxLength(2048);
    m_edit->setFixedHeight(32);
    row->addWidget(m_edit, 1);
    layout->addLayout(row);
    layout->addStretch();
}

nlohmann::json SceneOSCtrlExecCmd::buildActionJson(bool showError)
{
    const QString command = m_edit->text().trimmed();
    if (showError && command.isEmpty()) {
        MessageDialog::error(tr("Command is empty"), true);
        return nlohmann::json::object();
    }
    const nlohmann::json value = {{"output", 10},
                                  {"payload", {{"action", "execCmd"}, {"params", {{"cmd", command.toStdString()}}}}}};
    return SceneActionRecord::pcControl(m_node, tr("Command: ") + command, value);
}

void SceneOSCtrlExecCmd::reset()
{
    m_edit->clear();
}

void SceneOSCtrlExecCmd::bindData(const nlohmann::json& params)
{
    try {
        m_edit->setText(QString::fromStdString(params.value("cmd", std::string())));
    } catch (const std::exception& e) {
        Logger::error("SceneOSCtrlExecCmd", "bindData error:%s", e.what());
    }
}

void SceneOSCtrlExecCmd::setEditStateWatcher(EditStateWatcher* watcher)
{
    SceneActionExPanel::setEditStateWatcher(watcher);
    watcher->watch(m_edit);
}

} // namespace OV
