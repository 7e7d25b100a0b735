#include "main/StartupWindowChoice.h"

#include "core/Application.h"
#include "main/MainWindow.h"
#include "main/StartWindow.h"
#include "project/ProjectManager.h"

namespace OV {

bool StartupWindowChoice::choose(bool autoStart)
{
    ProjectManager* manager = ProjectManager::instance();
    const QStringList recent = manager->recentList();
    // Only the most recent project is tried; a failure is logged by the open itself.
    if (!recent.isEmpty() && manager->openProject(recent.first()).isOk()) {
        auto* window = new MainWindow(nullptr);
        window->setAttribute(Qt::WA_DeleteOnClose);
        if (!autoStart)
            window->show();
        else if (!MainWindow::isTrayAvailable())
            window->putAway(); // without a tray a hidden window could never be reached
        return true;
    }
    if (autoStart)
        return false;
    auto* start = new StartWindow(nullptr);
    start->setAttribute(Qt::WA_DeleteOnClose);
    start->show();
    return true;
}

bool StartupWindowChoice::chooseForApplication()
{
    return choose(Application::isAutoStart());
}

} // namespace OV
