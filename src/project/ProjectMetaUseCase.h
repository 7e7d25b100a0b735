#pragma once

#include "project/ProjectDbAccessors.h"
#include "project/ProjectUseCase.h"

namespace OV {

// The project's meta record; a project keeps at most one. It is read with the accessor's
// findFirst().
class ProjectMetaUseCase : public ProjectUseCase<ProjectDbMetaAccessor, ProjectDbMetaBean>
{
public:
    using ProjectUseCase::ProjectUseCase;

    // Stores the meta record, replacing the one stored before (which keeps its id).
    BaseResult<void> saveMeta(ProjectDbMetaBean& bean);
};

} // namespace OV
