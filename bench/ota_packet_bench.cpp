// The firmware sender's cost per packet against the stand-in hub, beside a bare request/reply
// round trip of the same packet request through the same session: the sender adds a worker
// thread that makes the packets and keeps their waits, the progress and a log line for each
// packet, and this shows what that costs.
//
//   ota_packet_bench [--packets N] [--rounds R] [--only sender|bare] [--quiet | --info]
//
// Each round sends N packets of 200 bytes ("can") both ways, alternating which goes first; the
// figures are the medians over the rounds in microseconds per packet, and their ratio. With
// --only a single way runs, so that a whole-process timer can set the two side by side. With
// --quiet the log lines of both ways (the session's and the sender's) are left out, so that
// only the hand-over between the threads remains; with --info only the info lines are kept, among
// them the sender's line for each packet, which the bare way has no counterpart of.
#include "core/Logger.h"
#include "core/TokenScrambler.h"
#include "device/KestrinApi.h"
#include "device/KestrinDevice.h"
#include "module/HexUtils.h"
#include "module/ModuleOtaSender.h"
#include "support/OtaTestFile.h"
#include "support/StandinHub.h"
#include "support/StandinHubModules.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using OV::Test::StandinHub;

namespace {

constexpr int kPackSize = 200;

bool runUntil(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

// N packet requests, each sent when the previous one was answered, on the GUI thread. The
// payloads are made before the clock starts, so that only the round trips are timed.
double bareMicrosPerPacket(const std::shared_ptr<OV::KestrinDevice>& device, const QByteArray& body, int packets)
{
    const std::string gateway = "can";
    auto payloads = std::make_shared<std::vector<std::string>>();
    for (int i = 0; i < packets; ++i) {
        const qsizetype offset = qsizetype(i) * kPackSize;
        const qsizetype length = std::min<qsizetype>(kPackSize, body.size() - offset);
        payloads->push_back(
            OV::hexEncode(reinterpret_cast<const uint8_t*>(body.constData()), size_t(offset), size_t(length)));
    }
    auto next = std::make_shared<int>(0);
    auto failed = std::make_shared<bool>(false);
    auto sendOne = std::make_shared<std::function<void()>>();
    *sendOne = [=]() {
        const int i = *next;
        OV::KestrinApi::sendEpOTAData(device, gateway, i, i == packets - 1, (*payloads)[size_t(i)],
                                      [=](const OV::BaseResult<int>& reply) {
                                          if (!reply.isOk() || *reply.data != 0)
                                              *failed = true;
                                          if (++*next < packets && !*failed)
                                              (*sendOne)();
                                      });
    };
    QElapsedTimer clock;
    clock.start();
    (*sendOne)();
    const bool done = runUntil([&] { return *next >= packets || *failed; }, 60000);
    const double micros = double(clock.nsecsElapsed()) / 1000.0 / packets;
    *sendOne = nullptr;
    return done && !*failed ? micros : -1;
}

double senderMicrosPerPacket(const std::shared_ptr<OV::KestrinDevice>& device, const QByteArray& body, int packets)
{
    auto result = std::make_shared<int>(-1);
    OV::ModuleOtaSender::Callbacks callbacks;
    callbacks.onFinished = [result](int value) { *result = value; };
    QElapsedTimer clock;
    clock.start();
    OV::ModuleOtaSender::start(device, "can", body, kPackSize, callbacks);
    const bool done = runUntil([&] { return *result >= 0; }, 60000);
    const double micros = double(clock.nsecsElapsed()) / 1000.0 / packets;
    // Lets the worker end before the next round starts.
    runUntil([] { return false; }, 20);
    return done && *result == 0 ? micros : -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int packets = 500;
    int rounds = 7;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(argv[i], "--quiet"))
            OV::Logger::instance()->setMinLevel(OV::LogWarning);
        else if (!std::strcmp(argv[i], "--info"))
            OV::Logger::instance()->setMinLevel(OV::LogInfo);
        else if (hasValue && !std::strcmp(argv[i], "--packets"))
            packets = std::max(1, std::atoi(argv[++i]));
        else if (hasValue && !std::strcmp(argv[i], "--rounds"))
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (hasValue && !std::strcmp(argv[i], "--only"))
            only = argv[++i];
    }

    StandinHub hub;
    OV::Test::StandinHubModules modules(hub);
    hub.setValidToken(QStringLiteral("valid"));
    if (!hub.listen()) {
        std::fprintf(stderr, "cannot listen on loopback\n");
        return 1;
    }
    auto host = std::make_shared<OV::KestrinHost>();
    host->connType = QStringLiteral("tcp");
    host->ip = StandinHub::address();
    host->port = hub.port();
    host->sn = QStringLiteral("KS-BENCH");
    host->token = OV::encodeToken(QStringLiteral("valid"));
    auto device = std::make_shared<OV::KestrinDevice>(host);
    device->start(nullptr);
    if (!runUntil([&] { return device->isReady(); }, 10000)) {
        std::fprintf(stderr, "the session did not become ready\n");
        return 1;
    }
    // The stand-in checks a whole image only after a start request.
    const QByteArray body = OV::Test::otaBody(packets * kPackSize);
    hub.replyOk(30401, {{"err", 0}});

    std::vector<double> bare;
    std::vector<double> sender;
    for (int round = 0; round < rounds; ++round) {
        const bool senderFirst = round % 2 == 0;
        for (int turn = 0; turn < 2; ++turn) {
            const bool runSender = (turn == 0) == senderFirst;
            if (runSender && only != "bare")
                sender.push_back(senderMicrosPerPacket(device, body, packets));
            if (!runSender && only != "sender")
                bare.push_back(bareMicrosPerPacket(device, body, packets));
        }
    }
    if (std::find(bare.begin(), bare.end(), -1.0) != bare.end() ||
        std::find(sender.begin(), sender.end(), -1.0) != sender.end()) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    std::printf("packets per round: %d, rounds: %d, packet: %d bytes\n", packets, rounds, kPackSize);
    if (!bare.empty())
        std::printf("bare request/reply: %.1f us per packet (median)\n", median(bare));
    if (!sender.empty())
        std::printf("firmware sender:    %.1f us per packet (median)\n", median(sender));
    if (!bare.empty() && !sender.empty())
        std::printf("ratio sender/bare:  %.3f\n", median(sender) / median(bare));
    device->stop();
    return 0;
}
