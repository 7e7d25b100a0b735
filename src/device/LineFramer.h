#pragma once

#include <QByteArray>
#include <QList>

namespace OV {

// Splits a received byte stream into lines ended by a line feed. Each line is trimmed of
// surrounding white space (so CR LF works) and empty lines are dropped. A line longer than the
// limit is never collected: the framer reports the overflow and forgets what it held.
class LineFramer
{
public:
    static constexpr qsizetype kDefaultMaxLineBytes = 8 * 1024 * 1024;

    explicit LineFramer(qsizetype maxLineBytes = kDefaultMaxLineBytes);

    // Appends the bytes and returns the complete, non-empty lines they finish, in order.
    // Lines before an overlong one are still returned; everything after it is dropped.
    // Taken by value: a read that is one whole line becomes that line without a copy.
    QList<QByteArray> push(QByteArray bytes);

    // True when the last push met a line over the limit (the buffer is then empty).
    bool overflowed() const { return m_overflowed; }
    qsizetype buffered() const { return m_buffer.size(); }
    qsizetype maxLineBytes() const { return m_maxLineBytes; }
    void reset();

private:
    qsizetype m_maxLineBytes;
    QByteArray m_buffer;
    // Bytes at the front of the buffer already known to hold no line feed.
    qsizetype m_scanned = 0;
    bool m_overflowed = false;
};

} // namespace OV
