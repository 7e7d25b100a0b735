#include "project/ProjectModuleUseCase.h"

#include "core/Logger.h"
#include "device/KestrinApi.h"
#include "module/PelloraDeployData.h"
#include "project/ProjectImageUtils.h"
#include "project/ProjectStepResult.h"

#include <QRegularExpression>

#include <map>
#include <set>
#include <string>

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

// A widget's "uniqueId"; empty when it has none.
std::string uniqueIdOf(const nlohmann::json& widget)
{
    const auto found = widget.find("uniqueId");
    return found != widget.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// Makes sure data holds "dataConfig" as an object with "layers" as an array, and returns every
// widget of every layer: its id and its uniqueId.
std::map<int64_t, std::string> ensureLayersAndCollectWidgets(nlohmann::json& data)
{
    nlohmann::json& dataConfig = data["dataConfig"];
    if (!dataConfig.is_object())
        dataConfig = nlohmann::json::object();
    nlohmann::json& layers = dataConfig["layers"];
    if (!layers.is_array())
        layers = nlohmann::json::array();
    std::map<int64_t, std::string> widgets;
    for (const nlohmann::json& layer : layers) {
        for (const nlohmann::json& widget : pelloraLayerWidgets(layer))
            widgets[widget.at("id").get<int64_t>()] = uniqueIdOf(widget);
    }
    return widgets;
}

// The widgets of a stored record, as ensureLayersAndCollectWidgets gives them; what is not
// well formed names no widget.
std::map<int64_t, std::string> storedWidgets(const nlohmann::json& data)
{
    std::map<int64_t, std::string> widgets;
    const auto config = data.is_object() ? data.find("dataConfig") : data.end();
    if (!data.is_object() || config == data.end() || !config->is_object())
        return widgets;
    const auto layers = config->find("layers");
    if (layers == config->end() || !layers->is_array())
        return widgets;
    for (const nlohmann::json& layer : *layers) {
        const auto list = layer.is_object() ? layer.find("widgets") : layer.end();
        if (!layer.is_object() || list == layer.end() || !list->is_array())
            continue;
        for (const nlohmann::json& widget : *list) {
            const auto id = widget.is_object() ? widget.find("id") : widget.end();
            if (widget.is_object() && id != widget.end() && id->is_number_integer())
                widgets[id->get<int64_t>()] = uniqueIdOf(widget);
        }
    }
    return widgets;
}

// The widget id a file name of the cube carries; -1 when it names none.
int64_t widgetIdOf(const QString& name)
{
    const QRegularExpressionMatch match = widgetIdPattern().match(name);
    if (!match.hasMatch())
        return -1;
    bool ok = false;
    const int64_t id = match.captured(1).toLongLong(&ok);
    // A number too large for an id cannot name a current widget either.
    return ok ? id : -1;
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
        const std::map<int64_t, std::string> widgets = ensureLayersAndCollectWidgets(bean.data);

        for (const auto& [name, pixmap] : images) {
            if (!imageNamePattern().match(name).hasMatch())
                return BaseResult<void>(Errors::InvalidArgument, QStringLiteral("invalid image name format:") + name);
            if (!widgetIdPattern().match(name).hasMatch())
                return BaseResult<void>(Errors::Unknown, QStringLiteral("regexWidgetId error"));
        }

        // A widget deleted and another added under its number: the files under that number are
        // the deleted widget's and go with it.
        const BaseResult<BeanPtr> before = accessor->findById(bean.id);
        if (!before.isOk())
            return BaseResult<void>::from(before);
        std::set<int64_t> replaced;
        if (before.data && *before.data) {
            for (const auto& [id, uniqueId] : storedWidgets((*before.data)->data)) {
                const auto now = widgets.find(id);
                if (now != widgets.end() && now->second != uniqueId)
                    replaced.insert(id);
            }
        }

        const BaseResult<std::vector<QString>> stored = database()->findAllFileName(bean.id);
        if (!stored.isOk())
            return BaseResult<void>::from(stored);
        for (const QString& name : *stored.data) {
            if (!widgetIdPattern().match(name).hasMatch())
                continue;
            const int64_t id = widgetIdOf(name);
            if (widgets.count(id) > 0 && replaced.count(id) == 0)
                continue;
            Logger::debug(kTag, "delete file:%s", name.toUtf8().constData());
            BaseResult<void> removed = database()->removeFile(bean.id, name);
            if (!removed.isOk())
                return removed;
        }

        for (const auto& [name, pixmap] : images) {
            // A writer holding pictures of a widget the record no longer has stores none of them.
            if (widgets.count(widgetIdOf(name)) == 0) {
                Logger::debug(kTag, "skip file of a removed widget:%s", name.toUtf8().constData());
                continue;
            }
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
