#include "scene/LoadedTreeLoaders.h"

#include "device/KestrinApi.h"
#include "project/ProjectManager.h"
#include "scene/LoadedTreeItem.h"

#include <QPointer>

namespace OV {

LoadedTreeModel::Loader makeHubTreeLoader(QObject* owner, HubTree tree,
                                          std::function<std::shared_ptr<KestrinDevice>()> hubSource)
{
    QPointer<QObject> guard(owner);
    return [guard, tree, hubSource](LoadedTreeItem* item, LoadedTreeModel::Done done) {
        const auto hub = hubSource ? hubSource() : nullptr;
        if (!hub) {
            done(BaseResult<nlohmann::json>::failure(Errors::Unknown, QStringLiteral("Kestrin is null")));
            return;
        }
        auto answer = [guard, done](const BaseResult<nlohmann::json>& result) {
            if (guard)
                done(result);
        };
        if (tree == HubTree::SceneActions)
            KestrinApi::getSceneActionTree(hub, item->id().toStdString(), answer);
        else
            KestrinApi::getKnobCtrlDeviceTree(hub, item->id().toStdString(), answer);
    };
}

LoadedTreeModel::Loader makeSceneActionTreeLoader(QObject* owner)
{
    return makeHubTreeLoader(owner, HubTree::SceneActions,
                             [] { return ProjectManager::instance()->getCurrentKestrin(); });
}

LoadedTreeModel::Loader makeKnobCtrlDeviceTreeLoader(QObject* owner)
{
    return makeHubTreeLoader(owner, HubTree::KnobCtrlDevices,
                             [] { return ProjectManager::instance()->getCurrentKestrin(); });
}

} // namespace OV
