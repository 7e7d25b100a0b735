#pragma once

#include "main/MainProfileParamsEditor.h"
#include "project/ProjectModuleUseCase.h"

#include <QStringList>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

class QAbstractButton;
class QButtonGroup;
class QGroupBox;
class QHBoxLayout;

namespace OV {

class MainSceneActionConfigWidget;
class ModuleEventPanel;
class ProjectDbModuleBean;
class ProjectDbProfileBean;

// The base of the per-module profile editors: it binds the module's events to action lists for
// the current profile, keeps them in the module record's "profiles" data and, on save, rebuilds
// that profile's "deployConfig". The record is stored by writing "profiles" into a freshly read
// copy of it, so that what other windows stored meanwhile (the screen cube's layers and
// widgets) is never overwritten with an old copy.
class ModuleProfileEditor : public MainProfileParamsEditor
{
    Q_OBJECT
public:
    ModuleProfileEditor(QWidget* parent, std::shared_ptr<ProjectDbModuleBean> bean);

    const std::shared_ptr<ProjectDbModuleBean>& bean() const { return m_bean; }
    // The module's data at profiles -> key -> ..., each level made an empty object when missing.
    nlohmann::json& ensureConfigPath(std::initializer_list<std::string> keys);
    // "profile_<id>" of the main window's current profile; empty when there is none.
    static QString currentProfileKey();

    // Saves now and hands the result to the callback (also used by "Save" and before a deploy).
    void save(BaseResultCallback<void> callback) { onSaveEdit(std::move(callback)); }

protected:
    void onSaveEdit(BaseResultCallback<void> resultCallback) override;

    // The kind's deployConfig from one profile's configuration and the module's stored data.
    virtual nlohmann::json buildDeployConfig(const nlohmann::json& cfg, const nlohmann::json& storedData) = 0;
    // Whether the save takes this module out of the current profile's "moduleConfigList".
    virtual bool removesFromProfileList() const { return true; }
    // Drops this module's entries (by serial number) from the profile's "moduleConfigList".
    void removeModuleFromProfileList(ProjectDbProfileBean& profile) const;
    // The event panels whose shown event is written back before saving.
    virtual QList<ModuleEventPanel*> eventPanels() const = 0;
    // The prompt pictures picked in the panels, by file name.
    virtual QList<MainSceneActionConfigWidget*> actionWidgets() const = 0;

    // Builds the row: device column (picture and selection groups), divider, event panel.
    void buildLayout(QWidget* devicePicture, const QList<QWidget*>& groups, QWidget* panel);
    // A group of checkable buttons, one per (label, id); the first is checked.
    QGroupBox* makeButtonGroup(const QString& title, const QList<std::pair<QString, QString>>& entries,
                               QButtonGroup** group, const QMargins& margins = QMargins(8, 30, 8, 8));
    QString promptIconPath(const QString& name) const;

    std::shared_ptr<ProjectDbModuleBean> m_bean;
};

} // namespace OV
