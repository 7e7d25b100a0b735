#include "support/StandinHubAppList.h"

#include "support/StandinHub.h"

namespace OV::Test {

nlohmann::json standinAppList()
{
    // Icons are pictures the program itself ships, so they load without a network.
    return nlohmann::json::array({
        {{"name", "Calendar"}, {"icon", ":/profile/image/icon_basic_clock.png"}, {"id", "app.calendar"}, {"type", 1}},
        {{"name", "Stocks"}, {"icon", ":/profile/image/icon_pc_network_speed.png"}, {"id", "app.stocks"}, {"type", 1}},
        {{"name", "Pomodoro"}, {"icon", ":/profile/image/icon_basic_timer.png"}, {"id", "app.pomodoro"}, {"type", 2}},
    });
}

void installAppList(StandinHub& hub)
{
    hub.setHandler(1002, [](QSslSocket* client, const nlohmann::json& request) {
        const bool apps = request.value("data", nlohmann::json()) == "sys.widget.apps";
        StandinHub::reply(client, request, 200, apps ? standinAppList() : nlohmann::json::array());
    });
}

} // namespace OV::Test
