#include "os/platform/QProcessLauncher.h"

#include "core/Logger.h"

#include <QProcess>

namespace OV {

namespace {
const char* const kTag = "QProcessLauncher";
}

bool QProcessLauncher::startDetached(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    // A started program never reads what the user types into our terminal.
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached()) {
        Logger::warn(kTag, "cannot start %s: %s", program.toUtf8().constData(),
                     process.errorString().toUtf8().constData());
        return false;
    }
    return true;
}

std::optional<int> QProcessLauncher::run(const QString& program, const QStringList& arguments, QByteArray* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!output)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(-1)) {
        Logger::warn(kTag, "cannot start %s: %s", program.toUtf8().constData(),
                     process.errorString().toUtf8().constData());
        return std::nullopt;
    }
    process.closeWriteChannel();
    process.waitForFinished(-1);
    if (output)
        output->append(process.readAll());
    if (process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return process.exitCode();
}

} // namespace OV
