#include "scene/SceneOSCtrlStartApp.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "os/OSAppLaunchMode.h"
#include "scene/RunningAppListDialog.h"
#include "scene/SceneActionRecord.h"
#include "scene/SceneFileChooser.h"
#include "widgets/EditStateWatcher.h"
#include "widgets/MessageDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace OV {

SceneOSCtrlStartApp::SceneOSCtrlStartApp(const nlohmann::json& node, QWidget* parent) : SceneActionExPanel(node, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* first = new QHBoxLayout();
    first->addWidget(new QLabel(tr("App Path"), this));
    m_edit = new QLineEdit(this);
    m_edit->setMaxLength(2048);
    m_edit->setFixedHeight(32);
    first->addWidget(m_edit, 1);
    m_runningButton = new QPushButton(tr("Running List"), this);
    m_runningButton->setFixedHeight(32);
    first->addWidget(m_runningButton);
    m_browseButton = new QPushButton(QStringLiteral("..."), this);
    m_browseButton->setFixedHeight(32);
    first->addWidget(m_browseButton);
    layout->addLayout(first);
    layout->addSpacing(16);
    auto* second = new QHBoxLayout();
    second->addWidget(new QLabel(tr("Launch Mode:"), this));
    m_single = new QCheckBox(tr("Single Instance"), this);
    m_single->setChecked(true);
    m_new = new QCheckBox(tr("New Instance"), this);
    second->addWidget(m_single);
    second->addWidget(m_new);
    second->addStretch();
    auto* modes = new QButtonGroup(this);
    modes->setExclusive(true);
    modes->addButton(m_single);
    modes->addButton(m_new);
    layout->addLayout(second);
    layout->addStretch();

    connect(m_browseButton, &QPushButton::clicked, this, [this] {
        const QString path =
            SceneFileChooser::choose(this, {SceneFileChooser::ExistingFile, tr("Choose"), tr("App (*.exe *.lnk)")});
        if (path.isEmpty())
            return;
        m_edit->setText(path);
        if (onPathChosen)
            onPathChosen(path);
    });
    connect(m_runningButton, &QPushButton::clicked, this, &SceneOSCtrlStartApp::openRunningList);
}

void SceneOSCtrlStartApp::openRunningList()
{
    auto* dialog = new RunningAppListDialog(m_controller);
    QPointer<SceneOSCtrlStartApp> self(this);
    QPointer<RunningAppListDialog> guard(dialog);
    dialog->onSelected = [self, guard](const OSRunningApp* app) {
        // The path is taken before the dialog closes: the application belongs to its list.
        const QString path = app ? app->path : QString();
        if (guard)
            guard->close();
        if (!self || path.isEmpty())
            return;
        self->m_edit->setText(path);
        if (self->onPathChosen)
            self->onPathChosen(path);
    };
    dialog->show();
}

nlohmann::json SceneOSCtrlStartApp::buildActionJson(bool showError)
{
    const QString path = m_edit->text().trimmed();
    if (showError && path.isEmpty()) {
        MessageDialog::error(tr("App path not configured"), true);
        return nlohmann::json::object();
    }
    const int mode = m_single->isChecked() ? int(SingleInstance) : int(NewInstance);
    const nlohmann::json value = {
        {"output", 10},
        {"payload", {{"action", "startApp"}, {"params", {{"path", path.toStdString()}, {"launchMode", mode}}}}}};
    return SceneActionRecord::pcControl(m_node, tr("Start App: ") + path, value);
}

void SceneOSCtrlStartApp::reset()
{
    m_edit->clear();
}

void SceneOSCtrlStartApp::bindData(const nlohmann::json& params)
{
    try {
        m_edit->setText(OV::fromStdText(params.value("path", std::string())));
        // A stored New Instance stays New Instance when the action is saved again.
        const auto mode = params.find("launchMode");
        if (mode != params.end() && mode->is_number_integer()) {
            if (mode->get<int>() == int(NewInstance))
                m_new->setChecked(true);
            else if (mode->get<int>() == int(SingleInstance))
                m_single->setChecked(true);
        }
    } catch (const std::exception& e) {
        Logger::error("SceneOSCtrlStartApp", "bindData error:%s", e.what());
    }
}

void SceneOSCtrlStartApp::setEditStateWatcher(EditStateWatcher* watcher)
{
    SceneActionExPanel::setEditStateWatcher(watcher);
    watcher->watch(m_edit);
    watcher->watch(m_single);
    watcher->watch(m_new);
}

} // namespace OV
