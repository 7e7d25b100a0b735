#include "cards/KestrinCardBasicClock.h"

#include "core/Logger.h"
#include "core/Utils.h"

namespace OV {

KestrinCardBasicClock::KestrinCardBasicClock(QWidget* parent, BeanPtr bean) : SimpleKestrinCard(parent, std::move(bean))
{
    showResourceIcon(QStringLiteral(":/profile/image/icon_basic_clock.png"));
    setName(tr("Clock"));
}

void KestrinCardBasicClock::init()
{
    try {
        nlohmann::json& deploy = deploymentData();
        // The hub knows a clock by an id made once, kept across saves.
        if (!deploy.contains("id"))
            deploy["id"] = createUuid().toStdString();
        deploy["type"] = "TIME";
    } catch (const std::exception& e) {
        Logger::error("KestrinCardBasicClock", "initConfig error: %s", e.what());
    }
}

} // namespace OV
