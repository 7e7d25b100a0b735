#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace OV {

// Where the desktop keeps the programs it starts at log-on, one named entry each.
class AutostartStore
{
public:
    virtual ~AutostartStore() = default;
    // The entry's command line as arguments; nothing when there is no such entry.
    virtual std::optional<QStringList> read(const QString& name) = 0;
    // The entry starts the command line in the working directory, as the program that wrote it ran.
    virtual bool write(const QString& name, const QStringList& arguments, const QString& workingDirectory) = 0;
    // False when there was no entry to remove.
    virtual bool remove(const QString& name) = 0;
};

} // namespace OV
