#include "project/ProjectPluginUseCase.h"

#include "core/AppDirs.h"
#include "core/FileUtils.h"
#include "core/Logger.h"
#include "project/ProjectImageUtils.h"
#include "store/StoreFileUtils.h"
#include "store/ZipUtils.h"

#include <QCoreApplication>

namespace OV {

namespace {
constexpr const char* kTag = "ProjectPluginUseCase";
}

ProjectPluginUseCase::ProjectPluginUseCase(std::shared_ptr<ProjectDatabase> database, QString pluginDir)
    : ProjectUseCase(std::move(database)), m_pluginDir(std::move(pluginDir))
{}

QString ProjectPluginUseCase::pluginDir() const
{
    return m_pluginDir.isEmpty() ? AppDirs::pluginDir() : m_pluginDir;
}

BaseResult<void> ProjectPluginUseCase::saveOrUpdate(ProjectDbPluginBean& bean, const QPixmap& icon,
                                                    const QString& packagePath)
{
    // The uuid names the unpacked folder; nothing else may reach the file system.
    if (!isSafePathComponent(bean.k1))
        return BaseResult<void>(Errors::InvalidArgument, QStringLiteral("invalid uuid(k1):") + bean.k1);
    const ProjectDbPluginBean given(bean);
    const BaseResult<void> result = transaction([&]() {
        const BaseResult<BeanPtr> installed = findFirst(bean.k1);
        if (!installed.isOk())
            return BaseResult<void>::from(installed);
        if (*installed.data)
            bean.id = (*installed.data)->id;
        BaseResult<void> step = insertOrUpdate(bean);
        if (!step.isOk())
            return step;
        step = database()->saveFile(bean.id, QString::fromLatin1(kIconFileName), pixmapToPng(icon));
        if (!step.isOk())
            return step;
        const BaseResult<QByteArray> pack =
            storeFileWithLimit(*database(), bean.id, QString::fromLatin1(kPackFileName), packagePath);
        if (!pack.isOk())
            return BaseResult<void>::from(pack);
        const QByteArray config = readZipEntry(*pack.data, QString::fromLatin1(kConfigEntry));
        if (config.isEmpty())
            return BaseResult<void>(Errors::ReadFailed, QCoreApplication::translate("ProjectPluginUseCase",
                                                                                    "Read plugin config.json error"));
        bean.setData(nlohmann::json::parse(config.constBegin(), config.constEnd()));
        return insertOrUpdate(bean);
    });
    if (!result.isOk()) {
        bean = given;
        return result;
    }
    // The next use unpacks the new package.
    try {
        if (!OV::removeAll(pluginDir() + QLatin1Char('/') + bean.k1))
            Logger::warn(kTag, "remove unpacked plugin failed, uuid:%s", bean.k1.toUtf8().constData());
    } catch (const std::exception& e) {
        Logger::warn(kTag, "remove unpacked plugin error:%s", e.what());
    }
    return result;
}

BaseResult<ProjectPluginUseCase::BeanList> ProjectPluginUseCase::findWidgetPlugins()
{
    JsonStoreKeys keys;
    keys.k2 = QStringLiteral("0");
    return accessor->findAll(keys, true);
}

} // namespace OV
