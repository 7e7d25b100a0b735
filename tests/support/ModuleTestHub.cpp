#include "support/ModuleTestHub.h"

#include "device/KestrinDevice.h"
#include "project/ProjectDbHostBean.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "support/ProjectRawSqlite.h"
#include "support/StandInHttpServer.h"
#include "support/TestSetup.h"
#include "widgets/MessageDialog.h"

#include <QTest>

namespace OV::Test {

ModuleTestHub::ModuleTestHub(bool withScreenCube)
    : m_cube(withScreenCube ? installPelloraModule(m_hub) : nullptr), m_modules(new StandinHubModules(m_hub))
{
    m_modules->setDiscoveryDelayMs(30);
    const std::shared_ptr<QStringList> messages = m_messages;
    MessageDialog::setAnswerProvider([messages](MessageDialog& dialog) {
        messages->append(dialog.text());
        return 3;
    });
}

ModuleTestHub::~ModuleTestHub()
{
    MessageDialog::setAnswerProvider({});
    // Lets late replies land while the stand-in still exists.
    QTest::qWait(30);
    ProjectManager::instance()->closeProject();
}

bool ModuleTestHub::start()
{
    ProjectManager* pm = ProjectManager::instance();
    pm->closeProject();
    if (!m_dir.isValid() || !pm->createProject(QStringLiteral("Modules"), m_dir.path()).isOk() || !m_hub.listen())
        return false;
    m_projectPath = pm->projectFileInfo().absoluteFilePath();
    m_hub.setValidToken(QStringLiteral("valid"));
    const auto host = standinHost(m_hub, QStringLiteral("KS-MODULES"), QStringLiteral("valid"));
    host->name = QStringLiteral("Desk hub");
    if (!pm->getHostUseCase()->saveHost(*host).isOk())
        return false;
    return startCurrentHub(*pm, host, 8000);
}

void ModuleTestHub::dropHub()
{
    ProjectManager::instance()->setCurrentKestrin(nullptr);
}

ModuleTestHub::BeanPtr ModuleTestHub::storeModule(const char* gatewayType, uint64_t productId, const QString& sn,
                                                  int netId, int workMode, const nlohmann::json& data)
{
    auto bean = std::make_shared<ProjectDbModuleBean>();
    bean->gatewayType = QString::fromLatin1(gatewayType);
    bean->productId = productId;
    bean->name = QStringLiteral("Stored ") + sn;
    bean->sn = sn;
    bean->netId = netId;
    bean->workMode = workMode;
    bean->data = data;
    std::vector<BeanPtr> list{bean};
    if (!ProjectManager::instance()->getModuleUseCase()->addModules(list).isOk())
        return nullptr;
    return bean;
}

std::vector<ModuleTestHub::BeanPtr> ModuleTestHub::storedModules() const
{
    const auto found = ProjectManager::instance()->getModuleUseCase()->accessor->findAll(true);
    return found.isOk() ? *found.data : std::vector<BeanPtr>();
}

nlohmann::json ModuleTestHub::deployProfiles()
{
    StandInHttpServer uploads;
    if (!uploads.start())
        return nullptr;
    uploads.route(QStringLiteral("/upload/zip"), HttpReply::json({{"state", 200}, {"msg", "ok"}}));
    DeploySettings settings;
    settings.tempDir = m_dir.filePath(QStringLiteral("deploy"));
    settings.uploadPort = uploads.port();
    ProjectManager* pm = ProjectManager::instance();
    pm->setDeploySettings(settings);
    m_hub.clearRecords();
    const auto done = std::make_shared<bool>(false);
    pm->deployProject([done](const BaseResult<void>&) { *done = true; });
    if (!QTest::qWaitFor([done] { return *done; }, 30000))
        return nullptr;
    const QList<nlohmann::json> sent = m_hub.received(1108);
    return sent.isEmpty() ? nlohmann::json() : sent.back().value("data", nlohmann::json());
}

bool ModuleTestHub::lockModuleUpdates(bool locked)
{
    ProjectRawSqlite raw(m_projectPath);
    if (locked)
        return raw.exec(QStringLiteral("CREATE TRIGGER lock_modules BEFORE UPDATE ON json_store WHEN OLD.type = "
                                       "'module' BEGIN SELECT RAISE(ABORT, 'module records are locked'); END;"));
    return raw.exec(QStringLiteral("DROP TRIGGER IF EXISTS lock_modules;"));
}

} // namespace OV::Test
