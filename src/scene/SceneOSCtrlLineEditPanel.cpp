#include "scene/SceneOSCtrlLineEditPanel.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "widgets/EditStateWatcher.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace OV {

SceneOSCtrlLineEditPanel::SceneOSCtrlLineEditPanel(const nlohmann::json& node, const QString& label,
                                                   const char* paramKey, const char* logTag, QWidget* parent)
    : SceneActionExPanel(node, parent), m_paramKey(paramKey), m_logTag(logTag)
{
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout();
    row->addWidget(new QLabel(label, this));
    m_edit = new QLineEdit(this);
    m_edit->setMaxLength(2048);
    m_edit->setFixedHeight(32);
    row->addWidget(m_edit, 1);
    layout->addLayout(row);
    layout->addStretch();
}

QString SceneOSCtrlLineEditPanel::text() const
{
    return m_edit->text().trimmed();
}

void SceneOSCtrlLineEditPanel::reset()
{
    m_edit->clear();
}

void SceneOSCtrlLineEditPanel::bindData(const nlohmann::json& params)
{
    try {
        m_edit->setText(OV::fromStdText(params.value(m_paramKey, std::string())));
    } catch (const std::exception& e) {
        Logger::error(m_logTag, "bindData error:%s", e.what());
    }
}

void SceneOSCtrlLineEditPanel::setEditStateWatcher(EditStateWatcher* watcher)
{
    SceneActionExPanel::setEditStateWatcher(watcher);
    watcher->watch(m_edit);
}

} // namespace OV
