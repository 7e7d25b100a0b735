#include "core/Settings.h"

#include "core/Logger.h"
#include "core/PersistentStore.h"
#include "os/StartupProvider.h"

#include <QFileInfo>

namespace OV {

Settings* Settings::instance()
{
    static Settings* settings = new Settings();
    return settings;
}

Settings::Settings()
    : m_store(std::make_unique<PersistentStore>(QStringLiteral("settings.json"), PersistentStore::ReadWrite))
{
    // Which file: a start from elsewhere (a log-on entry, a shortcut) reads another folder's.
    const QFileInfo file(m_store->filePath());
    const QByteArray path = file.absoluteFilePath().toUtf8();
    if (file.exists())
        Logger::info("Settings", "settings from %s", path.constData());
    else
        Logger::info("Settings", "no %s: default settings", path.constData());
}

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
