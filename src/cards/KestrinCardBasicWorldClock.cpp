#include "cards/KestrinCardBasicWorldClock.h"

#include "cards/KestrinCardBasicWorldClockEditor.h"
#include "core/Logger.h"
#include "project/ProjectDbProfileKsWidgetBean.h"

#include <QPointer>

namespace OV {

KestrinCardBasicWorldClock::KestrinCardBasicWorldClock(QWidget* parent, BeanPtr bean)
    : SimpleKestrinCard(parent, std::move(bean))
{
    showResourceIcon(QStringLiteral(":/profile/image/icon_basic_world_clock.png"));
    setName(tr("UTC"));
    setEditable(true);
}

void KestrinCardBasicWorldClock::init()
{
    try {
        if (!configuration().contains("timeZone"))
            setConfig(QStringLiteral("UTC"), QString(), QString::fromLatin1(kDefaultOffset));
        else if (!bean()->name.isEmpty())
            setName(bean()->name);
    } catch (const std::exception& e) {
        Logger::error("KestrinCardBasicWorldClock", "initConfig error: %s", e.what());
    }
}

void KestrinCardBasicWorldClock::setConfig(const QString& name, const QString& timeZone, const QString& offset)
{
    bean()->name = name;
    nlohmann::json& config = configuration();
    config["timeZone"] = timeZone.toStdString();
    config["offset"] = offset.toStdString();
    nlohmann::json& deploy = deploymentData();
    deploy["id"] = bean()->uid.toStdString();
    deploy["type"] = "WORLD_TIME";
    deploy["name"] = name.toStdString();
    param()["offset"] = offset.toStdString();
    setName(bean()->name);
}

MainProfileParamsEditor* KestrinCardBasicWorldClock::newConfigEditor()
{
    auto* editor = new KestrinCardBasicWorldClockEditor(this);
    const QPointer<KestrinCardBasicWorldClock> guard(this);
    editor->saveDelegate = [guard](BaseResultCallback<void> callback, const QString& name, const QString& timeZone,
                                   const QString& offset) {
        // A card deleted while its editor is open takes nothing more.
        KestrinCardBasicWorldClock* card = guard.data();
        if (!card)
            return;
        card->applyAndSave([&]() { card->setConfig(name, timeZone, offset); }, callback, nullptr);
    };
    return editor;
}

} // namespace OV
