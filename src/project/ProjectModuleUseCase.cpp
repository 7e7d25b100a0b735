#include "project/ProjectModuleUseCase.h"

#include "core/Logger.h"
#include "device/KestrinApi.h"
#include "module/PelloraDeployData.h"
#include "project/ProjectImageUtils.h"
#include "project/ProjectStepResult.h"

#include <QRegularExpression>

#include <set>

namespace OV {

namespace {

constexpr const char* kTag = "ProjectModuleUseCase";

const QRegularExpression& imageNamePattern()
{
    static const QRegularExpression pattern(QStringLiteral("(^widget/\\d+/)|(^profile/.+?/widget/\\d+)"));
    return pattern;
}

const QRegularExpression& widgetIdPattern()
{
    static const QRegularExpression pattern(QStringLiteral("widget/(\\d+)/"));
    return pattern;
}

// Makes sure data holds "dataConfig" as an object with "layers" as an array, and returns the
// ids of every widget of every layer.
std::set<int64_t> ensureLayersAndCollectWidgetIds(nlohmann::json& data)
{
    nlohmann::json& dataConfig = data["dataConfig"];
    if (!dataConfig.is_object())
        dataConfig = nlohmann::json::object();
    nlohmann::json& layers = dataConfig["layers"];
    if (!layers.is_array())
        layers = nlohmann::json::array();
    std::set<int64_t> ids;
    for (const nlohmann::json& layer : layers) {
        for (const nlohmann::json& widget : pelloraLayerWidgets(layer))
            ids.insert(widget.at("id").get<int64_t>());
    }
    return ids;
}

} // namespace

BaseResult<void> ProjectModuleUseCase::addModules(BeanList& beans)
{
    try {
        const BaseResult<BeanList> stored = accessor->findAll(false);
        if (!stored.isOk())
            return BaseResult<void>::from(stored);
        for (const BeanPtr& bean : beans) {
            if (!bean)
                continue;
            for (const BeanPtr& existing : *stored.data) {
                if (existing->sn == bean->sn)
                    return BaseResult<void>(Errors::DuplicateModule);
            }
        }
        return insertAll(beans);
    } catch (const std::exception& e) {
        return BaseResult<void>(Errors::Unknown, QString::fromUtf8(e.what()));
    }
}

BaseResult<ProjectModuleUseCase::BeanList> ProjectModuleUseCase::findByProductId(uint64_t productId)
{
    return accessor->findAll(
        Filter([productId](const ProjectDbModuleBean& bean) { return bean.productId == productId; }), false);
}

BaseResult<void> ProjectModuleUseCase::storeImage(int64_t ownerId, const QString& name, const QPixmap& image)
{
    if (image.isNull())
        return database()->removeFile(ownerId, name);
    return database()->saveFile(ownerId, name, pixmapToPng(image));
}

BaseResult<void> ProjectModuleUseCase::updateConfig(const ProjectDbModuleBean& bean, const ImageMap& images)
{
    if (bean.productId == kPelloraProductId)
        return BaseResult<void>(Errors::Logic);
    return transaction([&]() {
        const BaseResult<int> updated = update(bean);
        if (rowStepFailed(updated))
            return rowStepFailure(updated);
        for (const auto& [name, pixmap] : images) {
            BaseResult<void> stored = storeImage(bean.id, name, pixmap);
            if (!stored.isOk())
                return stored;
        }
        return BaseResult<void>();
    });
}

BaseResult<void> ProjectModuleUseCase::updatePelloraConfig(ProjectDbModuleBean& bean, const ImageMap& images)
{
    if (bean.productId != kPelloraProductId)
        return BaseResult<void>(Errors::Logic);
    const ProjectDbModuleBean given(bean);
    const BaseResult<void> result = transaction([&]() {
        const std::set<int64_t> widgetIds = ensureLayersAndCollectWidgetIds(bean.data);

        for (const auto& [name, pixmap] : images) {
            if (!imageNamePattern().match(name).hasMatch())
                return BaseResult<void>(Errors::InvalidArgument, QStringLiteral("invalid image name format:") + name);
            if (!widgetIdPattern().match(name).hasMatch())
                return BaseResult<void>(Errors::Unknown, QStringLiteral("regexWidgetId error"));
        }

        const BaseResult<std::vector<QString>> stored = database()->findAllFileName(bean.id);
        if (!stored.isOk())
            return BaseResult<void>::from(stored);
        for (const QString& name : *stored.data) {
            const QRegularExpressionMatch match = widgetIdPattern().match(name);
            if (!match.hasMatch())
                continue;
            bool ok = false;
            const int64_t id = match.captured(1).toLongLong(&ok);
            // A number too large for an id cannot name a current widget either.
            if (ok && widgetIds.count(id) > 0)
                continue;
            Logger::debug(kTag, "delete file:%s", name.toUtf8().constData());
            BaseResult<void> removed = database()->removeFile(bean.id, name);
            if (!removed.isOk())
                return removed;
        }

        for (const auto& [name, pixmap] : images) {
            BaseResult<void> saved = storeImage(bean.id, name, pixmap);
            if (!saved.isOk())
                return saved;
        }

        QString unusedPath;
        BaseResult<nlohmann::json> deployData = buildPelloraDeployData(*this, bean, false, unusedPath);
        if (!deployData.isOk())
            return BaseResult<void>::from(deployData);
        bean.setExtraConfig(std::move(*deployData.data));

        const BaseResult<int> updated = update(bean);
        if (rowStepFailed(updated))
            return rowStepFailure(updated);
        return BaseResult<void>();
    });
    if (!result.isOk())
        bean = given;
    return result;
}

void ProjectModuleUseCase::startDiscoveryModule(const std::shared_ptr<KestrinDevice>& device,
                                                const QString& interfaceType, const BaseResultCallback<void>& callback)
{
    KestrinApi::startDiscoveryModule(device, interfaceType,
                                     [self = shared_from_this(), callback](const BaseResult<void>& result) {
                                         if (callback)
                                             callback(result);
                                     });
}

void ProjectModuleUseCase::stopDiscoveryModule(const std::shared_ptr<KestrinDevice>& device,
                                               const BaseResultCallback<void>& callback)
{
    KestrinApi::stopDiscoveryModule(device, [self = shared_from_this(), callback](const BaseResult<void>& result) {
        if (callback)
            callback(result);
    });
}

} // namespace OV
