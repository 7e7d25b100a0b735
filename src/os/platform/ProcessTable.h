#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace OV {

// The running processes and their executables.
class ProcessTable
{
public:
    virtual ~ProcessTable() = default;
    // Processes whose executable is exactly this absolute path; processes that cannot be read are left out.
    virtual std::vector<int64_t> processesOf(const QString& executable) = 0;
    // The executable's absolute path; empty when unknown.
    virtual QString executableOf(int64_t pid) = 0;
};

} // namespace OV
