// ORVEL_TEST_LABELS: platform
// Needs the test sound server for a real volume (ORVEL_TEST_PULSE); without it the volume
// reading is -1 on both sides.
#include "core/TokenScrambler.h"
#include "device/KestrinDevice.h"
#include "os/OSController.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "support/StandinHub.h"

#include <QTemporaryDir>
#include <QTest>

using namespace OV;
using Test::StandinHub;
using Json = nlohmann::json;

class TestHubCommandsEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    StandinHub hub;

    Json answer(const std::string& type, const std::optional<Json>& payload = std::nullopt)
    {
        const std::string id = hub.sendCommand(type, payload);
        if (!QTest::qWaitFor([&] { return !hub.receivedWithId(id).isEmpty(); }, 5000))
            return nullptr;
        const Json reply = hub.receivedWithId(id).front();
        const bool framed = reply.value("act", 0) == 1000000 && reply.value("code", 0) == 200 &&
                            !reply.contains("msg") && reply["data"].value("type", "") == type;
        return framed ? reply["data"]["payload"] : Json("bad frame: " + reply.dump());
    }

private slots:
    void pairsAndAnswersTheHubWithThisMachinesFigures()
    {
        QVERIFY(hub.listen());
        hub.setIssuedToken(QStringLiteral("e2e-token"));
        const QString path = dir.filePath(QStringLiteral("Desk.ovpf"));
        ProjectManager* pm = ProjectManager::instance();

        // A project whose host record points at the hub, saved and opened again.
        QVERIFY(pm->createProject(QStringLiteral("Desk"), dir.path()).isOk());
        ProjectDbHostBean chosen;
        chosen.connType = QStringLiteral("tcp");
        chosen.name = QStringLiteral("Desk hub");
        chosen.ip = StandinHub::address();
        chosen.port = hub.port();
        chosen.sn = QStringLiteral("KS-E2E");
        QVERIFY(pm->getHostUseCase()->saveHost(chosen).isOk());
        pm->closeProject();
        QVERIFY(pm->openProject(path).isOk());
        auto hosts = pm->getHostUseCase()->accessor->findAll(false);
        QVERIFY(hosts.isOk() && hosts.data->size() == 1);
        pm->setCurrentKestrin(hosts.data->front());

        // Pairing: the hub asks the user to confirm, then issues a token that the project keeps.
        auto device = pm->getCurrentKestrin();
        QVERIFY(device);
        int waits = 0;
        int successes = 0;
        PairingPromptCallbacks callbacks{[&] { ++waits; }, [](const QString& e) { qWarning() << e; },
                                         [&] { ++successes; }};
        device->start(&callbacks);
        QTRY_COMPARE_WITH_TIMEOUT(successes, 1, 10000);
        QCOMPARE(waits, 1);
        hosts = pm->getHostUseCase()->accessor->findAll(false);
        QCOMPARE(decodeToken(hosts.data->front()->token), QStringLiteral("e2e-token"));

        // The hub's queries, answered from this machine's monitors.
        OSController* os = OSController::instance();
        const Json cpu = answer("CPU");
        QVERIFY2(cpu.is_number_integer() && cpu >= 0 && cpu <= 100, cpu.dump().c_str());
        const Json memory = answer("MEMORY");
        QVERIFY2(memory.is_number_integer() && memory > 0 && std::abs(memory.get<int>() - os->getMemoryUsage()) <= 5,
                 memory.dump().c_str());
        const Json storage = answer("STORAGE");
        QVERIFY2(storage.is_number_integer() && std::abs(storage.get<int>() - std::max(os->getDiskUsage(), 0)) <= 1,
                 storage.dump().c_str());
        const Json network = answer("NETWORK");
        QVERIFY2(network.size() == 2 && network.value("totalReceived", ~0ull) <= os->getTotalReceivedBytes() &&
                     network.value("totalSent", ~0ull) <= os->getTotalSentBytes(),
                 network.dump().c_str());
        const Json volume = answer("GET_VOLUME");
        QCOMPARE(volume.dump(), Json(os->getVolume()).dump());
        if (!qEnvironmentVariableIsEmpty("ORVEL_TEST_PULSE"))
            QVERIFY(volume >= 0 && volume <= 100);
        QCOMPARE(answer("TEST", Json{{"n", 1}}).dump(), std::string("{\"n\":1}"));

        pm->closeProject();
        QVERIFY(!device->isStarted());
        pm->removeRecentListItem(path);
    }
};

QTEST_GUILESS_MAIN(TestHubCommandsEndToEnd)
#include "tst_HubCommandsEndToEnd.moc"
