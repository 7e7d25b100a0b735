#include "core/Application.h"
#include "core/Logger.h"
#include "main/StartupWindowChoice.h"
#include "store/MainUtils.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    try {
        OV::Application app(argc, argv);
        OV::Application::setInstance(&app);
        app.init();
        OV::MainUtils::removeUnpackLeftovers();
        OV::Application::setStartupChoice(&OV::StartupWindowChoice::chooseForApplication);
        const int code = app.run();
        OV::Application::setInstance(nullptr);
        return code;
    } catch (const std::exception& e) {
        // A start that cannot complete ends in order: logged, told on stderr, non-zero exit.
        OV::Logger::error("Application", "start-up failed: %s", e.what());
        std::fprintf(stderr, "OrvelWorkSpace: start-up failed: %s\n", e.what());
        return 1;
    }
}
