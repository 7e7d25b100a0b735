#pragma once

#include <QProcessEnvironment>
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

// Runs the current row of the current test function again in a new process of this test, started
// in a folder whose "settings.json" holds `settings`: the program reads its settings once per
// process. True when the row passed there; `output` gets what that run's test reported.
bool runRowWithSettings(const QByteArray& settings, QString* output);
// Runs the current row again in a new process of this test with `environment`, in
// `workingDirectory` when given. True when the row passed there; `output` gets its verdict.
bool runRowInChild(const QProcessEnvironment& environment, const QString& workingDirectory, QString* output);

} // namespace OV::Test
