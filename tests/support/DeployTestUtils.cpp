#include "support/DeployTestUtils.h"

#include "core/EventBus.h"
#include "core/ZlibUtils.h"
#include "device/KestrinDevice.h"
#include "project/ProjectIntegrationUseCase.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "project/ProjectPluginUseCase.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "store/ZipUtils.h"
#include "support/ProjectTestUtils.h"
#include "support/TestSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace OV::Test {

namespace {

quint32 readLe(const QByteArray& bytes, qsizetype at, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<quint8>(bytes.at(at + i));
    return value;
}

} // namespace

DeployHarness::DeployHarness(const QString& workDir)
{
    connect(EventBus::instance(), &EventBus::messagePosted, this,
            [this](QSharedPointer<EventBusMessage> message) { topics << message->topic; });
    m_pm = std::make_unique<ProjectManager>(workDir + QStringLiteral("/recent.json"), workDir,
                                            StandinHub::steadyTimings());
    m_hub = std::make_unique<StandinHub>();
    m_http = std::make_unique<StandInHttpServer>();
    m_valid = QDir().mkpath(workDir) && m_pm->createProject(QStringLiteral("Deploy"), workDir).isOk() &&
              m_hub->listen() && m_http->start();
    m_http->route(QStringLiteral("/upload/zip"), HttpReply::json({{"state", 200}, {"msg", "ok"}}));
    settings.tempDir = workDir + QStringLiteral("/temp");
    settings.uploadPort = m_http->port();
}

DeployHarness::~DeployHarness()
{
    // Lets late replies and uploads end while the stand-ins still exist.
    QTest::qWait(50);
    m_pm.reset();
    m_http.reset();
    m_hub.reset();
}

bool DeployHarness::startHub()
{
    m_hub->setValidToken(QStringLiteral("valid"));
    return startCurrentHub(*m_pm, standinHost(*m_hub, QStringLiteral("KS-1"), QStringLiteral("valid")), 5000);
}

std::shared_ptr<DeployOutcome> DeployHarness::deploy()
{
    m_pm->setDeploySettings(settings);
    auto outcome = std::make_shared<DeployOutcome>();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    m_pm->deployProject([outcome, clock](const BaseResult<void>& result) {
        ++outcome->calls;
        outcome->result = result;
        outcome->onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        outcome->elapsedMs = clock->elapsed();
    });
    return outcome;
}

bool DeployHarness::finished(const std::shared_ptr<DeployOutcome>& outcome, int timeoutMs)
{
    return QTest::qWaitFor([&] { return outcome->calls > 0; }, timeoutMs);
}

QList<HttpRequest> DeployHarness::uploads() const
{
    QList<HttpRequest> list;
    for (const HttpRequest& request : m_http->requests()) {
        if (request.path == QLatin1String("/upload/zip"))
            list << request;
    }
    return list;
}

int64_t DeployTestProject::module(const char* gatewayType, uint64_t productId, const QString& sn,
                                  nlohmann::json extraConfig)
{
    ProjectDbModuleBean bean;
    bean.sortId = m_nextSortId++;
    bean.gatewayType = QString::fromLatin1(gatewayType);
    bean.productId = productId;
    bean.name = QStringLiteral("Module ") + sn;
    bean.sn = sn;
    bean.netId = 3;
    bean.workMode = 2;
    bean.extraConfig = std::move(extraConfig);
    const BaseResult<void> stored = m_pm.getModuleUseCase()->insert(bean);
    [&] { QVERIFY2(stored.isOk(), qPrintable(stored.message)); }();
    return stored.isOk() ? bean.id : -1;
}

bool DeployTestProject::moduleDeployConfig(int64_t moduleId, const QString& profileKey, const nlohmann::json& config)
{
    const auto modules = m_pm.getModuleUseCase();
    const auto found = modules->accessor->findById(moduleId);
    if (!found.isOk() || !*found.data)
        return false;
    ProjectDbModuleBean& bean = **found.data;
    bean.data["profiles"][profileKey.toStdString()]["deployConfig"] = config;
    const BaseResult<int> updated = modules->update(bean);
    return updated.isOk() && updated.data == 1;
}

int64_t DeployTestProject::profile(const QString& name, const QString& icon)
{
    ProjectDbProfileBean bean;
    bean.sortId = m_nextSortId++;
    bean.name = name;
    bean.icon = icon;
    bean.showName = false;
    const BaseResult<void> stored = m_pm.getProfileUseCase()->insert(bean);
    [&] { QVERIFY2(stored.isOk(), qPrintable(stored.message)); }();
    return stored.isOk() ? bean.id : -1;
}

int64_t DeployTestProject::card(int64_t profileId, const QString& widgetType, const QString& uid, const QString& icon,
                                const nlohmann::json& data, const QByteArray& iconBytes)
{
    const auto cards = m_pm.getProfileKsWidgetUseCase();
    ProjectDbProfileKsWidgetBean bean;
    bean.sortId = m_nextSortId++;
    bean.setProfileId(profileId);
    bean.widgetType = widgetType;
    bean.uid = uid;
    bean.icon = icon;
    bean.name = uid;
    bean.setData(data);
    BaseResult<void> stored = cards->insertOrUpdateWidget(bean, nullptr);
    if (stored.isOk() && !iconBytes.isEmpty())
        stored = cards->accessor->database()->saveFile(
            bean.id, QString::fromLatin1(ProjectProfileKsWidgetUseCase::kIconFileName), iconBytes);
    [&] { QVERIFY2(stored.isOk(), qPrintable(stored.message)); }();
    return stored.isOk() ? bean.id : -1;
}

int64_t DeployTestProject::integration(const char* integType, const nlohmann::json& data)
{
    ProjectDbIntegrationBean bean;
    bean.sortId = m_nextSortId++;
    bean.integType = QString::fromLatin1(integType);
    bean.setData(data);
    const BaseResult<void> stored = m_pm.getIntegrationUseCase()->insert(bean);
    [&] { QVERIFY2(stored.isOk(), qPrintable(stored.message)); }();
    return stored.isOk() ? bean.id : -1;
}

int64_t DeployTestProject::plugin(const QString& uuid, const QByteArray& pack)
{
    const auto plugins = m_pm.getPluginUseCase();
    ProjectDbPluginBean bean;
    bean.k1 = uuid;
    bean.k2 = QStringLiteral("0");
    bean.name = uuid;
    bean.versionCode = 1;
    BaseResult<void> stored = plugins->insert(bean);
    if (stored.isOk())
        stored = plugins->accessor->database()->saveFile(
            bean.id, QString::fromLatin1(ProjectPluginUseCase::kPackFileName), pack);
    [&] { QVERIFY2(stored.isOk(), qPrintable(stored.message)); }();
    return stored.isOk() ? bean.id : -1;
}

QMap<QString, QByteArray> zipEntries(const QByteArray& zip)
{
    QMap<QString, QByteArray> entries;
    qsizetype end = zip.size() - 22;
    while (end >= 0 && readLe(zip, end, 4) != 0x06054b50)
        --end;
    if (end < 0)
        return {};
    const quint32 count = readLe(zip, end + 10, 2);
    qsizetype at = readLe(zip, end + 16, 4);
    for (quint32 i = 0; i < count; ++i) {
        if (at + 46 > end || readLe(zip, at, 4) != 0x02014b50)
            return {};
        const quint32 nameLength = readLe(zip, at + 28, 2);
        const QString name = QString::fromUtf8(zip.mid(at + 46, nameLength));
        entries.insert(name, readZipEntry(zip, name));
        at += 46 + nameLength + readLe(zip, at + 30, 2) + readLe(zip, at + 32, 2);
    }
    return entries;
}

QByteArray makeZip(const QMap<QString, QByteArray>& files)
{
    QTemporaryDir dir;
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QString path = dir.filePath(QStringLiteral("src/") + it.key());
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !writeFileBytes(path, it.value()))
            return {};
    }
    QDir().mkpath(dir.filePath(QStringLiteral("src")));
    const QString zip = dir.filePath(QStringLiteral("out.zip"));
    if (!ZlibUtils::packToZip(dir.filePath(QStringLiteral("src")), zip, ZlibUtils::DirectoryContents, 0))
        return {};
    return fileBytes(zip);
}

} // namespace OV::Test
