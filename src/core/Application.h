#pragma once

#include <QApplication>

#include <functional>

namespace OV {

class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    // Stops and waits for the background workers first: none may run while the objects go away.
    ~Application() override;

    // Last resort only: an exception that leaves an event handler is logged and reported
    // instead of ending the program. Handlers catch what they expect themselves.
    bool notify(QObject* receiver, QEvent* event) override;

    static Application* instance();
    static void setInstance(Application* app);

    // Throws what the lower layers throw (directories, settings); main reports it.
    void init();
    int run();

    static bool isAutoStart();

    // Ends the program as its "Exit" does: windows that would only hide on closing are told
    // first (exitRequested), then the application is asked to quit.
    static void requestExit();

    // Decides the first window; returns false when start-up should end without a window.
    using StartupChoice = std::function<bool()>;
    static void setStartupChoice(StartupChoice choice);

signals:
    void exitRequested();

private:
    void onStopRequested();
    void reportEscaped(QObject* receiver, QEvent* event, const char* what);

    static Application* s_instance;
};

} // namespace OV
