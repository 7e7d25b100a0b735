#include "module/ModuleRecordWriter.h"

#include "core/EventBus.h"
#include "core/Logger.h"
#include "module/PelloraDeployData.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectStepResult.h"

#include <exception>
#include <iterator>

namespace OV {

namespace {

constexpr const char* kTag = "ModuleRecordWriter";

int64_t announcedId(const QSharedPointer<EventBusMessage>& message, const char* topic)
{
    if (!message || message->topic != QLatin1String(topic) || !message->payload.is_object())
        return -1;
    const auto id = message->payload.find("id");
    return id != message->payload.end() && id->is_number_integer() ? id->get<int64_t>() : -1;
}

} // namespace

ModuleRecordWriter::Store ModuleRecordWriter::storeConfig(ProjectModuleUseCase::ImageMap images)
{
    return [images = std::move(images)](ProjectModuleUseCase& modules, ProjectDbModuleBean& bean) {
        return bean.productId == ProjectModuleUseCase::kPelloraProductId ? modules.updatePelloraConfig(bean, images)
                                                                         : modules.updateConfig(bean, images);
    };
}

ModuleRecordWriter::Store ModuleRecordWriter::storeRecord()
{
    return [](ProjectModuleUseCase& modules, ProjectDbModuleBean& bean) {
        const BaseResult<int> updated = modules.update(bean);
        if (rowStepFailed(updated))
            return rowStepFailure(updated);
        return *updated.data == 0 ? BaseResult<void>(Errors::NoRowsAffected) : BaseResult<void>();
    };
}

BaseResult<std::shared_ptr<ProjectDbModuleBean>> ModuleRecordWriter::read(int64_t id)
{
    using Result = BaseResult<std::shared_ptr<ProjectDbModuleBean>>;
    const std::shared_ptr<ProjectModuleUseCase> modules = ProjectManager::instance()->getModuleUseCase();
    if (!modules)
        return Result(Errors::NotInitialized);
    Result loaded = modules->accessor->findById(id);
    if (!loaded.isOk())
        return loaded;
    if (!loaded.data || !*loaded.data)
        return Result(Errors::NoRowsAffected);
    return loaded;
}

BaseResult<std::shared_ptr<ProjectDbModuleBean>> ModuleRecordWriter::write(int64_t id, const Change& change,
                                                                           const Store& store)
{
    using Result = BaseResult<std::shared_ptr<ProjectDbModuleBean>>;
    Result loaded = read(id);
    if (!loaded.isOk())
        return loaded;
    const std::shared_ptr<ProjectDbModuleBean> fresh = *loaded.data;
    try {
        if (!fresh->data.is_object())
            fresh->data = nlohmann::json::object();
        change(*fresh);
        const BaseResult<void> stored = store(*ProjectManager::instance()->getModuleUseCase(), *fresh);
        if (!stored.isOk())
            return Result::from(stored);
    } catch (const std::exception& e) {
        Logger::error(kTag, "write module[%lld] error:%s", static_cast<long long>(id), e.what());
        return Result(Errors::Unknown, QString::fromUtf8(e.what()));
    }
    EventBus::instance()->publish(
        QSharedPointer<EventBusMessage>::create(QString::fromLatin1(Topics::ModuleStored), nlohmann::json{{"id", id}}));
    return Result(fresh);
}

void ModuleRecordWriter::refresh(ProjectDbModuleBean& holder, const ProjectDbModuleBean& stored)
{
    if (&holder == &stored)
        return;
    // Moved, the holder's document keeps its nodes where they are, so references into its
    // "profiles" stay valid.
    nlohmann::json own = std::move(holder.data);
    holder = stored;
    const auto profiles = own.is_object() ? own.find("profiles") : own.end();
    if (profiles == own.end() || !profiles->is_object())
        return;
    for (auto it = own.begin(); it != own.end();)
        it = it.key() == "profiles" ? std::next(it) : own.erase(it);
    if (holder.data.is_object()) {
        for (auto it = holder.data.begin(); it != holder.data.end(); ++it) {
            if (it.key() != "profiles") {
                own[it.key()] = std::move(it.value());
                continue;
            }
            if (!it->is_object())
                continue;
            for (auto entry = it->begin(); entry != it->end(); ++entry) {
                if (!profiles->contains(entry.key()))
                    (*profiles)[entry.key()] = std::move(entry.value());
            }
        }
    }
    holder.data = std::move(own);
}

bool ModuleRecordWriter::refreshFromStore(ProjectDbModuleBean& holder)
{
    const BaseResult<std::shared_ptr<ProjectDbModuleBean>> loaded = read(holder.id);
    if (!loaded.isOk()) {
        Logger::error(kTag, "reload module[%lld] error:%s", static_cast<long long>(holder.id),
                      loaded.message.toUtf8().constData());
        return false;
    }
    refresh(holder, **loaded.data);
    return true;
}

BaseResult<int> ModuleRecordWriter::remove(int64_t id)
{
    const std::shared_ptr<ProjectModuleUseCase> modules = ProjectManager::instance()->getModuleUseCase();
    if (!modules)
        return BaseResult<int>(Errors::NotInitialized);
    BaseResult<int> removed = modules->remove(id);
    if (removed.isOk())
        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(
            QString::fromLatin1(Topics::ModuleRemoved), nlohmann::json{{"id", id}}));
    return removed;
}

BaseResult<void> ModuleRecordWriter::add(ProjectModuleUseCase::BeanList& beans)
{
    const std::shared_ptr<ProjectModuleUseCase> modules = ProjectManager::instance()->getModuleUseCase();
    if (!modules)
        return BaseResult<void>(Errors::NotInitialized);
    BaseResult<void> added = modules->addModules(beans);
    if (!added.isOk())
        return added;
    for (const ProjectModuleUseCase::BeanPtr& bean : beans) {
        if (bean)
            EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(
                QString::fromLatin1(Topics::ModuleAdded), nlohmann::json{{"id", bean->id}}));
    }
    return added;
}

int64_t ModuleRecordWriter::storedRecordId(const QSharedPointer<EventBusMessage>& message)
{
    return announcedId(message, Topics::ModuleStored);
}

int64_t ModuleRecordWriter::removedRecordId(const QSharedPointer<EventBusMessage>& message)
{
    return announcedId(message, Topics::ModuleRemoved);
}

int64_t ModuleRecordWriter::addedRecordId(const QSharedPointer<EventBusMessage>& message)
{
    return announcedId(message, Topics::ModuleAdded);
}

} // namespace OV
