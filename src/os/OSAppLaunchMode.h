#pragma once

namespace OV {

// How OSController::startApplication treats an application that already runs.
enum OSAppLaunchMode : int {
    NewInstance = 0,    // always start it
    ActivateOnly = 1,   // bring a running instance to the front; nothing when none runs
    SingleInstance = 2, // bring a running instance to the front; start it when none runs
};

} // namespace OV
