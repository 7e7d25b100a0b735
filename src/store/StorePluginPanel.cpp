#include "store/StorePluginPanel.h"

#include "store/StorePluginCloudContent.h"
#include "store/StorePluginLocalContent.h"

namespace OV {

StoreCategoryContentWidget* StorePluginPanel::createLocalContent()
{
    return new StorePluginLocalContent(this);
}

StoreCategoryContentWidget* StorePluginPanel::createCloudContent()
{
    auto* content = new StorePluginCloudContent(this);
    content->asyncRequestData();
    return content;
}

} // namespace OV
