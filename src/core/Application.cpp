#include "core/Application.h"

#include "core/AppDirs.h"
#include "core/EventBus.h"
#include "core/Logger.h"
#include "core/Settings.h"
#include "core/TerminationSignals.h"
#include "core/ThemeLoader.h"
#include "core/WorkerThreads.h"
#include "widgets/MessageDialog.h"

#include <QLoggingCategory>
#include <QMetaObject>

#include <exception>

namespace OV {

Application* Application::s_instance = nullptr;

namespace {
bool g_autoStart = false;
bool g_autoStartComputed = false;

Application::StartupChoice& startupChoice()
{
    static Application::StartupChoice choice;
    return choice;
}
} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

Application::~Application()
{
    WorkerThreads::stopAndWaitAll();
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        reportEscaped(receiver, event, e.what());
    } catch (...) {
        reportEscaped(receiver, event, "unknown exception");
    }
    return false;
}

void Application::reportEscaped(QObject* receiver, QEvent* event, const char* what)
{
    Logger::error("Application", "exception escaped an event handler: %s, receiver: %s, event: %d", what,
                  receiver ? receiver->metaObject()->className() : "none", event ? int(event->type()) : -1);
    // Shown once the handler that failed is left behind.
    QMetaObject::invokeMethod(
        this, []() { MessageDialog::error(QStringLiteral("unknown error"), true); }, Qt::QueuedConnection);
}

Application* Application::instance()
{
    return s_instance;
}

void Application::setInstance(Application* app)
{
    s_instance = app;
}

void Application::init()
{
    EventBus::registerMetaType();
    Logger::instance()->setMinLevel(LogDebug);
    Logger::instance()->setConsole(true);
    AppDirs::ensureAll();
    QCoreApplication::setOrganizationName(QStringLiteral("Brelvik"));
    QCoreApplication::setApplicationName(QStringLiteral("OrvelWorkSpace"));
    ThemeLoader::instance()->setTheme(Settings::instance()->theme());
    setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("base")));
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio.debug=true"));
    connect(new TerminationSignals(this), &TerminationSignals::stopRequested, this, &Application::onStopRequested);
}

void Application::requestExit()
{
    if (s_instance)
        emit s_instance->exitRequested();
    QCoreApplication::quit();
}

// A stop asked by the session or a terminal ends the program as "Exit" does. A window may still
// refuse to close (a module mid-update); asked again, the program ends regardless (the watcher
// ends it from its handler).
void Application::onStopRequested()
{
    requestExit();
}

bool Application::isAutoStart()
{
    if (g_autoStartComputed)
        return g_autoStart;
    const QStringList args = QCoreApplication::arguments();
    g_autoStart = args.contains(QStringLiteral("--autostart"));
    g_autoStartComputed = true;
    Logger::info("Application", "Program args: %s", args.join(QLatin1Char(' ')).toUtf8().constData());
    Logger::info("Application", "Is AutoStart: %d", g_autoStart ? 1 : 0);
    return g_autoStart;
}

void Application::setStartupChoice(StartupChoice choice)
{
    startupChoice() = std::move(choice);
}

int Application::run()
{
    const bool autoStart = isAutoStart();
    const bool windowOpened = startupChoice() ? startupChoice()() : false;
    if (!windowOpened) {
        if (autoStart)
            return 0;
        Logger::warn("Application", "no start-up window available");
        return 0;
    }
    return QApplication::exec();
}

} // namespace OV
