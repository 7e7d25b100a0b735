#pragma once

#include <QApplication>

#include <functional>

namespace OV {

class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    static Application* instance();
    static void setInstance(Application* app);

    // Throws what the lower layers throw (directories, settings); main reports it.
    void init();
    int run();

    static bool isAutoStart();

    // Decides the first window; returns false when start-up should end without a window.
    using StartupChoice = std::function<bool()>;
    static void setStartupChoice(StartupChoice choice);

private:
    static Application* s_instance;
};

} // namespace OV
