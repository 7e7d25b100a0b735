#include "cards/KestrinCardApp.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "store/StoreUtils.h"

namespace OV {

KestrinCardApp::KestrinCardApp(QWidget* parent, BeanPtr bean) : SimpleKestrinCard(parent, std::move(bean)) {}

void KestrinCardApp::init()
{
    try {
        const nlohmann::json& config = configuration();
        setName(OV::fromStdText(config.at("name").get<std::string>()));
        nlohmann::json& deploy = deploymentData();
        deploy["id"] = config.at("package");
        deploy["type"] = "APPS";
        const QString iconUrl = OV::fromStdText(config.at("iconUrl").get<std::string>());
        const QByteArray stored = bean()->id >= 0 ? widgetUseCase()->loadIconData(*bean()) : QByteArray();
        const auto fetch = [this, iconUrl] {
            showResourceIcon(QString::fromLatin1(kLoadingImage));
            fetchIcon(iconUrl);
        };
        if (!stored.isEmpty())
            setStoredIcon(stored, fetch);
        else
            fetch();
    } catch (const std::exception& e) {
        Logger::error("KestrinCardApp", "initConfig error: %s", e.what());
    }
}

void KestrinCardApp::onIconLoaded()
{
    QPixmap image = iconImage();
    const BaseResult<void> stored = widgetUseCase()->insertOrUpdateWidget(*bean(), &image);
    if (!stored.isOk())
        Logger::error("KestrinCardApp", "update icon error: %s", formatErrorDetails(stored).toUtf8().constData());
}

} // namespace OV
