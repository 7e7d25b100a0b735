#pragma once

#include <QtGlobal>

#include <sys/resource.h>

#include <csignal>

namespace OV::Test {

// While it lives, a write that would take a regular file past `bytes` fails with EFBIG ("File too
// large") as a write onto a disk that fills at that point fails, on any file system and without
// privileges. It is the process's file size limit, with SIGXFSZ ignored so that the write fails
// instead of ending the process; the limit and the signal's handling before are restored at the
// end. It holds for every thread and every regular file the process writes, logs redirected to a
// file included: keep it only around the writes under test.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // False when the limit could not be set.
    bool isActive() const { return m_active; }

private:
    rlimit m_before{};
    struct sigaction m_signalBefore
    {};
    bool m_active = false;
};

} // namespace OV::Test
