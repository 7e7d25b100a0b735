#include "project/ProjectProfileUseCase.h"

#include "device/KestrinApi.h"
#include "project/ProjectImageUtils.h"
#include "project/ProjectStepResult.h"

#include <QCoreApplication>

namespace OV {

QString ProjectProfileUseCase::profileKey(const ProjectDbProfileBean& bean)
{
    return profileKey(bean.id);
}

QString ProjectProfileUseCase::profileKey(int64_t profileId)
{
    return QStringLiteral("profile_") + QString::number(profileId);
}

BaseResult<void> ProjectProfileUseCase::createProfile(const QString& name, const QString& icon)
{
    try {
        const BaseResult<BeanPtr> defaultProfile = findFirst(QStringLiteral("true"));
        if (!defaultProfile.isOk())
            return BaseResult<void>::from(defaultProfile);
        const BaseResult<BeanPtr> preferred = findPreferred();
        if (!preferred.isOk())
            return BaseResult<void>::from(preferred);
        ProjectDbProfileBean bean;
        bean.isDefault = !*defaultProfile.data;
        bean.k1 = bean.isDefault ? QStringLiteral("true") : QString();
        bean.name = name;
        bean.showName = true;
        bean.icon = icon;
        bean.preferred = !*preferred.data;
        return insert(bean);
    } catch (const std::exception& e) {
        return BaseResult<void>(Errors::Unknown, QString::fromUtf8(e.what()));
    }
}

BaseResult<ProjectProfileUseCase::BeanPtr> ProjectProfileUseCase::findPreferred()
{
    const BaseResult<BeanList> preferred =
        accessor->findAll(Filter([](const ProjectDbProfileBean& bean) { return bean.preferred; }), false);
    if (!preferred.isOk())
        return BaseResult<BeanPtr>::from(preferred);
    return BaseResult<BeanPtr>(preferred.data->empty() ? BeanPtr() : preferred.data->front());
}

BaseResult<void> ProjectProfileUseCase::updateProfile(ProjectDbProfileBean& bean, QPixmap* icon)
{
    try {
        const BaseResult<BeanPtr> stored = accessor->findById(bean.id);
        if (!stored.isOk())
            return BaseResult<void>::from(stored);
        if (!*stored.data)
            return BaseResult<void>(Errors::RecordNotExists);
        return transaction([&]() {
            if (bean.preferred) {
                // Every other holder of the flag gives it up, so that a project that somehow has
                // two preferred profiles is left with exactly this one.
                const int64_t id = bean.id;
                const BaseResult<BeanList> others = accessor->findAll(
                    Filter([id](const ProjectDbProfileBean& other) { return other.preferred && other.id != id; }),
                    false);
                if (!others.isOk())
                    return BaseResult<void>::from(others);
                for (const BeanPtr& other : *others.data) {
                    other->preferred = false;
                    const BaseResult<int> cleared = update(*other);
                    if (rowStepFailed(cleared))
                        return rowStepFailure(cleared);
                }
            }
            const BaseResult<int> updated = update(bean);
            if (rowStepFailed(updated))
                return rowStepFailure(updated);
            if (*updated.data == 0)
                return BaseResult<void>(Errors::DatabaseExecFailed, QStringLiteral("Update bean error"));
            if (!icon)
                return BaseResult<void>();
            const BaseResult<bool> exists = accessor->exists(bean.id);
            if (!exists.isOk())
                return BaseResult<void>::from(exists);
            if (!*exists.data)
                return BaseResult<void>(Errors::RecordNotExists);
            return database()->saveFile(bean.id, QString::fromLatin1(kIconFileName), pixmapToPng(*icon));
        });
    } catch (const std::exception& e) {
        return BaseResult<void>(Errors::Unknown, QString::fromUtf8(e.what()));
    }
}

BaseResult<void> ProjectProfileUseCase::removeProfileAndClearAssociated(int64_t profileId)
{
    // The modules and cards are reached over the same database as the profiles, so that the
    // whole removal is one transaction of that database.
    ProjectDbModuleAccessor modules(database(), QString::fromLatin1(ProjectDbModuleBean::kRecordType));
    ProjectDbKsWidgetAccessor cards(database(), QString::fromLatin1(ProjectDbProfileKsWidgetBean::kRecordType));
    return transaction([&]() {
        const BaseResult<BeanPtr> found = accessor->findById(profileId);
        if (!found.isOk())
            return BaseResult<void>::from(found);
        const BeanPtr& profile = *found.data;
        if (!profile)
            return BaseResult<void>();
        if (profile->isDefault)
            return BaseResult<void>(
                Errors::DatabaseExecFailed,
                QCoreApplication::translate("ProjectProfileUseCase", "The default profile cannot be deleted"));
        const BaseResult<int> removed = remove(profileId);
        if (rowStepFailed(removed))
            return rowStepFailure(removed);

        const QString key = profileKey(profileId);
        const std::string keyText = key.toStdString();
        const QString filePrefix = QStringLiteral("profile/") + key + QLatin1Char('/');
        const BaseResult<ProjectDbModuleAccessor::BeanList> all = modules.findAll(true);
        if (!all.isOk())
            return BaseResult<void>::from(all);
        for (const auto& module : *all.data) {
            nlohmann::json& data = module->data;
            if (!data.is_object())
                continue;
            const auto profiles = data.find("profiles");
            if (profiles == data.end() || !profiles->is_object() || !profiles->contains(keyText))
                continue;
            profiles->erase(keyText);
            const BaseResult<int> updated = modules.update(*module);
            if (rowStepFailed(updated))
                return rowStepFailure(updated);
            const BaseResult<std::vector<QString>> names = database()->findAllFileName(module->id);
            if (!names.isOk())
                return BaseResult<void>::from(names);
            for (const QString& name : *names.data) {
                if (!name.startsWith(filePrefix))
                    continue;
                BaseResult<void> fileRemoved = database()->removeFile(module->id, name);
                if (!fileRemoved.isOk())
                    return fileRemoved;
            }
        }

        JsonStoreKeys keys;
        keys.k1 = QString::number(profileId);
        const BaseResult<int> cardsRemoved = cards.removeAll(keys);
        if (rowStepFailed(cardsRemoved))
            return rowStepFailure(cardsRemoved);
        return BaseResult<void>();
    });
}

void ProjectProfileUseCase::setCurrentProfile(const std::shared_ptr<KestrinDevice>& device, const QString& profileKey,
                                              const BaseResultCallback<void>& callback)
{
    KestrinApi::setCurrentProfile(device, profileKey, [callback](const BaseResult<void>& result) {
        if (callback)
            callback(result);
    });
}

void ProjectProfileUseCase::getKsWidgetAppList(const std::shared_ptr<KestrinDevice>& device,
                                               const BaseResultCallback<nlohmann::json>& callback)
{
    KestrinApi::getWidgetList(device, "sys.widget.apps", [callback](const BaseResult<nlohmann::json>& result) {
        if (callback)
            callback(result);
    });
}

} // namespace OV
