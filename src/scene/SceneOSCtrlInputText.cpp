#include "scene/SceneOSCtrlInputText.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "scene/SceneActionRecord.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"
#include "widgets/PlainTextEdit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace OV {

SceneOSCtrlInputText::SceneOSCtrlInputText(const nlohmann::json& node, QWidget* parent)
    : SceneActionExPanel(node, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout();
    row->addWidget(new QLabel(tr("Text"), this), 0, Qt::AlignTop);
    m_edit = new PlainTextEdit(this);
    m_edit->setFixedHeight(300);
    row->addWidget(m_edit, 1);
    layout->addLayout(row);
    layout->addStretch();
}

nlohmann::json SceneOSCtrlInputText::buildActionJson(bool showError)
{
    const QString text = m_edit->toPlainText();
    if (showError && text.isEmpty()) {
        MessageDialog::error(tr("Text is empty"), true);
        return nlohmann::json::object();
    }
    const nlohmann::json value = {{"output", 10},
                                  {"payload", {{"action", "inputText"}, {"params", {{"text", text.toStdString()}}}}}};
    return SceneActionRecord::pcControl(m_node, tr("Input text: ") + text, value);
}

void SceneOSCtrlInputText::reset()
{
    m_edit->clear();
}

void SceneOSCtrlInputText::bindData(const nlohmann::json& params)
{
    try {
        m_edit->setPlainText(OV::fromStdText(params.value("text", std::string())));
    } catch (const std::exception& e) {
        Logger::error("SceneOSCtrlInputText", "bindData error:%s", e.what());
    }
}

void SceneOSCtrlInputText::setEditStateWatcher(EditStateWatcher* watcher)
{
    SceneActionExPanel::setEditStateWatcher(watcher);
    watcher->watch(m_edit);
}

} // namespace OV
