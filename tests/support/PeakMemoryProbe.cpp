#include "support/PeakMemoryProbe.h"

#include <QFile>
#include <QTimer>

namespace OV::Test {

namespace {

// A "Name:   1234 kB" line of /proc/self/status, in bytes; 0 when it cannot be read.
qint64 statusBytes(const char* name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

} // namespace

PeakMemoryProbe::PeakMemoryProbe(QObject* parent) : QObject(parent)
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    m_kernelPeak = clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1 && clearRefs.flush();
    m_baseline = statusBytes("VmRSS");
    m_sampledPeak = m_baseline;
    if (!m_kernelPeak) {
        m_sampler = new QTimer(this);
        connect(m_sampler, &QTimer::timeout, this, &PeakMemoryProbe::sample);
        m_sampler->start(1);
    }
}

void PeakMemoryProbe::sample()
{
    m_sampledPeak = qMax(m_sampledPeak, statusBytes("VmRSS"));
}

bool PeakMemoryProbe::isMeaningful()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    return false;
#else
    return true;
#endif
#else
    return true;
#endif
}

qint64 PeakMemoryProbe::growthBytes()
{
    sample();
    const qint64 peak = m_kernelPeak ? qMax(m_sampledPeak, statusBytes("VmHWM")) : m_sampledPeak;
    return peak - m_baseline;
}

} // namespace OV::Test
