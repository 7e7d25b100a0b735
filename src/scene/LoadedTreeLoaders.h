#pragma once

#include "scene/LoadedTreeModel.h"

#include <functional>
#include <memory>

class QObject;

namespace OV {

class KestrinDevice;

// Which hub tree a loader asks for.
enum class HubTree {
    SceneActions,    // act 1205
    KnobCtrlDevices, // act 1617
};

// A loader asking the hub that hubSource gives at the moment of each load. Without a hub the
// load fails at once (1000, "Kestrin is null"); an answer arriving after the owner is gone is
// dropped.
LoadedTreeModel::Loader makeHubTreeLoader(QObject* owner, HubTree tree,
                                          std::function<std::shared_ptr<KestrinDevice>()> hubSource);

// The loaders of the two tree dialogs, over the project's current hub.
LoadedTreeModel::Loader makeSceneActionTreeLoader(QObject* owner);
LoadedTreeModel::Loader makeKnobCtrlDeviceTreeLoader(QObject* owner);

} // namespace OV
