#include "module/PelloraDeployData.h"
#include "core/Utils.h"

#include "core/AppDirs.h"
#include "core/FileUtils.h"
#include "core/ZlibUtils.h"
#include "device/DeviceImage.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectStepResult.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QSaveFile>

#include <stdexcept>

namespace OV {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("PelloraDeployData", text);
}

bool writeWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return commitSaveFile(file);
}

QString jsonText(const nlohmann::json& value, const char* key)
{
    return OV::fromStdText(value.at(key).get<std::string>());
}

BaseResult<nlohmann::json> build(ProjectModuleUseCase& useCase, const ProjectDbModuleBean& bean, bool writeFiles,
                                 QString& tgzPath)
{
    const nlohmann::json& stored = bean.data;
    nlohmann::json out = nlohmann::json::object();
    const auto netConfig = stored.is_object() ? stored.find("netConfig") : stored.end();
    out["netConfig"] =
        stored.is_object() && netConfig != stored.end() ? *netConfig : nlohmann::json{{"ssid", ""}, {"password", ""}};

    const QString buildDir = writeFiles ? pelloraBuildDir(bean.id) : QString();
    // Without layers there is no package; an archive of an earlier build must never be sent
    // for this one.
    auto nothingToPack = [&]() -> BaseResult<nlohmann::json> {
        if (writeFiles) {
            tgzPath.clear();
            const QString archive = buildDir + QStringLiteral(".tgz");
            if (pathExists(archive) && !removeFile(archive))
                return BaseResult<nlohmann::json>(Errors::IoError, tr("Delete file failed: %1").arg(archive));
        }
        return out;
    };

    if (!stored.is_object() || !stored.contains("dataConfig"))
        return nothingToPack();
    out["dataConfig"] = nlohmann::json::object();
    const nlohmann::json& dataConfig = stored.at("dataConfig");
    if (!dataConfig.is_object())
        return nothingToPack();
    const auto layers = dataConfig.find("layers");
    if (layers == dataConfig.end() || layers->is_null())
        return nothingToPack();
    if (!layers->is_array())
        throw std::invalid_argument("dataConfig layers is not json array");
    if (layers->empty())
        return nothingToPack();

    if (writeFiles) {
        if (pathExists(buildDir) && !removeAll(buildDir))
            return BaseResult<nlohmann::json>(Errors::IoError, tr("Delete file dir failed: %1").arg(buildDir));
        if (!createDirectories(buildDir))
            return BaseResult<nlohmann::json>(Errors::IoError, tr("Create file dir failed: %1").arg(buildDir));
    }

    nlohmann::json outLayers = nlohmann::json::array();
    int64_t defaultLayer = 0;
    bool first = true;
    for (const nlohmann::json& layer : *layers) {
        const nlohmann::json& widgets = pelloraLayerWidgets(layer);
        const int64_t id = layer.at("id").get<int64_t>();
        const auto isDefault = layer.find("default");
        // The last layer flagged default wins; the first layer is the fallback.
        if (first || (isDefault != layer.end() && isDefault->get<bool>()))
            defaultLayer = id;
        first = false;
        nlohmann::json items = nlohmann::json::array();
        for (const nlohmann::json& widget : widgets) {
            const int64_t type = widget.at("type").get<int64_t>();
            const int64_t widgetId = widget.at("id").get<int64_t>();
            items.push_back({{"type", type}, {"id", widgetId}});
            if (writeFiles) {
                BaseResult<void> written = writePelloraWidgetFiles(useCase, buildDir, bean.id, type, widgetId, widget);
                if (!written.isOk())
                    return BaseResult<nlohmann::json>::from(written);
            }
        }
        outLayers.push_back({{"id", id}, {"items", std::move(items)}});
    }
    out["dataConfig"]["layers"] = std::move(outLayers);
    out["dataConfig"]["defaultLayer"] = defaultLayer;

    if (writeFiles) {
        // Compact, keys in byte order, non-ASCII text as UTF-8 (the dump's defaults).
        const std::string text = out.dump();
        const QString configPath = buildDir + QStringLiteral("/config.json");
        if (!writeWhole(configPath, QByteArray::fromStdString(text)))
            return BaseResult<nlohmann::json>(Errors::WriteFailed, tr("Write file failed: %1").arg(configPath));
        const QString archive = buildDir + QStringLiteral(".tgz");
        if (!ZlibUtils::packToTarGz(buildDir, archive))
            return BaseResult<nlohmann::json>(Errors::WriteFailed, tr("Write file failed: %1").arg(archive));
        tgzPath = archive;
    } else {
        // The dump is what the hub receives; text that cannot be dumped must fail here too.
        (void)out.dump();
    }
    return out;
}

} // namespace

QPixmap loadModuleImage(ProjectModuleUseCase& useCase, int64_t ownerId, const QString& name)
{
    if (name.isEmpty() || !useCase.accessor->database())
        return {};
    const BaseResult<QByteArray> loaded = useCase.accessor->database()->loadFile(ownerId, name);
    if (!loaded.isOk() || !loaded.data || loaded.data->isEmpty())
        return {};
    QPixmap pixmap;
    pixmap.loadFromData(*loaded.data);
    return pixmap;
}

QPixmap loadModuleImage(int64_t ownerId, const QString& name)
{
    const std::shared_ptr<ProjectModuleUseCase> modules = ProjectManager::instance()->getModuleUseCase();
    if (!modules)
        return {};
    return loadModuleImage(*modules, ownerId, name);
}

QString pelloraBuildDir(int64_t moduleRecordId)
{
    return AppDirs::tempDir() + QStringLiteral("/pellora-build-%1/config").arg(moduleRecordId);
}

const nlohmann::json& pelloraLayerWidgets(const nlohmann::json& layer)
{
    static const nlohmann::json none = nlohmann::json::array();
    if (!layer.is_object())
        throw std::invalid_argument("layer is not json object");
    const auto widgets = layer.find("widgets");
    if (widgets == layer.end())
        return none;
    if (!widgets->is_array())
        throw std::invalid_argument("layer widgets is not json array");
    return *widgets;
}

BaseResult<nlohmann::json> buildPelloraDeployData(ProjectModuleUseCase& useCase, const ProjectDbModuleBean& bean,
                                                  bool writeFiles, QString& tgzPath)
{
    if (bean.productId != ProjectModuleUseCase::kPelloraProductId)
        return BaseResult<nlohmann::json>(Errors::Logic);
    try {
        return build(useCase, bean, writeFiles, tgzPath);
    } catch (const nlohmann::json::exception& e) {
        return BaseResult<nlohmann::json>(Errors::InvalidArgument, QString::fromUtf8(e.what()));
    } catch (const std::invalid_argument& e) {
        return BaseResult<nlohmann::json>(Errors::InvalidArgument, QString::fromUtf8(e.what()));
    } catch (const std::exception& e) {
        return BaseResult<nlohmann::json>(Errors::Unknown, QString::fromUtf8(e.what()));
    }
}

BaseResult<void> writePelloraWidgetFiles(ProjectModuleUseCase& useCase, const QString& buildDir, int64_t ownerId,
                                         int64_t type, int64_t widgetId, const nlohmann::json& widget)
{
    const QString widgetDir = buildDir + QStringLiteral("/com_res%1").arg(widgetId);
    if (!createDirectories(widgetDir))
        return BaseResult<void>(Errors::IoError, tr("Create file dir failed: %1").arg(widgetDir));
    if (type == 1)
        return writePelloraButtonImages(useCase, widgetDir, ownerId, widget);
    return BaseResult<void>(Errors::InvalidArgument, QStringLiteral("unknown widget type: %1").arg(type));
}

BaseResult<void> writePelloraButtonImages(ProjectModuleUseCase& useCase, const QString& widgetDir, int64_t ownerId,
                                          const nlohmann::json& widget)
{
    const QPixmap unpressed = loadModuleImage(useCase, ownerId, jsonText(widget, "iconUnpressed"));
    const QPixmap pressed = loadModuleImage(useCase, ownerId, jsonText(widget, "iconPressed"));
    const QString defaultPath = widgetDir + QStringLiteral("/default.bin");
    if (!writeWhole(defaultPath, encodeDeviceImage(unpressed)))
        return BaseResult<void>(Errors::WriteFailed, tr("Write file failed: %1").arg(defaultPath));
    const QString pressedPath = widgetDir + QStringLiteral("/pressed.bin");
    if (!writeWhole(pressedPath, encodeDeviceImage(pressed)))
        return BaseResult<void>(Errors::WriteFailed, tr("Write file failed: %1").arg(pressedPath));
    return {};
}

BaseResult<void> refreshPelloraExtraConfig(ProjectModuleUseCase& useCase, ProjectDbModuleBean& bean)
{
    if (bean.productId != ProjectModuleUseCase::kPelloraProductId)
        return BaseResult<void>(Errors::Logic);
    QString unusedPath;
    BaseResult<nlohmann::json> built = buildPelloraDeployData(useCase, bean, false, unusedPath);
    if (!built.isOk())
        return BaseResult<void>::from(built);
    nlohmann::json previous = bean.extraConfig;
    bean.setExtraConfig(std::move(*built.data));
    const BaseResult<int> updated = useCase.update(bean);
    if (rowStepFailed(updated)) {
        bean.setExtraConfig(std::move(previous));
        return rowStepFailure(updated);
    }
    return {};
}

QString formatResultMessage(const ErrorCode& error, const QString& detail)
{
    const QString message = QCoreApplication::translate("BaseResult", error.text);
    if (detail.isEmpty())
        return message;
    return tr("%1, details: %2").arg(message, detail);
}

} // namespace OV
