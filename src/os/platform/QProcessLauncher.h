#pragma once

#include "os/platform/ProcessLauncher.h"

namespace OV {

// Programs started through QProcess, the program found on PATH when it is a bare name.
class QProcessLauncher : public ProcessLauncher
{
public:
    bool startDetached(const QString& program, const QStringList& arguments) override;
    std::optional<int> run(const QString& program, const QStringList& arguments, QByteArray* output) override;
};

} // namespace OV
