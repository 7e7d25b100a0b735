#pragma once

#include "project/ProjectDbBaseAccessor.h"
#include "project/ProjectDbHostBean.h"
#include "project/ProjectDbIntegrationBean.h"
#include "project/ProjectDbMetaBean.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbPluginBean.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"

namespace OV {

// One accessor per bean kind; each converts records with its kind's parser.
using ProjectDbHostAccessor = ProjectDbBaseAccessor<ProjectDbHostBean>;
using ProjectDbIntegrationAccessor = ProjectDbBaseAccessor<ProjectDbIntegrationBean>;
using ProjectDbMetaAccessor = ProjectDbBaseAccessor<ProjectDbMetaBean>;
using ProjectDbModuleAccessor = ProjectDbBaseAccessor<ProjectDbModuleBean>;
using ProjectDbPluginAccessor = ProjectDbBaseAccessor<ProjectDbPluginBean>;
using ProjectDbProfileAccessor = ProjectDbBaseAccessor<ProjectDbProfileBean>;
using ProjectDbKsWidgetAccessor = ProjectDbBaseAccessor<ProjectDbProfileKsWidgetBean>;

} // namespace OV
