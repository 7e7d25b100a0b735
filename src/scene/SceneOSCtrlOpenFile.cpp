#include "scene/SceneOSCtrlOpenFile.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "scene/SceneActionRecord.h"
#include "scene/SceneFileChooser.h"
#include "widgets/EditStateWatcher.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace OV {

SceneOSCtrlOpenFile::SceneOSCtrlOpenFile(const nlohmann::json& node, QWidget* parent) : SceneActionExPanel(node, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout();
    row->addWidget(new QLabel(tr("File/Folder Path"), this));
    m_edit = new QLineEdit(this);
    m_edit->setMaxLength(2048);
    m_edit->setFixedHeight(32);
    row->addWidget(m_edit, 1);
    m_fileButton = new QPushButton(tr("File"), this);
    m_fileButton->setFixedHeight(32);
    row->addWidget(m_fileButton);
    m_folderButton = new QPushButton(tr("Folder"), this);
    m_folderButton->setFixedHeight(32);
    row->addWidget(m_folderButton);
    layout->addLayout(row);
    layout->addStretch();

    connect(m_fileButton, &QPushButton::clicked, this, [this] {
        const QString path = SceneFileChooser::choose(this, {SceneFileChooser::ExistingFile, tr("Choose file"), {}});
        if (path.isEmpty())
            return;
        m_folder = false;
        m_edit->setText(path);
    });
    connect(m_folderButton, &QPushButton::clicked, this, [this] {
        const QString path = SceneFileChooser::choose(this, {SceneFileChooser::Directory, tr("Choose folder"), {}});
        if (path.isEmpty())
            return;
        m_folder = true;
        m_edit->setText(path);
    });
}

nlohmann::json SceneOSCtrlOpenFile::buildActionJson(bool /*showError*/)
{
    const QString path = m_edit->text().trimmed();
    const nlohmann::json value = {{"output", 10},
                                  {"payload", {{"action", "openFile"}, {"params", {{"path", path.toStdString()}}}}}};
    QString desc;
    if (path.isEmpty())
        desc = tr("Open file explorer");
    else
        desc = (m_folder ? tr("Open directory: ") : tr("Open file: ")) + path;
    return SceneActionRecord::pcControl(m_node, desc, value);
}

void SceneOSCtrlOpenFile::reset()
{
    m_edit->clear();
}

void SceneOSCtrlOpenFile::bindData(const nlohmann::json& params)
{
    try {
        m_edit->setText(OV::fromStdText(params.value("path", std::string())));
    } catch (const std::exception& e) {
        Logger::error("SceneOSCtrlOpenFile", "bindData error:%s", e.what());
    }
}

void SceneOSCtrlOpenFile::setEditStateWatcher(EditStateWatcher* watcher)
{
    SceneActionExPanel::setEditStateWatcher(watcher);
    watcher->watch(m_edit);
}

} // namespace OV
