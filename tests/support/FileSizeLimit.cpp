#include "support/FileSizeLimit.h"

namespace OV::Test {

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    struct sigaction ignore
    {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    if (sigaction(SIGXFSZ, &ignore, &m_signalBefore) != 0)
        return;
    if (getrlimit(RLIMIT_FSIZE, &m_before) != 0) {
        sigaction(SIGXFSZ, &m_signalBefore, nullptr);
        return;
    }
    rlimit limited = m_before;
    limited.rlim_cur = rlim_t(qMax<qint64>(bytes, 0));
    if (m_before.rlim_max != RLIM_INFINITY && limited.rlim_cur > m_before.rlim_max)
        limited.rlim_cur = m_before.rlim_max;
    m_active = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    if (!m_active)
        sigaction(SIGXFSZ, &m_signalBefore, nullptr);
}

FileSizeLimit::~FileSizeLimit()
{
    if (!m_active)
        return;
    setrlimit(RLIMIT_FSIZE, &m_before);
    sigaction(SIGXFSZ, &m_signalBefore, nullptr);
}

} // namespace OV::Test
