#pragma once

#include "support/StandinHub.h"
#include "support/StandinHubModules.h"
#include "support/StandinPelloraModule.h"

#include <QStringList>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include <memory>
#include <vector>

namespace OV {
class ProjectDbModuleBean;
}

namespace OV::Test {

// A project open in the process-wide project manager, its hub a stand-in on loopback with
// modules, as the module screens find them (with a screen cube's properties behind it too, as
// the runnable stand-in has them, when asked). Message dialogs are answered at once and their
// texts kept.
class ModuleTestHub
{
public:
    using BeanPtr = std::shared_ptr<ProjectDbModuleBean>;

    explicit ModuleTestHub(bool withScreenCube = false);
    ~ModuleTestHub();

    // Creates the project, makes the stand-in its hub and waits until the session is ready.
    bool start();
    // The project without a current hub.
    void dropHub();

    StandinHub& hub() { return m_hub; }
    StandinHubModules& modules() { return *m_modules; }
    // Null unless made with the screen cube.
    StandinPelloraModule* screenCube() const { return m_cube; }
    QString projectPath() const { return m_projectPath; }

    BeanPtr storeModule(const char* gatewayType, uint64_t productId, const QString& sn, int netId, int workMode = 1,
                        const nlohmann::json& data = nlohmann::json::object());
    std::vector<BeanPtr> storedModules() const;
    // Deploys the project to the stand-in (its archive to an upload endpoint that accepts it)
    // and returns the profiles it received with act 1108; null when none arrived.
    nlohmann::json deployProfiles();
    // Makes every update of a module record fail in the database, or lets them pass again.
    bool lockModuleUpdates(bool locked);

    // The texts of the message dialogs answered since the last clearMessages().
    QStringList messages() const { return *m_messages; }
    void clearMessages() { m_messages->clear(); }

private:
    QTemporaryDir m_dir;
    StandinHub m_hub;
    StandinPelloraModule* m_cube = nullptr;
    StandinHubModules* m_modules = nullptr;
    QString m_projectPath;
    std::shared_ptr<QStringList> m_messages = std::make_shared<QStringList>();
};

} // namespace OV::Test
