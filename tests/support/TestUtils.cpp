#include "support/TestUtils.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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

bool runRowWithSettings(const QByteArray& settings, QString* output)
{
    // A row that asks again inside its own run would start runs without end.
    const char* const marker = "ORVEL_TEST_ROW_RERUN";
    if (qEnvironmentVariableIsSet(marker)) {
        *output = QStringLiteral("the settings did not take in the run started for them");
        return false;
    }
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("settings.json")));
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(settings) != settings.size())
        return false;
    file.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(marker), QStringLiteral("1"));
    return runRowInChild(environment, folder.path(), output);
}

bool runRowInChild(const QProcessEnvironment& environment, const QString& workingDirectory, QString* output)
{
    QProcess run;
    if (!workingDirectory.isEmpty())
        run.setWorkingDirectory(workingDirectory);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.setProcessEnvironment(environment);
    const QString row = QString::fromLatin1(QTest::currentTestFunction()) + QLatin1Char(':') +
                        QString::fromUtf8(QTest::currentDataTag());
    run.start(QCoreApplication::applicationFilePath(), {row});
    const bool ended = run.waitForFinished(120000);
    // The test's verdict and its details, without the program's log.
    output->clear();
    for (const QString& line : QString::fromUtf8(run.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("FAIL!")) || line.startsWith(QLatin1String("   ")) ||
            line.startsWith(QLatin1String("Totals")))
            *output += line + QLatin1Char('\n');
    }
    return ended && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
}

} // namespace OV::Test
