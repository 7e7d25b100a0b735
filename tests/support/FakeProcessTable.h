#pragma once

#include "os/platform/ProcessTable.h"

#include <QMap>

namespace OV::Test {

// Process ids and their executables.
class FakeProcessTable : public ProcessTable
{
public:
    std::vector<int64_t> processesOf(const QString& executable) override
    {
        std::vector<int64_t> pids;
        for (auto it = executables.cbegin(); it != executables.cend(); ++it) {
            if (it.value() == executable)
                pids.push_back(it.key());
        }
        return pids;
    }
    QString executableOf(int64_t pid) override { return executables.value(pid); }

    QMap<int64_t, QString> executables;
};

} // namespace OV::Test
