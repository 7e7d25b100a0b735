#include "core/Logger.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>

namespace OV {

namespace {

const char* const kLevels[] = {"[D]", "[I]", "[W]", "[E]"};
// Lines below warning level may wait this long in the output buffer before it is flushed.
constexpr auto kFlushInterval = std::chrono::milliseconds(100);

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

// "yyyy-MM-dd hh:mm:ss.zzz" in local time; the date and time of day are made once a second.
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
    std::snprintf(out, sizeof(out), "%s.%03d", m_stampPrefix, int(now.tv_nsec / 1000000));
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
    char buffer[4096];
    std::vsnprintf(buffer, sizeof(buffer), format ? format : "", args);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_console)
        return false;
    if (!QByteArrayView(buffer).isValidUtf8() || (tag && !QByteArrayView(tag).isValidUtf8())) {
        // Written as text: bytes that are not UTF-8 become replacement characters.
        QString line = formatLine(level, tag, buffer);
        line.chop(1);
        std::cout << line.toUtf8().constData() << '\n';
    } else {
        // The whole line in one write.
        char stamp[24];
        formatStamp(stamp);
        char line[sizeof(buffer) + 512];
        const int length = std::snprintf(line, sizeof(line), "%s %s [%s] %s\n", stamp,
                                         (level >= 0 && level <= 3) ? kLevels[level] : "", tag ? tag : "", buffer);
        if (length > 0 && size_t(length) < sizeof(line)) {
            std::cout.write(line, length);
        } else {
            std::cout << stamp << ' ' << ((level >= 0 && level <= 3) ? kLevels[level] : "") << " [" << (tag ? tag : "")
                      << "] " << buffer << '\n';
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
