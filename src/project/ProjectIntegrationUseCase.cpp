#include "project/ProjectIntegrationUseCase.h"

#include "project/ProjectStepResult.h"

namespace OV {

BaseResult<ProjectIntegrationUseCase::BeanPtr> ProjectIntegrationUseCase::findAccuWeather()
{
    return accessor->findFirst(
        Filter([](const ProjectDbIntegrationBean& bean) { return bean.integType == QLatin1String(kAccuWeather); }));
}

BaseResult<void> ProjectIntegrationUseCase::saveAccuWeather(ProjectDbIntegrationBean& bean)
{
    if (bean.integType != QLatin1String(kAccuWeather))
        return BaseResult<void>(Errors::Logic, QStringLiteral("invalid integType:") + bean.integType);
    const BaseResult<BeanPtr> stored = findAccuWeather();
    if (!stored.isOk())
        return BaseResult<void>::from(stored);
    if (!*stored.data)
        return insert(bean);
    bean.id = (*stored.data)->id;
    const BaseResult<int> updated = update(bean);
    if (rowStepFailed(updated))
        return rowStepFailure(updated);
    return {};
}

} // namespace OV
