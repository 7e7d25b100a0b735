#include "device/LineFramer.h"

#include <algorithm>
#include <utility>

namespace OV {

LineFramer::LineFramer(qsizetype maxLineBytes) : m_maxLineBytes(maxLineBytes) {}

void LineFramer::reset()
{
    m_buffer.clear();
    m_scanned = 0;
    m_overflowed = false;
}

QList<QByteArray> LineFramer::push(QByteArray bytes)
{
    QList<QByteArray> lines;
    m_overflowed = false;
    // The usual read: nothing held back and exactly one whole line. It is taken as it came,
    // trimmed in place, without copying it out of a buffer.
    if (m_buffer.isEmpty() && bytes.size() <= m_maxLineBytes && bytes.endsWith('\n') &&
        bytes.indexOf('\n') == bytes.size() - 1) {
        QByteArray line = std::move(bytes).trimmed();
        if (!line.isEmpty())
            lines.append(std::move(line));
        return lines;
    }
    m_buffer.append(bytes);
    qsizetype start = 0;
    while (true) {
        const qsizetype feed = m_buffer.indexOf('\n', std::max(start, m_scanned));
        if (feed < 0)
            break;
        if (feed - start > m_maxLineBytes) {
            reset();
            m_overflowed = true;
            return lines;
        }
        const QByteArray line = m_buffer.mid(start, feed - start).trimmed();
        if (!line.isEmpty())
            lines.append(line);
        start = feed + 1;
    }
    m_buffer.remove(0, start);
    m_scanned = m_buffer.size();
    if (m_buffer.size() > m_maxLineBytes) {
        reset();
        m_overflowed = true;
    }
    return lines;
}

} // namespace OV
