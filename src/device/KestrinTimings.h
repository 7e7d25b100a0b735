#pragma once

#include <chrono>
#include <functional>

namespace OV {

// The periods and time-outs of a hub session. The defaults are the product's; tests pass
// shorter ones.
struct KestrinTimings
{
    int tickMs = 1000;
    int connectTimeoutMs = 5000;
    int tokenCheckTimeoutMs = 3000;
    int tokenRequestTimeoutMs = 15000;
    int heartbeatIntervalMs = 3000;
    int heartbeatSilenceMs = 1500;
    int readyWindowMs = 15000;
    int reconnectSpacingMs = 30001;
    // Maps a request's act and its time-out to the time-out used; empty keeps the time-out.
    std::function<int(int act, int timeoutMs)> requestTimeout;
    // The clock the session judges liveness and reconnect spacing by; empty: the steady clock.
    std::function<std::chrono::steady_clock::time_point()> now;
};

} // namespace OV
