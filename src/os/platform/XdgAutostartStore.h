#pragma once

#include "os/platform/AutostartStore.h"

namespace OV {

// Autostart entries as "$XDG_CONFIG_HOME/autostart/<name>.desktop" files.
class XdgAutostartStore : public AutostartStore
{
public:
    std::optional<AutostartEntry> read(const QString& name) override;
    bool write(const QString& name, const QStringList& arguments, const QString& workingDirectory) override;
    bool remove(const QString& name) override;

    static QString autostartDir();
    static QString entryPath(const QString& name);

    // The Exec value as the Desktop Entry rules quote it, and back.
    static QString quoteExec(const QStringList& arguments);
    static QStringList parseExec(const QString& value);
};

} // namespace OV
