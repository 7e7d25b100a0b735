// ORVEL_TEST_LABELS: platform
#include "os/OSControllerWin.h"
#include "os/platform/PulseAudioMixer.h"
#include "support/FakeOsPlatform.h"

#include <QElapsedTimer>
#include <QTest>

using namespace OV;

// Needs a sound server with a default sink (the test runner starts one with a null sink and
// sets ORVEL_TEST_PULSE); without it only the no-server case runs.
class TestPulseAudioMixer : public QObject
{
    Q_OBJECT

    static OSControllerWin controllerWith(std::shared_ptr<AudioMixer> mixer)
    {
        Test::FakeOsPlatform fakes;
        OSPlatform platform = fakes.platform();
        platform.audio = std::move(mixer);
        return OSControllerWin(platform, nullptr);
    }

private slots:
    void volumeOfTheDefaultSink()
    {
        if (qEnvironmentVariableIsEmpty("ORVEL_TEST_PULSE"))
            QSKIP("no test sound server (ORVEL_TEST_PULSE not set)");
        OSControllerWin controller = controllerWith(std::make_shared<PulseAudioMixer>());
        QVERIFY(controller.setVolume(37));
        QCOMPARE(controller.getVolume(), 37);
        QVERIFY(controller.setVolume(0));
        QCOMPARE(controller.getVolume(), 0);
        QVERIFY(controller.setVolume(100));
        QCOMPARE(controller.getVolume(), 100);
        QVERIFY(!controller.setVolume(101));
        QVERIFY(!controller.setVolume(-5));
        QCOMPARE(controller.getVolume(), 100);
        QVERIFY(controller.setVolume(37));
        QCOMPARE(controller.getVolume(), 37);
    }

    void muteOnAndOff()
    {
        if (qEnvironmentVariableIsEmpty("ORVEL_TEST_PULSE"))
            QSKIP("no test sound server (ORVEL_TEST_PULSE not set)");
        OSControllerWin controller = controllerWith(std::make_shared<PulseAudioMixer>());
        QVERIFY(controller.setMute(true));
        QVERIFY(controller.isMute());
        QVERIFY(controller.setMute(false));
        QVERIFY(!controller.isMute());
    }

    void withoutSoundServer()
    {
        QElapsedTimer timer;
        timer.start();
        OSControllerWin controller =
            controllerWith(std::make_shared<PulseAudioMixer>(QByteArray("unix:/nonexistent/orvel/pulse/native")));
        QCOMPARE(controller.getVolume(), -1);
        QVERIFY(!controller.setVolume(37));
        QVERIFY(!controller.setMute(true));
        QVERIFY(!controller.isMute());
        QVERIFY(timer.elapsed() < 3000);
    }
};

QTEST_GUILESS_MAIN(TestPulseAudioMixer)
#include "tst_PulseAudioMixer.moc"
