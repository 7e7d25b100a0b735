#include "support/TestUtils.h"

#include <iostream>
#include <mutex>
#include <streambuf>
#include <string>

namespace OV::Test {

namespace {

// A string buffer that threads may write while the test reads it. It has no put area, so
// every write goes through the locked functions.
class LockedStringBuf : public std::streambuf
{
public:
    std::string text() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_text;
    }

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_text.append(s, size_t(n));
        return n;
    }
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_text.push_back(traits_type::to_char_type(c));
        return c;
    }

private:
    mutable std::mutex m_mutex;
    std::string m_text;
};

} // namespace

struct LogCapture::Impl
{
    LockedStringBuf buffer;
    std::streambuf* previous = nullptr;
};

LogCapture::LogCapture() : d(new Impl)
{
    d->previous = std::cout.rdbuf(&d->buffer);
}

LogCapture::~LogCapture()
{
    std::cout.rdbuf(d->previous);
    delete d;
}

QString LogCapture::text() const
{
    return QString::fromStdString(d->buffer.text());
}

QString appExecutable()
{
    return QStringLiteral(ORVEL_APP_EXECUTABLE);
}

} // namespace OV::Test
