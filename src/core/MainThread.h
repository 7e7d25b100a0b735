#pragma once

#include <functional>

namespace OV {

// Queues the callable on the application object; it runs once, later, on the GUI thread.
void runOnMainThread(std::function<void()> fn);

} // namespace OV
