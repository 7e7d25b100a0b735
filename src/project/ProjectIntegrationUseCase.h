#pragma once

#include "project/ProjectDbAccessors.h"
#include "project/ProjectUseCase.h"

namespace OV {

// The outside services and hotkey sets of a project. At most one weather integration
// ("accuWeather") is kept; the other kinds use the template's operations.
class ProjectIntegrationUseCase : public ProjectUseCase<ProjectDbIntegrationAccessor, ProjectDbIntegrationBean>
{
public:
    static constexpr const char* kAccuWeather = "accuWeather";

    using ProjectUseCase::ProjectUseCase;

    // The weather integration with its data; an empty pointer when there is none.
    BaseResult<BeanPtr> findAccuWeather();
    // Inserts the weather integration or updates the stored one (the bean takes its id).
    BaseResult<void> saveAccuWeather(ProjectDbIntegrationBean& bean);
};

} // namespace OV
