#pragma once

#include "os/platform/ProcessTable.h"

namespace OV {

// Processes from /proc/<pid>/exe.
class ProcProcessTable : public ProcessTable
{
public:
    explicit ProcProcessTable(QString procRoot = QStringLiteral("/proc"));

    std::vector<int64_t> processesOf(const QString& executable) override;
    QString executableOf(int64_t pid) override;

private:
    QString m_procRoot;
};

} // namespace OV
