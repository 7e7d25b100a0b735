#pragma once

#include "core/BaseResult.h"

namespace OV {

// A step of a compound change that reports a row count failed when its code is not 0 or when
// it carries no count; the body then returns its code and detail (1000 for a missing count,
// so that a body never ends early with a success).
inline bool rowStepFailed(const BaseResult<int>& step)
{
    return !step.isOk() || !step.data;
}

inline BaseResult<void> rowStepFailure(const BaseResult<int>& step)
{
    if (step.isOk())
        return BaseResult<void>(Errors::Unknown, QStringLiteral("no row count"));
    return BaseResult<void>::from(step);
}

} // namespace OV
