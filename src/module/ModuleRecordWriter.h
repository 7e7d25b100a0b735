#pragma once

#include "core/BaseResult.h"
#include "core/EventBusMessage.h"
#include "project/ProjectModuleUseCase.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace OV {

class ProjectDbModuleBean;

// Every window that stores a module record goes through here, so that none writes back a copy
// it read before another window saved: the record is read by id, the window changes only the
// fields it owns, the record is stored, and the bus tells every holder of the record on screen
// to take the stored record (`refresh`).
class ModuleRecordWriter
{
public:
    using Change = std::function<void(ProjectDbModuleBean&)>;
    using Store = std::function<BaseResult<void>(ProjectModuleUseCase&, ProjectDbModuleBean&)>;

    // The module kind's own store: the screen cube's keeps its widget pictures in step and
    // rebuilds its package document; the others write the record and the pictures.
    static Store storeConfig(ProjectModuleUseCase::ImageMap images = {});
    // The record alone, as it is.
    static Store storeRecord();

    // Reads the record by id, applies the change, stores it and announces it; the stored
    // record on success. A record that is gone stores nothing (2007).
    static BaseResult<std::shared_ptr<ProjectDbModuleBean>> write(int64_t id, const Change& change,
                                                                  const Store& store = storeConfig());
    // The stored record by id; an error when it cannot be read or is gone.
    static BaseResult<std::shared_ptr<ProjectDbModuleBean>> read(int64_t id);

    // Makes an in-memory holder equal to the stored record. Its "profiles" entries stay as they
    // are (a profile editor may be editing them in place, unsaved); entries it lacks are added.
    static void refresh(ProjectDbModuleBean& holder, const ProjectDbModuleBean& stored);
    // Reads the holder's record by id and refreshes the holder with it; false when unreadable.
    static bool refreshFromStore(ProjectDbModuleBean& holder);

    // Deletes the record with its files and announces it, so that nothing on screen keeps
    // offering the module.
    static BaseResult<int> remove(int64_t id);
    // Adds new records (refused as a whole when a serial number is already stored) and
    // announces each, so that lists on screen offer them at once.
    static BaseResult<void> add(ProjectModuleUseCase::BeanList& beans);

    // The record id a bus message announces as stored; -1 for any other message.
    static int64_t storedRecordId(const QSharedPointer<EventBusMessage>& message);
    // The record id a bus message announces as deleted; -1 for any other message.
    static int64_t removedRecordId(const QSharedPointer<EventBusMessage>& message);
    // The record id a bus message announces as added; -1 for any other message.
    static int64_t addedRecordId(const QSharedPointer<EventBusMessage>& message);
};

} // namespace OV
