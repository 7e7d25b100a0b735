#include "project/ProjectManager.h"
#include "core/Utils.h"

#include "core/AppDirs.h"
#include "core/EventBus.h"
#include "core/FileUtils.h"
#include "core/Logger.h"
#include "core/PersistentStore.h"
#include "device/KSCmdUseCase.h"
#include "device/KestrinDevice.h"
#include "device/KestrinMessage.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectIntegrationUseCase.h"
#include "project/ProjectMetaUseCase.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectPluginUseCase.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>

#include <nlohmann/json.hpp>

#include <stdexcept>

namespace OV {

namespace {

constexpr const char* kTag = "ProjectManager";

QString tr(const char* text)
{
    return QCoreApplication::translate("ProjectManager", text);
}

} // namespace

ProjectManager* ProjectManager::instance()
{
    static ProjectManager* manager = [] {
        auto* made = new ProjectManager(AppDirs::cacheDir() + QLatin1Char('/') + QLatin1String(kRecentListFileName),
                                        AppDirs::projectDir());
        // The hub's commands for the PC are carried out by the command use case.
        made->setHubCommandHandler([](const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message) {
            KSCmdUseCase::instance()->process(device, message);
        });
        return made;
    }();
    return manager;
}

ProjectManager::ProjectManager(QString recentListPath, QString projectDir, KestrinTimings hubTimings)
    : m_database(std::make_shared<ProjectDatabase>()), m_recentListPath(std::move(recentListPath)),
      m_projectDir(std::move(projectDir)), m_hubTimings(std::move(hubTimings)),
      m_self(std::make_shared<ProjectManager*>(this))
{
    loadRecentList();
}

ProjectManager::~ProjectManager()
{
    closeProject();
}

BaseResult<void> ProjectManager::openProject(const QString& path)
{
    return loadProject(path, false);
}

BaseResult<void> ProjectManager::loadProject(const QString& path, bool create)
{
    BaseResult<void> result = m_database->open(path, create, QLatin1String(kConnectionName));
    if (result.isOk() && !create) {
        const BaseResult<std::shared_ptr<ProjectDbMetaBean>> meta = getMetaUseCase()->accessor->findFirst();
        if (!meta.isOk()) {
            closeProject();
            return BaseResult<void>::from(meta);
        }
        // Every project is made with its meta record; a file without one is not a project of ours.
        if (!*meta.data) {
            closeProject();
            return BaseResult<void>(Errors::InvalidDatabaseFormat, tr("The project has no meta record"));
        }
        if ((*meta.data)->project_data_format_version > kProjectDataFormatVersion) {
            closeProject();
            return BaseResult<void>(Errors::OpenProjectFailed,
                                    tr("This project was created with a newer version of OrvelMate: %1")
                                        .arg((*meta.data)->create_app_version_name));
        }
    }
    if (result.isOk()) {
        try {
            addRecentList(path);
        } catch (const std::exception& e) {
            Logger::error(kTag, "addRecentList error:%s", e.what());
        }
        m_projectFile = QFileInfo(path);
    }
    std::lock_guard<std::mutex> lock(m_useCaseMutex);
    m_metaUseCase.reset();
    m_hostUseCase.reset();
    m_moduleUseCase.reset();
    m_profileUseCase.reset();
    return result;
}

BaseResult<void> ProjectManager::createProject(const QString& name, const QString& folder)
{
    bool opened = false;
    QString path;
    // Undoes a create that got as far as opening the new file.
    const auto discard = [&]() {
        closeProject();
        removeFile(path);
        try {
            removeRecentListItem(path);
        } catch (const std::exception& e) {
            Logger::error(kTag, "removeRecentListItem error:%s", e.what());
        }
    };
    try {
        path = folder + QLatin1Char('/') + name + QLatin1String(kProjectExtension);
        if (QFileInfo(path).isFile())
            return BaseResult<void>(Errors::ProjectAlreadyExists);
        if (!canWriteFile(path))
            return BaseResult<void>(Errors::InvalidFilePath);
        BaseResult<void> result = loadProject(path, true);
        if (!result.isOk()) {
            removeFile(path);
            return result;
        }
        opened = true;
        ProjectDbMetaBean meta;
        result = getMetaUseCase()->saveMeta(meta);
        if (!result.isOk()) {
            discard();
            return result;
        }
        result = getProfileUseCase()->createProfile(tr("Default Profile"), QString());
        if (!result.isOk()) {
            discard();
            return result;
        }
        return {};
    } catch (const std::exception& e) {
        Logger::error(kTag, "createProject error:%s", e.what());
        if (opened)
            discard();
        return BaseResult<void>(Errors::Unknown, QString::fromUtf8(e.what()));
    }
}

void ProjectManager::closeProject()
{
    const bool wasOpen = m_database->isOpen();
    if (wasOpen) {
        m_database->close();
        m_projectFile = QFileInfo();
    }
    if (m_currentKestrin) {
        m_currentKestrin->stop();
        m_currentKestrin.reset();
    }
    // The use cases are shared by every project: a window still open would write into the next.
    if (wasOpen)
        EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QLatin1String(Topics::ProjectClosed)));
}

void ProjectManager::setCurrentKestrin(const std::shared_ptr<ProjectDbHostBean>& host)
{
    std::shared_ptr<KestrinDevice> device;
    if (host) {
        auto target = std::make_shared<KestrinHost>();
        target->connType = host->connType;
        target->name = host->name;
        target->ip = host->ip;
        target->port = host->port;
        target->sn = host->sn;
        target->token = host->token;
        try {
            device = std::make_shared<KestrinDevice>(target, m_hubTimings);
        } catch (const std::exception& e) {
            Logger::error(kTag, "setCurrentKestrin error:%s", e.what());
        }
    }
    m_currentKestrin = device;
    if (device) {
        const std::weak_ptr<ProjectManager*> self = m_self;
        device->setHostSaver([self](KestrinHost& paired) {
            const std::shared_ptr<ProjectManager*> manager = self.lock();
            if (!manager)
                return BaseResult<void>(Errors::NotInitialized, QStringLiteral("no project manager"));
            ProjectDbHostBean bean;
            bean.connType = paired.connType;
            bean.name = paired.name;
            bean.ip = paired.ip;
            bean.port = paired.port;
            bean.sn = paired.sn;
            bean.token = paired.token;
            return (*manager)->getHostUseCase()->saveHost(bean);
        });
        device->addMessageListener(
            [self](const KestrinMessage& message) {
                if (const std::shared_ptr<ProjectManager*> manager = self.lock())
                    (*manager)->onHubMessage(message);
                return KeepListening;
            },
            -1, {});
    }
    EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QLatin1String(Topics::KestrinChanged)));
}

void ProjectManager::onHubMessage(const KestrinMessage& message)
{
    if (message.act != kActHubCommand)
        return;
    // The hub current now, which need not be the session that received the command.
    const std::shared_ptr<KestrinDevice> hub = m_currentKestrin;
    if (!hub)
        return;
    if (!m_hubCommandHandler) {
        Logger::warn(kTag, "hub command ignored, no handler, id:%s", message.id.c_str());
        return;
    }
    // One bad command must not end the handling of the ones after it.
    try {
        m_hubCommandHandler(hub, message);
    } catch (const std::exception& e) {
        Logger::error(kTag, "hub command error:%s", e.what());
    }
}

void ProjectManager::deployProject(BaseResultCallback<void> callback)
{
    const auto report = [&callback](const BaseResult<void>& result) {
        if (callback)
            callback(result);
    };
    EventBus::instance()->publish(QSharedPointer<EventBusMessage>::create(QLatin1String(Topics::PreDeploy)));
    // Both runs would share one assets folder and archive.
    if (*m_deployRunning) {
        report(BaseResult<void>(Errors::DeployFailed, tr("A deploy is already running")));
        return;
    }
    const std::shared_ptr<KestrinDevice> hub = m_currentKestrin;
    if (!hub) {
        report(BaseResult<void>(Errors::DeployProfileFailed));
        return;
    }
    try {
        // The worker gets all it needs from the database here: the connection serves this
        // thread only. The hub steps read the rest on this thread when the worker hands them over.
        ProjectDeploy::Job job;
        job.hub = hub;
        job.modules = getModuleUseCase();
        job.profiles = getProfileUseCase();
        job.integrationRecords = getIntegrationUseCase()->accessor->findAll(true);
        job.settings = m_deploySettings;
        const std::shared_ptr<bool> running = m_deployRunning;
        job.callback = [running, callback](const BaseResult<void>& result) {
            *running = false;
            if (callback)
                callback(result);
        };
        *running = true;
        ProjectDeploy::start(std::move(job));
    } catch (const std::exception& e) {
        *m_deployRunning = false;
        Logger::error(kTag, "deployProject error:%s", e.what());
        report(BaseResult<void>(Errors::Unknown, QString::fromUtf8(e.what())));
    }
}

QString ProjectManager::suggestNewProject() const
{
    for (int n = 0; n < 100; ++n) {
        QString candidate = QLatin1String(kSuggestedBaseName);
        if (n > 0)
            candidate += QString::number(n);
        if (!QFileInfo(m_projectDir + QLatin1Char('/') + candidate + QLatin1String(kProjectExtension)).isFile())
            return candidate;
    }
    return {};
}

template <typename UseCase>
std::shared_ptr<UseCase> ProjectManager::useCase(std::shared_ptr<UseCase>& slot)
{
    std::lock_guard<std::mutex> lock(m_useCaseMutex);
    if (!slot)
        slot = std::make_shared<UseCase>(m_database);
    return slot;
}

std::shared_ptr<ProjectMetaUseCase> ProjectManager::getMetaUseCase()
{
    return useCase(m_metaUseCase);
}

std::shared_ptr<ProjectHostUseCase> ProjectManager::getHostUseCase()
{
    return useCase(m_hostUseCase);
}

std::shared_ptr<ProjectModuleUseCase> ProjectManager::getModuleUseCase()
{
    return useCase(m_moduleUseCase);
}

std::shared_ptr<ProjectProfileUseCase> ProjectManager::getProfileUseCase()
{
    return useCase(m_profileUseCase);
}

std::shared_ptr<ProjectProfileKsWidgetUseCase> ProjectManager::getProfileKsWidgetUseCase()
{
    return useCase(m_profileKsWidgetUseCase);
}

std::shared_ptr<ProjectPluginUseCase> ProjectManager::getPluginUseCase()
{
    return useCase(m_pluginUseCase);
}

std::shared_ptr<ProjectIntegrationUseCase> ProjectManager::getIntegrationUseCase()
{
    return useCase(m_integrationUseCase);
}

void ProjectManager::addRecentList(const QString& path)
{
    m_recentList.removeOne(path);
    m_recentList.prepend(path);
    writeRecentList();
}

bool ProjectManager::removeRecentListItem(const QString& path)
{
    try {
        m_recentList.removeOne(path);
        writeRecentList();
        return true;
    } catch (const std::exception& e) {
        Logger::error(kTag, "removeRecentListItem error:%s", e.what());
        return false;
    }
}

void ProjectManager::loadRecentList()
{
    try {
        const PersistentStore store(m_recentListPath, PersistentStore::ReadOnly);
        const nlohmann::json& root = store.get(std::string());
        if (!root.is_object())
            throw std::runtime_error("recent project list is not a JSON object");
        const nlohmann::json& list = store.get("list");
        if (list.is_null())
            return;
        if (!list.is_array())
            throw std::runtime_error("recent project list \"list\" is not an array");
        for (size_t i = 0; i < list.size() && i < static_cast<size_t>(kRecentListReadLimit); ++i)
            m_recentList.append(OV::fromStdText(list.at(i).get<std::string>()));
    } catch (const std::exception& e) {
        Logger::error(kTag, "loadRecentList error:%s", e.what());
    }
}

void ProjectManager::writeRecentList() const
{
    nlohmann::json list = nlohmann::json::array();
    for (int i = 0; i < m_recentList.size() && i < kRecentListWriteLimit; ++i)
        list.push_back(m_recentList.at(i).toStdString());
    // The file is written whole from the list in memory, so a damaged file is replaced by the
    // next write instead of blocking every later one.
    const std::string text = nlohmann::json{{"list", std::move(list)}}.dump(4);
    const QString dir = QFileInfo(m_recentListPath).absolutePath();
    if (!QDir().mkpath(dir))
        throw std::runtime_error("cannot create directory: " + dir.toStdString());
    {
        // Opening the first project of the list again changes nothing: no write, no sync.
        QFile current(m_recentListPath);
        if (current.open(QIODevice::ReadOnly) && current.size() == qint64(text.size()) &&
            current.readAll() == QByteArrayView(text.data(), qsizetype(text.size())))
            return;
    }
    QSaveFile file(m_recentListPath);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot open file for writing: " + m_recentListPath.toStdString());
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
        !commitSaveFile(file))
        throw std::runtime_error("cannot write file: " + m_recentListPath.toStdString());
}

} // namespace OV
