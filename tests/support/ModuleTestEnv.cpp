#include "support/ModuleTestEnv.h"

#include "core/TokenScrambler.h"
#include "device/KestrinDevice.h"
#include "project/ProjectDbHostBean.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"

#include <QDir>
#include <QHostAddress>
#include <QTest>

namespace OV::Test {

ModuleTestEnv::ModuleTestEnv(const QString& loopbackAddress) : m_address(loopbackAddress)
{
    ProjectManager* pm = ProjectManager::instance();
    pm->closeProject();
    m_hub = std::make_unique<StandinHub>();
    m_pellora = installPelloraModule(*m_hub);
    m_uploads = std::make_unique<StandinHubUploads>(m_dir.filePath(QStringLiteral("uploads")));
    m_valid = m_dir.isValid() && QDir().mkpath(m_dir.filePath(QStringLiteral("uploads"))) &&
              pm->createProject(QStringLiteral("Modules"), m_dir.path()).isOk() &&
              m_hub->listen(QHostAddress(loopbackAddress), 0) && m_uploads->start(QHostAddress(loopbackAddress), 8080);
}

ModuleTestEnv::~ModuleTestEnv()
{
    QTest::qWait(30);
    ProjectManager::instance()->closeProject();
    m_uploads.reset();
    m_hub.reset();
}

bool ModuleTestEnv::connectHub(const QString& token)
{
    m_hub->setValidToken(token);
    auto host = std::make_shared<ProjectDbHostBean>();
    host->connType = QStringLiteral("tcp");
    host->ip = m_address;
    host->port = m_hub->port();
    host->sn = QStringLiteral("KS-MODULES");
    host->token = encodeToken(token);
    ProjectManager* pm = ProjectManager::instance();
    pm->setCurrentKestrin(host);
    const auto device = pm->getCurrentKestrin();
    device->start(nullptr);
    return QTest::qWaitFor([&] { return device->isReady(); }, 5000);
}

std::shared_ptr<ProjectDbModuleBean> ModuleTestEnv::addModule(uint64_t productId, const QString& sn,
                                                              const nlohmann::json& data, int64_t minId)
{
    const auto modules = ProjectManager::instance()->getModuleUseCase();
    auto bean = std::make_shared<ProjectDbModuleBean>();
    bean->gatewayType = QStringLiteral("can");
    bean->productId = productId;
    bean->name = sn;
    bean->sn = sn;
    bean->data = data.is_null() ? nlohmann::json::object() : data;
    // Fillers until the id is reached, removed once the module is stored.
    std::vector<int64_t> fillers;
    for (;;) {
        bean->id = -1;
        if (!modules->insert(*bean).isOk())
            return nullptr;
        if (bean->id >= minId)
            break;
        fillers.push_back(bean->id);
        bean->sn = sn + QStringLiteral("-%1").arg(fillers.size());
    }
    bean->sn = sn;
    for (int64_t id : fillers)
        modules->remove(id);
    if (!fillers.empty() && !modules->update(*bean).isOk())
        return nullptr;
    return bean;
}

std::shared_ptr<ProjectDbModuleBean> ModuleTestEnv::storedModule(int64_t id)
{
    const auto found = ProjectManager::instance()->getModuleUseCase()->accessor->findById(id);
    return found.isOk() && found.data ? *found.data : nullptr;
}

} // namespace OV::Test
