#include "core/Settings.h"

#include "core/PersistentStore.h"
#include "os/StartupProvider.h"

namespace OV {

Settings* Settings::instance()
{
    static Settings* settings = new Settings();
    return settings;
}

Settings::Settings()
    : m_store(std::make_unique<PersistentStore>(QStringLiteral("settings.json"), PersistentStore::ReadWrite))
{}

Settings::~Settings() = default;

QString Settings::language() const
{
    return m_store->getAsString("language", QStringLiteral("en_US"));
}

QString Settings::theme() const
{
    return m_store->getAsString("theme", QStringLiteral("dark"));
}

QString Settings::cloudGateway() const
{
    QString base = m_store->getAsString("cloudGateway", QString::fromLatin1(kDefaultCloudGateway));
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

bool Settings::isAutoStartEnabled() const
{
    return StartupProvider::instance()->isEnabled();
}

bool Settings::setAutoStartEnabled(bool enabled)
{
    auto provider = StartupProvider::instance();
    return enabled ? provider->enable() : provider->disable();
}

} // namespace OV
