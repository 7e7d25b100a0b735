#include "cards/KestrinCardMDThessaTH.h"

#include "core/Logger.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "store/StoreUtils.h"

namespace OV {

KestrinCardMDThessaTH::KestrinCardMDThessaTH(QWidget* parent, BeanPtr bean) : SimpleKestrinCard(parent, std::move(bean))
{}

void KestrinCardMDThessaTH::init()
{
    try {
        const auto modules = ProjectManager::instance()->getModuleUseCase()->accessor->findAll(
            [](const ProjectDbModuleBean& module) { return module.productId == kProductId; }, false);
        if (!modules.isOk()) {
            Logger::error("KestrinCardMDThessaTH", "initConfig error: %s",
                          formatErrorDetails(modules).toUtf8().constData());
            return;
        }
        const nlohmann::json& config = configuration();
        setIcon(trimTransparentEdges(QPixmap(QString::fromStdString(config.at("icon").get<std::string>())),
                                     kTrimThreshold));
        bean()->name = QString::fromStdString(config.at("name").get<std::string>());
        if (!config.contains("moduleUid"))
            setConfig(modules.data->empty() ? QString() : QString::number(modules.data->front()->id));
        else
            setConfig(QString::fromStdString(config.at("moduleUid").get<std::string>()));
    } catch (const std::exception& e) {
        Logger::error("KestrinCardMDThessaTH", "initConfig error: %s", e.what());
    }
}

void KestrinCardMDThessaTH::setConfig(const QString& moduleUid)
{
    configuration()["moduleUid"] = moduleUid.toStdString();
    nlohmann::json& deploy = deploymentData();
    deploy["id"] = bean()->uid.toStdString();
    deploy["type"] = "THESSA";
    deploy["name"] = "";
    param()["uid"] = moduleUid.toStdString();
    setName(bean()->name);
}

} // namespace OV
