#pragma once

#include "project/ProjectDbAccessors.h"
#include "project/ProjectUseCase.h"

#include <QPixmap>
#include <QString>

#include <memory>
#include <unordered_map>

namespace OV {

class KestrinDevice;

// The pogo-pin modules attached to the hub, their settings and the images that belong to
// them. A module's files in file_store have the module as owner; the files of one screen-cube
// widget are named "widget/<id>/..." or "profile/<profile key>/widget/<id>/...".
class ProjectModuleUseCase : public ProjectUseCase<ProjectDbModuleAccessor, ProjectDbModuleBean>
{
public:
    using ImageMap = std::unordered_map<QString, QPixmap>;

    static constexpr uint64_t kPipwickProductId = 0x10000001;
    static constexpr uint64_t kRollaneProductId = 0x10000002;
    static constexpr uint64_t kPelloraProductId = 0x10000003;
    static constexpr uint64_t kThessaProductId = 0x10000004;
    static constexpr uint64_t kWakerinProductId = 0x10000005;

    using ProjectUseCase::ProjectUseCase;

    // Stores the new modules in one transaction, or none of them when one has the serial
    // number of a stored module (5050). The new modules are not compared with each other.
    BaseResult<void> addModules(BeanList& beans);
    // The modules of one product, without data, in sort_id order.
    BaseResult<BeanList> findByProductId(uint64_t productId);
    // Stores a module other than the screen cube with its images, in one transaction. A null
    // image removes the stored file of that name (a picture the user cleared).
    BaseResult<void> updateConfig(const ProjectDbModuleBean& bean, const ImageMap& images);
    // Stores the screen cube's layers with their images in one transaction: removes the images
    // of widgets that no longer exist, of widgets whose number now names another widget
    // (another uniqueId than stored) and those given as null images; images of widgets the
    // record does not hold are not stored. Rebuilds the cube's deploy JSON as extraConfig. On success the bean holds
    // what was stored; on failure it is as it was given.
    BaseResult<void> updatePelloraConfig(ProjectDbModuleBean& bean, const ImageMap& images);

    // Asks the hub to search for modules on the given link ("can" from the add screen); the
    // modules found arrive as separate hub messages. The callback gets the hub's answer.
    void startDiscoveryModule(const std::shared_ptr<KestrinDevice>& device, const QString& interfaceType,
                              const BaseResultCallback<void>& callback);
    void stopDiscoveryModule(const std::shared_ptr<KestrinDevice>& device, const BaseResultCallback<void>& callback);

private:
    // One image of the module: stored, or removed when null.
    BaseResult<void> storeImage(int64_t ownerId, const QString& name, const QPixmap& image);
};

} // namespace OV
