#include "project/ProjectMetaUseCase.h"

#include "core/Logger.h"
#include "project/ProjectStepResult.h"

namespace OV {

BaseResult<void> ProjectMetaUseCase::saveMeta(ProjectDbMetaBean& bean)
{
    try {
        const BaseResult<BeanPtr> stored = accessor->findFirst();
        if (!stored.isOk())
            return BaseResult<void>::from(stored);
        if (!*stored.data) {
            Logger::debug("ProjectMeta", "insert meta");
            return insert(bean);
        }
        Logger::debug("ProjectMeta", "update meta");
        ProjectDbMetaBean copy(bean);
        copy.id = (*stored.data)->id;
        const BaseResult<int> updated = update(copy);
        if (rowStepFailed(updated))
            return rowStepFailure(updated);
        if (*updated.data != 1)
            return BaseResult<void>(Errors::NoRowsAffected);
        return {};
    } catch (const std::exception& e) {
        return BaseResult<void>(Errors::Unknown, QString::fromUtf8(e.what()));
    }
}

} // namespace OV
