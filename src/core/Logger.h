#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <ctime>
#include <mutex>

#define OV_PRINTF_FORMAT(fmtPos, argPos) __attribute__((format(printf, fmtPos, argPos)))

namespace OV {

enum LogLevel : int {
    LogDebug = 0,
    LogInfo = 1,
    LogWarning = 2,
    LogError = 3,
};

// The one process-wide logger: one line per call to standard output, serialised by one mutex.
// Lines below warning level are buffered for at most a tenth of a second; warnings and errors
// are flushed at once, and everything is flushed when the process ends normally.
class Logger
{
public:
    static Logger* instance();

    static void debug(const char* tag, const char* format, ...) OV_PRINTF_FORMAT(2, 3);
    static void info(const char* tag, const char* format, ...) OV_PRINTF_FORMAT(2, 3);
    static void warn(const char* tag, const char* format, ...) OV_PRINTF_FORMAT(2, 3);
    static void error(const char* tag, const char* format, ...) OV_PRINTF_FORMAT(2, 3);

    void setMinLevel(int level) { m_minLevel = level; }
    int minLevel() const { return m_minLevel; }
    void setConsole(bool on) { m_console = on; }
    bool console() const { return m_console; }

    void write(int level, const char* tag, const char* format, va_list args) OV_PRINTF_FORMAT(4, 0);
    // Writes out what is buffered.
    void flush();
    static QString formatLine(int level, const char* tag, const char* text);

private:
    Logger() = default;
    void formatStamp(char (&out)[24]);
    // Returns whether the line stayed in the buffer with no flush arranged yet.
    bool writeLine(int level, const char* tag, const char* format, va_list args) OV_PRINTF_FORMAT(4, 0);
    void scheduleFlush();

    std::atomic<int> m_minLevel{0};
    std::atomic<bool> m_console{true};
    std::mutex m_mutex;
    std::time_t m_stampSecond = -1;
    char m_stampPrefix[20] = {};
    std::chrono::steady_clock::time_point m_lastFlush;
    std::atomic<bool> m_flushScheduled{false};
};

} // namespace OV
