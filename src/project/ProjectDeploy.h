#pragma once

#include "core/BaseResult.h"
#include "core/HttpUploader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <memory>
#include <vector>

namespace OV {

class KestrinDevice;
class ProjectDbIntegrationBean;
class ProjectModuleUseCase;
class ProjectProfileUseCase;

// The waits of a deploy and where it works. The defaults are the product's; tests pass
// shorter waits, a folder of their own and the port of a stand-in.
struct DeploySettings
{
    int hostConfigWaitMs = 6000;
    int profilesWaitMs = 6000;
    int integrationWaitMs = 5000;
    int uploadWaitMs = 18000;
    UploadTimeouts uploadTimeouts{3000, 10000, 15000};
    int uploadPort = 8080;
    // The folder that holds "KestrinAssets" and its archive; empty: the application's temp folder.
    QString tempDir;
};

// Sends the open project to a hub. First the card and plug-in icons are written into the assets
// folder, as the profiles are built, and the folder is packed as a ZIP archive; then the hub is
// sent the hub configuration, the profiles and the integrations, and the archive over HTTP. One
// worker per run waits for each step, which runs on the GUI thread; the worker never touches the
// database or the hub itself. At exit the application stops the worker (the deploy fails) and
// waits for it.
class ProjectDeploy
{
    Q_DECLARE_TR_FUNCTIONS(ProjectDeploy)
public:
    static constexpr const char* kAssetsDirName = "KestrinAssets";
    static constexpr const char* kArchiveName = "KestrinAssets.zip";
    static constexpr const char* kImageDirName = "image";
    static constexpr const char* kUploadFieldName = "file";
    static constexpr const char* kUploadFileName = "kestrin_assets.zip";
    static constexpr int kZipLevel = 3;

    // Everything one run needs, gathered on the GUI thread before the worker starts.
    struct Job
    {
        std::shared_ptr<KestrinDevice> hub;
        std::shared_ptr<ProjectModuleUseCase> modules;
        std::shared_ptr<ProjectProfileUseCase> profiles;
        // The integration records in sort order, as read when the deploy started.
        BaseResult<std::vector<std::shared_ptr<ProjectDbIntegrationBean>>> integrationRecords;
        DeploySettings settings;
        // Called exactly once, on the GUI thread.
        BaseResultCallback<void> callback;
    };

    // Starts the worker; throws std::system_error when no thread can be started.
    static void start(Job job);

    // "http://<host>:<port>/upload/zip".
    static QString uploadUrl(const QString& host, int port = 8080);
    // The assets folder below the given temp folder (empty: the application's), made when
    // missing; throws std::runtime_error when it cannot be made.
    static QString assetsDir(const QString& tempDir);
    static QString archivePath(const QString& tempDir);
    // Writes an image of the deploy as "<assets>/image/<fileName>". A name that is not one safe
    // path component is refused (false). Without overwrite an existing file is kept (true). True
    // only when every byte reached the file; `error`, when given, gets the cause of a failure.
    static bool writeDeployImageFile(const QString& assetsDir, const QByteArray& bytes, const QString& fileName,
                                     bool overwrite, QString* error = nullptr);
    // "%1, details: %2" of a failed result, or the code's text alone when it has no detail.
    template <typename T>
    static QString readFailureText(const BaseResult<T>& result)
    {
        return readFailureText(result.error, result.message);
    }
    static QString readFailureText(const ErrorCode& error, const QString& detail);

private:
    static void run(Job job);
};

} // namespace OV
