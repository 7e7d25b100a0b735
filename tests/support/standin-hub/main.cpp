// A Kestrin hub on loopback for trying the program by hand on one machine: it answers
// discovery, pairing and every act of the hub protocol, offers one module of every product,
// stores uploads in a folder, writes firmware update files for its modules, and sends the hub's
// commands for the PC as they are typed on standard input. It ends when that input ends.

#include "core/NetUtils.h"
#include "module/ModuleProductNames.h"
#include "support/OtaTestFile.h"
#include "support/StandinHub.h"
#include "support/StandinHubActionTree.h"
#include "support/StandinHubAppList.h"
#include "support/StandinHubConsole.h"
#include "support/StandinHubDiscovery.h"
#include "support/StandinHubModuleStates.h"
#include "support/StandinHubModules.h"
#include "support/StandinHubUploads.h"
#include "support/StandinPelloraModule.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QHostAddress>
#include <QSaveFile>
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
// Long enough that a paced update shows its progress for a few seconds.
constexpr int kUpdateImageBytes = 48 * 1024;
constexpr char kUpdateVersion[] = "1.1.0";
// The sender waits 10 s for each acknowledgement.
constexpr int kMaxPacketMs = 5000;

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

// The modules the hub reports as attached; the ones its module discovery finds start online.
OV::Test::StandinHubModuleStates& moduleStates()
{
    static OV::Test::StandinHubModuleStates states;
    return states;
}

// One update file per product, its image naming the version the module reports once updated.
bool writeUpdateFiles(const QString& folder)
{
    if (!QDir().mkpath(folder)) {
        say("cannot create " + folder.toStdString());
        return false;
    }
    for (const OV::Test::StandinHubModules::Module& module : OV::Test::StandinHubModules::everyProduct()) {
        const QString path =
            QDir(folder).filePath(OV::ModuleProductNames::modelName(module.productId).toLower() + QLatin1Char('-') +
                                  QLatin1String(kUpdateVersion) + QStringLiteral(".bin"));
        const QByteArray file = OV::Test::makeOtaFile(
            uint32_t(module.productId), OV::Test::StandinHubModules::firmwareImage(kUpdateVersion, kUpdateImageBytes),
            kUpdateVersion, 110);
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size() || !out.commit()) {
            say("cannot write " + path.toStdString());
            return false;
        }
    }
    return true;
}

std::string moduleList()
{
    std::string list;
    for (const OV::Test::StandinHubModules::Module& module : OV::Test::StandinHubModules::everyProduct()) {
        list += (list.empty() ? "" : ", ") + module.serialNumber + " (" +
                OV::ModuleProductNames::modelName(module.productId).toStdString() + ")";
    }
    return list;
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
    const QCommandLineOption packetOption(
        QStringLiteral("ota-packet-ms"),
        QStringLiteral("Delay before each firmware packet is acknowledged (default 25, 0 to 5000)."),
        QStringLiteral("ms"), QStringLiteral("25"));
    parser.addOptions({addressOption, portOption, serialOption, uploadsOption, confirmOption, packetOption});
    parser.process(app);

    const QHostAddress address(parser.value(addressOption));
    if (!address.isLoopback()) {
        say("the address must be a loopback address (127.x.x.x)");
        return 2;
    }
    const quint16 port = quint16(parser.value(portOption).toUInt());
    const QString serial = parser.value(serialOption);
    const QString uploadFolder = QDir(parser.value(uploadsOption)).absolutePath();
    bool packetOk = false;
    const int packetMs = parser.value(packetOption).toInt(&packetOk);
    if (!packetOk || packetMs < 0 || packetMs > kMaxPacketMs) {
        say("--ota-packet-ms must be a number from 0 to " + std::to_string(kMaxPacketMs));
        return 2;
    }

    StandinHub hub;
    hub.setConfirmDelayMs(parser.value(confirmOption).toInt());
    scriptPlausibleAnswers(hub);
    OV::Test::installPelloraModule(hub);
    OV::Test::installModuleLifecycle(hub, &say)->setPacketDelayMs(packetMs);
    OV::Test::installAppList(hub);
    for (const OV::Test::StandinHubModules::Module& module : OV::Test::StandinHubModules::everyProduct())
        moduleStates().setOnline(QString::fromStdString(module.serialNumber), true);
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
    const QString firmwareFolder = QDir(uploadFolder).filePath(QStringLiteral("firmware"));
    if (writeUpdateFiles(firmwareFolder))
        say("modules: " + moduleList() + "; firmware update files (version " + kUpdateVersion + ") in " +
            firmwareFolder.toStdString() + ", each packet acknowledged after " + std::to_string(packetMs) + " ms");

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
    OV::Test::StandinHubConsole console(hub, moduleStates(), STDIN_FILENO, &say);
    QObject::connect(&console, &OV::Test::StandinHubConsole::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    return QCoreApplication::exec();
}
