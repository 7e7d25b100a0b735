#include "project/ProjectDeploy.h"
#include "core/Utils.h"

#include "core/AppDirs.h"
#include "core/FileUtils.h"
#include "core/Logger.h"
#include "core/MainThread.h"
#include "core/WaiterUtils.h"
#include "core/WorkerThreads.h"
#include "core/ZlibUtils.h"
#include "device/KestrinApi.h"
#include "device/KestrinDevice.h"
#include "project/ProjectDbIntegrationBean.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectIntegrationUseCase.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "store/StoreUtils.h"

#include <QUrl>

#include <nlohmann/json.hpp>

#include <mutex>
#include <optional>
#include <stdexcept>

namespace OV {

namespace {

constexpr const char* kTag = "ProjectManager";

// One step handed to the GUI thread. Its completion and the worker's time-out race under one
// lock: whichever comes first closes the step and the other finds it closed, so a completion
// after the worker stopped waiting writes nothing the worker reads. Every step has a waiter of
// its own, so a late notify cannot end a later wait early.
class DeployStep
{
public:
    bool isOpen() const
    {
        std::lock_guard lock(m_mutex);
        return !m_closed;
    }

    // GUI thread.
    void complete(BaseResult<void> result)
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_closed)
                return;
            m_closed = true;
            m_result = std::move(result);
        }
        m_waiter.notify();
    }

    // Worker. Empty when the time ran out before the step completed.
    std::optional<BaseResult<void>> wait(int ms)
    {
        m_waiter.waitFor(ms);
        std::lock_guard lock(m_mutex);
        m_closed = true;
        return m_result;
    }

private:
    mutable std::mutex m_mutex;
    bool m_closed = false;
    std::optional<BaseResult<void>> m_result;
    WaiterUtils m_waiter;
};

using HubRequest = std::function<void(const BaseResultCallback<void>& done)>;

// The application exits: no further step starts, and the one waited for counts as failed.
bool stopRequested(QString& errorText)
{
    if (!WorkerThreads::stopRequested())
        return false;
    errorText = QCoreApplication::translate("ProjectDeploy", "Deploy stopped as the application exits");
    return true;
}

BaseResult<void> deployFailure(const QString& text)
{
    return BaseResult<void>(Errors::DeployFailed, text);
}

// Runs one request on the GUI thread and waits for it. False, with the text set, when it failed or
// did not complete within the wait (then the text is lateText).
bool runGuiStep(int waitMs, HubRequest request, const QString& lateText, QString& errorText)
{
    if (stopRequested(errorText))
        return false;
    auto step = std::make_shared<DeployStep>();
    runOnMainThread([step, request = std::move(request)]() {
        if (!step->isOpen())
            return;
        try {
            request([step](const BaseResult<void>& result) { step->complete(result); });
        } catch (const std::exception& e) {
            step->complete(BaseResult<void>(Errors::Unknown, QString::fromUtf8(e.what())));
        }
    });
    const std::optional<BaseResult<void>> result = step->wait(waitMs);
    if (!result && stopRequested(errorText))
        return false;
    if (!result) {
        errorText = lateText;
        return false;
    }
    if (!result->isOk()) {
        errorText = formatErrorDetails(*result);
        return false;
    }
    return true;
}

// Runs one hub request on the GUI thread and waits for the hub's answer.
bool runHubStep(int act, int waitMs, HubRequest request, QString& errorText)
{
    return runGuiStep(
        waitMs, std::move(request),
        formatErrorDetails(
            Errors::RequestTimeout,
            QCoreApplication::translate("ProjectDeploy", "no reply to act %1 within %2 ms").arg(act).arg(waitMs)),
        errorText);
}

// The hub's answer to the upload: both "state" and "msg" must be there, and state 200.
BaseResult<void> judgeUploadReply(const QByteArray& body)
{
    int state = 0;
    std::string msg;
    try {
        const nlohmann::json reply = nlohmann::json::parse(body.constBegin(), body.constEnd());
        state = reply.at("state").get<int>();
        msg = reply.at("msg").get<std::string>();
    } catch (const std::exception& e) {
        Logger::error(kTag, "upload reply error:%s", e.what());
        return deployFailure(QCoreApplication::translate("ProjectDeploy", "Upload Kestrin Assets file error"));
    }
    if (state != 200)
        return deployFailure(QCoreApplication::translate("ProjectDeploy", "Upload Kestrin Assets file error, state:") +
                             OV::fromStdText(msg));
    return {};
}

QString uploadErrorText(const QString& detail)
{
    return QCoreApplication::translate("ProjectDeploy", "Upload Kestrin Assets file error:") + detail;
}

// Uploads the archive from the GUI thread and waits for the hub's answer.
bool runUploadStep(const ProjectDeploy::Job& job, const QString& archive, QString& errorText)
{
    if (stopRequested(errorText))
        return false;
    auto step = std::make_shared<DeployStep>();
    const DeploySettings& settings = job.settings;
    runOnMainThread([step, hub = job.hub, port = settings.uploadPort, timeouts = settings.uploadTimeouts, archive]() {
        if (!step->isOpen())
            return;
        HttpUploader* uploader = nullptr;
        try {
            uploader = new HttpUploader();
            const QUrl url(ProjectDeploy::uploadUrl(hub->getHost()->ip, port));
            UploadCallbacks callbacks;
            callbacks.onProgress = [step](qint64 sent, qint64 total) {
                if (!step->isOpen())
                    return;
                const int percent = total >= 1 ? static_cast<int>(static_cast<double>(sent) * 100.0 / total) : 0;
                Logger::info(kTag, "upload progress %lld/%lld, %d%%", static_cast<long long>(sent),
                             static_cast<long long>(total), percent);
            };
            callbacks.onSuccess = [step, uploader](const QByteArray& body) {
                if (step->isOpen())
                    step->complete(judgeUploadReply(body));
                uploader->deleteLater();
            };
            callbacks.onError = [step, uploader](const QString& text) {
                step->complete(deployFailure(uploadErrorText(text)));
                uploader->deleteLater();
            };
            uploader->upload(url, archive, callbacks, timeouts, QLatin1String(ProjectDeploy::kUploadFieldName),
                             QLatin1String(ProjectDeploy::kUploadFileName));
        } catch (const std::exception& e) {
            step->complete(deployFailure(uploadErrorText(QString::fromUtf8(e.what()))));
            if (uploader)
                uploader->deleteLater();
        }
    });
    const std::optional<BaseResult<void>> result = step->wait(settings.uploadWaitMs);
    if (!result && stopRequested(errorText))
        return false;
    if (!result) {
        errorText = uploadErrorText(
            QCoreApplication::translate("ProjectDeploy", "no reply within %1 ms").arg(settings.uploadWaitMs));
        return false;
    }
    if (!result->isOk()) {
        errorText = result->message;
        return false;
    }
    return true;
}

} // namespace

void ProjectDeploy::start(Job job)
{
    // Not detached: at exit the application stops the deploy and waits for it.
    WorkerThreads::start([job = std::move(job)]() mutable { run(std::move(job)); });
}

void ProjectDeploy::run(Job job)
{
    bool failed = false;
    QString errorText;
    std::optional<BaseResult<void>> crashed;
    try {
        const std::shared_ptr<KestrinDevice> hub = job.hub;
        const DeploySettings& settings = job.settings;
        const QString assets = assetsDir(settings.tempDir);
        const QString archive = archivePath(settings.tempDir);
        if (!removeAll(assets)) {
            failed = true;
            errorText = tr("Delete Kestrin Assets dir error, path:") + assets;
        }
        // Every file the hub is sent is made before the first message to it: a disk that cannot
        // take one ends the deploy with the cause and the hub told nothing. A profile that cannot
        // be built for another reason (a damaged record) fails the profiles step, which names it.
        auto builtProfiles = std::make_shared<BaseResult<nlohmann::json>>();
        if (!failed) {
            failed = !runGuiStep(
                settings.profilesWaitMs,
                [profiles = job.profiles, assets, builtProfiles](const BaseResultCallback<void>& done) {
                    *builtProfiles = profiles->buildAllProfiles(assets);
                    done(builtProfiles->error.code == Errors::WriteFailed.code ? BaseResult<void>::from(*builtProfiles)
                                                                               : BaseResult<void>());
                },
                tr("Kestrin Assets not written within %1 ms").arg(settings.profilesWaitMs), errorText);
        }
        if (!failed)
            failed = stopRequested(errorText);
        // Profiles that cannot be built fail their own step below, and the archive is never sent.
        if (!failed && builtProfiles->isOk()) {
            // Nothing may have been written into the folder since it was emptied.
            createDirectories(assets);
            QString cause;
            if (!ZlibUtils::packToZip(assets, archive, ZlibUtils::DirectoryContents, kZipLevel, &cause)) {
                failed = true;
                errorText = tr("Failed to create KestrinAssets.zip: %1").arg(cause);
            }
        }
        if (!failed) {
            failed = !runHubStep(
                KestrinApi::ActDeployKestrinConfig, settings.hostConfigWaitMs,
                [hub, modules = job.modules](const BaseResultCallback<void>& done) {
                    ProjectHostUseCase::deployConfig(hub, modules, done);
                },
                errorText);
        }
        if (!failed) {
            failed = !runHubStep(
                KestrinApi::ActDeployProfiles, settings.profilesWaitMs,
                [hub, builtProfiles](const BaseResultCallback<void>& done) {
                    if (!builtProfiles->isOk())
                        done(BaseResult<void>::from(*builtProfiles));
                    else
                        KestrinApi::deployProfiles(hub, *builtProfiles->data, done);
                },
                errorText);
        }
        if (!failed) {
            const auto& records = job.integrationRecords;
            if (!records.isOk() || !records.data) {
                failed = true;
                errorText = records.isOk() ? readFailureText(Errors::Unknown, {}) : readFailureText(records);
            } else if (!records.message.isEmpty()) {
                // Damaged integrations were left out of the read: the hub would lose them.
                failed = true;
                errorText = readFailureText(Errors::ReadFailed, records.message);
            } else {
                for (const std::shared_ptr<ProjectDbIntegrationBean>& record : *records.data) {
                    if (record->integType.isEmpty() || record->integType == QLatin1String("hotkey"))
                        continue;
                    failed = !runHubStep(
                        KestrinApi::ActDeployAppConfig, settings.integrationWaitMs,
                        [hub, record](const BaseResultCallback<void>& done) {
                            ProjectIntegrationUseCase::deployAppConfig(hub, *record, done);
                        },
                        errorText);
                    if (failed)
                        break;
                }
            }
        }
        if (!failed)
            failed = !runUploadStep(job, archive, errorText);
    } catch (const std::exception& e) {
        crashed = BaseResult<void>(Errors::Unknown, QString::fromUtf8(e.what()));
    }

    BaseResult<void> result;
    if (crashed)
        result = *crashed;
    else if (failed)
        result = deployFailure(errorText);
    if (!result.isOk())
        Logger::error(kTag, "deploy failed:%d %s", result.code(), qUtf8Printable(result.message));
    // The job goes with the final step, so the hub and the use cases are released on the GUI
    // thread, where they live.
    runOnMainThread([job = std::move(job), result]() {
        try {
            if (job.callback)
                job.callback(result);
        } catch (const std::exception& e) {
            Logger::error(kTag, "deploy callback error:%s", e.what());
        }
    });
}

QString ProjectDeploy::uploadUrl(const QString& host, int port)
{
    return QStringLiteral("http://%1:%2/upload/zip").arg(host).arg(port);
}

QString ProjectDeploy::assetsDir(const QString& tempDir)
{
    if (tempDir.isEmpty())
        return AppDirs::tempDir(QLatin1String(kAssetsDirName));
    const QString dir = tempDir + QLatin1Char('/') + QLatin1String(kAssetsDirName);
    if (!createDirectories(dir))
        throw std::runtime_error("create directory failed, path:" + dir.toStdString());
    return dir;
}

QString ProjectDeploy::archivePath(const QString& tempDir)
{
    return (tempDir.isEmpty() ? AppDirs::tempDir() : tempDir) + QLatin1Char('/') + QLatin1String(kArchiveName);
}

bool ProjectDeploy::writeDeployImageFile(const QString& assetsDir, const QByteArray& bytes, const QString& fileName,
                                         bool overwrite, QString* error)
{
    if (!isSafePathComponent(fileName)) {
        if (error)
            *error = QStringLiteral("invalid file name: ") + fileName;
        return false;
    }
    const QString path = assetsDir + QLatin1Char('/') + QLatin1String(kImageDirName) + QLatin1Char('/') + fileName;
    try {
        if (!overwrite && pathExists(path))
            return true;
    } catch (const std::exception& e) {
        Logger::error(kTag, "writeDeployImageFile error:%s", e.what());
        if (error)
            *error = QString::fromUtf8(e.what());
        return false;
    }
    return writeFile(path, bytes.constData(), 0, bytes.size(), false, error);
}

QString ProjectDeploy::readFailureText(const ErrorCode& error, const QString& detail)
{
    const QString text = QCoreApplication::translate("OV::ErrorCode", error.text);
    if (detail.isEmpty())
        return text;
    return tr("%1, details: %2").arg(text, detail);
}

} // namespace OV
