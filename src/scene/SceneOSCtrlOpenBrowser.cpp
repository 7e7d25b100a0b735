#include "scene/SceneOSCtrlOpenBrowser.h"

#include "scene/SceneActionRecord.h"

namespace OV {

SceneOSCtrlOpenBrowser::SceneOSCtrlOpenBrowser(const nlohmann::json& node, QWidget* parent)
    : SceneOSCtrlLineEditPanel(node, tr("URL"), "url", "SceneOSCtrlOpenBrowser", parent)
{}

nlohmann::json SceneOSCtrlOpenBrowser::buildActionJson(bool /*showError*/)
{
    const QString url = text();
    // No check: an empty address opens the browser on its own page.
    const nlohmann::json value = {{"output", 10},
                                  {"payload", {{"action", "openBrowser"}, {"params", {{"url", url.toStdString()}}}}}};
    const QString desc = url.isEmpty() ? tr("Open browser") : tr("Open browser, URL: ") + url;
    return SceneActionRecord::pcControl(m_node, desc, value);
}

} // namespace OV
