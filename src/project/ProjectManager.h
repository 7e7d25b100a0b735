#pragma once

#include "core/BaseResult.h"
#include "device/KestrinTimings.h"
#include "project/ProjectDeploy.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>

namespace OV {

class KestrinDevice;
class KestrinMessage;
class ProjectDbHostBean;
class ProjectDatabase;
class ProjectHostUseCase;
class ProjectIntegrationUseCase;
class ProjectMetaUseCase;
class ProjectModuleUseCase;
class ProjectPluginUseCase;
class ProjectProfileKsWidgetUseCase;
class ProjectProfileUseCase;

// The one open project of the process: its database, the use cases through which every screen
// reads and writes it, the session with the project's hub and the list of recently opened
// projects. At most one project is open; projectFileInfo() names it exactly while one is.
// GUI thread, except the use-case getters.
class ProjectManager
{
public:
    // Carries out one command the hub sent (act 1000000) with the hub current at that moment.
    using HubCommandHandler = std::function<void(const std::shared_ptr<KestrinDevice>&, const KestrinMessage&)>;

    static constexpr int kActHubCommand = 1000000;
    static constexpr const char* kConnectionName = "sql_cn_default";
    static constexpr const char* kRecentListFileName = "recent_project_list.json";
    static constexpr const char* kProjectExtension = ".ovpf";
    static constexpr const char* kSuggestedBaseName = "OrvelWorkSpaceProject";
    static constexpr int kRecentListWriteLimit = 100;
    static constexpr int kRecentListReadLimit = 64;
    static constexpr int32_t kProjectDataFormatVersion = 2;

    // The process-wide manager, made on first use (on the GUI thread) and never destroyed; it
    // keeps its recent list in the cache folder and proposes names in the project folder.
    static ProjectManager* instance();

    // A manager whose recent list lives in the given file and whose proposed names are free in
    // the given folder, and whose hub sessions run with the given timings. Loads the recent list.
    ProjectManager(QString recentListPath, QString projectDir, KestrinTimings hubTimings = {});
    ~ProjectManager();
    ProjectManager(const ProjectManager&) = delete;
    ProjectManager& operator=(const ProjectManager&) = delete;

    BaseResult<void> openProject(const QString& path);
    // Opens (with create, makes) the project file. An existing project is checked first: one
    // without a meta record (2004) or of a newer format (2000) is closed again, untouched.
    BaseResult<void> loadProject(const QString& path, bool create);
    // Makes "<folder>/<name>.ovpf" with its meta record and default profile, and opens it. A
    // failure leaves no file behind.
    BaseResult<void> createProject(const QString& name, const QString& folder);
    // Closes the open project, and stops and drops the current hub. Publishes "ON_PROJECT_CLOSED"
    // when a project was open.
    void closeProject();
    // The first of "OrvelWorkSpaceProject", "OrvelWorkSpaceProject1" ... "...99" without a
    // project file in the project folder; empty when all are taken.
    QString suggestNewProject() const;
    const QFileInfo& projectFileInfo() const { return m_projectFile; }

    std::shared_ptr<ProjectMetaUseCase> getMetaUseCase();
    std::shared_ptr<ProjectHostUseCase> getHostUseCase();
    std::shared_ptr<ProjectModuleUseCase> getModuleUseCase();
    std::shared_ptr<ProjectProfileUseCase> getProfileUseCase();
    std::shared_ptr<ProjectProfileKsWidgetUseCase> getProfileKsWidgetUseCase();
    std::shared_ptr<ProjectPluginUseCase> getPluginUseCase();
    std::shared_ptr<ProjectIntegrationUseCase> getIntegrationUseCase();

    // The session with the project's hub; empty when there is none.
    std::shared_ptr<KestrinDevice> getCurrentKestrin() const { return m_currentKestrin; }
    // Makes a new, not yet started session for the host the current hub (the previous one is
    // released, not stopped), or drops the current hub for an empty host, and publishes
    // "ON_KESTRIN_CHANGED". A token the hub issues is stored through the host use case.
    void setCurrentKestrin(const std::shared_ptr<ProjectDbHostBean>& host);
    // Sends the open project to the current hub. Publishes "ON_PRE_DEPLOY" first, so that open
    // editors save. Without a hub the callback gets 5100 at once; while a deploy runs another
    // one is refused with 5004 at once. Otherwise the worker runs and the callback gets its one
    // result later on the GUI thread: 0, 5004 with the reason, or 1000.
    void deployProject(BaseResultCallback<void> callback);
    bool isDeploying() const { return *m_deployRunning; }
    void setDeploySettings(DeploySettings settings) { m_deploySettings = std::move(settings); }

    // Where hub commands go; without a handler they are logged and ignored.
    void setHubCommandHandler(HubCommandHandler handler) { m_hubCommandHandler = std::move(handler); }

    // Project paths, most recent first.
    const QStringList& recentList() const { return m_recentList; }
    // Moves the path to the front and writes the list; throws std::exception when the file
    // cannot be written (the list in memory is changed already).
    void addRecentList(const QString& path);
    // Removes the path and writes the list; true when the file was written.
    bool removeRecentListItem(const QString& path);
    // Reads at most kRecentListReadLimit paths; a missing file gives an empty list, a damaged
    // one the paths read before the damage and one log line.
    void loadRecentList();

private:
    template <typename UseCase>
    std::shared_ptr<UseCase> useCase(std::shared_ptr<UseCase>& slot);
    void writeRecentList() const;
    void onHubMessage(const KestrinMessage& message);

    QStringList m_recentList;
    QFileInfo m_projectFile;
    std::shared_ptr<ProjectDatabase> m_database;
    std::shared_ptr<KestrinDevice> m_currentKestrin;
    std::shared_ptr<ProjectMetaUseCase> m_metaUseCase;
    std::shared_ptr<ProjectHostUseCase> m_hostUseCase;
    std::shared_ptr<ProjectModuleUseCase> m_moduleUseCase;
    std::shared_ptr<ProjectProfileUseCase> m_profileUseCase;
    std::shared_ptr<ProjectProfileKsWidgetUseCase> m_profileKsWidgetUseCase;
    std::shared_ptr<ProjectPluginUseCase> m_pluginUseCase;
    std::shared_ptr<ProjectIntegrationUseCase> m_integrationUseCase;
    // Guards the use-case slots: the deploy worker fetches use cases too.
    std::mutex m_useCaseMutex;
    QString m_recentListPath;
    QString m_projectDir;
    KestrinTimings m_hubTimings;
    HubCommandHandler m_hubCommandHandler;
    DeploySettings m_deploySettings;
    // Set while a deploy runs; shared with the run's last step, which may outlive the manager.
    std::shared_ptr<bool> m_deployRunning = std::make_shared<bool>(false);
    // Sessions may outlive the manager (a caller holds one); their callbacks into the manager
    // check that it still exists.
    std::shared_ptr<ProjectManager*> m_self;
};

} // namespace OV
