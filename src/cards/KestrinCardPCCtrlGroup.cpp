#include "cards/KestrinCardPCCtrlGroup.h"
#include "core/Utils.h"

#include "cards/KestrinCardPCCtrlGroupEditor.h"

#include "project/ProjectDbPluginBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectPluginUseCase.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "store/MainUtils.h"
#include "store/StoreUtils.h"

#include <stdexcept>

#include <QPointer>

namespace OV {

KestrinCardPCCtrlGroup::KestrinCardPCCtrlGroup(QWidget* parent, BeanPtr bean)
    : SimpleKestrinCard(parent, std::move(bean))
{
    setEditable(true);
}

void KestrinCardPCCtrlGroup::init()
{
    const nlohmann::json& config = configuration();
    setName(OV::fromStdText(config.at("name").get<std::string>()));
    QPixmap icon = bean()->id >= 0 ? widgetUseCase()->loadIconFile(*bean()) : QPixmap();
    if (icon.isNull() && bean()->id < 0) {
        const QString uuid = OV::fromStdText(config.at("pluginUuid").get<std::string>());
        const std::shared_ptr<ProjectPluginUseCase> plugins = ProjectManager::instance()->getPluginUseCase();
        const auto plugin = plugins->findFirst(uuid);
        if (!plugin.isOk())
            throw std::runtime_error("plugin data error");
        if (!*plugin.data)
            throw std::runtime_error("plugin not install");
        icon = MainUtils::loadPluginIcon(*plugins, **plugin.data);
        bean()->icon = QStringLiteral("file://");
        // Every card made from the group's header has an id of its own on the hub, already in
        // the record stored here.
        deploymentData()["id"] = bean()->uid.toStdString();
        // The drop stores the record again; this store only brings the icon along.
        widgetUseCase()->insertOrUpdateWidget(*bean(), &icon);
    }
    setIcon(trimTransparentEdges(icon, kTrimThreshold));
    const auto scale = config.find("iconScale");
    m_iconScale = scale != config.end() && scale->is_number_integer() ? scale->get<int>() : kDefaultIconScale;
    deployIcon();
}

MainProfileParamsEditor* KestrinCardPCCtrlGroup::newConfigEditor()
{
    auto* editor = new KestrinCardPCCtrlGroupEditor(this, bean()->icon, iconImage(), m_iconScale);
    const QPointer<KestrinCardPCCtrlGroup> guard(this);
    editor->saveDelegate = [guard](BaseResultCallback<void> callback, const QString& name, const QString& iconText,
                                   const QPixmap& image, int scale) {
        KestrinCardPCCtrlGroup* card = guard.data();
        if (!card)
            return;
        const QPixmap stored = trimTransparentEdges(image, kTrimThreshold);
        card->applyIconEdit(
            card->m_iconScale, scale, name, stored, stored,
            [&]() {
                card->bean()->name = name;
                card->bean()->icon = iconText;
                // The label is read from the configuration when the card is loaded again.
                card->configuration()["name"] = name.toStdString();
                card->configuration()["iconScale"] = scale;
                nlohmann::json& deploy = card->deploymentData();
                deploy["id"] = card->bean()->uid.toStdString();
                deploy["name"] = name.toStdString();
                deploy["icon"] = iconText.toStdString();
                deploy["iconScale"] = scale;
                card->deployIcon();
            },
            callback);
    };
    return editor;
}

} // namespace OV
