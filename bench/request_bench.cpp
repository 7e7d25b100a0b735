// Sequential hub requests against the stand-in hub: through the request API (a paired session,
// KestrinApi::getWidgetList) and through a bare Qt TLS 1.3 client that writes the same lines and
// reads each reply line, both against one stand-in running on a thread of its own. Prints the
// time a request of each, interleaved rounds (each round's figures, then the ratio of their
// medians on the last line).
//
//   request_bench [--requests N] [--rounds R] > /dev/null
//
// The program's log goes to standard output as it does in the product; the figures go to
// standard error.
#include "core/Logger.h"
#include "core/TokenScrambler.h"
#include "device/KestrinApi.h"
#include "device/KestrinDevice.h"
#include "support/StandinHub.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace OV;

namespace {

bool waitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return done();
}

// Microseconds a request, for count requests through the request API, one after the other.
double apiRound(const std::shared_ptr<KestrinDevice>& device, int count)
{
    int left = count;
    bool failed = false;
    QEventLoop loop;
    std::function<void()> next;
    next = [&]() {
        KestrinApi::getWidgetList(device, "sys.widget.apps", [&](const BaseResult<nlohmann::json>& result) {
            failed = failed || !result.isOk();
            if (--left == 0 || failed)
                loop.quit();
            else
                next();
        });
    };
    QElapsedTimer clock;
    clock.start();
    next();
    loop.exec();
    if (failed)
        return -1;
    return double(clock.nsecsElapsed()) / 1e3 / count;
}

// The same through a bare TLS client: one line out, one reply line in.
double bareRound(QSslSocket& socket, int count)
{
    QByteArray buffer;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i) {
        const QByteArray line =
            "{\"act\":1002,\"data\":\"sys.widget.apps\",\"id\":\"bare-" + QByteArray::number(i) + "\"}\n";
        socket.write(line);
        while (!buffer.contains('\n')) {
            if (!socket.waitForReadyRead(5000))
                return -1;
            buffer += socket.readAll();
        }
        buffer.remove(0, buffer.indexOf('\n') + 1);
    }
    return double(clock.nsecsElapsed()) / 1e3 / count;
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
    int requests = 2000;
    int rounds = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--requests") == 0)
            requests = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::max(1, std::atoi(argv[i + 1]));
    }

    // The stand-in lives on its own thread, so that neither client shares its event loop.
    QThread hubThread;
    QObject hubContext;
    hubContext.moveToThread(&hubThread);
    hubThread.start();
    Test::StandinHub* hub = nullptr;
    quint16 port = 0;
    QMetaObject::invokeMethod(
        &hubContext,
        [&]() {
            hub = new Test::StandinHub();
            hub->setValidToken(QStringLiteral("k"));
            hub->listen();
            port = hub->port();
        },
        Qt::BlockingQueuedConnection);
    if (!port) {
        std::fprintf(stderr, "stand-in hub did not start\n");
        return 1;
    }

    auto host = std::make_shared<KestrinHost>(
        KestrinHost{"tcp", "Bench", Test::StandinHub::address(), port, "KS-BENCH", encodeToken(QStringLiteral("k"))});
    auto device = std::make_shared<KestrinDevice>(host);
    device->start(nullptr);
    if (!waitFor([&] { return device->isReady(); }, 10000)) {
        std::fprintf(stderr, "session not ready\n");
        return 1;
    }

    QSslSocket socket;
    QSslConfiguration tls = socket.sslConfiguration();
    tls.setProtocol(QSsl::TlsV1_3);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    socket.setSslConfiguration(tls);
    socket.connectToHostEncrypted(Test::StandinHub::address(), port);
    if (!socket.waitForEncrypted(5000)) {
        std::fprintf(stderr, "bare client not connected: %s\n", qPrintable(socket.errorString()));
        return 1;
    }

    // One round of each to warm up, then interleaved rounds.
    apiRound(device, requests / 10 + 1);
    bareRound(socket, requests / 10 + 1);
    std::vector<double> api;
    std::vector<double> bare;
    for (int r = 0; r < rounds; ++r) {
        api.push_back(apiRound(device, requests));
        bare.push_back(bareRound(socket, requests));
        if (api.back() < 0 || bare.back() < 0) {
            std::fprintf(stderr, "a request failed\n");
            return 1;
        }
        // Each round too, so that a run disturbed by other work on the machine shows as such.
        std::fprintf(stderr, "round %d: request API %.1f us, bare TLS client %.1f us; ratio %.2f\n", r + 1, api.back(),
                     bare.back(), api.back() / bare.back());
    }
    const double a = median(api);
    const double b = median(bare);
    std::fprintf(stderr,
                 "%d requests x %d rounds: request API %.1f us a request, bare TLS client %.1f us; ratio %.2f\n",
                 requests, rounds, a, b, a / b);

    device->stop();
    device.reset();
    QMetaObject::invokeMethod(
        &hubContext, [&]() { delete hub; }, Qt::BlockingQueuedConnection);
    hubThread.quit();
    hubThread.wait();
    return 0;
}
