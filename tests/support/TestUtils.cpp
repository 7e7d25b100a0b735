#include "support/TestUtils.h"

#include <iostream>
#include <sstream>

namespace OV::Test {

struct LogCapture::Impl
{
    std::ostringstream buffer;
    std::streambuf* previous = nullptr;
};

LogCapture::LogCapture() : d(new Impl)
{
    d->previous = std::cout.rdbuf(d->buffer.rdbuf());
}

LogCapture::~LogCapture()
{
    std::cout.rdbuf(d->previous);
    delete d;
}

QString LogCapture::text() const
{
    return QString::fromStdString(d->buffer.str());
}

QString appExecutable()
{
    return QStringLiteral(ORVEL_APP_EXECUTABLE);
}

} // namespace OV::Test
