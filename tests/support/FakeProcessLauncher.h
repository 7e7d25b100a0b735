#pragma once

#include "os/platform/ProcessLauncher.h"

#include <vector>

namespace OV::Test {

// Records every program it is asked to start; starts nothing.
class FakeProcessLauncher : public ProcessLauncher
{
public:
    struct Call
    {
        QString program;
        QStringList arguments;
        bool detached = false;
    };

    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        calls.push_back({program, arguments, true});
        return startResult;
    }
    std::optional<int> run(const QString& program, const QStringList& arguments, QByteArray* output) override
    {
        calls.push_back({program, arguments, false});
        if (output)
            *output += runOutput;
        return runExitCode;
    }

    std::vector<Call> calls;
    bool startResult = true;
    std::optional<int> runExitCode = 0;
    QByteArray runOutput;
};

} // namespace OV::Test
