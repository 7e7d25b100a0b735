#include "cards/KestrinCardBasicWhiteNoise.h"
#include "core/Utils.h"

#include "cards/KestrinCardBasicWhiteNoiseEditor.h"
#include "core/Logger.h"
#include "project/ProjectDbProfileKsWidgetBean.h"

#include <QPointer>

namespace OV {

KestrinCardBasicWhiteNoise::KestrinCardBasicWhiteNoise(QWidget* parent, BeanPtr bean)
    : SimpleKestrinCard(parent, std::move(bean))
{
    showResourceIcon(QStringLiteral(":/profile/image/icon_basic_white_noise.png"));
    setName(tr("White Noise"));
    setEditable(true);
}

void KestrinCardBasicWhiteNoise::init()
{
    try {
        const nlohmann::json& config = configuration();
        if (config.contains("soundId"))
            setConfig(OV::fromStdText(config.at("soundId").get<std::string>()),
                      OV::fromStdText(config.at("soundName").get<std::string>()));
        else
            setConfig(QString::fromLatin1(kDefaultSound), QString());
    } catch (const std::exception& e) {
        Logger::error("KestrinCardBasicWhiteNoise", "initConfig error: %s", e.what());
    }
}

void KestrinCardBasicWhiteNoise::setConfig(const QString& soundId, const QString& soundName)
{
    bean()->name = soundName;
    nlohmann::json& config = configuration();
    config["soundId"] = soundId.toStdString();
    config["soundName"] = soundName.toStdString();
    nlohmann::json& deploy = deploymentData();
    deploy["id"] = bean()->uid.toStdString();
    deploy["type"] = "SOUNDSCAPE";
    param()["id"] = soundId.toStdString();
}

MainProfileParamsEditor* KestrinCardBasicWhiteNoise::newConfigEditor()
{
    auto* editor = new KestrinCardBasicWhiteNoiseEditor(this);
    const QPointer<KestrinCardBasicWhiteNoise> guard(this);
    editor->saveDelegate = [guard](BaseResultCallback<void> callback, const QString& soundId,
                                   const QString& soundName) {
        // A card deleted while its editor is open takes nothing more.
        KestrinCardBasicWhiteNoise* card = guard.data();
        if (!card)
            return;
        card->applyAndSave([&]() { card->setConfig(soundId, soundName); }, callback, nullptr);
    };
    return editor;
}

} // namespace OV
