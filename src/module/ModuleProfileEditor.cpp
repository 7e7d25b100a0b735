#include "module/ModuleProfileEditor.h"

#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "main/MainWindow.h"
#include "module/ModuleEventPanel.h"
#include "module/ModuleRecordWriter.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectProfileUseCase.h"
#include "scene/MainSceneActionConfigWidget.h"
#include "widgets/BaseWidget.h"
#include "widgets/EditStateWatcher.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace OV {

namespace {

const nlohmann::json& dataOf(const std::shared_ptr<ProjectDbModuleBean>& bean)
{
    if (!bean)
        throw std::invalid_argument("invalid bean product");
    return bean->data;
}

} // namespace

ModuleProfileEditor::ModuleProfileEditor(QWidget* parent, std::shared_ptr<ProjectDbModuleBean> bean)
    : MainProfileParamsEditor(parent, dataOf(bean)), m_bean(std::move(bean))
{
    setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("module_profile_editor")));
}

QString ModuleProfileEditor::currentProfileKey()
{
    const std::shared_ptr<ProjectDbProfileBean> profile = MainWindow::currentProfile();
    return profile ? ProjectProfileUseCase::profileKey(*profile) : QString();
}

nlohmann::json& ModuleProfileEditor::ensureConfigPath(std::initializer_list<std::string> keys)
{
    nlohmann::json* current = &m_bean->data;
    for (const std::string& key : keys) {
        if (current->is_null())
            *current = nlohmann::json::object();
        if (current->is_object() && !current->contains(key))
            (*current)[key] = nlohmann::json::object();
        current = &current->at(key);
    }
    return *current;
}

QString ModuleProfileEditor::promptIconPath(const QString& name) const
{
    return QStringLiteral("profile/%1/%2").arg(currentProfileKey(), name);
}

void ModuleProfileEditor::buildLayout(QWidget* devicePicture, const QList<QWidget*>& groups, QWidget* panel)
{
    auto* row = new QHBoxLayout(contentWidget());
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* column = new QWidget(contentWidget());
    column->setFixedWidth(160);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 10, 0, 0);
    columnLayout->addWidget(devicePicture, 0, Qt::AlignHCenter);
    for (QWidget* group : groups)
        columnLayout->addWidget(group);
    columnLayout->addStretch();
    row->addWidget(column);
    auto* divider = new QWidget(contentWidget());
    divider->setObjectName(QStringLiteral("divider"));
    divider->setAttribute(Qt::WA_StyledBackground);
    divider->setFixedWidth(2);
    divider->setStyleSheet(QStringLiteral("QWidget#divider { min-height: 0px; max-height: 16777215px; }"));
    row->addWidget(divider);
    row->addWidget(panel, 1);
}

QGroupBox* ModuleProfileEditor::makeButtonGroup(const QString& title, const QList<std::pair<QString, QString>>& entries,
                                                QButtonGroup** group, const QMargins& margins)
{
    auto* box = new QGroupBox(title, contentWidget());
    box->setContentsMargins(margins);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 16, 4, 8);
    *group = new QButtonGroup(box);
    (*group)->setExclusive(true);
    for (const auto& [label, id] : entries) {
        auto* button = new QPushButton(label, box);
        button->setObjectName(QStringLiteral("baseCheckButton"));
        button->setCheckable(true);
        button->setFixedHeight(30);
        button->setProperty("id", id);
        (*group)->addButton(button);
        layout->addWidget(button);
    }
    if (!(*group)->buttons().isEmpty())
        (*group)->buttons().first()->setChecked(true);
    return box;
}

void ModuleProfileEditor::removeModuleFromProfileList(ProjectDbProfileBean& profile) const
{
    if (!profile.data.is_object() || !profile.data.contains("moduleConfigList") ||
        !profile.data["moduleConfigList"].is_array())
        return;
    nlohmann::json& list = profile.data["moduleConfigList"];
    const std::string sn = m_bean->sn.toStdString();
    for (auto it = list.begin(); it != list.end();) {
        if (it->is_object() && it->value("serialNo", nlohmann::json()) == nlohmann::json(sn))
            it = list.erase(it);
        else
            ++it;
    }
}

void ModuleProfileEditor::onSaveEdit(BaseResultCallback<void> resultCallback)
{
    const auto finish = [&](const BaseResult<void>& result) {
        if (resultCallback)
            resultCallback(result);
    };
    try {
        for (ModuleEventPanel* panel : eventPanels())
            panel->saveCurrentEvent();
        const std::shared_ptr<ProjectDbProfileBean> profile = MainWindow::currentProfile();
        if (!profile) {
            finish(BaseResult<void>(Errors::Logic, QStringLiteral("no current profile")));
            return;
        }
        const std::string key = ProjectProfileUseCase::profileKey(*profile).toStdString();
        if (removesFromProfileList())
            removeModuleFromProfileList(*profile);

        // The editor owns its current profile's entry of "profiles"; the rest of the record is
        // taken as it is stored now. A profile shown with nothing bound still stores its
        // (empty) deployConfig.
        nlohmann::json& own = ensureConfigPath({"profiles", key});
        nlohmann::json deployConfig = nlohmann::json::array();
        ProjectModuleUseCase::ImageMap images;
        // A cleared picture is kept as a null one: storing it removes the stored file.
        for (MainSceneActionConfigWidget* widget : actionWidgets()) {
            for (const auto& [name, pixmap] : widget->imageMap())
                images[name] = pixmap;
        }
        const auto stored = ModuleRecordWriter::write(
            m_bean->id,
            [&](ProjectDbModuleBean& fresh) {
                nlohmann::json cfg = own;
                if (cfg.is_object()) {
                    nlohmann::json built = buildDeployConfig(cfg, fresh.data);
                    deployConfig = built.empty() ? nlohmann::json::array() : std::move(built);
                    cfg["deployConfig"] = deployConfig;
                }
                if (!fresh.data.contains("profiles") || !fresh.data["profiles"].is_object())
                    fresh.data["profiles"] = nlohmann::json::object();
                fresh.data["profiles"][key] = std::move(cfg);
            },
            ModuleRecordWriter::storeConfig(std::move(images)));
        if (stored.isOk()) {
            // The shown events stay where they are: only the stored deployConfig comes back.
            if (own.is_object())
                own["deployConfig"] = deployConfig;
            ModuleRecordWriter::refresh(*m_bean, **stored.data);
        }
        finish(BaseResult<void>::from(stored));
    } catch (const std::exception& e) {
        Logger::error(metaObject()->className(), "save error:%s", e.what());
        finish(BaseResult<void>(Errors::Unknown, QString::fromUtf8(e.what())));
    }
}

} // namespace OV
