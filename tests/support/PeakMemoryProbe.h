#pragma once

#include <QObject>

class QTimer;

namespace OV::Test {

// How far the process's resident memory rose above where it stood when the probe was made.
// The kernel's high-water mark is reset for it where the kernel allows; elsewhere the resident
// size is sampled while events are processed, which may miss a short peak.
class PeakMemoryProbe : public QObject
{
    Q_OBJECT
public:
    explicit PeakMemoryProbe(QObject* parent = nullptr);

    qint64 growthBytes();
    // False under a memory sanitizer: its quarantine keeps freed blocks resident, so the resident
    // size then tells the traffic, not what is held.
    static bool isMeaningful();

private:
    void sample();

    qint64 m_baseline = 0;
    qint64 m_sampledPeak = 0;
    bool m_kernelPeak = false;
    QTimer* m_sampler = nullptr;
};

} // namespace OV::Test
