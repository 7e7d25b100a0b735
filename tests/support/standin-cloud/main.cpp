// The cloud gateway on loopback, for trying the program by hand on one machine: the plug-in
// store's listing pages with sound plug-ins, their icons and packages, and the picture listing
// of the image picker (icons and backgrounds).

#include "support/StandInHttpServer.h"
#include "support/StandinCloud.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <iostream>
#include <string>

using OV::Test::HttpRequest;
using OV::Test::StandinCloud;

namespace {

void say(const QString& text)
{
    std::cout << text.toStdString() << std::endl;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("standin-cloud"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The cloud gateway (plug-in store and pictures) on loopback for trying OrvelWorkSpace by hand."));
    parser.addHelpOption();
    const QCommandLineOption addressOption(QStringLiteral("address"),
                                           QStringLiteral("Loopback address to serve on (default 127.0.0.1)."),
                                           QStringLiteral("ip"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Port to serve on (default 8600)."),
                                        QStringLiteral("port"), QStringLiteral("8600"));
    parser.addOptions({addressOption, portOption});
    parser.process(app);

    const QHostAddress address(parser.value(addressOption));
    if (!address.isLoopback()) {
        say(QStringLiteral("the address must be a loopback address (127.x.x.x)"));
        return 2;
    }
    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    if (!portOk || port > 65535) {
        say(QStringLiteral("the port must be a number from 0 to 65535"));
        return 2;
    }

    StandinCloud cloud;
    if (!cloud.start(address, quint16(port))) {
        say(QStringLiteral("cannot listen on %1:%2").arg(address.toString()).arg(port));
        return 1;
    }
    const int count = int(cloud.plugins().size());
    const int pages = (count + StandinCloud::kDefaultPageSize - 1) / StandinCloud::kDefaultPageSize;
    say(QStringLiteral("cloud gateway: %1 (%2 sound plug-ins, %3 pages of %4)")
            .arg(cloud.gateway())
            .arg(count)
            .arg(pages)
            .arg(StandinCloud::kDefaultPageSize));
    int icons = 0;
    for (const StandinCloud::Picture& picture : cloud.pictures())
        icons += picture.projectId == StandinCloud::kIconProject ? 1 : 0;
    say(QStringLiteral("pictures: %1 icons and %2 backgrounds for the image picker")
            .arg(icons)
            .arg(int(cloud.pictures().size()) - icons));
    say(QStringLiteral("put this in the program's \"settings.json\" (in its working directory; "
                       "build/release/src for scripts/run.sh):"));
    say(QStringLiteral("    ") + QString::fromUtf8(cloud.settingsJson()));
    QObject::connect(&cloud.server(), &OV::Test::StandInHttpServer::requestReceived, [](const HttpRequest& request) {
        const QString query =
            request.rawQuery.isEmpty() ? QString() : QLatin1Char('?') + QString::fromLatin1(request.rawQuery);
        say(QStringLiteral("<- %1 %2%3").arg(QString::fromLatin1(request.method), request.path, query));
    });
    return QCoreApplication::exec();
}
