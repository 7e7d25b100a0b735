// A Kestrin hub on loopback for trying the program by hand on one machine: it answers
// discovery, pairing and every act of the hub protocol, stores uploads in a folder, and sends
// the hub's commands for the PC as they are typed on standard input.

#include "core/NetUtils.h"
#include "support/StandinHub.h"
#include "support/StandinHubActionTree.h"
#include "support/StandinHubAppList.h"
#include "support/StandinHubDiscovery.h"
#include "support/StandinHubModuleStates.h"
#include "support/StandinHubModules.h"
#include "support/StandinHubUploads.h"
#include "support/StandinPelloraModule.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QSslSocket>
#include <QTimer>

#include <unistd.h>

#include <iostream>
#include <string>

using OV::Test::StandinHub;
using OV::Test::StandinHubDiscovery;
using OV::Test::StandinHubUploads;
using Json = nlohmann::json;

namespace {

constexpr quint16 kDiscoveryPort = 5319;
constexpr quint16 kUploadPort = 8080;
constexpr int kAnnounceMs = 2000;

void say(const std::string& text)
{
    std::cout << text << std::endl;
}

// Answers that look like a real hub's, so that the screens have something to show.
void scriptPlausibleAnswers(StandinHub& hub)
{
    hub.replyOk(1002, Json::array({{{"name", "Clock"}, {"icon", ""}, {"id", "app.clock"}, {"type", "app"}},
                                   {{"name", "Weather"}, {"icon", ""}, {"id", "app.weather"}, {"type", "app"}}}));
    hub.setHandler(1205, [](QSslSocket* client, const Json& request) {
        const std::string node = request.value("data", Json("")).is_string() ? request["data"].get<std::string>() : "";
        Json children = Json::array();
        if (node.empty()) {
            children.push_back({{"name", "Hub"}, {"last", false}, {"id", "hub"}});
            children.push_back({{"name", "Media"}, {"last", false}, {"id", "media"}});
        } else if (node == "hub") {
            children.push_back({{"name", "Next profile"},
                                {"last", true},
                                {"id", "hub.nextProfile"},
                                {"type", "generic"},
                                {"objectName", ""},
                                {"components", Json::array()}});
        } else if (node == "media") {
            children.push_back({{"name", "Play / pause"},
                                {"last", true},
                                {"id", "media.playPause"},
                                {"type", "generic"},
                                {"objectName", ""},
                                {"components", Json::array()}});
        }
        StandinHub::reply(client, request, 200, children);
    });
    hub.replyOk(1617, Json::array({{{"name", "Desk lamp"}, {"last", true}, {"id", "lamp-1"}}}));
    hub.setHandler(1633, [&hub](QSslSocket* client, const Json& request) {
        StandinHub::reply(client, request, 200);
        QTimer::singleShot(500, &hub, [&hub] {
            hub.push(1635, 200,
                     Json::array({{{"name", "DeskNet"}, {"signal", "GOOD"}, {"frequency", "2.4G"}},
                                  {{"name", "Upstairs"}, {"signal", "POOR"}, {"frequency", "GHZ_5G"}}}));
        });
    });
}

// The modules the hub reports as attached; the one its module discovery finds starts online.
OV::Test::StandinHubModuleStates& moduleStates()
{
    static OV::Test::StandinHubModuleStates states;
    return states;
}

void showLine(const QByteArray& line)
{
    const Json message = Json::parse(line.constBegin(), line.constEnd(), nullptr, false);
    const int act = message.is_object() ? message.value("act", 0) : 0;
    if (act == 20)
        return; // heartbeats
    say("<- " + line.toStdString());
    if (act == 101 && !message.contains("code")) {
        const Json data = message.value("data", Json::object());
        say("   pairing request from \"" + data.value("name", std::string()) + "\" (" +
            data.value("id", std::string()) + "): confirming it");
    }
}

// "cmd TYPE [payload as JSON]", e.g. "cmd GET_VOLUME", "cmd SET_MUTE true",
// "cmd PC_CONTROL {"action":"openBrowser","params":{"url":"https://example.org"}}".
void runCommand(StandinHub& hub, const std::string& line)
{
    if (line.empty())
        return;
    if (line == "help") {
        say("cmd TYPE [JSON payload]   send a command to the PC (TEST, PC_CONTROL, GET_VOLUME, SET_VOLUME,");
        say("                          GET_MUTE, SET_MUTE, CPU, MEMORY, STORAGE, NETWORK)");
        say("module SERIAL online|offline");
        say("                          what the hub reports of a module's online state (act 30730)");
        say("quit                      stop");
        return;
    }
    if (std::string reply; moduleStates().runCommand(line, reply)) {
        say(reply);
        return;
    }
    if (line == "quit") {
        QCoreApplication::quit();
        return;
    }
    if (line.rfind("cmd ", 0) != 0) {
        say("unknown input; type help");
        return;
    }
    const std::string rest = line.substr(4);
    const size_t space = rest.find(' ');
    const std::string type = rest.substr(0, space);
    std::optional<Json> payload;
    if (space != std::string::npos) {
        payload = Json::parse(rest.substr(space + 1), nullptr, false);
        if (payload->is_discarded()) {
            say("the payload is not JSON");
            return;
        }
    }
    if (hub.clientCount() == 0) {
        say("no program connected");
        return;
    }
    say("-> command " + hub.sendCommand(type, payload) + " " + type);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("standin-hub"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A Kestrin hub on loopback for trying OrvelWorkSpace by hand."));
    parser.addHelpOption();
    const QCommandLineOption addressOption(QStringLiteral("address"),
                                           QStringLiteral("Loopback address to serve on (default 127.0.0.2)."),
                                           QStringLiteral("ip"), QStringLiteral("127.0.0.2"));
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Hub protocol port (default 5320)."),
                                        QStringLiteral("port"), QStringLiteral("5320"));
    const QCommandLineOption serialOption(QStringLiteral("serial"), QStringLiteral("Serial number."),
                                          QStringLiteral("sn"), QStringLiteral("KS-STANDIN-0001"));
    const QCommandLineOption uploadsOption(QStringLiteral("uploads"), QStringLiteral("Folder for uploaded files."),
                                           QStringLiteral("dir"),
                                           QDir::temp().filePath(QStringLiteral("standin-hub-uploads")));
    const QCommandLineOption confirmOption(QStringLiteral("confirm-ms"),
                                           QStringLiteral("Delay before a pairing request is confirmed."),
                                           QStringLiteral("ms"), QStringLiteral("2000"));
    parser.addOptions({addressOption, portOption, serialOption, uploadsOption, confirmOption});
    parser.process(app);

    const QHostAddress address(parser.value(addressOption));
    if (!address.isLoopback()) {
        say("the address must be a loopback address (127.x.x.x)");
        return 2;
    }
    const quint16 port = quint16(parser.value(portOption).toUInt());
    const QString serial = parser.value(serialOption);
    const QString uploadFolder = QDir(parser.value(uploadsOption)).absolutePath();

    StandinHub hub;
    hub.setConfirmDelayMs(parser.value(confirmOption).toInt());
    scriptPlausibleAnswers(hub);
    OV::Test::installPelloraModule(hub);
    OV::Test::installModuleLifecycle(hub, &say);
    OV::Test::installAppList(hub);
    moduleStates().setOnline(QStringLiteral("PW-STANDIN-01"), true);
    moduleStates().install(hub);
    OV::Test::installActionTree(hub);
    if (!hub.listen(address, port)) {
        say("cannot listen on " + address.toString().toStdString() + ":" + std::to_string(port));
        return 1;
    }
    QObject::connect(&hub, &StandinHub::lineReceived, &showLine);
    QObject::connect(&hub, &StandinHub::clientConnected, [] { say("program connected"); });
    say("hub " + serial.toStdString() + ": TLS on " + address.toString().toStdString() + ":" +
        std::to_string(hub.port()));

    if (!QDir().mkpath(uploadFolder)) {
        say("cannot create " + uploadFolder.toStdString());
        return 1;
    }
    StandinHubUploads uploads(uploadFolder);
    if (uploads.start(address, kUploadPort)) {
        say("uploads: " + uploads.urlText(QStringLiteral("/upload/zip")).toStdString() + " and /upload?serialNo=..." +
            " into " + uploadFolder.toStdString());
        QObject::connect(&uploads, &StandinHubUploads::uploaded, [](const StandinHubUploads::Upload& upload) {
            say("   upload stored: " + upload.savedAs.toStdString() + " (" + std::to_string(upload.data.size()) +
                " bytes)");
        });
    } else {
        say("cannot listen on port 8080 of " + address.toString().toStdString() + "; uploads are off");
    }

    // The searcher ignores answers from 127.0.0.1 (it takes them for its own).
    const QHostAddress replyFrom =
        address == QHostAddress(QHostAddress::LocalHost) ? QHostAddress(QStringLiteral("127.0.0.2")) : address;
    StandinHubDiscovery discovery;
    discovery.setReply(StandinHubDiscovery::makeReply(serial, address.toString(), hub.port()));
    // The program asks on the broadcast address of its network; listen right there, so that its
    // own socket on the same port keeps receiving the answers.
    const QHostAddress broadcast = OV::broadcastAddressOf(OV::localIpAddress());
    const QHostAddress listenOn = broadcast.isNull() ? replyFrom : broadcast;
    if (discovery.listen(listenOn, kDiscoveryPort, replyFrom))
        say("discovery: answering on " + listenOn.toString().toStdString() + ":5319");
    else
        say("discovery: cannot listen on " + listenOn.toString().toStdString() + ":5319");
    // Also tell a program on this machine directly, for a machine without a network.
    discovery.announce(QHostAddress::LocalHost, kDiscoveryPort, kAnnounceMs);

    say("type help for the commands");
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    std::string pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof(buffer));
        if (n <= 0) {
            input.setEnabled(false);
            return;
        }
        pending.append(buffer, size_t(n));
        size_t feed;
        while ((feed = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, feed);
            pending.erase(0, feed + 1);
            runCommand(hub, line);
        }
    });
    return QCoreApplication::exec();
}
