#include "core/Logger.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <type_traits>

namespace OV {

namespace {

const char* const kLevels[] = {"[D]", "[I]", "[W]", "[E]"};
// Lines below warning level may wait this long in the output buffer before it is flushed.
constexpr auto kFlushInterval = std::chrono::milliseconds(100);
// A message is cut to this many bytes less one.
constexpr size_t kMessageBytes = 4096;
// Room in front of the message for the stamp, level and a tag of ordinary length.
constexpr size_t kPrefixRoom = 192;

// Writes value as decimal digits (with a minus sign when negative) at out, within end.
char* putDecimal(char* out, char* end, bool negative, unsigned long long value)
{
    char digits[24];
    int count = 0;
    do {
        digits[count++] = char('0' + value % 10);
        value /= 10;
    } while (value);
    if (negative)
        digits[count++] = '-';
    while (count > 0 && out < end)
        *out++ = digits[--count];
    return out;
}

// Formats the conversions the program's lines use (%s, %d, %i, %u, %ld, %lu, %lld, %llu, %zu,
// %%) as vsnprintf does, in a fraction of its time: a line is formatted on every request. At
// anything else (flags, width, precision, other conversions, a null text) it gives up and
// returns false, and vsnprintf formats the line. out holds size bytes; the text is cut there.
bool formatSimple(char* out, size_t size, const char* format, va_list args)
{
    char* p = out;
    char* const end = out + size - 1;
    for (const char* f = format; *f; ++f) {
        if (*f != '%') {
            if (p < end)
                *p++ = *f;
            continue;
        }
        ++f;
        int longs = 0;
        bool sized = false;
        if (*f == 'z') {
            sized = true;
            ++f;
        } else {
            while (*f == 'l' && longs < 2) {
                ++longs;
                ++f;
            }
        }
        const char conversion = *f;
        if (conversion == '%' && !sized && longs == 0) {
            if (p < end)
                *p++ = '%';
        } else if (conversion == 's' && !sized && longs == 0) {
            const char* text = va_arg(args, const char*);
            if (!text)
                return false;
            while (*text && p < end)
                *p++ = *text++;
        } else if (conversion == 'd' || conversion == 'i') {
            long long value = 0;
            if (sized)
                value = va_arg(args, std::make_signed_t<size_t>);
            else if (longs == 2)
                value = va_arg(args, long long);
            else if (longs == 1)
                value = va_arg(args, long);
            else
                value = va_arg(args, int);
            const bool negative = value < 0;
            p = putDecimal(p, end, negative,
                           negative ? 0ULL - static_cast<unsigned long long>(value)
                                    : static_cast<unsigned long long>(value));
        } else if (conversion == 'u') {
            unsigned long long value = 0;
            if (sized)
                value = va_arg(args, size_t);
            else if (longs == 2)
                value = va_arg(args, unsigned long long);
            else if (longs == 1)
                value = va_arg(args, unsigned long);
            else
                value = va_arg(args, unsigned int);
            p = putDecimal(p, end, false, value);
        } else {
            return false;
        }
    }
    *p = '\0';
    return true;
}

} // namespace

Logger* Logger::instance()
{
    // Never destroyed: worker threads may still log while static objects go away.
    static Logger* logger = new Logger();
    return logger;
}

#define OV_LOGGER_FORWARD(level)                                                                                       \
    Logger* self = instance();                                                                                         \
    if (level < self->m_minLevel)                                                                                      \
        return;                                                                                                        \
    va_list args;                                                                                                      \
    va_start(args, format);                                                                                            \
    self->write(level, tag, format, args);                                                                             \
    va_end(args)

void Logger::debug(const char* tag, const char* format, ...)
{
    OV_LOGGER_FORWARD(LogDebug);
}

void Logger::info(const char* tag, const char* format, ...)
{
    OV_LOGGER_FORWARD(LogInfo);
}

void Logger::warn(const char* tag, const char* format, ...)
{
    OV_LOGGER_FORWARD(LogWarning);
}

void Logger::error(const char* tag, const char* format, ...)
{
    OV_LOGGER_FORWARD(LogError);
}

#undef OV_LOGGER_FORWARD

// "yyyy-MM-dd hh:mm:ss.zzz" in local time; the date and time of day are made once a second and
// the milliseconds are three digits put in by hand, since this runs for every line.
void Logger::formatStamp(char (&out)[24])
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec != m_stampSecond) {
        tm local{};
        localtime_r(&now.tv_sec, &local);
        std::strftime(m_stampPrefix, sizeof(m_stampPrefix), "%Y-%m-%d %H:%M:%S", &local);
        m_stampSecond = now.tv_sec;
    }
    const size_t length = std::strlen(m_stampPrefix);
    const int ms = int(now.tv_nsec / 1000000);
    std::memcpy(out, m_stampPrefix, length);
    out[length] = '.';
    out[length + 1] = char('0' + ms / 100);
    out[length + 2] = char('0' + ms / 10 % 10);
    out[length + 3] = char('0' + ms % 10);
    out[length + 4] = '\0';
}

void Logger::write(int level, const char* tag, const char* format, va_list args)
{
    if (writeLine(level, tag, format, args))
        scheduleFlush();
}

// A quiet program logs nothing more for a long time: a timer on the GUI thread writes out what
// the last lines left in the buffer.
void Logger::scheduleFlush()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        m_flushScheduled = false;
        return;
    }
    QMetaObject::invokeMethod(
        app, [app]() { QTimer::singleShot(kFlushInterval, app, []() { Logger::instance()->flush(); }); },
        Qt::QueuedConnection);
}

bool Logger::writeLine(int level, const char* tag, const char* format, va_list args)
{
    if (!m_console)
        return false;
    // The message is formatted once, straight into the line that is written: room for the
    // prefix is left in front of it and the prefix is put there once the stamp is known.
    char line[kPrefixRoom + kMessageBytes + 1];
    char* const message = line + kPrefixRoom;
    message[0] = '\0';
    va_list simpleArgs;
    va_copy(simpleArgs, args);
    const bool simple = formatSimple(message, kMessageBytes, format ? format : "", simpleArgs);
    va_end(simpleArgs);
    if (!simple)
        std::vsnprintf(message, kMessageBytes, format ? format : "", args);
    // Up to the first NUL, as the text has always been taken.
    const size_t messageLength = std::strlen(message);
    const char* const levelText = (level >= 0 && level <= 3) ? kLevels[level] : "";
    const char* const tagText = tag ? tag : "";
    const size_t levelLength = std::strlen(levelText);
    const size_t tagLength = std::strlen(tagText);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_console)
        return false;
    if (!QByteArrayView(message, qsizetype(messageLength)).isValidUtf8() ||
        !QByteArrayView(tagText, qsizetype(tagLength)).isValidUtf8()) {
        // Written as text: bytes that are not UTF-8 become replacement characters.
        QString text = formatLine(level, tag, message);
        text.chop(1);
        std::cout << text.toUtf8().constData() << '\n';
    } else {
        char stamp[24];
        formatStamp(stamp);
        const size_t stampLength = std::strlen(stamp);
        // "<stamp> <level> [<tag>] "
        const size_t prefixLength = stampLength + 1 + levelLength + 2 + tagLength + 2;
        if (prefixLength <= kPrefixRoom) {
            char* p = message - prefixLength;
            char* const start = p;
            std::memcpy(p, stamp, stampLength);
            p += stampLength;
            *p++ = ' ';
            std::memcpy(p, levelText, levelLength);
            p += levelLength;
            *p++ = ' ';
            *p++ = '[';
            std::memcpy(p, tagText, tagLength);
            p += tagLength;
            *p++ = ']';
            *p++ = ' ';
            message[messageLength] = '\n';
            // The whole line in one write.
            std::cout.write(start, std::streamsize(prefixLength + messageLength + 1));
        } else {
            std::cout << stamp << ' ' << levelText << " [" << tagText << "] " << message << '\n';
        }
    }
    // Warnings and errors reach the output at once; other lines at most kFlushInterval later,
    // or when the process ends normally (the standard streams are flushed on exit).
    const auto now = std::chrono::steady_clock::now();
    if (level >= LogWarning || now - m_lastFlush >= kFlushInterval) {
        std::cout.flush();
        m_lastFlush = now;
        return false;
    }
    return !m_flushScheduled.exchange(true);
}

void Logger::flush()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::cout.flush();
    m_lastFlush = std::chrono::steady_clock::now();
    m_flushScheduled = false;
}

QString Logger::formatLine(int level, const char* tag, const char* text)
{
    const QString levelText = (level >= 0 && level <= 3) ? QString::fromLatin1(kLevels[level]) : QString();
    return QStringLiteral("%1 %2 [%3] %4\n")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")), levelText,
             QString::fromUtf8(tag ? tag : ""), QString::fromUtf8(text ? text : ""));
}

} // namespace OV
