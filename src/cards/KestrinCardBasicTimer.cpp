#include "cards/KestrinCardBasicTimer.h"
#include "core/Utils.h"

#include "cards/KestrinCardBasicTimerEditor.h"
#include "core/Logger.h"
#include "project/ProjectDbProfileKsWidgetBean.h"

#include <QPointer>

namespace OV {

KestrinCardBasicTimer::KestrinCardBasicTimer(QWidget* parent, BeanPtr bean) : SimpleKestrinCard(parent, std::move(bean))
{
    showResourceIcon(QStringLiteral(":/profile/image/icon_basic_timer.png"));
    setName(tr("Timer"));
    setEditable(true);
}

void KestrinCardBasicTimer::init()
{
    try {
        const nlohmann::json& config = configuration();
        if (config.contains("hour"))
            setConfig(OV::fromStdText(config.at("name").get<std::string>()), config.at("hour").get<int>(),
                      config.at("min").get<int>(), config.at("sec").get<int>());
        else
            setConfig(QString(), 0, 1, 0);
    } catch (const std::exception& e) {
        Logger::error("KestrinCardBasicTimer", "initConfig error: %s", e.what());
    }
}

QString KestrinCardBasicTimer::timeText(int hour, int min, int sec)
{
    return QStringLiteral("%1:%2:%3")
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(min, 2, 10, QLatin1Char('0'))
        .arg(sec, 2, 10, QLatin1Char('0'));
}

void KestrinCardBasicTimer::setConfig(const QString& name, int hour, int min, int sec)
{
    bean()->name = name;
    nlohmann::json& config = configuration();
    config["name"] = name.toStdString();
    config["hour"] = hour;
    config["min"] = min;
    config["sec"] = sec;
    nlohmann::json& deploy = deploymentData();
    deploy["id"] = bean()->uid.toStdString();
    deploy["type"] = "TIMER";
    deploy["name"] = name.toStdString();
    const QString time = timeText(hour, min, sec);
    param()["time"] = time.toStdString();
    setName(name.isEmpty() ? time : name);
}

MainProfileParamsEditor* KestrinCardBasicTimer::newConfigEditor()
{
    auto* editor = new KestrinCardBasicTimerEditor(this);
    const QPointer<KestrinCardBasicTimer> guard(this);
    editor->saveDelegate = [guard](BaseResultCallback<void> callback, const QString& name, int hour, int min, int sec) {
        // A card deleted while its editor is open takes nothing more.
        KestrinCardBasicTimer* card = guard.data();
        if (!card)
            return;
        card->applyAndSave([&]() { card->setConfig(name, hour, min, sec); }, callback, nullptr);
    };
    return editor;
}

} // namespace OV
