#include "cards/KestrinCardModule.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "store/StoreUtils.h"

#include <QPointer>

namespace OV {

KestrinCardModule::KestrinCardModule(QWidget* parent, BeanPtr bean, uint64_t productId, const char* deployType,
                                     const char* tag)
    : SimpleKestrinCard(parent, std::move(bean)), m_productId(productId), m_deployType(deployType), m_tag(tag)
{}

BaseResult<KestrinCardModuleEditor::Modules> KestrinCardModule::findModules() const
{
    const uint64_t productId = m_productId;
    return ProjectManager::instance()->getModuleUseCase()->accessor->findAll(
        [productId](const ProjectDbModuleBean& module) { return module.productId == productId; }, false);
}

void KestrinCardModule::init()
{
    try {
        const auto modules = findModules();
        if (!modules.isOk()) {
            Logger::error(m_tag, "initConfig error: %s", formatErrorDetails(modules).toUtf8().constData());
            return;
        }
        const nlohmann::json& config = configuration();
        setIcon(trimTransparentEdges(QPixmap(OV::fromStdText(config.at("icon").get<std::string>())), kTrimThreshold));
        bean()->name = OV::fromStdText(config.at("name").get<std::string>());
        if (!config.contains("moduleUid"))
            setConfig(modules.data->empty() ? QString() : QString::number(modules.data->front()->id));
        else
            setConfig(OV::fromStdText(config.at("moduleUid").get<std::string>()));
    } catch (const std::exception& e) {
        Logger::error(m_tag, "initConfig error: %s", e.what());
    }
}

void KestrinCardModule::setConfig(const QString& moduleUid)
{
    configuration()["moduleUid"] = moduleUid.toStdString();
    nlohmann::json& deploy = deploymentData();
    deploy["id"] = bean()->uid.toStdString();
    deploy["type"] = m_deployType;
    deploy["name"] = "";
    param()["uid"] = moduleUid.toStdString();
    setName(bean()->name);
}

MainProfileParamsEditor* KestrinCardModule::newConfigEditor()
{
    KestrinCardModuleEditor::Modules modules;
    const auto found = findModules();
    if (found.isOk())
        modules = *found.data;
    KestrinCardModuleEditor* editor = makeEditor(std::move(modules));
    const uint64_t productId = m_productId;
    editor->offers = [productId](const ProjectDbModuleBean& module) { return module.productId == productId; };
    const QPointer<KestrinCardModule> guard(this);
    editor->saveDelegate = [guard](BaseResultCallback<void> callback, const QString& name, const QString& moduleUid) {
        KestrinCardModule* card = guard.data();
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
