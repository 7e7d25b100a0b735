#pragma once

#include "project/ProjectDbAccessors.h"
#include "project/ProjectUseCase.h"

namespace OV {

// The paired hub; a project keeps at most one host record.
class ProjectHostUseCase : public ProjectUseCase<ProjectDbHostAccessor, ProjectDbHostBean>
{
public:
    using ProjectUseCase::ProjectUseCase;

    // Stores the paired hub, replacing the one stored before in place. Choosing the same hub
    // again (same serial number) without a token keeps the stored pairing token. A new record
    // gives the bean its id; a replaced one leaves the bean's id alone.
    BaseResult<void> saveHost(ProjectDbHostBean& bean);
};

} // namespace OV
