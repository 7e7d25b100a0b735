#include "cards/KestrinCardBasicAccuWeather.h"

#include "cards/KestrinCardBasicAccuWeatherEditor.h"
#include "core/Logger.h"
#include "project/ProjectDbProfileKsWidgetBean.h"

#include <QPointer>

namespace OV {

KestrinCardBasicAccuWeather::KestrinCardBasicAccuWeather(QWidget* parent, BeanPtr bean)
    : SimpleKestrinCard(parent, std::move(bean))
{
    showResourceIcon(QStringLiteral(":/profile/image/icon_basic_weather.png"));
    setName(tr("Accu Weather"));
    setEditable(true);
}

void KestrinCardBasicAccuWeather::init()
{
    try {
        if (!configuration().contains("latitude"))
            setConfig(QString(), QString());
    } catch (const std::exception& e) {
        Logger::error("KestrinCardBasicAccuWeather", "initConfig error: %s", e.what());
    }
}

void KestrinCardBasicAccuWeather::setConfig(const QString& latitude, const QString& longitude)
{
    bean()->name.clear();
    nlohmann::json& config = configuration();
    config["latitude"] = latitude.toStdString();
    config["longitude"] = longitude.toStdString();
    nlohmann::json& deploy = deploymentData();
    deploy["id"] = bean()->uid.toStdString();
    deploy["type"] = "WEATHER";
    nlohmann::json& values = param();
    values["lat"] = latitude.toStdString();
    values["lon"] = longitude.toStdString();
}

MainProfileParamsEditor* KestrinCardBasicAccuWeather::newConfigEditor()
{
    auto* editor = new KestrinCardBasicAccuWeatherEditor(this);
    const QPointer<KestrinCardBasicAccuWeather> guard(this);
    editor->saveDelegate = [guard](BaseResultCallback<void> callback, const QString& latitude,
                                   const QString& longitude) {
        // A card deleted while its editor is open takes nothing more.
        KestrinCardBasicAccuWeather* card = guard.data();
        if (!card)
            return;
        card->applyAndSave([&]() { card->setConfig(latitude, longitude); }, callback, nullptr);
    };
    return editor;
}

} // namespace OV
