#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace OV {

// Starts programs with argument lists; nothing here goes through a shell unless the program is one.
class ProcessLauncher
{
public:
    virtual ~ProcessLauncher() = default;
    // Starts the program and does not wait for it; true when it started.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
    // Runs the program to its end, standard output and error merged into output (when given).
    // The exit code; nothing when it could not start or did not exit normally.
    virtual std::optional<int> run(const QString& program, const QStringList& arguments, QByteArray* output) = 0;
};

} // namespace OV
