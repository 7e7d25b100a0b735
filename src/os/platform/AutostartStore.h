#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace OV {

// One stored entry: what it starts and in which folder.
struct AutostartEntry
{
    QStringList arguments;
    // Empty when the entry names none (the session then uses the home folder).
    QString workingDirectory;
};

// Where the desktop keeps the programs it starts at log-on, one named entry each.
class AutostartStore
{
public:
    virtual ~AutostartStore() = default;
    // Nothing when there is no such entry or it has no command line.
    virtual std::optional<AutostartEntry> read(const QString& name) = 0;
    // The entry starts the command line in the working directory, as the program that wrote it ran.
    virtual bool write(const QString& name, const QStringList& arguments, const QString& workingDirectory) = 0;
    // False when there was no entry to remove.
    virtual bool remove(const QString& name) = 0;
};

} // namespace OV
