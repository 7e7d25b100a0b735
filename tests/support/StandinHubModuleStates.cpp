#include "support/StandinHubModuleStates.h"

#include "support/StandinHub.h"

#include <QStringList>

namespace OV::Test {

void StandinHubModuleStates::install(StandinHub& hub)
{
    hub.setHandler(kActModuleOnlineState, [this](QSslSocket* client, const StandinHub::Json& request) {
        StandinHub::Json states = StandinHub::Json::array();
        const StandinHub::Json asked = request.value("data", StandinHub::Json::array());
        if (asked.is_array() && !asked.empty()) {
            for (const StandinHub::Json& serial : asked) {
                if (serial.is_string())
                    states.push_back({{"serialNo", serial}, {"online", isOnline(QString::fromStdString(serial))}});
            }
        } else {
            for (auto it = m_online.cbegin(); it != m_online.cend(); ++it)
                states.push_back({{"serialNo", it.key().toStdString()}, {"online", it.value()}});
        }
        StandinHub::reply(client, request, 200, states);
    });
}

bool StandinHubModuleStates::runCommand(const std::string& line, std::string& reply)
{
    const QStringList words = QString::fromStdString(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty() || words.front() != QLatin1String("module"))
        return false;
    if (words.size() != 3 || (words[2] != QLatin1String("online") && words[2] != QLatin1String("offline"))) {
        reply = "usage: module <serial> online|offline";
        return true;
    }
    setOnline(words[1], words[2] == QLatin1String("online"));
    reply = "module " + words[1].toStdString() + " is " + words[2].toStdString();
    return true;
}

} // namespace OV::Test
