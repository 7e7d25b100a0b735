#pragma once

#include "core/BaseResult.h"
#include "core/Logger.h"
#include "project/JsonStoreKeys.h"
#include "project/JsonStoreRecord.h"
#include "project/ProjectDatabase.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace OV {

// The json_store rows of one record type as beans. This is the layer that turns exceptions
// (validation, JSON parsing, type checks) into results: nothing it calls reaches its caller
// as an exception. The list operations and the filtered removeAll run in a transaction of
// their own, so they must not be called from inside a transaction body.
// A read of many records gives every record that can be read: a damaged one is left out,
// logged with its id and the parser's text, and named in the result's detail, so that one bad
// row never hides the rest of the project. Nothing here writes a row it could not read.
template <typename Bean>
class ProjectDbBaseAccessor
{
public:
    using BeanPtr = std::shared_ptr<Bean>;
    using BeanList = std::vector<BeanPtr>;
    using Filter = std::function<bool(const Bean&)>;
    using Work = ProjectDatabase::Work;

    ProjectDbBaseAccessor(std::shared_ptr<ProjectDatabase> database, QString recordType)
        : m_database(std::move(database)), m_recordType(std::move(recordType))
    {}
    ProjectDbBaseAccessor(const ProjectDbBaseAccessor&) = delete;
    ProjectDbBaseAccessor& operator=(const ProjectDbBaseAccessor&) = delete;
    virtual ~ProjectDbBaseAccessor() = default;

    // A new bean of this kind from a record; throws when the record is not one.
    virtual BeanPtr toBean(const std::shared_ptr<JsonStoreRecord>& record) const { return Bean::parseRecord(*record); }

    const QString& recordType() const { return m_recordType; }

    // Whether a list read left damaged records out (its detail then names them).
    static bool skippedDamaged(const BaseResult<BeanList>& result)
    {
        return result.isOk() && !result.message.isEmpty();
    }
    const std::shared_ptr<ProjectDatabase>& database() const { return m_database; }

    BaseResult<void> transaction(const Work& work)
    {
        return guarded<void>([&]() { return m_database->transaction(work); });
    }

    BaseResult<bool> exists(int64_t id)
    {
        return guarded<bool>([&]() { return m_database->exists(id); });
    }

    BaseResult<BeanPtr> findById(int64_t id)
    {
        return guarded<BeanPtr>([&]() { return toBeanResult(m_database->findById(id)); });
    }

    BaseResult<BeanList> findAll(bool withData)
    {
        return guarded<BeanList>([&]() { return toBeanList(m_database->findAll(m_recordType, withData)); });
    }

    BaseResult<BeanList> findAll(const JsonStoreKeys& keys, bool withData)
    {
        return guarded<BeanList>([&]() { return toBeanList(m_database->findAll(m_recordType, keys, withData)); });
    }

    BaseResult<BeanList> findAll(const Filter& filter, bool withData)
    {
        return guarded<BeanList>([&]() {
            BaseResult<BeanList> all = toBeanList(m_database->findAll(m_recordType, withData));
            if (!all.isOk())
                return all;
            BeanList kept;
            for (BeanPtr& bean : *all.data) {
                if (filter(*bean))
                    kept.push_back(std::move(bean));
            }
            BaseResult<BeanList> result(std::move(kept));
            result.message = all.message;
            return result;
        });
    }

    // The first record of the type in the table's own order (not by sort_id).
    BaseResult<BeanPtr> findFirst()
    {
        return guarded<BeanPtr>([&]() { return toBeanResult(m_database->findFirst(m_recordType)); });
    }

    BaseResult<BeanPtr> findFirst(const JsonStoreKeys& keys)
    {
        return guarded<BeanPtr>([&]() { return toBeanResult(m_database->findFirst(m_recordType, keys)); });
    }

    // The first bean in sort_id order that passes the filter, read again with its data. The
    // filter sees the beans without their stored data.
    BaseResult<BeanPtr> findFirst(const Filter& filter)
    {
        return guarded<BeanPtr>([&]() {
            const BaseResult<BeanList> all = toBeanList(m_database->findAll(m_recordType, false));
            if (!all.isOk())
                return BaseResult<BeanPtr>::from(all);
            for (const BeanPtr& bean : *all.data) {
                if (filter(*bean))
                    return findById(bean->id);
            }
            return BaseResult<BeanPtr>(BeanPtr());
        });
    }

    BaseResult<void> insert(Bean& bean)
    {
        return guarded<void>([&]() {
            std::shared_ptr<JsonStoreRecord> record = toRecord(bean);
            BaseResult<void> result = m_database->insert(*record);
            if (result.isOk())
                bean.id = record->id;
            return result;
        });
    }

    BaseResult<int> update(const Bean& bean)
    {
        return guarded<int>([&]() { return m_database->update(*toRecord(bean)); });
    }

    BaseResult<void> insertOrUpdate(Bean& bean)
    {
        return guarded<void>([&]() {
            std::shared_ptr<JsonStoreRecord> record = toRecord(bean);
            BaseResult<void> result = m_database->save(*record);
            if (result.isOk())
                bean.id = record->id;
            return result;
        });
    }

    BaseResult<int> remove(int64_t id)
    {
        return guarded<int>([&]() { return m_database->remove(id); });
    }

    BaseResult<int> removeAll()
    {
        return guarded<int>([&]() { return m_database->removeAll(m_recordType); });
    }

    BaseResult<int> removeAll(const JsonStoreKeys& keys)
    {
        return guarded<int>([&]() { return m_database->removeAll(m_recordType, keys); });
    }

    // Removes the beans that pass the filter, all or none; the value is how many passed.
    BaseResult<int> removeAll(const Filter& filter)
    {
        return guarded<int>([&]() {
            const BaseResult<ProjectDatabase::RecordList> records = m_database->findAll(m_recordType, false);
            if (!records.isOk())
                return BaseResult<int>::from(records);
            int removed = 0;
            const BaseResult<void> result = m_database->transaction([&]() {
                for (const std::shared_ptr<JsonStoreRecord>& record : *records.data) {
                    // A row that cannot be read cannot be judged by the filter: it stays.
                    const BeanPtr bean = readableBean(record, nullptr);
                    if (!bean || !filter(*bean))
                        continue;
                    ++removed;
                    const BaseResult<int> step = m_database->remove(bean->id);
                    if (!step.isOk() || !step.data)
                        return BaseResult<void>::from(step);
                }
                return BaseResult<void>();
            });
            if (!result.isOk())
                return BaseResult<int>::from(result);
            return BaseResult<int>(removed);
        });
    }

    BaseResult<int> updateSortId(int64_t id, int64_t sortId)
    {
        return guarded<int>([&]() { return m_database->updateSortId(id, sortId); });
    }

    // The list operations: one transaction, the first failing step rolls every step back.
    // The beans then get back the ids they had before the call, so that an id handed out by
    // the rolled-back insert can never address a record stored later.
    BaseResult<void> insertAll(BeanList& beans)
    {
        return withIdsRestoredOnFailure(beans, [&](Bean& bean) { return insert(bean); });
    }

    BaseResult<void> updateAll(BeanList& beans)
    {
        return inOneTransaction(beans, [&](Bean& bean) { return valueStep(update(bean)); });
    }

    BaseResult<void> insertOrUpdateAll(BeanList& beans)
    {
        return withIdsRestoredOnFailure(beans, [&](Bean& bean) { return insertOrUpdate(bean); });
    }

    BaseResult<void> updateAllSortId(BeanList& beans)
    {
        return inOneTransaction(beans, [&](Bean& bean) { return valueStep(updateSortId(bean.id, bean.sortId)); });
    }

protected:
    template <typename T, typename Body>
    static BaseResult<T> guarded(Body&& body)
    {
        try {
            return body();
        } catch (const std::exception& e) {
            return BaseResult<T>(Errors::Unknown, QString::fromUtf8(e.what()));
        } catch (...) {
            return BaseResult<T>(Errors::Unknown, QStringLiteral("unknown exception"));
        }
    }

private:
    // The bean's row, validated, always under this accessor's record type.
    std::shared_ptr<JsonStoreRecord> toRecord(const Bean& bean) const
    {
        std::shared_ptr<JsonStoreRecord> record = bean.toRecord();
        record->type = m_recordType;
        return record;
    }

    static BaseResult<void> valueStep(const BaseResult<int>& step)
    {
        if (step.isOk() && !step.data)
            return BaseResult<void>(Errors::Unknown, QStringLiteral("no row count"));
        return BaseResult<void>::from(step);
    }

    BaseResult<BeanPtr> toBeanResult(const BaseResult<std::shared_ptr<JsonStoreRecord>>& found) const
    {
        if (!found.isOk())
            return BaseResult<BeanPtr>::from(found);
        if (!found.data || !*found.data)
            return BaseResult<BeanPtr>(BeanPtr());
        try {
            return BaseResult<BeanPtr>(toBean(*found.data));
        } catch (const std::exception& e) {
            // The failure goes to the caller as before; the log names the record.
            Logger::error("ProjectDbBaseAccessor", "damaged record, type:%s, id:%lld, error:%s",
                          m_recordType.toUtf8().constData(), static_cast<long long>((*found.data)->id), e.what());
            throw;
        }
    }

    BaseResult<BeanList> toBeanList(const BaseResult<ProjectDatabase::RecordList>& records) const
    {
        if (!records.isOk())
            return BaseResult<BeanList>::from(records);
        BeanList beans;
        beans.reserve(records.data->size());
        QStringList damaged;
        for (const std::shared_ptr<JsonStoreRecord>& record : *records.data) {
            if (BeanPtr bean = readableBean(record, &damaged))
                beans.push_back(std::move(bean));
        }
        BaseResult<BeanList> result(std::move(beans));
        if (!damaged.isEmpty())
            result.message = QCoreApplication::translate("ProjectDbBaseAccessor", "%n damaged record(s) skipped: %1",
                                                         nullptr, int(damaged.size()))
                                 .arg(damaged.join(QStringLiteral("; ")));
        return result;
    }

    // The record as a bean, or an empty pointer (logged, and named in damaged when given) when
    // it cannot be read as one.
    BeanPtr readableBean(const std::shared_ptr<JsonStoreRecord>& record, QStringList* damaged) const
    {
        try {
            return toBean(record);
        } catch (const std::exception& e) {
            Logger::error("ProjectDbBaseAccessor", "damaged record skipped, type:%s, id:%lld, error:%s",
                          m_recordType.toUtf8().constData(), static_cast<long long>(record->id), e.what());
            if (damaged)
                damaged->append(QStringLiteral("id %1: %2").arg(record->id).arg(QString::fromUtf8(e.what())));
            return BeanPtr();
        }
    }

    // Each step returns a result whose code decides; the single operations it calls catch
    // their own exceptions, so a throwing step cannot leave the transaction open.
    template <typename Step>
    BaseResult<void> inOneTransaction(BeanList& beans, Step&& step)
    {
        return transaction([&]() {
            for (const BeanPtr& bean : beans) {
                if (!bean)
                    return BaseResult<void>(Errors::InvalidArgument, QStringLiteral("empty bean in list"));
                BaseResult<void> result = step(*bean);
                if (!result.isOk())
                    return result;
            }
            return BaseResult<void>();
        });
    }

    template <typename Step>
    BaseResult<void> withIdsRestoredOnFailure(BeanList& beans, Step&& step)
    {
        std::vector<int64_t> ids;
        ids.reserve(beans.size());
        for (const BeanPtr& bean : beans)
            ids.push_back(bean ? bean->id : -1);
        BaseResult<void> result = inOneTransaction(beans, std::forward<Step>(step));
        if (!result.isOk()) {
            for (size_t i = 0; i < beans.size(); ++i) {
                if (beans[i])
                    beans[i]->id = ids[i];
            }
        }
        return result;
    }

    std::shared_ptr<ProjectDatabase> m_database;
    QString m_recordType;
};

} // namespace OV
