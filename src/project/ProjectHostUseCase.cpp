#include "project/ProjectHostUseCase.h"

#include "core/Logger.h"
#include "device/KestrinApi.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectStepResult.h"

#include <string>

namespace OV {

namespace {

BaseResult<nlohmann::json> deployConfigPayload(const std::shared_ptr<ProjectModuleUseCase>& modules)
{
    try {
        if (!modules)
            return BaseResult<nlohmann::json>(Errors::NotInitialized, QStringLiteral("no module use case"));
        const BaseResult<ProjectModuleUseCase::BeanList> all = modules->accessor->findAll(false);
        if (!all.isOk())
            return BaseResult<nlohmann::json>::from(all);
        // The hub would lose the modules that could not be read: nothing is sent.
        if (ProjectDbModuleAccessor::skippedDamaged(all))
            return BaseResult<nlohmann::json>(Errors::ReadFailed, all.message);
        nlohmann::json can = nlohmann::json::array();
        nlohmann::json mesh = nlohmann::json::array();
        for (const ProjectModuleUseCase::BeanPtr& module : *all.data) {
            const bool onCan = module->gatewayType == QLatin1String("can");
            if (!onCan && module->gatewayType != QLatin1String("mesh"))
                continue;
            (onCan ? can : mesh)
                .push_back({{"interfaceType", module->gatewayType.toStdString()},
                            {"uid", std::to_string(module->id)},
                            {"name", module->name.toStdString()},
                            {"serialNumber", module->sn.toStdString()},
                            {"workMode", module->workMode},
                            {"productId", module->productId},
                            {"netId", module->netId},
                            {"extraConfig", module->extraConfig}});
        }
        return nlohmann::json{{"canGateway", {{"endpoints", std::move(can)}}},
                              {"meshGateway", {{"endpoints", std::move(mesh)}}}};
    } catch (const std::exception& e) {
        return BaseResult<nlohmann::json>(Errors::Unknown, QString::fromUtf8(e.what()));
    }
}

} // namespace

BaseResult<void> ProjectHostUseCase::saveHost(ProjectDbHostBean& bean)
{
    const BaseResult<BeanPtr> stored = accessor->findFirst();
    if (!stored.isOk())
        return BaseResult<void>::from(stored);
    const BeanPtr& current = *stored.data;
    if (!current) {
        Logger::debug("ProjectHost", "insert host");
        return insert(bean);
    }
    Logger::debug("ProjectHost", "update host");
    ProjectDbHostBean copy(bean);
    copy.id = current->id;
    if (copy.sn == current->sn && copy.token.isEmpty())
        copy.token = current->token;
    const BaseResult<int> updated = update(copy);
    if (rowStepFailed(updated))
        return rowStepFailure(updated);
    if (*updated.data != 1)
        return BaseResult<void>(Errors::NoRowsAffected);
    return {};
}

void ProjectHostUseCase::deployConfig(const std::shared_ptr<KestrinDevice>& hub,
                                      const std::shared_ptr<ProjectModuleUseCase>& modules,
                                      const BaseResultCallback<void>& callback)
{
    const BaseResult<nlohmann::json> payload = deployConfigPayload(modules);
    if (!payload.isOk())
        callback(BaseResult<void>::from(payload));
    else
        KestrinApi::deployKestrinConfig(hub, *payload.data, callback);
}

} // namespace OV
