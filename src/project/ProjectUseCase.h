#pragma once

#include "core/BaseResult.h"
#include "project/JsonStoreKeys.h"
#include "project/ProjectDatabase.h"

#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <vector>

namespace OV {

// The object through which the rest of the system changes one kind of record. A concrete
// use case derives from this template and adds the operations of its kind, written in one
// of two shapes:
//  - a compound change is a body run with transaction(); inside it, only the single-record
//    and read operations are called (never a list operation, a filtered removeAll or another
//    transaction: transactions do not nest), and the first failing step's result is returned,
//    which rolls every step back;
//  - a hub request hands the hub's answer to a callback and keeps the use case alive with
//    shared_from_this() until then, so use cases are always made with std::make_shared.
// No exception leaves any operation; it arrives as 1000 "Unknown error" with its text.
template <typename Accessor, typename Bean>
class ProjectUseCase : public std::enable_shared_from_this<ProjectUseCase<Accessor, Bean>>
{
public:
    using BeanPtr = std::shared_ptr<Bean>;
    using BeanList = std::vector<BeanPtr>;
    using Filter = std::function<bool(const Bean&)>;
    using Work = ProjectDatabase::Work;

    // Readers use the accessor directly.
    std::shared_ptr<Accessor> accessor;

    explicit ProjectUseCase(std::shared_ptr<ProjectDatabase> database)
        : accessor(std::make_shared<Accessor>(database, QString::fromLatin1(Bean::kRecordType))),
          m_database(std::move(database))
    {}
    ProjectUseCase(const ProjectUseCase&) = delete;
    ProjectUseCase& operator=(const ProjectUseCase&) = delete;
    virtual ~ProjectUseCase() = default;

    virtual BaseResult<void> insert(Bean& bean) { return accessor->insert(bean); }
    virtual BaseResult<void> insertAll(BeanList& beans) { return accessor->insertAll(beans); }
    virtual BaseResult<int> update(const Bean& bean) { return accessor->update(bean); }
    virtual BaseResult<void> updateAll(BeanList& beans) { return accessor->updateAll(beans); }
    virtual BaseResult<void> insertOrUpdate(Bean& bean) { return accessor->insertOrUpdate(bean); }
    virtual BaseResult<void> insertOrUpdateAll(BeanList& beans) { return accessor->insertOrUpdateAll(beans); }
    virtual BaseResult<int> remove(int64_t id) { return accessor->remove(id); }
    virtual BaseResult<int> removeAll() { return accessor->removeAll(); }
    virtual BaseResult<int> removeAll(const Filter& filter) { return accessor->removeAll(filter); }
    virtual BaseResult<int> removeAll(const JsonStoreKeys& keys) { return accessor->removeAll(keys); }

    BaseResult<void> transaction(const Work& work)
    {
        try {
            return accessor->transaction(work);
        } catch (const std::exception& e) {
            return BaseResult<void>(Errors::Unknown, QString::fromUtf8(e.what()));
        }
    }

    // The first record of the kind whose k1 is the given text; an empty pointer when none.
    BaseResult<BeanPtr> findFirst(const QString& k1)
    {
        JsonStoreKeys keys;
        keys.k1 = k1;
        return accessor->findFirst(keys);
    }

    // Whether a record of the kind with the given k1 exists.
    BaseResult<bool> exists(const QString& k1)
    {
        try {
            JsonStoreKeys keys;
            keys.k1 = k1;
            const BaseResult<int> found = m_database->count(accessor->recordType(), keys);
            if (!found.isOk())
                return BaseResult<bool>::from(found);
            return BaseResult<bool>(*found.data > 0);
        } catch (const std::exception& e) {
            return BaseResult<bool>(Errors::Unknown, QString::fromUtf8(e.what()));
        }
    }

protected:
    const std::shared_ptr<ProjectDatabase>& database() const { return m_database; }

private:
    std::shared_ptr<ProjectDatabase> m_database;
};

} // namespace OV
