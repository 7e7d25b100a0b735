#include "project/ProjectHostUseCase.h"

#include "core/Logger.h"
#include "project/ProjectStepResult.h"

namespace OV {

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

} // namespace OV
