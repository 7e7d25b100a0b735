#pragma once

#include <QString>

#include <functional>

namespace OV::Test {

// Captures everything the logger writes to standard output while it lives.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QString text() const;

private:
    struct Impl;
    Impl* d;
};

// Path of the built application executable.
QString appExecutable();

} // namespace OV::Test
