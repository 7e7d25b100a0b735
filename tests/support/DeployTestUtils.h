#pragma once

#include "core/BaseResult.h"
#include "project/ProjectDeploy.h"
#include "support/StandInHttpServer.h"
#include "support/StandinHub.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>

namespace OV {
class ProjectManager;
}

namespace OV::Test {

// Records of a project as the screens would store them, written straight through the use
// cases and the database of the manager's open project, in sort order of their making. Each
// returns the new record's id, or -1 after a failed test check.
class DeployTestProject
{
public:
    explicit DeployTestProject(ProjectManager& manager) : m_pm(manager) {}

    int64_t module(const char* gatewayType, uint64_t productId, const QString& sn, nlohmann::json extraConfig);
    // Stores "profiles" -> profileKey -> "deployConfig" in the module's data.
    bool moduleDeployConfig(int64_t moduleId, const QString& profileKey, const nlohmann::json& config);
    int64_t profile(const QString& name, const QString& icon);
    // A card with its data; iconBytes, when not empty, is stored as its "widget_icon" file.
    int64_t card(int64_t profileId, const QString& widgetType, const QString& uid, const QString& icon,
                 const nlohmann::json& data, const QByteArray& iconBytes = {});
    int64_t integration(const char* integType, const nlohmann::json& data);
    // A plug-in record with its package stored as "pack".
    int64_t plugin(const QString& uuid, const QByteArray& pack);

private:
    ProjectManager& m_pm;
    int64_t m_nextSortId = 1;
};

// What one deploy's callback was given.
struct DeployOutcome
{
    int calls = 0;
    BaseResult<void> result;
    bool onGuiThread = false;
    qint64 elapsedMs = 0;
};

// An open project in the given folder, a stand-in hub and a stand-in upload endpoint on loopback,
// and deploy settings that keep the assets in the folder and upload to the stand-in.
class DeployHarness : public QObject
{
    Q_OBJECT
public:
    explicit DeployHarness(const QString& workDir);
    ~DeployHarness() override;

    bool isValid() const { return m_valid; }
    ProjectManager& pm() { return *m_pm; }
    StandinHub& hub() { return *m_hub; }
    StandInHttpServer& http() { return *m_http; }
    // Makes a session with the stand-in the current hub and waits until it is ready.
    bool startHub();
    // Deploys with the settings as they are now.
    std::shared_ptr<DeployOutcome> deploy();
    static bool finished(const std::shared_ptr<DeployOutcome>& outcome, int timeoutMs = 10000);
    QList<HttpRequest> uploads() const;

    DeploySettings settings;
    // Topics published on the event bus since the harness was made.
    QStringList topics;

private:
    std::unique_ptr<ProjectManager> m_pm;
    std::unique_ptr<StandinHub> m_hub;
    std::unique_ptr<StandInHttpServer> m_http;
    bool m_valid = false;
};

// The entries of a ZIP archive, by name, read through its central directory; empty when the
// archive cannot be read.
QMap<QString, QByteArray> zipEntries(const QByteArray& zip);

// A ZIP archive (stored entries) of the given files, made with the product's writer.
QByteArray makeZip(const QMap<QString, QByteArray>& files);

} // namespace OV::Test
