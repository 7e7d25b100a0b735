#pragma once

#include "support/StandinHub.h"
#include "support/StandinHubUploads.h"
#include "support/StandinPelloraModule.h"

#include <QString>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include <memory>

namespace OV {
class ProjectDbModuleBean;
}

namespace OV::Test {

// The process-wide project manager with a fresh project, and a stand-in hub (with a screen cube
// behind it and the upload endpoint on port 8080) on its own loopback address as the current,
// connected hub. Each test executable passes another address, so that parallel tests never share
// the upload port.
class ModuleTestEnv
{
public:
    explicit ModuleTestEnv(const QString& loopbackAddress);
    ~ModuleTestEnv();

    bool isValid() const { return m_valid; }
    bool connectHub(const QString& token = QStringLiteral("valid"));
    StandinHub& hub() { return *m_hub; }
    StandinHubUploads& uploads() { return *m_uploads; }
    StandinPelloraModule& pellora() { return *m_pellora; }
    QString dir() const { return m_dir.path(); }

    // A module record stored in the project; its record id is at least minId (fillers go first,
    // so that tests never build packages in the same temp folder).
    std::shared_ptr<ProjectDbModuleBean> addModule(uint64_t productId, const QString& sn, const nlohmann::json& data,
                                                   int64_t minId = 0);
    std::shared_ptr<ProjectDbModuleBean> storedModule(int64_t id);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<StandinHub> m_hub;
    std::unique_ptr<StandinHubUploads> m_uploads;
    StandinPelloraModule* m_pellora = nullptr;
    QString m_address;
    bool m_valid = false;
};

} // namespace OV::Test
