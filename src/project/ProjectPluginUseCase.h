#pragma once

#include "project/ProjectDbAccessors.h"
#include "project/ProjectUseCase.h"

#include <QPixmap>
#include <QString>

namespace OV {

// The installed plug-ins: k1 the uuid (at most one record per uuid), data the package's
// "config.json", and in file_store the files "icon" (PNG) and "pack" (the package).
class ProjectPluginUseCase : public ProjectUseCase<ProjectDbPluginAccessor, ProjectDbPluginBean>
{
public:
    static constexpr const char* kIconFileName = "icon";
    static constexpr const char* kPackFileName = "pack";
    static constexpr const char* kConfigEntry = "config.json";

    // The plug-in's unpacked folder is "<pluginDir>/<uuid>", removed after a reinstall.
    ProjectPluginUseCase(std::shared_ptr<ProjectDatabase> database, QString pluginDir = {});

    // Installs or reinstalls a plug-in from a downloaded package file, in one transaction: the
    // record (replacing the one of the same uuid in place), its icon, the package and its
    // configuration. A uuid that is not one safe path component is refused first (1002). On
    // failure the bean is as it was given.
    BaseResult<void> saveOrUpdate(ProjectDbPluginBean& bean, const QPixmap& icon, const QString& packagePath);
    // The widget plug-ins (type 0) with their data, in sort_id order.
    BaseResult<BeanList> findWidgetPlugins();

private:
    QString pluginDir() const;

    QString m_pluginDir;
};

} // namespace OV
