#include "cards/KestrinCardMAMultiAction.h"
#include "core/Utils.h"

#include "cards/KestrinCardMAMultiActionEditor.h"
#include "core/Logger.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectProfileKsWidgetUseCase.h"

#include <QPointer>

namespace OV {

KestrinCardMAMultiAction::KestrinCardMAMultiAction(QWidget* parent, BeanPtr bean)
    : SimpleKestrinCard(parent, std::move(bean))
{
    setEditable(true);
}

void KestrinCardMAMultiAction::init()
{
    const nlohmann::json& config = configuration();
    const auto scale = config.find("iconScale");
    m_iconScale = scale != config.end() && scale->is_number_integer() ? scale->get<int>() : kDefaultIconScale;
    const QPixmap stored = bean()->id >= 0 ? widgetUseCase()->loadIconFile(*bean()) : QPixmap();
    if (!stored.isNull()) {
        setIcon(stored);
    } else {
        const auto name = config.find("name");
        bean()->name =
            name != config.end() && name->is_string() ? OV::fromStdText(name->get<std::string>()) : QString();
        loadIcon(QString::fromLatin1(kIcon));
    }
    setName(bean()->name);
    try {
        const nlohmann::json& deploy = deploymentData();
        if (deploy.is_null() || ((deploy.is_object() || deploy.is_array()) && deploy.empty()))
            setConfig(nlohmann::json::array());
        deployIcon();
    } catch (const std::exception& e) {
        Logger::error("KestrinCardMAMultiAction", "initConfig error: %s", e.what());
    }
}

void KestrinCardMAMultiAction::setConfig(const nlohmann::json& actionList)
{
    nlohmann::json actions = nlohmann::json::array();
    for (const nlohmann::json& action : actionList)
        actions.push_back(action.at("deployData"));
    nlohmann::json& config = configuration();
    config["iconScale"] = m_iconScale;
    config["actionList"] = actionList;
    nlohmann::json& deploy = deploymentData();
    deploy["id"] = bean()->uid.toStdString();
    deploy["type"] = "SCENE";
    deploy["name"] = bean()->name.toStdString();
    deploy["icon"] = bean()->icon.toStdString();
    deploy["iconScale"] = m_iconScale;
    deploy["param"] = {{"type", "ACTION"}, {"actions", actions}};
    deployIcon();
}

MainProfileParamsEditor* KestrinCardMAMultiAction::newConfigEditor()
{
    auto* editor = new KestrinCardMAMultiActionEditor(this, bean()->icon, iconImage(), m_iconScale);
    const QPointer<KestrinCardMAMultiAction> guard(this);
    editor->saveDelegate = [guard](BaseResultCallback<void> callback, const QString& name, const QString& iconText,
                                   const QPixmap& image, int scale, const nlohmann::json& actions) {
        KestrinCardMAMultiAction* card = guard.data();
        if (!card)
            return;
        card->applyIconEdit(
            card->m_iconScale, scale, name, image, image,
            [&]() {
                card->bean()->name = name;
                card->bean()->icon = iconText;
                card->setConfig(actions);
            },
            callback);
    };
    return editor;
}

} // namespace OV
