#include "support/TestXServer.h"

#include "support/TestUtils.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <unistd.h>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace OV::Test {

namespace {

constexpr int kStartMs = 15000;
const char* const kRowMarker = "ORVEL_TEST_ROW_ON_SERVER";

// Whether a window manager announces itself on the display's root (EWMH's check window).
bool windowManagerRuns(const QByteArray& display)
{
    Display* dpy = XOpenDisplay(display.constData());
    if (!dpy)
        return false;
    const Atom check = XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(dpy, DefaultRootWindow(dpy), check, 0, 1, False, XA_WINDOW, &type, &format,
                                          &count, &after, &data) == Success &&
                       type == XA_WINDOW && count == 1;
    if (data)
        XFree(data);
    XCloseDisplay(dpy);
    return found;
}

void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

} // namespace

TestXServer::~TestXServer()
{
    stop(m_windowManager);
    stop(m_server);
}

bool TestXServer::start(const QStringList& windowManager, QString* error)
{
    auto failed = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    // Xvfb picks a free display itself and writes its number once it accepts clients.
    m_server.setProcessChannelMode(QProcess::SeparateChannels);
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                    QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_server.waitForStarted(kStartMs))
        return failed(QStringLiteral("Xvfb does not start (scripts/deps.sh installs it)"));
    QByteArray number;
    QElapsedTimer timer;
    timer.start();
    while (!number.endsWith('\n') && timer.elapsed() < kStartMs && m_server.state() == QProcess::Running) {
        m_server.waitForReadyRead(200);
        number += m_server.readAllStandardOutput();
    }
    if (!number.endsWith('\n'))
        return failed(QStringLiteral("Xvfb gave no display: ") +
                      QString::fromLocal8Bit(m_server.readAllStandardError()));
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    if (windowManager.isEmpty())
        return true;

    m_windowManager.setProcessEnvironment(environment());
    m_windowManager.setProcessChannelMode(QProcess::MergedChannels);
    m_windowManager.start(windowManager.first(), windowManager.mid(1));
    if (!m_windowManager.waitForStarted(kStartMs))
        return failed(windowManager.first() + QStringLiteral(" does not start (scripts/deps.sh installs it)"));
    while (!windowManagerRuns(m_display.toLatin1())) {
        if (timer.elapsed() > kStartMs || m_windowManager.state() != QProcess::Running)
            return failed(windowManager.first() + QStringLiteral(" did not take the display: ") +
                          QString::fromLocal8Bit(m_windowManager.readAll()));
        QThread::msleep(50);
    }
    return true;
}

QProcessEnvironment TestXServer::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
}

void useDisplay(char** argv, const QByteArray& display)
{
    if (display.isEmpty())
        return;
    QByteArray options = qgetenv("ASAN_OPTIONS");
    if (options.contains("strict_string_checks=1")) {
        options.replace("strict_string_checks=1", "strict_string_checks=0");
        qputenv("ASAN_OPTIONS", options);
        execv("/proc/self/exe", argv);
    }
    qputenv("DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "xcb");
}

bool runRowOnServer(const TestXServer& server, QString* output)
{
    QProcessEnvironment environment = server.environment();
    environment.insert(QString::fromLatin1(kRowMarker), QStringLiteral("1"));
    return runRowInChild(environment, QString(), output);
}

bool runRowOnOwnServer(const QStringList& windowManager, QString* output)
{
    TestXServer server;
    return server.start(windowManager, output) && runRowOnServer(server, output);
}

bool isRowOnServer()
{
    return qEnvironmentVariableIsSet(kRowMarker);
}

} // namespace OV::Test
