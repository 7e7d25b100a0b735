#include "cards/KestrinCardMDWakerin.h"

#include "cards/KestrinCardMDWakerinEditor.h"
#include "core/Logger.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "store/StoreUtils.h"

#include <QPointer>

namespace OV {

KestrinCardMDWakerin::KestrinCardMDWakerin(QWidget* parent, BeanPtr bean) : SimpleKestrinCard(parent, std::move(bean))
{}

void KestrinCardMDWakerin::init()
{
    try {
        const auto modules = ProjectManager::instance()->getModuleUseCase()->accessor->findAll(
            [](const ProjectDbModuleBean& module) { return module.productId == kProductId; }, false);
        if (!modules.isOk()) {
            Logger::error("KestrinCardMDWakerin", "initConfig error: %s",
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
        Logger::error("KestrinCardMDWakerin", "initConfig error: %s", e.what());
    }
}

void KestrinCardMDWakerin::setConfig(const QString& moduleUid)
{
    configuration()["moduleUid"] = moduleUid.toStdString();
    nlohmann::json& deploy = deploymentData();
    deploy["id"] = bean()->uid.toStdString();
    deploy["type"] = "WAKERIN";
    deploy["name"] = "";
    param()["uid"] = moduleUid.toStdString();
    setName(bean()->name);
}

MainProfileParamsEditor* KestrinCardMDWakerin::newConfigEditor()
{
    KestrinCardModuleEditor::Modules modules;
    const auto found = ProjectManager::instance()->getModuleUseCase()->accessor->findAll(
        [](const ProjectDbModuleBean& module) { return module.productId == kProductId; }, false);
    if (found.isOk())
        modules = *found.data;
    auto* editor = new KestrinCardMDWakerinEditor(this, modules);
    const QPointer<KestrinCardMDWakerin> guard(this);
    editor->saveDelegate = [guard](BaseResultCallback<void> callback, const QString& name, const QString& moduleUid) {
        KestrinCardMDWakerin* card = guard.data();
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
