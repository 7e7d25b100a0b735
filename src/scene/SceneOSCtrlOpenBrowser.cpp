#include "scene/SceneOSCtrlOpenBrowser.h"

#include "core/Logger.h"
#include "scene/SceneActionRecord.h"
#include "widgets/EditStateWatcher.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace OV {

SceneOSCtrlOpenBrowser::SceneOSCtrlOpenBrowser(const nlohmann::json& node, QWidget* parent)
    : SceneActionExPanel(node, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout();
    row->addWidget(new QLabel(tr("URL"), this));
    m_edit = new QLineEdit(this);
    m_edit->setMaxLength(2048);
    m_edit->setFixedHeight(32);
    row->addWidget(m_edit, 1);
    layout->addLayout(row);
    layout->addStretch();
}

nlohmann::json SceneOSCtrlOpenBrowser::buildActionJson(bool /*showError*/)
{
    const QString url = m_edit->text().trimmed();
    // No check: an empty address opens the browser on its own page.
    const nlohmann::json value = {{"output", 10},
                                  {"payload", {{"action", "openBrowser"}, {"params", {{"url", url.toStdString()}}}}}};
    const QString desc = url.isEmpty() ? tr("Open browser") : tr("Open browser, URL: ") + url;
    return SceneActionRecord::pcControl(m_node, desc, value);
}

void SceneOSCtrlOpenBrowser::reset()
{
    m_edit->clear();
}

void SceneOSCtrlOpenBrowser::bindData(const nlohmann::json& params)
{
    try {
        m_edit->setText(QString::fromStdString(params.value("url", std::string())));
    } catch (const std::exception& e) {
        Logger::error("SceneOSCtrlOpenBrowser", "bindData error:%s", e.what());
    }
}

void SceneOSCtrlOpenBrowser::setEditStateWatcher(EditStateWatcher* watcher)
{
    SceneActionExPanel::setEditStateWatcher(watcher);
    watcher->watch(m_edit);
}

} // namespace OV
