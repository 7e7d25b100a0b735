#include "cards/KestrinCardMDThessaTH.h"

#include "cards/KestrinCardMDThessaTHEditor.h"
#include "core/Logger.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "store/StoreUtils.h"

#include <QPointer>

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

MainProfileParamsEditor* KestrinCardMDThessaTH::newConfigEditor()
{
    KestrinCardModuleEditor::Modules modules;
    const auto found = ProjectManager::instance()->getModuleUseCase()->accessor->findAll(
        [](const ProjectDbModuleBean& module) { return module.productId == kProductId; }, false);
    if (found.isOk())
        modules = *found.data;
    auto* editor = new KestrinCardMDThessaTHEditor(this, modules);
    const QPointer<KestrinCardMDThessaTH> guard(this);
    editor->saveDelegate = [guard](BaseResultCallback<void> callback, const QString& name, const QString& moduleUid) {
        KestrinCardMDThessaTH* card = guard.data();
        if (!card)
            return;
        card->applyAndSave(
            [&]() {
                // The hub shows no name for a module card; the name is the card's own label.
                card->bean()->name = name;
                card->configuration()["name"] = name.toStdString();
                card->setConfig(moduleUid);
            },
            callback, nullptr);
    };
    return editor;
}

} // namespace OV
