#include "support/MainScreensTestUtils.h"

#include "device/KestrinDevice.h"
#include "main/MainWindow.h"
#include "project/ProjectDbHostBean.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "support/StandinHub.h"
#include "support/TestSetup.h"

#include <QFile>
#include <QTest>

namespace OV::Test {

bool openFreshProject(const QString& folder, const QString& name)
{
    ProjectManager* pm = ProjectManager::instance();
    pm->closeProject();
    QFile::remove(folder + QLatin1Char('/') + name + QLatin1String(ProjectManager::kProjectExtension));
    return pm->createProject(name, folder).isOk();
}

QString makeClosedProject(const QString& folder, const QString& name)
{
    ProjectManager* pm = ProjectManager::instance();
    const QString file = folder + QLatin1Char('/') + name + QLatin1String(ProjectManager::kProjectExtension);
    QFile::remove(file);
    if (!pm->createProject(name, folder).isOk())
        return {};
    pm->closeProject();
    return file;
}

MainWindow* openMainWindow(const QString& file)
{
    if (!ProjectManager::instance()->openProject(file).isOk())
        return nullptr;
    auto* window = new MainWindow(nullptr);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

std::vector<int64_t> addModules(const std::vector<QString>& serials, uint64_t productId)
{
    ProjectModuleUseCase::BeanList beans;
    for (const QString& serial : serials) {
        auto bean = std::make_shared<ProjectDbModuleBean>();
        bean->gatewayType = QStringLiteral("can");
        bean->productId = productId;
        bean->sn = serial;
        bean->name = serial;
        beans.push_back(bean);
    }
    std::vector<int64_t> ids;
    if (!ProjectManager::instance()->getModuleUseCase()->addModules(beans).isOk())
        return ids;
    for (const auto& bean : beans)
        ids.push_back(bean->id);
    return ids;
}

bool pairCurrentHub(StandinHub& hub, const QString& serial, int timeoutMs)
{
    ProjectManager* pm = ProjectManager::instance();
    const auto host = standinHost(hub, serial);
    if (!pm->getHostUseCase()->saveHost(*host).isOk())
        return false;
    return startCurrentHub(*pm, host, timeoutMs);
}

} // namespace OV::Test
