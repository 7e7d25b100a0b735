#include "core/EventBus.h"
#include "core/TokenScrambler.h"
#include "device/KestrinDevice.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "support/StandinHub.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using Test::StandinHub;

namespace {

// The product's timings divided by about twenty.
KestrinTimings fastTimings()
{
    KestrinTimings t;
    t.tickMs = 20;
    t.connectTimeoutMs = 2000;
    t.tokenCheckTimeoutMs = 400;
    t.tokenRequestTimeoutMs = 800;
    t.heartbeatIntervalMs = 150;
    t.heartbeatSilenceMs = 75;
    t.readyWindowMs = 750;
    t.reconnectSpacingMs = 1500;
    return t;
}

} // namespace

class TestProjectManagerHub : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<StandinHub> m_hub;
    std::unique_ptr<ProjectManager> m_pm;
    QStringList m_topics;

    std::shared_ptr<ProjectDbHostBean> host(const char* sn, const QString& token = {})
    {
        auto bean = std::make_shared<ProjectDbHostBean>();
        bean->connType = QStringLiteral("tcp");
        bean->name = QStringLiteral("Desk");
        bean->ip = StandinHub::address();
        bean->port = m_hub->port();
        bean->sn = QString::fromLatin1(sn);
        bean->token = token;
        return bean;
    }

    // The current hub, started and authorised with a token the stand-in accepts.
    std::shared_ptr<KestrinDevice> readyHub(const char* sn)
    {
        m_hub->setValidToken(QStringLiteral("valid"));
        m_pm->setCurrentKestrin(host(sn, encodeToken(QStringLiteral("valid"))));
        auto device = m_pm->getCurrentKestrin();
        if (device) {
            device->start(nullptr);
            if (!QTest::qWaitFor([&] { return device->isReady(); }, 5000))
                return nullptr;
        }
        return device;
    }

private slots:
    void initTestCase()
    {
        connect(EventBus::instance(), &EventBus::messagePosted, this,
                [this](QSharedPointer<EventBusMessage> message) { m_topics << message->topic; });
    }

    void init()
    {
        const QString work = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()));
        QVERIFY(QDir().mkpath(work));
        m_pm = std::make_unique<ProjectManager>(work + QStringLiteral("/recent.json"), work, fastTimings());
        QVERIFY(m_pm->createProject(QStringLiteral("Hub"), work).isOk());
        m_hub = std::make_unique<StandinHub>();
        QVERIFY(m_hub->listen());
        m_topics.clear();
    }

    void cleanup()
    {
        m_pm.reset();
        m_hub.reset();
    }

    void issuedTokenIsStoredInTheHostRecord()
    {
        auto hosts = m_pm->getHostUseCase();
        auto chosen = host("KS-9");
        QVERIFY(hosts->saveHost(*chosen).isOk());
        m_hub->setIssuedToken(QStringLiteral("issued-7"));
        m_pm->setCurrentKestrin(chosen);
        auto device = m_pm->getCurrentKestrin();
        device->start(nullptr);
        QVERIFY(QTest::qWaitFor([&] { return device->isReady(); }, 5000));
        auto stored = hosts->accessor->findAll(false);
        QCOMPARE(stored.data->size(), size_t(1));
        QCOMPARE(stored.data->front()->id, chosen->id);
        QCOMPARE(decodeToken(stored.data->front()->token), QStringLiteral("issued-7"));
        QCOMPARE(stored.data->front()->ip, StandinHub::address());
        m_pm->closeProject();
        QVERIFY(!m_pm->getCurrentKestrin() && !device->isStarted());
    }

    void hubCommandsGoToTheHubCurrentAtThatMoment()
    {
        std::vector<std::shared_ptr<KestrinDevice>> handledWith;
        m_pm->setHubCommandHandler([&](const std::shared_ptr<KestrinDevice>& device, const KestrinMessage& message) {
            handledWith.push_back(device);
            if (message.data.value("throw", false))
                throw std::runtime_error("bad command");
        });
        auto old = readyHub("KS-A");
        QVERIFY(old);
        m_hub->push(1000000, 200, {{"type", "TEST"}, {"throw", true}});
        m_hub->push(424242, 200, {{"type", "TEST"}});
        m_hub->push(1000000, 200, {{"type", "TEST"}});
        QVERIFY(QTest::qWaitFor([&] { return handledWith.size() == 2; }, 3000));
        QVERIFY(handledWith[0] == old && handledWith[1] == old);

        // The old session still hears the hub; its commands run with the current hub.
        m_pm->setCurrentKestrin(host("KS-B"));
        auto replacement = m_pm->getCurrentKestrin();
        QVERIFY(replacement && !replacement->isStarted() && old->isStarted());
        m_hub->push(1000000, 200, {{"type", "TEST"}});
        QVERIFY(QTest::qWaitFor([&] { return handledWith.size() == 3; }, 3000));
        QVERIFY(handledWith[2] == replacement);

        m_pm->setCurrentKestrin(nullptr);
        m_hub->push(1000000, 200, {{"type", "TEST"}});
        QTest::qWait(200);
        QCOMPARE(handledWith.size(), size_t(3));
        old->stop();
        auto usb = host("KS-C");
        usb->connType = QStringLiteral("usb"); // no session for it
        m_pm->setCurrentKestrin(usb);
        QVERIFY(!m_pm->getCurrentKestrin());
        QCOMPARE(m_topics, QStringList(4, QStringLiteral("ON_KESTRIN_CHANGED")));
    }
};

QTEST_GUILESS_MAIN(TestProjectManagerHub)
#include "tst_ProjectManagerHub.moc"
