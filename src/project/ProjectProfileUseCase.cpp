#include "project/ProjectProfileUseCase.h"

#include "core/FileUtils.h"
#include "core/Logger.h"
#include "core/PngPicture.h"
#include "core/Utils.h"
#include "device/KestrinApi.h"
#include "module/ModuleEventDeployData.h"
#include "project/ProjectDeploy.h"
#include "project/ProjectImageUtils.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectPluginUseCase.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectStepResult.h"
#include "store/MainUtils.h"
#include "store/ZipDirectory.h"

#include <QCoreApplication>
#include <QSet>

#include <stdexcept>
#include <string>

namespace OV {

namespace {

constexpr const char* kDeployTag = "ProjectManager";

// A picture the assets folder could not take: the hub would miss it, so the deploy fails, unlike
// a picture that cannot be read from its package, which is logged and left out.
class PictureWriteError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The deploy's name of an image file: "file://image/<name>".
std::string deployImageRef(const QString& fileName)
{
    const QString ref =
        QStringLiteral("file://") + QLatin1String(ProjectDeploy::kImageDirName) + QLatin1Char('/') + fileName;
    return ref.toStdString();
}

// The screen cube keeps its bindings per widget "uniqueId" but its stored deployConfig by widget
// number, as the widgets were when the profile was saved. The cube's window may since have given
// a deleted widget's number to a new one, so the deployConfig is built again from the profile's
// bindings and the widgets the cube has now.
nlohmann::json pelloraDeployConfigNow(const ProjectDbModuleBean& module, const nlohmann::json& profileConfig)
{
    try {
        return buildPelloraDeployConfig(pelloraLayersOf(module.data), profileConfig);
    } catch (const std::exception& e) {
        throw std::runtime_error("screen cube module id " + std::to_string(module.id) + ": " + e.what());
    }
}

// A setting kept for nothing: null, an empty object or an empty array.
bool isEmptySetting(const nlohmann::json& value)
{
    return value.is_null() || ((value.is_object() || value.is_array()) && value.empty());
}

} // namespace

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
        // Counted, not read: a damaged default profile still is the default one.
        const BaseResult<bool> defaultProfile = exists(QStringLiteral("true"));
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
        return transaction([&]() { return storeProfile(bean, icon); });
    } catch (const std::exception& e) {
        return BaseResult<void>(Errors::Unknown, QString::fromUtf8(e.what()));
    }
}

BaseResult<ProjectProfileUseCase::BeanPtr>
ProjectProfileUseCase::changeProfile(int64_t id, const std::function<void(ProjectDbProfileBean&)>& change,
                                     QPixmap* icon)
{
    BeanPtr changed;
    const BaseResult<void> result = transaction([&]() {
        const BaseResult<BeanPtr> stored = accessor->findById(id);
        if (!stored.isOk())
            return BaseResult<void>::from(stored);
        if (!*stored.data)
            return BaseResult<void>(Errors::RecordNotExists);
        changed = *stored.data;
        change(*changed);
        changed->id = id;
        return storeProfile(*changed, icon);
    });
    if (!result.isOk())
        return BaseResult<BeanPtr>::from(result);
    return BaseResult<BeanPtr>(changed);
}

BaseResult<void> ProjectProfileUseCase::storeProfile(const ProjectDbProfileBean& bean, QPixmap* icon)
{
    if (bean.preferred) {
        // Every other holder of the flag gives it up, so that a project that somehow has
        // two preferred profiles is left with exactly this one.
        const int64_t id = bean.id;
        const BaseResult<BeanList> others = accessor->findAll(
            Filter([id](const ProjectDbProfileBean& other) { return other.preferred && other.id != id; }), false);
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

BaseResult<nlohmann::json> ProjectProfileUseCase::buildAllProfiles(const QString& assetsDir)
{
    try {
        const BaseResult<BeanList> all = accessor->findAll(true);
        if (!all.isOk())
            return BaseResult<nlohmann::json>::from(all);
        // The hub would lose the profiles that could not be read: nothing is sent.
        if (ProjectDbProfileAccessor::skippedDamaged(all))
            return BaseResult<nlohmann::json>(Errors::ReadFailed, all.message);
        nlohmann::json profiles = nlohmann::json::array();
        for (const BeanPtr& profile : *all.data)
            profiles.push_back(buildDeploymentData(*profile, assetsDir));
        return BaseResult<nlohmann::json>::success(std::move(profiles));
    } catch (const PictureWriteError& e) {
        return BaseResult<nlohmann::json>(Errors::WriteFailed, QString::fromUtf8(e.what()));
    } catch (const std::exception& e) {
        return BaseResult<nlohmann::json>(Errors::Unknown, QString::fromUtf8(e.what()));
    }
}

nlohmann::json ProjectProfileUseCase::buildDeploymentData(const ProjectDbProfileBean& profile, const QString& assetsDir)
{
    const QString key = profileKey(profile);
    ProjectDbKsWidgetAccessor cardAccessor(database(), QString::fromLatin1(ProjectDbProfileKsWidgetBean::kRecordType));
    JsonStoreKeys keys;
    keys.k1 = QString::number(profile.id);
    const BaseResult<ProjectDbKsWidgetAccessor::BeanList> cards = cardAccessor.findAll(keys, true);
    if (!cards.isOk() || !cards.data)
        throw std::runtime_error(ProjectDeploy::readFailureText(cards).toStdString());
    if (ProjectDbKsWidgetAccessor::skippedDamaged(cards))
        throw std::runtime_error(ProjectDeploy::readFailureText(Errors::ReadFailed, cards.message).toStdString());

    nlohmann::json widgets = nlohmann::json::array();
    for (const ProjectDbKsWidgetAccessor::BeanPtr& card : *cards.data) {
        if (card->widgetType == QLatin1String("pcCtrlGroup")) {
            try {
                exportPCCtrlGroupIcons(*card, assetsDir);
            } catch (const PictureWriteError&) {
                throw;
            } catch (const std::exception& e) {
                Logger::error(kDeployTag, "exportPCCtrlGroupIcons error: %s", e.what());
            }
        }
        widgets.push_back(card->data.at("deploymentData"));

        const QString icon = card->icon.trimmed().toLower();
        if (icon.isEmpty() || icon.startsWith(QLatin1String("http")))
            continue;
        // The uid names a file in the assets folder.
        if (!isSafePathComponent(card->uid))
            throw std::runtime_error("invalid widget uid:" + card->uid.toStdString());
        const BaseResult<QByteArray> bytes =
            database()->loadFile(card->id, QString::fromLatin1(ProjectProfileKsWidgetUseCase::kIconFileName));
        if (!bytes.isOk() || !bytes.data)
            throw std::runtime_error("export widget icon error");
        QString why;
        if (!ProjectDeploy::writeDeployImageFile(assetsDir, *bytes.data, card->uid + QStringLiteral(".png"), true,
                                                 &why))
            throw PictureWriteError("write widget icon error: " + why.toStdString());
    }

    ProjectDbModuleAccessor moduleAccessor(database(), QString::fromLatin1(ProjectDbModuleBean::kRecordType));
    const BaseResult<ProjectDbModuleAccessor::BeanList> modules = moduleAccessor.findAll(true);
    if (!modules.isOk() || !modules.data)
        throw std::runtime_error(ProjectDeploy::readFailureText(modules).toStdString());
    if (ProjectDbModuleAccessor::skippedDamaged(modules))
        throw std::runtime_error(ProjectDeploy::readFailureText(Errors::ReadFailed, modules.message).toStdString());
    nlohmann::json moduleSettings = nlohmann::json::array();
    const QStringList path{QStringLiteral("profiles"), key, QStringLiteral("deployConfig")};
    for (const ProjectDbModuleAccessor::BeanPtr& module : *modules.data) {
        if (!jsonContainsPath(module->data, path))
            continue;
        const nlohmann::json& profileConfig = module->data.at("profiles").at(key.toStdString());
        const nlohmann::json config = module->productId == ProjectModuleUseCase::kPelloraProductId
                                          ? pelloraDeployConfigNow(*module, profileConfig)
                                          : profileConfig.at("deployConfig");
        if (isEmptySetting(config))
            continue;
        moduleSettings.push_back(
            {{"productId", module->productId}, {"serialNo", module->sn.toStdString()}, {"config", config}});
    }

    return {{"id", key.toStdString()},
            {"name", profile.name.toStdString()},
            {"showName", profile.showName},
            {"icon", profile.icon.toStdString()},
            {"iconScale", 100},
            {"default", profile.preferred},
            {"widget", std::move(widgets)},
            {"module", std::move(moduleSettings)}};
}

void ProjectProfileUseCase::exportPCCtrlGroupIcons(ProjectDbProfileKsWidgetBean& card, const QString& assetsDir)
{
    const std::string uuid = card.data.at("pluginUuid").get<std::string>();
    ProjectDbPluginAccessor plugins(database(), QString::fromLatin1(ProjectDbPluginBean::kRecordType));
    JsonStoreKeys keys;
    keys.k1 = OV::fromStdText(uuid);
    const BaseResult<ProjectDbPluginAccessor::BeanPtr> plugin = plugins.findFirst(keys);
    if (!plugin.isOk()) {
        Logger::error(kDeployTag, "find plugin error: %s, uuid:%s",
                      qUtf8Printable(ProjectDeploy::readFailureText(plugin)), uuid.c_str());
        return;
    }
    if (!*plugin.data) {
        Logger::error(kDeployTag, "plugin not install, uuid: %s", uuid.c_str());
        return;
    }
    const BaseResult<QByteArray> pack =
        database()->loadFile((*plugin.data)->id, QString::fromLatin1(ProjectPluginUseCase::kPackFileName));
    if (!pack.isOk() || !pack.data || pack.data->isEmpty()) {
        Logger::error(
            kDeployTag, "find plugin pack error: %s, pluginUuid: %s",
            qUtf8Printable(pack.isOk() ? QStringLiteral("empty package") : ProjectDeploy::readFailureText(pack)),
            uuid.c_str());
        return;
    }

    nlohmann::json& deploymentData = card.data.at("deploymentData");
    if (!deploymentData.is_object())
        throw std::invalid_argument("deploymentData is not an object");
    nlohmann::json& param = deploymentData["param"];
    if (!param.is_object())
        param = nlohmann::json::object();
    nlohmann::json& buttons = param["button"];
    if (!buttons.is_array())
        buttons = nlohmann::json::array();

    // Pictures are named after the card too: buttons of other cards, of other plug-ins as well,
    // may carry the same id. A button without one, as the package format describes buttons, or
    // whose id an earlier button of the card took, is named after its place among the card's
    // buttons, under a name no button with an id takes. Names are compared as the archive reader
    // compares members (Unicode form and letter case aside): "Vol" and "vol" would be one file
    // on a file system that ignores case, and an archive holding both is refused.
    const auto pictureName = [&card](const QString& stem) -> QString {
        return card.uid + QLatin1Char('-') + stem + QStringLiteral(".png");
    };
    const auto idOf = [](const nlohmann::json& button, QString* id) {
        const auto found = button.find("id");
        if (found == button.end() || !found->is_string())
            return false;
        *id = OV::fromStdText(found->get<std::string>());
        return true;
    };
    QSet<QString> reserved;
    for (const nlohmann::json& button : buttons) {
        if (QString id; idOf(button, &id))
            reserved.insert(pictureName(id));
    }
    // Read once for all the card's buttons.
    const ZipDirectory package(*pack.data);
    QSet<QString> given;
    for (size_t index = 0; index < buttons.size(); ++index) {
        nlohmann::json& button = buttons[index];
        try {
            const QString reference = OV::fromStdText(button.at("icon").get<std::string>());
            const QString entry = MainUtils::pluginFileEntry(reference);
            if (entry.isNull())
                continue;
            QString id;
            const bool hasId = idOf(button, &id);
            // The id names a file in the assets folder.
            if (hasId && !isSafePathComponent(id)) {
                Logger::error(kDeployTag, "invalid button id: %s, pluginUuid: %s", qUtf8Printable(id), uuid.c_str());
                continue;
            }
            QString name = hasId ? pictureName(id) : QString();
            if (!hasId || given.contains(ZipDirectory::nameKey(name))) {
                name = pictureName(QString::number(index));
                for (int again = 1; reserved.contains(name); ++again)
                    name = pictureName(QStringLiteral("%1-%2").arg(index).arg(again));
            }
            given.insert(ZipDirectory::nameKey(name));
            if (!isSafePathComponent(name)) {
                Logger::error(kDeployTag, "invalid button picture name: %s, pluginUuid: %s", qUtf8Printable(name),
                              uuid.c_str());
                continue;
            }
            button["icon"] = deployImageRef(name);
            QString why;
            const QByteArray bytes = MainUtils::readPluginFile(package, entry, &why);
            if (bytes.isEmpty())
                Logger::error(kDeployTag, "read plugin icon error: %s, pluginUuid: %s, rawIcon: %s",
                              qUtf8Printable(why), uuid.c_str(), qUtf8Printable(reference));
            else if (!ProjectDeploy::writeDeployImageFile(assetsDir, bytes, name, true, &why))
                throw PictureWriteError("write plugin icon error: " + why.toStdString() + ", pluginUuid: " + uuid +
                                        ", rawIcon: " + reference.toStdString());
        } catch (const PictureWriteError&) {
            throw;
        } catch (const std::exception& e) {
            Logger::error(kDeployTag, "exportPCCtrlGroupIcons error: %s", e.what());
        }
    }
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

QString ProjectProfileUseCase::newProfileName()
{
    const QString base = QCoreApplication::translate("ProjectProfileUseCase", "New Profile");
    const BaseResult<BeanList> all = accessor->findAll(false);
    if (!all.isOk())
        return base;
    QSet<QString> names;
    for (const BeanPtr& profile : *all.data)
        names.insert(profile->name);
    if (!names.contains(base))
        return base;
    const int count = static_cast<int>(all.data->size());
    for (int n = 1; n <= count + 1; ++n) {
        const QString candidate = QCoreApplication::translate("ProjectProfileUseCase", "New Profile %1").arg(n);
        if (!names.contains(candidate))
            return candidate;
    }
    return base;
}

QPixmap ProjectProfileUseCase::loadIconFile(const ProjectDbProfileBean& bean)
{
    return loadIconFile(bean, QSize());
}

QPixmap ProjectProfileUseCase::loadIconFile(const ProjectDbProfileBean& bean, const QSize& shownSize)
{
    try {
        const BaseResult<QByteArray> loaded = database()->loadFile(bean.id, QString::fromLatin1(kIconFileName));
        if (!loaded.isOk()) {
            if (loaded.code() != Errors::DatabaseEntryNotFound.code)
                Logger::error("ProjectManager", "loadIconFile error:%s", loaded.message.toUtf8().constData());
            return {};
        }
        return PngPicture::fromData(*loaded.data, shownSize);
    } catch (const std::exception& e) {
        Logger::error("ProjectManager", "loadIconFile error:%s", e.what());
        return {};
    }
}

} // namespace OV
