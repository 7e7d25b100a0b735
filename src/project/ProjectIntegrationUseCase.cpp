#include "project/ProjectIntegrationUseCase.h"

#include "device/KestrinApi.h"
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

void ProjectIntegrationUseCase::deployAppConfig(const std::shared_ptr<KestrinDevice>& hub,
                                                const ProjectDbIntegrationBean& record,
                                                const BaseResultCallback<void>& callback)
{
    bool needToDeploy = true;
    nlohmann::json deployData;
    try {
        needToDeploy = record.data.value("needToDeploy", true);
        if (needToDeploy)
            deployData = record.data.at("deployData");
    } catch (const std::exception& e) {
        callback(BaseResult<void>(Errors::Unknown, QString::fromUtf8(e.what())));
        return;
    }
    if (!needToDeploy)
        callback(BaseResult<void>());
    else
        KestrinApi::deployAppConfig(hub, deployData, callback);
}

} // namespace OV
