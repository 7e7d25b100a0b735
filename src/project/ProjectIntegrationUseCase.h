#pragma once

#include "project/ProjectDbAccessors.h"
#include "project/ProjectUseCase.h"

#include <memory>

namespace OV {

class KestrinDevice;

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

    // Sends the integration's "deployData" to the hub (act 1010) unless its "needToDeploy" is
    // false (absent counts as true), which succeeds at once. GUI thread; the callback gets
    // exactly one result.
    static void deployAppConfig(const std::shared_ptr<KestrinDevice>& hub, const ProjectDbIntegrationBean& record,
                                const BaseResultCallback<void>& callback);
};

} // namespace OV
