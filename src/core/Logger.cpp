#include "core/Logger.h"

#include <QDateTime>

#include <cstdio>
#include <iostream>

namespace OV {

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

void Logger::write(int level, const char* tag, const char* format, va_list args)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    char buffer[4096];
    std::vsnprintf(buffer, sizeof(buffer), format ? format : "", args);
    QString line = formatLine(level, tag, buffer);
    if (!m_console)
        return;
    line.chop(1);
    std::cout << line.toUtf8().constData() << std::endl;
}

QString Logger::formatLine(int level, const char* tag, const char* text)
{
    static const char* const kLevels[] = {"[D]", "[I]", "[W]", "[E]"};
    const QString levelText = (level >= 0 && level <= 3) ? QString::fromLatin1(kLevels[level]) : QString();
    return QStringLiteral("%1 %2 [%3] %4\n")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")), levelText,
             QString::fromUtf8(tag ? tag : ""), QString::fromUtf8(text ? text : ""));
}

} // namespace OV
