#pragma once

#include "project/ProjectDbAccessors.h"
#include "project/ProjectUseCase.h"

#include <memory>

namespace OV {

class KestrinDevice;
class ProjectModuleUseCase;

// The paired hub; a project keeps at most one host record.
class ProjectHostUseCase : public ProjectUseCase<ProjectDbHostAccessor, ProjectDbHostBean>
{
public:
    using ProjectUseCase::ProjectUseCase;

    // Stores the paired hub, replacing the one stored before in place. Choosing the same hub
    // again (same serial number) without a token keeps the stored pairing token. A new record
    // gives the bean its id; a replaced one leaves the bean's id alone.
    BaseResult<void> saveHost(ProjectDbHostBean& bean);

    // Sends the hub its configuration (act 30300): the modules on the "can" and on the "mesh"
    // link, in module order. GUI thread; the callback gets exactly one result.
    static void deployConfig(const std::shared_ptr<KestrinDevice>& hub,
                             const std::shared_ptr<ProjectModuleUseCase>& modules,
                             const BaseResultCallback<void>& callback);
};

} // namespace OV
