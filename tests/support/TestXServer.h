#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace OV::Test {

// An X server of one test's own (Xvfb on a free display), optionally with a window manager, so
// that what the test does to selections and window placement meets no other test.
class TestXServer
{
public:
    TestXServer() = default;
    ~TestXServer();
    TestXServer(const TestXServer&) = delete;
    TestXServer& operator=(const TestXServer&) = delete;

    // Starts the server, then `windowManager` (program and arguments) on it when given, and waits
    // until each accepts work. False with `error` set when either does not start.
    bool start(const QStringList& windowManager = {}, QString* error = nullptr);
    // ":N" once started.
    QString display() const { return m_display; }
    // The environment for a child process to run on this server with Qt's X11 platform.
    QProcessEnvironment environment() const;

private:
    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
};

// Makes this process run on `display` (when not empty) as a desktop program does, before the
// application object exists: Qt's X11 platform on that display. Under AddressSanitizer's strict
// string checks the process starts again without them: the X keyboard library Qt loads hands
// strndup unterminated sources, which the check reports against that library, not our code.
void useDisplay(char** argv, const QByteArray& display);

// Runs the current test row again in a child process on `server`, which runs it under
// `isRowOnServer()`. True when the child passed; `output` gets its verdict lines.
bool runRowOnServer(const TestXServer& server, QString* output);
// Starts an X server of the row's own, with `windowManager` when given, and runs the current row
// there as runRowOnServer does. True when both went well; else `output` says what failed.
bool runRowOnOwnServer(const QStringList& windowManager, QString* output);
// Whether this process is such a child.
bool isRowOnServer();

} // namespace OV::Test
